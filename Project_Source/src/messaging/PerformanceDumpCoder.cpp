#include "messaging/PerformanceDumpCoder.h"

#include <algorithm>

#include "librarian/PatchTemplates.h"
#include "messaging/DumpNames.h"
#include "messaging/PartBlockCoding.h"

namespace {
constexpr int kShortestPerformance = 711;
constexpr int kNamedPerformance = 725;
constexpr int kLongestPerformance = 765;
constexpr int kNameStart = kPerformanceDumpSize - 1;  // 714, where the end byte stands in 715
constexpr int kPartNamesStart = kNameStart + kDumpNameSize;
}  // namespace

// Where a form keeps its blocks and names.
struct PerformanceDumpCoder::Layout {
  std::array<int, 4> blockStart;
  int partRegionEnd;  // one past the last part-block byte read
  // Where the byte of the public layout's `position` lies; the spaced form splits
  // the block between 640 and 641, so a pair there is split too.
  int performancePosition(int position) const { return position + (spaced ? (position <= 640 ? 40 : 50) : 0); }
  bool spaced;
};

std::unique_ptr<PerformanceDumpCoder> PerformanceDumpCoder::Create(const ParamIndexOf& indexOf) {
  auto indices = DumpFieldIndices::Resolve(indexOf);
  if (!indices) return nullptr;
  return std::unique_ptr<PerformanceDumpCoder>(new PerformanceDumpCoder(std::move(indices)));
}

std::vector<uint8_t> PerformanceDumpCoder::Build(const DumpParameters& params, int deviceId, int activeSlot) const {
  const auto init = InitPerformance();
  std::vector<uint8_t> dump(init.begin(), init.end());
  dump[2] = static_cast<uint8_t>(std::clamp(deviceId, 0, 15));
  for (int slot = 0; slot < 4; ++slot) EncodePartBlock(*indices_, params, slot, &dump[kPartBlockStart[slot]]);
  const bool model2 = params.Model() == 2;
  for (const ResolvedPerformanceField& f : indices_->performance) {
    uint8_t* at = &dump[f.position];
    switch (f.role) {
      case DumpFieldRole::kMasterTune: at[0] = at[1] = 0; break;
      case DumpFieldRole::kActiveSlot: at[0] = static_cast<uint8_t>(std::clamp(activeSlot, 0, 3)); break;
      case DumpFieldRole::kBank:
      case DumpFieldRole::kBank2x:
        if (model2 != (f.role == DumpFieldRole::kBank2x)) break;
        [[fallthrough]];
      default: EncodeField(f.coding, FieldValueOf(f.coding, params.Value(f.param)), at); break;
    }
  }
  return dump;
}

void PerformanceDumpCoder::SetOwnDeviceId(std::vector<uint8_t>& dump, int deviceId) {
  constexpr int kOwnDeviceId = 636;
  if (dump.size() < kOwnDeviceId + 2) return;
  EncodeField(DumpCoding::kUnsignedPair, std::clamp(deviceId, 0, 15), &dump[kOwnDeviceId]);
}

std::vector<uint8_t> PerformanceDumpCoder::WithNames(const std::vector<uint8_t>& dump,
                                                     const std::string& performanceName,
                                                     const std::array<std::string, 4>& partNames) {
  std::vector<uint8_t> named(kLongestPerformance, 0);
  std::copy(dump.begin(), dump.begin() + std::min<size_t>(dump.size(), kNameStart), named.begin());
  WriteDumpName(performanceName, &named[kNameStart]);
  for (int slot = 0; slot < 4; ++slot) WriteDumpName(partNames[slot], &named[kPartNamesStart + kDumpNameSize * slot]);
  named.back() = 0xF7;
  return named;
}

bool PerformanceDumpCoder::Accepts(const uint8_t* bytes, size_t size) {
  return bytes && size >= kShortestPerformance && size <= kLongestPerformance && bytes[1] == kMakerId &&
         bytes[3] == kModelByte;
}

bool PerformanceDumpCoder::AcceptsSpaced(const uint8_t* bytes, size_t size) {
  return size == kLongestPerformance && Accepts(bytes, size);
}

bool PerformanceDumpCoder::Parse(const uint8_t* bytes, size_t size, DumpParameters& params) const {
  if (!Accepts(bytes, size)) return false;
  const bool named = size == kNamedPerformance || size == kLongestPerformance;
  params.SetName(indices_->multiName, named ? ReadDumpName(bytes + kNameStart) : std::string("Perf Req."));
  for (int slot = 0; slot < 4; ++slot) {
    params.SetName(indices_->patchName + slot, size == kLongestPerformance
                                                   ? ReadDumpName(bytes + kPartNamesStart + kDumpNameSize * slot)
                                                   : std::string("PerfFromHW"));
  }
  static const Layout kLayout{kPartBlockStart, kPerformanceBlockStart, false};
  Decode(kLayout, bytes, size, params);
  return true;
}

bool PerformanceDumpCoder::ParseSpaced(const uint8_t* bytes, size_t size, DumpParameters& params) const {
  if (!AcceptsSpaced(bytes, size)) return false;
  params.SetName(indices_->multiName, ReadDumpName(bytes + kPerformanceDumpSize, kDumpNameSize - 1));
  for (int slot = 0; slot < 4; ++slot) params.SetName(indices_->patchName + slot, "PerfFromHW");
  static const Layout kLayout{{6, 148, 290, 432}, 544, true};
  Decode(kLayout, bytes, size, params);
  return true;
}

void PerformanceDumpCoder::Decode(const Layout& layout, const uint8_t* bytes, size_t size,
                                  DumpParameters& params) const {
  // The end byte is the message's, never a field's.
  const int end = static_cast<int>(size) - 1;
  for (int slot = 0; slot < 4; ++slot) {
    const int start = layout.blockStart[slot];
    const int blockEnd = std::min({start + kPartBlockSize, layout.partRegionEnd, end}) - start;
    DecodePartBlock(*indices_, bytes + start, blockEnd, slot, params);
  }
  const bool globalLock = params.Value(indices_->globalLock) != 0;
  for (const ResolvedPerformanceField& f : indices_->performance) {
    uint8_t field[2] = {0, 0};
    const int width = FieldWidth(f.coding);
    int b = 0;
    for (; b < width; ++b) {
      const int position = layout.performancePosition(f.position + b);
      if (position >= end) break;
      field[b] = bytes[position];
    }
    if (b == width) DecodePerformanceField(f, field, globalLock, params);
  }
}

void PerformanceDumpCoder::DecodePerformanceField(const ResolvedPerformanceField& f, const uint8_t* at, bool globalLock,
                                                  DumpParameters& params) const {
  const bool always =
      f.role == DumpFieldRole::kUngated || f.role == DumpFieldRole::kBank || f.role == DumpFieldRole::kBank2x;
  if (globalLock && !always) return;
  const int value = FieldValueAt(f.coding, at);
  if (f.role == DumpFieldRole::kActiveSlot && value > 3) return;
  params.SetValue(f.param, value);
  if (f.mirror >= 0) params.SetValue(f.mirror, value);
}
