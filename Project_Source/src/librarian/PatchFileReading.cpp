// Bank images into records: raw SysEx banks and Standard MIDI File banks are read by
// the same message logic, as the scan for the maker id passes over the file's framing.

#include "ByteChunk.h"
#include "PatchLibrarian.h"
#include "PatchTemplates.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kSmallestImage = 15;
constexpr uint8_t kMidiFileHead[] = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06};
constexpr int kMidiFirstEventSearchAt = 14;
constexpr int kLargestDeviceId = 15;
constexpr int kLargestSlotByte = 99;
constexpr int kHeadLength = 6;
constexpr size_t kCompletionRoom = 64;  // four zeros, a name, four part names and F7
// Any byte from here on ends a message body: F7, or the status byte of whatever
// follows a message that was cut.
constexpr uint8_t kFirstStatusByte = 0x80;
constexpr uint8_t kPerformanceFiller[] = {0x00, 0x00, 0x00, 0x00};
constexpr const char* kPartNames[] = {"Slot A    ", "Slot B    ", "Slot C    ", "Slot D    "};

// The first byte of 80 hex or above, eight bytes at a time.
const uint8_t* FirstStatusByte(const uint8_t* from, const uint8_t* end) {
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  for (uint64_t word; end - from >= 8; from += 8) {
    std::memcpy(&word, from, sizeof word);
    if (word & kHighBits) break;
  }
  while (from < end && *from < kFirstStatusByte) ++from;
  return from;
}

void AppendText(std::vector<uint8_t>& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// The name stored with a message: the 10 bytes at `at`, or the part of them before
// the closing F7 when the message is shorter.
std::string NameOf(const std::vector<uint8_t>& message, int at) {
  const int end = std::min<int>(at + kPatchNameLength, int(message.size()) - 1);
  if (end <= at) return std::string();
  return std::string(message.begin() + at, message.begin() + end);
}

bool Acceptable(PatchKind kind, size_t length) {
  if (kind == kProgramKind) return length > size_t(kProgramLength - 1) && length <= size_t(kNamedProgramLength);
  return length > size_t(kPerformanceLength - 5) && length <= size_t(kFullPerformanceLength);
}

// A message with a length the synthesizer sends without names gets the default ones.
void CompleteByLength(std::vector<uint8_t>& message, PatchKind kind, int slot) {
  const size_t length = message.size();
  if (kind == kProgramKind && length == size_t(kProgramNameAt)) {
    AppendText(message, defaultPatchName(kind, slot));
  } else if (kind == kPerformanceKind &&
             (length == size_t(kPerformanceNameAt) || length == size_t(kPerformanceNameAt - 4))) {
    if (length < size_t(kPerformanceNameAt))
      message.insert(message.end(), std::begin(kPerformanceFiller), std::end(kPerformanceFiller));
    AppendText(message, defaultPatchName(kind, slot));
    for (const char* part : kPartNames) AppendText(message, part);
  }
  message.push_back(kSysexEnd);
}

// Stores the message unless the record already holds the other kind or a full
// performance bank; what is left out marks the record as not showing its whole file.
void Store(PatchFile* file, PatchKind kind, std::vector<uint8_t>&& message) {
  if (!file->patches.empty() &&
      (file->type != kind || (kind == kPerformanceKind && file->patches.size() >= size_t(kPerformanceBankSize)))) {
    file->incomplete = true;
    return;
  }
  file->type = kind;
  LibrarianPatch patch;
  patch.name = NameOf(message, kind == kProgramKind ? kProgramNameAt : kPerformanceNameAt);
  patch.messages.push_back(PatchSysexMessage{std::move(message)});
  file->patches.push_back(std::move(patch));
}

LibrarianPatch PaddingPatch(int kind, int slot) {
  std::vector<uint8_t> message;
  if (kind == kProgramKind) {
    const auto& init = initSinglePatch();
    message.assign(init.begin(), init.begin() + kProgramNameAt);
  } else {
    const auto& init = initSinglePerformance();
    message.assign(init.begin(), init.begin() + kPerformanceNameAt);
  }
  AppendText(message, defaultPatchName(kind, slot));
  message.push_back(kSysexEnd);
  LibrarianPatch patch;
  patch.name = defaultPatchName(kind, slot);
  patch.messages.push_back(PatchSysexMessage{std::move(message)});
  return patch;
}

}  // namespace

void PatchLibrarian::loadFromChunk(const ByteChunk* image, int size, PatchFile* file, int /*midiFileHint*/) {
  size = std::min(size, image->Size());
  if (size < kSmallestImage) return;
  const bool midiFile = std::memcmp(image->GetBytes(), kMidiFileHead, sizeof kMidiFileHead) == 0;
  int (*const reader)(const ByteChunk*, int&, PatchFile*, int) = midiFile ? readMIDIMessage : readSysexMessage;
  int position = midiFile ? kMidiFirstEventSearchAt : 0;
  file->patches.reserve(file->patches.size() + size_t(kBankRows));
  // The running slot number counts the stored messages.
  int more = 1;
  while (more > 0) more = reader(image, position, file, int(file->patches.size() % kBankRows));
  if (!file->patches.empty()) checkBankSizeAndAddData(file);
}

int PatchLibrarian::readMIDIMessage(const ByteChunk* image, int& position, PatchFile* file, int slot) {
  return readSysexMessage(image, position, file, slot);
}

int PatchLibrarian::readSysexMessage(const ByteChunk* image, int& position, PatchFile* file, int slot) {
  const uint8_t* bytes = image->GetBytes();
  const int size = image->Size();
  if (!findByte(image, position, kMakerId)) return -1;
  uint8_t head[kHeadLength] = {kSysexStart, kMakerId};
  // Head bytes 2..5, each checked as soon as it is read; an image that ends inside the
  // head ends the reading.
  for (int at = 2; at < kHeadLength; ++at) {
    if (position >= size) {
      position = -1;
      return -1;
    }
    head[at] = bytes[position++];
    const bool fits = at == 2   ? head[at] <= kLargestDeviceId
                      : at == 3 ? head[at] == kModelByte
                      : at == 4 ? patchKindOfType(head[at]) != kNoPatchKind
                                : head[at] <= kLargestSlotByte;
    if (!fits) return position;
  }
  const PatchKind kind = patchKindOfType(head[4]);
  const uint8_t* body = bytes + position;
  const uint8_t* end = FirstStatusByte(body, bytes + size);
  if (end == bytes + size) {
    position = -1;  // cut by the image's end: dropped
    return -1;
  }
  position = int(end - bytes);
  if (*end != kSysexEnd) return position;  // cut by the next message: dropped, that one is read next
  ++position;
  // Longer bodies are dropped whatever completes them; no need to copy them.
  if (end - body > kFullPerformanceLength) return position;
  head[4] = kind == kProgramKind ? kStoredProgramType : kLoadedPerformanceType;
  head[5] = uint8_t(slot);
  std::vector<uint8_t> message;
  // Room for the default names and the F7 at once: one allocation per message.
  message.reserve(size_t(kHeadLength + (end - body)) + kCompletionRoom);
  message.insert(message.end(), head, head + kHeadLength);
  message.insert(message.end(), body, end);
  CompleteByLength(message, kind, slot);
  if (Acceptable(kind, message.size())) Store(file, kind, std::move(message));
  return position;
}

void PatchLibrarian::checkBankSizeAndAddData(PatchFile* file) {
  const int kind = file->type == kPerformanceKind ? kPerformanceKind : kProgramKind;
  if (file->type != kind) return;
  const size_t full = size_t(bankSizeOfKind(kind));
  while (file->patches.size() < full) file->patches.push_back(PaddingPatch(kind, int(file->patches.size())));
}

bool PatchLibrarian::findByte(const ByteChunk* image, int& position, int value) {
  if (position < 0) return false;
  const uint8_t* bytes = image->GetBytes();
  const int size = image->Size();
  while (position < size) {
    if (bytes[position++] == value) return true;
  }
  position = -1;
  return false;
}
