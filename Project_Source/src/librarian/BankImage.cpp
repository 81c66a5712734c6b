#include "librarian/BankImage.h"

#include "Framework/ByteChunk.h"
#include "librarian/LibrarianRecords.h"
#include "librarian/PatchTemplates.h"

#include <algorithm>

namespace {

constexpr uint8_t kMidiDeviceId = 0x0F;
constexpr uint8_t kMidiProgramType = 0x01;

std::vector<uint8_t> FixedEvent(const LibrarianPatch* patch, int kind, int slot, MidiHead head) {
  const bool performance = kind == kPerformanceKind;
  const size_t length = size_t(performance ? kPerformanceLength : kProgramLength);
  std::vector<uint8_t> bytes;
  if (patch && !patch->messages.empty())
    bytes = patch->messages.front().bytes;
  else if (performance)
    bytes.assign(initSinglePerformance().begin(), initSinglePerformance().end());
  else
    bytes.assign(initSinglePatch().begin(), initSinglePatch().end());
  // Cut or pad the body, so no F7 stays inside the event.
  if (!bytes.empty() && bytes.back() == kSysexEnd) bytes.pop_back();
  bytes.resize(length - 1, 0x00);
  bytes.push_back(kSysexEnd);
  bytes[0] = kSysexStart;
  if (head == MidiHead::Rewrite) {
    bytes[2] = kMidiDeviceId;
    bytes[4] = performance ? kLoadedPerformanceType : kMidiProgramType;
    bytes[5] = uint8_t(slot);
  }
  return bytes;
}

}  // namespace

bool bankImage(const PatchFile& bank, bool midiForm, MidiHead head, ByteChunk* out) {
  const int kind = bank.type == kPerformanceKind ? kPerformanceKind : kProgramKind;
  const int slots = bankSizeOfKind(kind);
  const bool performance = kind == kPerformanceKind;
  const int startSize = out->Size();
  int64_t expected = startSize;
  if (midiForm) {
    const auto& start = performance ? midiPerfStartHeader_NL100 : midiSingleStartHeader_NL99;
    out->PutBytes(start.data(), int(start.size()));
    expected += int64_t(start.size());
  }
  for (int k = 0; k < slots; ++k) {
    const LibrarianPatch* patch = size_t(k) < bank.patches.size() ? &bank.patches[size_t(k)] : nullptr;
    if (midiForm) {
      const PatchSysexMessage event{FixedEvent(patch, kind, k, head)};
      event.save(out, true, k, performance);
      expected += int64_t(event.bytes.size()) - 1 + (k != 0 ? int64_t(midiSingleInBetweenHeader_NL99.size()) : 0);
      continue;
    }
    if (!patch) continue;
    for (const PatchSysexMessage& message : patch->messages) {
      message.save(out, false, k, performance);
      expected += int64_t(message.bytes.size());
    }
  }
  if (midiForm) {
    out->PutBytes(midiEndOfTrack.data(), int(midiEndOfTrack.size()));
    expected += int64_t(midiEndOfTrack.size());
  }
  return out->Size() == expected;
}

int namesMidiFormDrops(const PatchFile& bank) {
  const int kind = bank.type == kPerformanceKind ? kPerformanceKind : kProgramKind;
  const size_t unnamed = size_t(kind == kPerformanceKind ? kPerformanceLength : kProgramLength);
  int dropped = 0;
  for (size_t slot = 0; slot < bank.patches.size(); ++slot) {
    const LibrarianPatch& patch = bank.patches[slot];
    if (!patch.messages.empty() && patch.messages.front().bytes.size() > unnamed &&
        patch.name != defaultPatchName(kind, int(slot)))
      ++dropped;
  }
  return dropped;
}

bool isPlainMidiBank(const uint8_t* image, size_t size, int kind) {
  const bool performance = kind == kPerformanceKind;
  const auto& start = performance ? midiPerfStartHeader_NL100 : midiSingleStartHeader_NL99;
  const auto& between = performance ? midiSingleInBetweenHeader_NL100 : midiSingleInBetweenHeader_NL99;
  const size_t body = size_t(performance ? kPerformanceLength : kProgramLength) - 1;  // after the F0
  const size_t slots = size_t(bankSizeOfKind(kind));
  const size_t expected = start.size() + body + (slots - 1) * (between.size() + body) + midiEndOfTrack.size();
  if (!image || size != expected || !std::equal(start.begin(), start.end(), image)) return false;
  size_t at = start.size();
  for (size_t k = 0; k < slots; ++k) {
    if (k > 0) {
      if (!std::equal(between.begin(), between.end(), image + at)) return false;
      at += between.size();
    }
    // Data bytes only, then the F7 that ends the event.
    if (std::any_of(image + at, image + at + body - 1, [](uint8_t b) { return b >= 0x80; })) return false;
    if (image[at + body - 1] != kSysexEnd) return false;
    at += body;
  }
  return std::equal(midiEndOfTrack.begin(), midiEndOfTrack.end(), image + at);
}

void removeCharsFromString(std::string& text, const char* set) {
  for (; *set; ++set) text.erase(std::remove(text.begin(), text.end(), *set), text.end());
}
