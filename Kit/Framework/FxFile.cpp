#include "Framework/FxFile.h"

#include <cstring>

#include "Kit_ByteOrder.h"
#include "Kit_Utf8.h"
#include "MacTypes.h"

namespace {

constexpr uint32_t kContainerTag = FourCC("CcnK");
constexpr uint32_t kProgramValuesTag = FourCC("FxCk");
constexpr uint32_t kProgramChunkTag = FourCC("FPCh");
constexpr uint32_t kBankValuesTag = FourCC("FxBk");
constexpr uint32_t kBankChunkTag = FourCC("FBCh");
constexpr int32_t kProgramFormatVersion = 1;
// Version 2 banks carry the current program in the first reserved word.
constexpr int32_t kBankFormatVersion = 2;

constexpr size_t kNameBytes = 28;
constexpr size_t kBankReservedBytes = 128;
// What a program's byte size counts before its values or chunk: tag, version, id,
// plug-in version, count and name.
constexpr size_t kProgramFieldsAfterSize = 5 * 4 + kNameBytes;
constexpr size_t kSmallestProgram = 8 + kProgramFieldsAfterSize;

class Writer {
public:
  void Put32(uint32_t value) {
    uint8_t word[4];
    Kit_StoreBigEndian32(value, word);
    bytes_.insert(bytes_.end(), word, word + 4);
  }
  void PutBytes(const void* data, size_t size) {
    const uint8_t* from = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), from, from + size);
  }
  void PutZeros(size_t count) { bytes_.resize(bytes_.size() + count, 0); }
  // Starts a 'CcnK' container; FinishContainer fills in its byte size.
  size_t StartContainer() {
    Put32(kContainerTag);
    Put32(0);
    return bytes_.size();
  }
  void FinishContainer(size_t afterSize) {
    Kit_StoreBigEndian32(uint32_t(bytes_.size() - afterSize), &bytes_[afterSize - 4]);
  }
  std::vector<uint8_t>& Bytes() { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
};

class Reader {
public:
  Reader(const uint8_t* bytes, size_t end) : bytes_(bytes), end_(end) {}

  size_t Remaining() const { return end_ - pos_; }
  size_t Pos() const { return pos_; }
  bool Get32(uint32_t* value) {
    if (Remaining() < 4) return false;
    *value = Kit_LoadBigEndian32(bytes_ + pos_);
    pos_ += 4;
    return true;
  }
  bool GetSigned(int32_t* value) {
    uint32_t word = 0;
    if (!Get32(&word)) return false;
    *value = int32_t(word);
    return true;
  }
  bool Expect(uint32_t tag) {
    uint32_t word = 0;
    return Get32(&word) && word == tag;
  }
  const uint8_t* Take(size_t count) {
    if (Remaining() < count) return nullptr;
    const uint8_t* at = bytes_ + pos_;
    pos_ += count;
    return at;
  }
  // Reads a 'CcnK' byte size that must lie within what remains; *end is where the
  // container ends.
  bool GetContainerSize(size_t* end) {
    uint32_t size = 0;
    if (!Get32(&size) || size > Remaining()) return false;
    *end = pos_ + size;
    return true;
  }

private:
  const uint8_t* bytes_;
  size_t end_;
  size_t pos_ = 0;
};

// At most 27 bytes, not ending inside a multi-byte character.
std::string CutName(const std::string& name) {
  return name.substr(0, Kit_Utf8CutLength(name.data(), name.size(), kNameBytes - 1));
}

void PutChunk(Writer& out, const std::vector<uint8_t>& chunk) {
  out.Put32(uint32_t(chunk.size()));
  out.PutBytes(chunk.data(), chunk.size());
}

void PutProgram(Writer& out, const FxProgram& program) {
  const size_t afterSize = out.StartContainer();
  out.Put32(program.isChunk ? kProgramChunkTag : kProgramValuesTag);
  out.Put32(kProgramFormatVersion);
  out.Put32(uint32_t(program.pluginId));
  out.Put32(uint32_t(program.pluginVersion));
  out.Put32(uint32_t(program.isChunk ? program.paramCount : int32_t(program.values.size())));
  const std::string name = CutName(program.name);
  out.PutBytes(name.data(), name.size());
  out.PutZeros(kNameBytes - name.size());
  if (program.isChunk) {
    PutChunk(out, program.chunk);
  } else {
    for (float value : program.values) {
      uint32_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      out.Put32(bits);
    }
  }
  out.FinishContainer(afterSize);
}

// A chunk size and chunk filling exactly what remains of the container.
bool GetChunk(Reader& in, size_t end, std::vector<uint8_t>* chunk) {
  uint32_t size = 0;
  if (!in.Get32(&size) || in.Pos() > end || size != end - in.Pos()) return false;
  const uint8_t* bytes = in.Take(size);
  if (!bytes) return false;
  chunk->assign(bytes, bytes + size);
  return true;
}

bool GetProgram(Reader& in, FxProgram* program) {
  size_t end = 0;
  uint32_t tag = 0;
  int32_t formatVersion = 0;
  int32_t count = 0;
  if (!in.Expect(kContainerTag) || !in.GetContainerSize(&end) || !in.Get32(&tag) || !in.GetSigned(&formatVersion) ||
      !in.GetSigned(&program->pluginId) || !in.GetSigned(&program->pluginVersion) || !in.GetSigned(&count) ||
      count < 0) {
    return false;
  }
  const uint8_t* name = in.Take(kNameBytes);
  if (!name || in.Pos() > end) return false;
  program->name.assign(reinterpret_cast<const char*>(name), strnlen(reinterpret_cast<const char*>(name), kNameBytes));
  program->isChunk = tag == kProgramChunkTag;
  if (program->isChunk) {
    program->paramCount = count;
    return GetChunk(in, end, &program->chunk);
  }
  if (tag != kProgramValuesTag || end - in.Pos() != 4 * size_t(count)) return false;
  program->values.resize(size_t(count));
  for (float& value : program->values) {
    uint32_t bits = 0;
    in.Get32(&bits);
    std::memcpy(&value, &bits, sizeof value);
  }
  return true;
}

}  // namespace

std::vector<uint8_t> FxWriteProgram(const FxProgram& program) {
  Writer out;
  PutProgram(out, program);
  return std::move(out.Bytes());
}

std::vector<uint8_t> FxWriteBank(const FxBank& bank) {
  Writer out;
  const size_t afterSize = out.StartContainer();
  out.Put32(bank.isChunk ? kBankChunkTag : kBankValuesTag);
  out.Put32(kBankFormatVersion);
  out.Put32(uint32_t(bank.pluginId));
  out.Put32(uint32_t(bank.pluginVersion));
  out.Put32(uint32_t(bank.isChunk ? bank.programCount : int32_t(bank.programs.size())));
  out.Put32(uint32_t(bank.currentProgram));
  out.PutZeros(kBankReservedBytes - 4);
  if (bank.isChunk) {
    PutChunk(out, bank.chunk);
  } else {
    for (const FxProgram& program : bank.programs) PutProgram(out, program);
  }
  out.FinishContainer(afterSize);
  return std::move(out.Bytes());
}

bool FxReadProgram(const uint8_t* bytes, size_t size, FxProgram* out) {
  Reader in(bytes, size);
  FxProgram program;
  if (!GetProgram(in, &program) || in.Remaining() != 0) return false;
  *out = std::move(program);
  return true;
}

bool FxReadBank(const uint8_t* bytes, size_t size, FxBank* out) {
  Reader in(bytes, size);
  FxBank bank;
  size_t end = 0;
  uint32_t tag = 0;
  int32_t formatVersion = 0;
  int32_t count = 0;
  if (!in.Expect(kContainerTag) || !in.GetContainerSize(&end) || end != size || !in.Get32(&tag) ||
      !in.GetSigned(&formatVersion) || !in.GetSigned(&bank.pluginId) || !in.GetSigned(&bank.pluginVersion) ||
      !in.GetSigned(&count) || count < 0) {
    return false;
  }
  const uint8_t* reserved = in.Take(kBankReservedBytes);
  if (!reserved) return false;
  // Version 1 banks leave the current program unsaid.
  if (formatVersion >= kBankFormatVersion) bank.currentProgram = int32_t(Kit_LoadBigEndian32(reserved));
  bank.isChunk = tag == kBankChunkTag;
  if (bank.isChunk) {
    bank.programCount = count;
    if (!GetChunk(in, end, &bank.chunk)) return false;
  } else {
    // Every program takes at least its header: no count can ask for more than the bytes hold.
    if (tag != kBankValuesTag || size_t(count) > in.Remaining() / kSmallestProgram) return false;
    bank.programs.resize(size_t(count));
    for (FxProgram& program : bank.programs) {
      if (!GetProgram(in, &program) || program.isChunk) return false;
    }
    if (in.Remaining() != 0) return false;
  }
  *out = std::move(bank);
  return true;
}
