// Bank images into records: raw SysEx banks and Standard MIDI File banks are read by
// the same message logic, as the scan for the maker id passes over the file's framing.

#include "Framework/ByteChunk.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr int kSmallestImage = 15;
constexpr uint8_t kMidiFileHead[] = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06};
constexpr int kMidiFirstChunkAt = 14;
constexpr int kHeadLength = 6;
// The data part of a dump holds only bytes below this; any such byte there ends the
// message: F7, or the status byte of whatever follows a message that was cut.
constexpr uint8_t kFirstStatusByte = 0x80;
constexpr uint8_t kPerformanceFiller[] = {0x00, 0x00, 0x00, 0x00};
constexpr const char* kPartNames[] = {"Slot A    ", "Slot B    ", "Slot C    ", "Slot D    "};
// Lengths a message with names has, longest first: the F7 at one of them closes it
// even when name bytes of 80 hex or above (latin-1 letters) come before.
constexpr int kProgramNamedLengths[] = {kNamedProgramLength};
constexpr int kPerformanceNamedLengths[] = {kFullPerformanceLength, kPerformanceNameAt + kPatchNameLength + 1};
// An F7 followed this closely by an F0 ends one message and starts the next (a raw
// bank has them side by side, a MIDI file a delta time of up to four bytes between).
constexpr int kNextMessageWithin = 5;
constexpr char kNamePlaceholder = '?';
// MIDI real-time bytes (clock, active sensing ...) may stand anywhere, inside a dump
// too, as a wire recorder captures them; they carry nothing a bank holds.
constexpr uint8_t kFirstRealTime = 0xF8;
// What is read past a data part that real-time bytes interrupt: more than the longest
// names, so a message longer than any dump still shows as such.
constexpr int kTailRoom = 1024;

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

bool IsRealTime(uint8_t byte) { return byte >= kFirstRealTime; }

// Bytes read over between the dumps: a save of the rows would drop them. A MIDI file
// read byte by byte is marked damaged already, its framing read over as well.
void CountStray(PatchFile* file, const uint8_t* from, const uint8_t* to, bool midiFraming) {
  if (midiFraming) return;
  for (; from < to; ++from)
    if (!IsRealTime(*from)) ++file->losses.strayBytes;
}

// A dump's data part (`dataLength` bytes from `body`) read past the real-time bytes
// among them: `clean` gets the data bytes, then what follows the data part in the
// image as it stands (names may hold bytes of F8 hex and above). False, with nothing
// made, when no real-time byte stands before the data part's end.
struct CleanDump {
  std::vector<uint8_t> bytes;
  int dataLength = 0;                // data bytes at the start of `bytes`
  const uint8_t* dataEnd = nullptr;  // where the data part ends in the image
};
bool WithoutRealTime(const uint8_t* body, const uint8_t* imageEnd, int dataLength, CleanDump* clean) {
  const uint8_t* first = FirstStatusByte(body, imageEnd);
  if (first == imageEnd || first - body >= dataLength || !IsRealTime(*first)) return false;
  const uint8_t* at = body;
  clean->bytes.clear();
  while (at < imageEnd && int(clean->bytes.size()) < dataLength) {
    if (!IsRealTime(*at) && *at >= kFirstStatusByte) break;
    if (!IsRealTime(*at)) clean->bytes.push_back(*at);
    ++at;
  }
  clean->dataLength = int(clean->bytes.size());
  clean->dataEnd = at;
  clean->bytes.insert(clean->bytes.end(), at, imageEnd - at > kTailRoom ? at + kTailRoom : imageEnd);
  return true;
}

void AppendText(std::vector<uint8_t>& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// The name shown for a message: the 10 bytes at `at`, or the part of them before the
// closing F7 when the message is shorter; a byte the list cannot show becomes '?'.
std::string NameOf(const std::vector<uint8_t>& message, int at) {
  const int end = std::min<int>(at + kPatchNameLength, int(message.size()) - 1);
  if (end <= at) return std::string();
  std::string name(message.begin() + at, message.begin() + end);
  for (char& c : name) {
    if (static_cast<uint8_t>(c) >= kFirstStatusByte) c = kNamePlaceholder;
  }
  return name;
}

bool Acceptable(PatchKind kind, size_t length) {
  if (kind == kProgramKind) return length > size_t(kProgramLength - 1) && length <= size_t(kNamedProgramLength);
  return length > size_t(kPerformanceLength - 5) && length <= size_t(kFullPerformanceLength);
}

// The lengths before F7 the synthesizer's own dumps have (a performance of 710 is
// an older unit's, completed with four zeros): any other is kept as read, but counted.
bool UnitLength(PatchKind kind, int length) {
  if (kind == kProgramKind) return length == kProgramNameAt || length == kNamedProgramLength - 1;
  return length == kPerformanceNameAt - 4 || length == kPerformanceNameAt ||
         length == kPerformanceNameAt + kPatchNameLength || length == kFullPerformanceLength - 1;
}

// What a message of `length` bytes before F7 lacks: the synthesizer sends some lengths
// without names, and an older unit's performance without four bytes before them.
struct Completion {
  bool filler;     // four zeros before the names
  bool name;       // the default name of the row
  bool partNames;  // the four part names of a performance
  // Bytes the completion adds, the closing F7 included.
  size_t Added() const {
    return (filler ? std::size(kPerformanceFiller) : 0) + (name ? size_t(kPatchNameLength) : 0) +
           (partNames ? std::size(kPartNames) * size_t(kPatchNameLength) : 0) + 1;
  }
};

Completion CompletionOf(PatchKind kind, size_t length) {
  if (kind == kProgramKind) return {false, length == size_t(kProgramNameAt), false};
  const bool named = length == size_t(kPerformanceNameAt) || length == size_t(kPerformanceNameAt - 4);
  return {named && length < size_t(kPerformanceNameAt), named, named};
}

// A message with a length the synthesizer sends without names gets the default ones.
void CompleteByLength(std::vector<uint8_t>& message, PatchKind kind, int slot) {
  const Completion completion = CompletionOf(kind, message.size());
  if (completion.filler) message.insert(message.end(), std::begin(kPerformanceFiller), std::end(kPerformanceFiller));
  if (completion.name) AppendText(message, defaultPatchName(kind, slot));
  if (completion.partNames) {
    for (const char* part : kPartNames) AppendText(message, part);
  }
  message.push_back(kSysexEnd);
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

enum class Reading { Whole, Repaired, OddLength, UnknownType, Unreadable };

// Puts a message (or, for one that could not be read, an init message holding its
// row) into the record, unless the record holds the other kind or a full performance
// bank; whatever is not kept as the file has it is counted.
void PlacePatch(PatchFile* file, PatchKind kind, int slot, std::vector<uint8_t>&& message, Reading reading) {
  if (!file->patches.empty() &&
      (file->type != kind || (kind == kPerformanceKind && file->patches.size() >= size_t(kPerformanceBankSize)))) {
    ++file->losses.leftOut;
    return;
  }
  file->type = kind;
  if (reading == Reading::Unreadable) {
    ++file->losses.unreadable;
    file->patches.push_back(PaddingPatch(kind, slot));
    file->patches.back().standsIn = true;
    return;
  }
  if (reading == Reading::Repaired) ++file->losses.repaired;
  if (reading == Reading::OddLength) ++file->losses.oddLength;
  if (reading == Reading::UnknownType) ++file->losses.unknownType;
  LibrarianPatch& patch = file->patches.emplace_back();
  patch.name = NameOf(message, kind == kProgramKind ? kProgramNameAt : kPerformanceNameAt);
  patch.messages.resize(1);
  patch.messages.front().bytes = std::move(message);
}

// True when an F7 in [from, to) is followed within reach, still before `to`, by an F0.
bool HoldsMessageBoundary(const uint8_t* from, const uint8_t* to) {
  for (const uint8_t* at = from; at < to; ++at) {
    if (*at != kSysexEnd) continue;
    for (const uint8_t* next = at + 1; next < to && next - at <= kNextMessageWithin; ++next) {
      if (*next == kSysexStart) return true;
    }
  }
  return false;
}

// An F7 at a shorter length of the unit's own, straight before an F0, ends the dump
// there, before `close`: a name never starts with F7 F0.
template <typename At>
bool EndsEarlierBeforeMessage(const uint8_t* close, PatchKind kind, At at) {
  const int shorter[] = {kind == kProgramKind ? kProgramNameAt : kPerformanceNameAt,
                         kind == kProgramKind ? kProgramNameAt : kPerformanceNameAt + kPatchNameLength};
  for (const int end : shorter) {
    const uint8_t* f7 = at(end);
    if (f7 + 1 < close && *f7 == kSysexEnd && f7[1] == kSysexStart) return true;
  }
  return false;
}

struct Extent {
  const uint8_t* end;  // the closing F7, or the first byte that is not the message's
  bool closed;         // false: cut by what follows or by the image's end
};

// Where the message whose body starts at `body` ends. Message offset k lies at
// body + k - 6.
Extent FindEnd(const uint8_t* body, const uint8_t* imageEnd, PatchKind kind) {
  const int nameAt = kind == kProgramKind ? kProgramNameAt : kPerformanceNameAt;
  const auto offsetOf = [body](const uint8_t* at) { return int(at - body) + kHeadLength; };
  const auto at = [body](int offset) { return body + (offset - kHeadLength); };
  const uint8_t* first = FirstStatusByte(body, imageEnd);
  if (first == imageEnd || offsetOf(first) < nameAt) return {first, first != imageEnd && *first == kSysexEnd};
  // The data part is whole; the status byte lies in the name.
  const int* lengths = kind == kProgramKind ? kProgramNamedLengths : kPerformanceNamedLengths;
  const size_t count = kind == kProgramKind ? std::size(kProgramNamedLengths) : std::size(kPerformanceNamedLengths);
  for (const int* length = lengths; length < lengths + count; ++length) {
    if (*length - 1 >= offsetOf(imageEnd)) continue;
    const uint8_t* close = at(*length - 1);
    if (*close != kSysexEnd || EndsEarlierBeforeMessage(close, kind, at)) continue;
    // Names may hold F7 and F0 (latin-1 letters): followed by the next message, or by
    // the image's end, the F7 at the named length closes the dump whatever the name holds.
    const bool nextFollows = close + 1 == imageEnd || close[1] == kSysexStart;
    if (nextFollows || !HoldsMessageBoundary(at(nameAt), close)) return {close, true};
  }
  if (*first == kSysexEnd) return {first, true};
  // A name character: the message runs on to an F7, or is cut at the next F0.
  const uint8_t* end = first;
  while (end < imageEnd && *end != kSysexEnd && *end != kSysexStart) ++end;
  return {end, end < imageEnd && *end == kSysexEnd};
}

// Big-endian number of `count` bytes.
uint32_t BigEndian(const uint8_t* at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | at[i];
  return value;
}

// A variable-length quantity of at most four bytes within [at, end); false when broken.
bool ReadQuantity(const uint8_t*& at, const uint8_t* end, uint32_t* value) {
  *value = 0;
  for (int i = 0; i < 4 && at < end; ++i) {
    const uint8_t byte = *at++;
    *value = *value << 7 | (byte & 0x7F);
    if (byte < 0x80) return true;
  }
  return false;
}

// SysEx data of a MIDI file, laid end to end: `bytes` holds it in file order, each
// piece one dump as its track carries it (an F0 event with its continuation packets).
struct MidiSysex {
  struct Piece {
    uint64_t time;  // ticks from the track's start
    int from, to;
  };
  uint8_t* bytes;
  int room;
  int size = 0;
  // Where each piece lies, when asked for; whether they come in time order, always.
  std::vector<Piece>* pieces = nullptr;
  bool inTimeOrder = true;
  uint64_t lastStart = 0;

  // False when the bytes do not fit the room (the image's size, which they never pass).
  bool Put(const uint8_t* from, int count) {
    if (count > room - size) return false;
    if (count > 0) std::memcpy(bytes + size, from, size_t(count));
    size += count;
    return true;
  }
};

// Appends the SysEx data of one track's events to `out`: an F0 event as F0 and its
// bytes, an F7 event (a dump's continuation packet, or an escape) as its bytes, so a
// dump split into packets comes out whole. False when the track breaks off before its end.
bool TrackSysex(const uint8_t* at, const uint8_t* end, MidiSysex* out) {
  uint8_t running = 0;
  uint64_t time = 0;
  bool continues = false;  // an F7 packet now belongs to the last piece
  while (at < end) {
    uint32_t delta, length;
    if (!ReadQuantity(at, end, &delta) || at >= end) return false;
    time += delta;
    uint8_t status = *at;
    if (status >= kFirstStatusByte) {
      ++at;
    } else if (running) {
      status = running;  // running status: this byte is the first data byte
    } else {
      return false;
    }
    if (status == 0xFF) {
      if (at >= end) return false;
      const uint8_t type = *at++;
      if (!ReadQuantity(at, end, &length) || length > uint32_t(end - at)) return false;
      at += length;
      if (type == 0x2F) return true;  // end of track
    } else if (status == kSysexStart || status == kSysexEnd) {
      if (!ReadQuantity(at, end, &length) || length > uint32_t(end - at)) return false;
      const bool starts = status == kSysexStart || !continues || (length > 0 && *at == kSysexStart);
      if (starts) {
        out->inTimeOrder = out->inTimeOrder && time >= out->lastStart;
        out->lastStart = time;
        if (out->pieces) out->pieces->push_back({time, out->size, out->size});
      }
      if (status == kSysexStart && !out->Put(&kSysexStart, 1)) return false;
      if (!out->Put(at, int(length))) return false;
      if (out->pieces) out->pieces->back().to = out->size;
      continues = true;
      at += length;
    } else if (status < 0xF0) {
      running = status;
      const uint32_t data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      if (data > uint32_t(end - at)) return false;
      at += data;
    } else {
      return false;  // no other status belongs in a file
    }
  }
  return true;
}

// The SysEx data of every track of a Standard MIDI File laid end to end in file order
// into `out`, which has room for the image's size (the events, without their times,
// lengths and chunk heads, are shorter). False when its structure breaks off.
bool TracksSysex(const uint8_t* bytes, int size, MidiSysex* out) {
  constexpr uint8_t kTrack[] = {0x4D, 0x54, 0x72, 0x6B};
  constexpr int kChunkHead = 8;
  int at = kMidiFirstChunkAt;
  while (size - at >= kChunkHead) {
    const uint32_t length = BigEndian(bytes + at + 4, 4);
    const bool track = std::memcmp(bytes + at, kTrack, sizeof kTrack) == 0;
    at += kChunkHead;
    if (length > uint32_t(size - at)) return false;
    if (track && !TrackSysex(bytes + at, bytes + at + length, out)) return false;
    at += int(length);
  }
  return true;
}

// The SysEx data of a Standard MIDI File: a format-1 file's tracks play together, so
// its dumps come in time order (a tie in track order); other formats' tracks one after
// the other. False when its structure breaks off.
bool MidiFileSysex(const uint8_t* bytes, int size, ByteChunk* out) {
  constexpr int kFormatAt = 8;
  constexpr uint32_t kSimultaneousTracks = 1;
  if (out->Resize(size) != size) return false;
  MidiSysex sysex{out->GetBytes(), size};
  if (!TracksSysex(bytes, size, &sysex)) return false;
  out->Resize(sysex.size);
  // Most files keep their dumps on one track, or their tracks in time order already.
  if (sysex.inTimeOrder || BigEndian(bytes + kFormatAt, 2) != kSimultaneousTracks) return true;
  // Read again, noting each dump's place, and lay the dumps out in time order.
  ByteChunk inFileOrder;
  std::vector<MidiSysex::Piece> pieces;
  if (inFileOrder.Resize(size) != size) return false;
  MidiSysex placed{inFileOrder.GetBytes(), size};
  placed.pieces = &pieces;
  TracksSysex(bytes, size, &placed);  // whole: it was read whole just before
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const MidiSysex::Piece& a, const MidiSysex::Piece& b) { return a.time < b.time; });
  uint8_t* to = out->GetBytes();
  for (const MidiSysex::Piece& piece : pieces) {
    std::memcpy(to, inFileOrder.GetBytes() + piece.from, size_t(piece.to - piece.from));
    to += piece.to - piece.from;
  }
  return true;
}

// The F0 before the maker id at `makerAt`, real-time bytes between them read past; -1
// when there is none.
int StartBefore(const uint8_t* bytes, int makerAt) {
  int before = makerAt - 1;
  while (before >= 0 && IsRealTime(bytes[before])) --before;
  return before >= 0 && bytes[before] == kSysexStart ? before : -1;
}

// Whether the maker id at `makerAt` starts a message: after F0 or, in a MIDI
// file read byte by byte, after an event's F0 (or F7) and its length. A 33 inside
// another maker's message is no head.
bool AtHeadStart(const uint8_t* bytes, int makerAt, bool midiFraming) {
  if (StartBefore(bytes, makerAt) >= 0) return true;
  const int lengthEnd = makerAt - 1;
  if (!midiFraming || lengthEnd < 1 || bytes[lengthEnd] >= kFirstStatusByte) return false;
  for (int before = lengthEnd - 1; before >= 0 && lengthEnd - before <= 4; --before) {
    if (bytes[before] == kSysexStart || bytes[before] == kSysexEnd) return true;
    if (bytes[before] < kFirstStatusByte) return false;
  }
  return false;
}

// The kind a message of the unit's own length plainly is, by that length alone; none
// when it has no such length.
PatchKind KindByLength(const uint8_t* body, const uint8_t* imageEnd, Extent* extent) {
  for (const PatchKind kind : {kProgramKind, kPerformanceKind}) {
    *extent = FindEnd(body, imageEnd, kind);
    if (extent->closed && UnitLength(kind, kHeadLength + int(extent->end - body))) return kind;
  }
  return kNoPatchKind;
}

// Bytes [from, to) of the image read over, counted; returns `to`.
int ReadOver(PatchFile* file, const uint8_t* bytes, int from, int to, bool midiFraming) {
  CountStray(file, bytes + from, bytes + to, midiFraming);
  return to;
}

// ReadMessage after the head of a message of this maker (read from `headStart` on):
// the dump it starts placed in `slot`, or the message read over.
int ReadDump(const ByteChunk* image, int& position, uint8_t (&head)[kHeadLength], int headStart, PatchFile* file,
             int slot, bool midiFraming) {
  const uint8_t* bytes = image->GetBytes();
  const int size = image->Size();
  const auto readOver = [&](int to) { return ReadOver(file, bytes, headStart, to, midiFraming); };
  // The device and slot bytes do not decide: a dump for device 16 or the broadcast id,
  // or with a slot past the bank, is the program or performance it plainly is. The
  // model and the type byte do; a message of another type is no dump unless it has a
  // dump's length, another model's dump is lost (its row held).
  const bool model = head[3] == kModelByte;
  PatchKind kind = patchKindOfType(head[4]);
  const bool knownType = kind != kNoPatchKind;
  const uint8_t* body = bytes + position;
  const uint8_t* imageEnd = bytes + size;
  // A dump whose data part carries real-time bytes is read without them.
  CleanDump clean;
  const bool realTime =
      knownType && WithoutRealTime(body, imageEnd,
                                   (kind == kProgramKind ? kProgramNameAt : kPerformanceNameAt) - kHeadLength, &clean);
  const uint8_t* readBody = realTime ? clean.bytes.data() : body;
  const uint8_t* readEnd = realTime ? readBody + clean.bytes.size() : imageEnd;
  Extent extent{};
  if (knownType)
    extent = FindEnd(readBody, readEnd, kind);
  else
    kind = KindByLength(body, imageEnd, &extent);
  if (kind == kNoPatchKind) return readOver(position);          // another message of this maker: no part of a bank
  const int length = kHeadLength + int(extent.end - readBody);  // F7 excluded
  const bool unitLength = UnitLength(kind, length);
  if (!model && !(extent.closed && unitLength)) return readOver(position);
  // Where the message ends in the image.
  const uint8_t* end = realTime ? clean.dataEnd + (extent.end - (readBody + clean.dataLength)) : extent.end;
  // A cut message leaves what cut it to be read next.
  position = extent.closed ? int(end - bytes) + 1 : end == imageEnd ? -1 : int(end - bytes);
  // Longer bodies are unreadable whatever completes them; no need to copy them.
  if (!model || (extent.closed && length > kFullPerformanceLength) || (!extent.closed && !unitLength)) {
    PlacePatch(file, kind, slot, {}, Reading::Unreadable);
    return position;
  }
  head[4] = kind == kProgramKind ? kStoredProgramType : kLoadedPerformanceType;
  head[5] = uint8_t(slot);
  std::vector<uint8_t> message;
  // Room for exactly what the message becomes: one allocation, none to spare.
  message.reserve(size_t(length) + CompletionOf(kind, size_t(length)).Added());
  message.insert(message.end(), head, head + kHeadLength);
  message.insert(message.end(), readBody, extent.end);
  CompleteByLength(message, kind, slot);
  const Reading reading = !Acceptable(kind, message.size()) ? Reading::Unreadable
                          : !extent.closed                  ? Reading::Repaired
                          : !knownType                      ? Reading::UnknownType
                          : !unitLength                     ? Reading::OddLength
                                                            : Reading::Whole;
  PlacePatch(file, kind, slot, reading == Reading::Unreadable ? std::vector<uint8_t>() : std::move(message), reading);
  return position;
}

// Both readers: the next message from an F0 33 at or after `position`. Every byte
// read over on the way, or in a head that starts no dump, is counted.
int ReadMessage(const ByteChunk* image, int& position, PatchFile* file, int slot, bool midiFraming) {
  const uint8_t* bytes = image->GetBytes();
  const int size = image->Size();
  if (position < 0) return -1;
  const int scanFrom = position;
  do {
    if (!PatchLibrarian::findByte(image, position, kMakerId)) {
      CountStray(file, bytes + scanFrom, bytes + size, midiFraming);
      return -1;
    }
  } while (!AtHeadStart(bytes, position - 1, midiFraming));
  const int makerAt = position - 1;
  const int start = StartBefore(bytes, makerAt);
  const int headStart = std::max(scanFrom, start >= 0 ? start : makerAt);
  CountStray(file, bytes + scanFrom, bytes + headStart, midiFraming);
  const auto readOver = [&](int to) { return ReadOver(file, bytes, headStart, to, midiFraming); };
  uint8_t head[kHeadLength] = {kSysexStart, kMakerId};
  for (int at = 2; at < kHeadLength; ++at, ++position) {
    while (position < size && IsRealTime(bytes[position])) ++position;
    if (position >= size) {
      // An image that ends inside a head ends the reading; a dump's head is counted.
      if (at == kHeadLength - 1 && head[3] == kModelByte && patchKindOfType(head[4]) != kNoPatchKind)
        ++file->losses.unreadable;
      else
        readOver(size);
      position = -1;
      return -1;
    }
    // A status byte cuts the head: no message of this maker, and the byte is read next.
    if (bytes[position] >= kFirstStatusByte) return readOver(position);
    head[at] = bytes[position];
  }
  return ReadDump(image, position, head, headStart, file, slot, midiFraming);
}

}  // namespace

void PatchLibrarian::loadFromChunk(const ByteChunk* image, int size, PatchFile* file, int /*midiFileHint*/,
                                   ByteChunk* eventRoom) {
  size = std::min(size, image->Size());
  if (size < kSmallestImage) return;
  const bool midiFile = std::memcmp(image->GetBytes(), kMidiFileHead, sizeof kMidiFileHead) == 0;
  int (*reader)(const ByteChunk*, int&, PatchFile*, int) = readSysexMessage;
  int position = 0;
  // A MIDI file's dumps are read from its events laid end to end; one whose structure
  // breaks off is read byte by byte, the scan for the maker id passing over its framing.
  ByteChunk ownRoom;
  ByteChunk* events = eventRoom ? eventRoom : &ownRoom;
  if (midiFile) {
    if (MidiFileSysex(image->GetBytes(), size, events)) {
      image = events;
    } else {
      file->losses.damagedMidiFile = true;
      reader = readMIDIMessage;
      position = kMidiFirstChunkAt;
    }
  }
  file->patches.reserve(file->patches.size() + size_t(kBankRows));
  // The running slot number counts the rows placed, from 0 again in each bank of the
  // file's kind: a file of more programs than a bank holds is split at every 99th.
  int more = 1;
  while (more > 0) {
    const size_t bank = size_t(bankSizeOfKind(file->type == kPerformanceKind ? kPerformanceKind : kProgramKind));
    more = reader(image, position, file, int(file->patches.size() % bank));
  }
  if (!file->patches.empty()) checkBankSizeAndAddData(file);
}

int PatchLibrarian::readMIDIMessage(const ByteChunk* image, int& position, PatchFile* file, int slot) {
  return ReadMessage(image, position, file, slot, true);
}

int PatchLibrarian::readSysexMessage(const ByteChunk* image, int& position, PatchFile* file, int slot) {
  return ReadMessage(image, position, file, slot, false);
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
