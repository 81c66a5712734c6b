#include "messaging/ProgramDumpCoder.h"

#include <algorithm>

#include "librarian/PatchTemplates.h"
#include "messaging/DumpNames.h"
#include "messaging/PartBlockCoding.h"

namespace {
constexpr int kNamedProgramSize = kProgramDumpSize + kDumpNameSize;
constexpr int kDataStart = 6;
constexpr int kDataEnd = kDataStart + kPartBlockSize;  // the name or the end byte
}  // namespace

std::unique_ptr<ProgramDumpCoder> ProgramDumpCoder::Create(const ParamIndexOf& indexOf) {
  auto indices = DumpFieldIndices::Resolve(indexOf);
  if (!indices) return nullptr;
  return std::unique_ptr<ProgramDumpCoder>(new ProgramDumpCoder(std::move(indices)));
}

std::vector<uint8_t> ProgramDumpCoder::Build(const DumpParameters& params, int slot, int deviceId) const {
  if (slot < 0 || slot > 3) return {};
  std::vector<uint8_t> dump(std::begin(kInitProgram), std::end(kInitProgram));
  dump[2] = static_cast<uint8_t>(std::clamp(deviceId, 0, 15));
  dump[5] = static_cast<uint8_t>(slot);
  EncodePartBlock(*indices_, params, slot, &dump[kDataStart]);
  return dump;
}

std::vector<uint8_t> ProgramDumpCoder::WithName(const std::vector<uint8_t>& dump, const std::string& name) {
  std::vector<uint8_t> named(kNamedProgramSize, 0);
  std::copy(dump.begin(), dump.begin() + std::min<size_t>(dump.size(), kDataEnd), named.begin());
  WriteDumpName(name, &named[kDataEnd]);
  named.back() = 0xF7;
  return named;
}

bool ProgramDumpCoder::Accepts(const uint8_t* bytes, size_t size) {
  return bytes && (size == kProgramDumpSize || size == kNamedProgramSize) && bytes[1] == kMakerId &&
         bytes[3] == kModelByte && bytes[5] <= 3;
}

int ProgramDumpCoder::Parse(const uint8_t* bytes, size_t size, DumpParameters& params) const {
  if (!Accepts(bytes, size)) return -1;
  const int slot = bytes[5];
  params.SetName(indices_->patchName + slot,
                 size == kNamedProgramSize ? ReadDumpName(bytes + kDataEnd) : std::string("Requested"));
  DecodePartBlock(*indices_, bytes + kDataStart, kPartBlockSize, slot, params);
  return slot;
}
