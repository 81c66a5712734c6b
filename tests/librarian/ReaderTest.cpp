// Bank images into records: what is kept, how it is completed and named, what is dropped.

#include "Framework/ByteChunk.h"
#include "LibrarianFixtures.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>

namespace {

Bytes With(Bytes bytes, size_t at, uint8_t value) {
  bytes[at] = value;
  return bytes;
}

std::string NameAt(const Bytes& bytes, size_t at) {
  return std::string(bytes.begin() + long(at), bytes.begin() + long(at) + 10);
}

Bytes Cut(Bytes bytes, size_t length) {
  bytes.resize(length);
  return bytes;
}

struct ReadCase {
  const char* what;
  Bytes image;
  int type;
  size_t count;      // slots after reading (0: the record stays empty)
  size_t firstSize;  // size of the first slot's message
  std::string firstName;
  bool incomplete;
};

// A failing case is named by what it reads, not printed as bytes.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

// "model 5: an init holds its row" -> "Model5AnInitHoldsItsRow".
std::string CaseName(const ::testing::TestParamInfo<ReadCase>& info) {
  std::string name;
  bool wordStart = true;
  for (const char* p = info.param.what; *p; ++p) {
    const bool alnum = std::isalnum(static_cast<unsigned char>(*p)) != 0;
    if (alnum) name += wordStart ? char(std::toupper(static_cast<unsigned char>(*p))) : *p;
    wordStart = !alnum;
  }
  return name;
}

class Reader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Reader, KeepsCompletesAndDropsMessages) {
  const ReadCase& c = GetParam();
  const PatchFile file = Read(c.image);
  EXPECT_EQ(file.patches.size(), c.count);
  EXPECT_EQ(file.incomplete(), c.incomplete);
  if (c.count == 0) return;
  EXPECT_EQ(file.type, c.type);
  const Bytes& first = file.patches[0].messages.at(0).bytes;
  EXPECT_EQ(first.size(), c.firstSize);
  EXPECT_EQ(file.patches[0].name, c.firstName);
  EXPECT_EQ(first.back(), 0xF7);
}

const Bytes kNext = Program(9);

INSTANTIATE_TEST_SUITE_P(
    Images, Reader,
    ::testing::Values(
        ReadCase{"unnamed program gains its default name", Program(1), 0, 99, 149, "Sound   01", false},
        ReadCase{"named program keeps its name", Program(1, 0, "Bright Pad"), 0, 99, 149, "Bright Pad", false},
        ReadCase{"short program keeps its name from before F7, counted", Program(1, 0, "Abc"), 0, 99, 142, "Abc", true},
        ReadCase{"715 performance gains names and part names", Performance(1), 1, 100, 765, "Perform 01", false},
        ReadCase{"711 performance gains four zeros first", Performance(1, 711), 1, 100, 765, "Perform 01", false},
        ReadCase{"725 performance keeps its name", Performance(1, 725), 1, 100, 725, NameAt(Performance(1, 725), 714),
                 false},
        ReadCase{"device 16 kept", Join({With(Program(1), 2, 16), kNext}), 0, 99, 149, "Sound   01", false},
        ReadCase{"model 5: an init holds its row", Join({With(Program(1), 3, 5), kNext}), 0, 99, 149, "Sound   01",
                 true},
        ReadCase{"type 11 kept as a program, counted", Join({With(Program(1), 4, 11), kNext}), 0, 99, 149, "Sound   01",
                 true},
        ReadCase{"type 29 kept as a program, counted", Join({With(Program(1), 4, 29), kNext}), 0, 99, 149, "Sound   01",
                 true},
        ReadCase{"type 35 kept as a program, counted", Join({With(Program(1), 4, 35), kNext}), 0, 99, 149, "Sound   01",
                 true},
        ReadCase{"slot 100 kept", Join({With(Program(1), 5, 100), kNext}), 0, 99, 149, "Sound   01", false},
        ReadCase{"message cut by the next one: an init holds its row", Join({Cut(Program(1), 60), kNext}), 0, 99, 149,
                 "Sound   01", true},
        ReadCase{"a whole dump cut by the next one is completed",
                 Join({Cut(Program(1), 138), Cut(Program(2), 138), {0xF7}, kNext}), 0, 99, 149, "Sound   01", true},
        ReadCase{"message cut by the image's end: an init holds its row",
                 Join({Performance(1), Cut(Performance(2), 700)}), 1, 100, 765, "Perform 01", true},
        ReadCase{"program over 149 bytes: an init holds its row", Join({Program(1, 0, "ElevenChars"), kNext}), 0, 99,
                 149, "Sound   01", true},
        ReadCase{"performance over 765 bytes: an init holds its row", Join({Performance(1, 766), Performance(2)}), 1,
                 100, 725, "Perform 01", true},
        ReadCase{"the first kind wins, the other is skipped", Join({Program(1), Performance(2), Program(3)}), 0, 99,
                 149, "Sound   01", true},
        ReadCase{"over 100 performances", Join(std::vector<Bytes>(101, Performance(1))), 1, 100, 765, "Perform 01",
                 true},
        ReadCase{"no acceptable message: every byte read over", Bytes(5000, 0x33), 0, 0, 0, "", true},
        ReadCase{"14-byte image", Cut(Program(1), 14), 0, 0, 0, "", false}),
    CaseName);

TEST(ReaderPadding, BanksFillUpWithNamedInitMessages) {
  const PatchFile programs = Read(Programs(40));
  ASSERT_EQ(programs.patches.size(), 99u);
  EXPECT_EQ(programs.patches[40].name, "Sound   41");
  EXPECT_EQ(programs.patches[98].messages[0].bytes.size(), 149u);
  EXPECT_EQ(Bytes(programs.patches[98].messages[0].bytes.begin(), programs.patches[98].messages[0].bytes.begin() + 138),
            Bytes(initSinglePatch().begin(), initSinglePatch().begin() + 138));

  std::vector<Bytes> forty(40, Performance(3));
  const PatchFile performances = Read(Join(forty));
  ASSERT_EQ(performances.patches.size(), 100u);
  EXPECT_EQ(performances.patches[40].name, "Perform 41");
  EXPECT_EQ(performances.patches[99].name, "Perform100");
  EXPECT_EQ(performances.patches[99].messages[0].bytes.size(), 725u);
  EXPECT_EQ(performances.patches[99].messages[0].bytes[4], 0x1E);
  EXPECT_EQ(performances.patches[0].messages[0].bytes[4], 0x1F);
}

TEST(ReaderSlots, RunningSlotCountsStoredMessagesOnly) {
  // Junk with maker ids between the messages costs no slot number.
  const Bytes junk = {0x33, 0x20, 0x33, 0x01, 0x09, 0x33, 0x01, 0x04, 0x0B};
  std::vector<Bytes> parts;
  for (int i = 0; i < 100; ++i) parts.push_back(Join({junk, Program(i, 42)}));
  const PatchFile file = Read(Join(parts));
  ASSERT_EQ(file.patches.size(), 100u);
  // The hundredth program is the first of a second bank of 99.
  for (size_t i = 0; i < 100; ++i) EXPECT_EQ(file.patches[i].messages[0].bytes[5], i % 99);
  EXPECT_EQ(file.patches[1].name, "Sound   02");
  EXPECT_EQ(file.patches[99].name, "Sound   01");
  EXPECT_EQ(file.patches[5].messages[0].bytes[4], 0x00);
}

TEST(ReaderSlots, AMessageLeftOutCostsNoSlotNumber) {
  // A performance among programs is left out: the program after it takes the next row.
  const PatchFile file = Read(Join({Program(1), Performance(2), Program(3)}));
  ASSERT_EQ(file.patches.size(), 99u);
  EXPECT_EQ(file.losses.leftOut, 1);
  EXPECT_EQ(file.patches[1].messages[0].bytes[5], 1);
  EXPECT_EQ(file.patches[1].name, "Sound   02");
  EXPECT_EQ(file.patches[1].messages[0].bytes[7], Program(3)[7]);
}

}  // namespace

namespace {

Bytes NamedProgram(int seed, const Bytes& name) {
  Bytes bytes = Program(seed);
  bytes.insert(bytes.end() - 1, name.begin(), name.end());
  return bytes;
}

// A format-1 file whose second track holds `events` (delta times included).
Bytes MidiFile(const Bytes& events, uint32_t claimedLength = 0) {
  const uint32_t length = claimedLength ? claimedLength : uint32_t(events.size());
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 1, 0xE0, 'M', 'T', 'r', 'k'};
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(uint8_t(length >> shift));
  return Join({file, events});
}

// A dump as one event: delta 0, F0, the length (two bytes, under 16384), the rest.
Bytes SysexEvent(const Bytes& dump, uint8_t status = 0xF0) {
  const size_t from = status == 0xF0 ? 1 : 0;
  const size_t length = dump.size() - from;
  return Join({{0x00, status, uint8_t(0x80 | length >> 7), uint8_t(length & 0x7F)},
               Bytes(dump.begin() + long(from), dump.end())});
}

}  // namespace

TEST(ReaderNames, BytesOfTheNameAbove7FAreKeptAndShownAsPlaceholders) {
  // "÷" is F7: a first name byte that looks like the end of an unnamed program.
  const Bytes divide = {0xF7, 'a', 'b', 'c', 0xE9, 'e', 'f', 'g', 'h', 'i'};
  const PatchFile file = Read(Join({NamedProgram(1, divide), Program(2, 0, "Second    ")}));
  ASSERT_EQ(file.patches.size(), 99u);
  EXPECT_EQ(file.patches[0].name, "?abc?efghi");
  EXPECT_EQ(Bytes(file.patches[0].messages[0].bytes.begin() + 138, file.patches[0].messages[0].bytes.end() - 1),
            divide);
  EXPECT_EQ(file.patches[1].name, "Second    ");
  EXPECT_FALSE(file.incomplete());

  // A performance with a latin-1 name, and one whose part name starts with F7.
  Bytes named = Performance(1, 725);
  named[715] = 0xD8;
  Bytes parts = Performance(2, 765);
  parts[724] = 0xF7;
  parts[730] = 0xF0;
  const PatchFile performances = Read(Join({named, parts, Performance(3)}));
  ASSERT_EQ(performances.patches.size(), 100u);
  EXPECT_EQ(performances.patches[0].messages[0].bytes.size(), 725u);
  EXPECT_EQ(performances.patches[0].name[1], '?');
  EXPECT_EQ(performances.patches[1].messages[0].bytes.size(), 765u);
  EXPECT_EQ(performances.patches[2].name, "Perform 03");
  EXPECT_FALSE(performances.incomplete());
}

TEST(ReaderLosses, EachIsCountedAndTheReasonSaysThem) {
  const Bytes image = Join({Cut(Program(1), 60), Program(2, 0, "ElevenChars"), Cut(Program(3), 138), Program(4),
                            Performance(5), Cut(Program(6), 5)});
  const PatchFile file = Read(image);
  ASSERT_EQ(file.patches.size(), 99u);
  EXPECT_EQ(file.losses.unreadable, 3);  // the cut one, the long one and the head at the end
  EXPECT_EQ(file.losses.repaired, 1);
  EXPECT_EQ(file.losses.leftOut, 1);
  EXPECT_EQ(file.patches[1].name, "Sound   02");
  EXPECT_EQ(file.patches[2].messages[0].bytes.size(), 149u);       // completed with its default name
  EXPECT_EQ(file.patches[3].messages[0].bytes[7], Program(4)[7]);  // no row shifted
  EXPECT_EQ(file.incompleteReason(),
            "3 programs unreadable, shown as init, 1 program completed (end missing), 1 message left out");
  EXPECT_EQ(Read(Programs(99)).incompleteReason(), "");
  // The writers' copy still knows: a save of it is refused too.
  EXPECT_EQ(file.clone()->incompleteReason(), file.incompleteReason());
}

TEST(ReaderMidiFiles, EventsAreReadWhateverFramesThem) {
  const Bytes one = Program(1, 0, "One       "), two = Program(2, 0, "Two       ");
  // Split into an F0 packet and two F7 continuations; an escape holding a whole dump.
  const Bytes first(one.begin(), one.begin() + 50), second(one.begin() + 50, one.begin() + 100),
      third(one.begin() + 100, one.end());
  const Bytes events = Join({SysexEvent(first),
                             SysexEvent(second, 0xF7),
                             SysexEvent(third, 0xF7),
                             SysexEvent(two, 0xF7),
                             {0x00, 0xFF, 0x2F, 0x00}});
  const PatchFile file = Read(MidiFile(events));
  ASSERT_EQ(file.patches.size(), 99u);
  EXPECT_EQ(file.patches[0].name, "One       ");
  EXPECT_EQ(file.patches[1].name, "Two       ");
  EXPECT_FALSE(file.incomplete());

  // A track longer than the file: read byte by byte, and marked.
  const PatchFile damaged = Read(MidiFile(Join({SysexEvent(one), SysexEvent(two)}), 100000));
  ASSERT_EQ(damaged.patches.size(), 99u);
  EXPECT_EQ(damaged.patches[1].name, "Two       ");
  EXPECT_TRUE(damaged.losses.damagedMidiFile);
  EXPECT_EQ(damaged.incompleteReason(), "damaged MIDI file");
  // Running status without a status before it breaks the track.
  EXPECT_TRUE(Read(MidiFile(Join({{0x00, 0x40, 0x40}, SysexEvent(one)}))).losses.damagedMidiFile);
}

TEST(ReaderHeads, AStatusByteInAHeadIsNoDeviceOrSlot) {
  // F0 33 E6 ...: the head is cut, so the data after it is no dump of this maker; its
  // bytes are counted.
  for (const size_t at : {size_t(2), size_t(3), size_t(5)}) {
    const PatchFile file = Read(Join({With(Program(1, 0, "Cut head  "), at, 0xE6), Program(2, 1, "Next      ")}));
    ASSERT_EQ(file.patches.size(), 99u) << at;
    EXPECT_EQ(file.patches[0].name, "Next      ") << at;
    for (const LibrarianPatch& patch : file.patches) {
      const Bytes& m = patch.messages.at(0).bytes;
      EXPECT_TRUE(std::all_of(m.begin() + 1, m.begin() + 138, [](uint8_t b) { return b < 0x80; })) << at;
    }
    EXPECT_EQ(file.incompleteReason(), "149 bytes outside the dumps") << at;
  }
}

TEST(ReaderHeads, OnlyAnF0Then33StartsAHead) {
  // Other makers' messages holding 33 00 04 00 as if a head followed, and an identity reply.
  const Bytes roland = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x33, 0x00, 0x04, 0x00, 0x05, 0x7F, 0x00, 0x41, 0xF7};
  Bytes nonCommercial = {0xF0, 0x7D, 0x33, 0x00, 0x04, 0x00, 0x07};
  for (int i = 0; i < 131; ++i) nonCommercial.push_back(uint8_t(i % 100));
  nonCommercial.push_back(0xF7);
  const Bytes identity = {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x33, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xF7};
  const PatchFile file =
      Read(Join({Program(1, 0, "First     "), roland, nonCommercial, identity, Program(2, 1, "Second    ")}));
  ASSERT_EQ(file.patches.size(), 99u);
  EXPECT_EQ(file.patches[0].name, "First     ");
  EXPECT_EQ(file.patches[1].name, "Second    ");
  EXPECT_EQ(file.patches[2].name, "Sound   03");
  // Passed over, but counted: a save of the rows would drop them.
  EXPECT_EQ(file.incompleteReason(), "168 bytes outside the dumps");
}

namespace {

// A file of `format` with a tempo track and one track per list of (tick, dump).
Bytes MidiFileOfTracks(int format, const std::vector<std::vector<std::pair<int, Bytes>>>& tracks) {
  const uint8_t count = uint8_t(tracks.size() + 1);
  Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(format), 0, count, 1, 0xE0};
  const auto addTrack = [&file](const Bytes& events) {
    Bytes chunk = {'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(uint8_t(events.size() >> shift));
    file = Join({file, chunk, events});
  };
  addTrack({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00});
  for (const auto& track : tracks) {
    Bytes events;
    int now = 0;
    for (const auto& [tick, dump] : track) {
      Bytes event = SysexEvent(dump);
      const int delta = tick - now;  // under 128 ticks apart
      event[0] = uint8_t(delta);
      events = Join({events, event});
      now = tick;
    }
    addTrack(Join({events, {0x00, 0xFF, 0x2F, 0x00}}));
  }
  return file;
}

}  // namespace

TEST(ReaderMidiFiles, AFormatOneFileIsReadInTimeOrderAndAFormatTwoFileTrackByTrack) {
  const Bytes a1 = Program(1, 0, "A at 10   "), a2 = Program(2, 0, "A at 90   "), b1 = Program(3, 0, "B at 50   "),
              b2 = Program(4, 0, "B at 90   ");
  const std::vector<std::vector<std::pair<int, Bytes>>> tracks = {{{10, a1}, {90, a2}}, {{50, b1}, {90, b2}}};
  const PatchFile together = Read(MidiFileOfTracks(1, tracks));
  ASSERT_EQ(together.patches.size(), 99u);
  // A tie keeps the order of the tracks.
  const std::vector<std::string> inTime = PatchNames(together);
  EXPECT_EQ(std::vector<std::string>(inTime.begin(), inTime.begin() + 4),
            (std::vector<std::string>{"A at 10   ", "B at 50   ", "A at 90   ", "B at 90   "}));
  EXPECT_FALSE(together.incomplete());
  const PatchFile apart = Read(MidiFileOfTracks(2, tracks));
  ASSERT_EQ(apart.patches.size(), 99u);
  const std::vector<std::string> byTrack = PatchNames(apart);
  EXPECT_EQ(std::vector<std::string>(byTrack.begin(), byTrack.begin() + 4),
            (std::vector<std::string>{"A at 10   ", "A at 90   ", "B at 50   ", "B at 90   "}));
}

TEST(ReaderMidiFiles, OneEventRoomForManyFilesReadsEachAsAFreshRoomDoes) {
  // A long file out of time order, then a short one in order, then the long one again,
  // then a raw bank: nothing of an earlier file may show in a later one.
  std::vector<std::pair<int, Bytes>> early, late;
  for (int i = 0; i < 40; ++i) {
    late.push_back({100 + i, Program(i, 0, "Late " + std::to_string(10 + i) + "   ")});
    early.push_back({10 + i, Program(50 + i, 0, "Early " + std::to_string(10 + i) + "  ")});
  }
  const Bytes outOfOrder = MidiFileOfTracks(1, {late, early});
  // Short in its events, long in its bytes: a chunk of another kind follows its tracks.
  const Bytes shortInOrder = Join({MidiFileOfTracks(1, {{{5, Program(7, 0, "Short     ")}}}),
                                   {'X', 't', 'r', 'a', 0, 0, 0x0B, 0xB8},
                                   Bytes(3000, 0)});
  const std::vector<Bytes> images = {outOfOrder, shortInOrder, outOfOrder, Programs(3, 9)};
  ByteChunk room;
  for (size_t i = 0; i < images.size(); ++i) {
    ByteChunk image;
    image.PutBytes(images[i].data(), int(images[i].size()));
    PatchFile shared;
    PatchLibrarian::loadFromChunk(&image, image.Size(), &shared, 0, &room);
    const PatchFile fresh = Read(images[i]);
    ASSERT_EQ(shared.patches.size(), fresh.patches.size()) << i;
    for (size_t row = 0; row < fresh.patches.size(); ++row) {
      EXPECT_EQ(shared.patches[row].name, fresh.patches[row].name) << i << " " << row;
      EXPECT_EQ(shared.patches[row].messages[0].bytes, fresh.patches[row].messages[0].bytes) << i << " " << row;
    }
  }
  // And the long file's dumps came in time order.
  const PatchFile read = Read(outOfOrder);
  EXPECT_EQ(read.patches[0].name, "Early 10  ");
  EXPECT_EQ(read.patches[40].name, "Late 10   ");
  EXPECT_FALSE(read.incomplete()) << read.incompleteReason();
}

TEST(ReaderNames, ANameHoldingF7F0IsWholeWhenTheNextMessageOrTheEndFollowsItsF7) {
  const Bytes inside = {'A', 'b', 0xF7, 0xF0, '3', '5', 'c', 'd', 'e', 'f'};
  const Bytes atEnd = {'A', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0xF7, 0xF0};
  const PatchFile file = Read(Join({NamedProgram(1, inside), NamedProgram(2, atEnd), NamedProgram(3, inside)}));
  ASSERT_EQ(file.patches.size(), 99u);
  EXPECT_EQ(file.patches[0].name, "Ab??35cdef");
  EXPECT_EQ(file.patches[1].name, "Abcdefgh??");
  EXPECT_EQ(file.patches[2].name, "Ab??35cdef");  // the image's end follows it
  EXPECT_EQ(file.patches[3].name, "Sound   04");
  for (int row = 0; row < 3; ++row) EXPECT_EQ(file.patches[size_t(row)].messages[0].bytes.size(), 149u) << row;
  EXPECT_FALSE(file.incomplete()) << file.incompleteReason();

  // A name never starts with F7 F0: that is an unnamed program and bytes of no dump,
  // counted, since a save of the rows would drop them.
  const Bytes leading = {0xF7, 0xF0, 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'};
  const PatchFile unnamed = Read(Join({NamedProgram(1, leading), Program(2, 0, "Second    ")}));
  EXPECT_EQ(unnamed.patches[0].name, "Sound   01");
  EXPECT_EQ(unnamed.patches[1].name, "Second    ");
  EXPECT_EQ(unnamed.incompleteReason(), "10 bytes outside the dumps");

  // A program of 141 bytes: kept as read and counted.
  const PatchFile odd = Read(Join({Program(1, 0, "Hi"), Program(2, 0, "Second    ")}));
  EXPECT_EQ(odd.patches[0].name, "Hi");
  EXPECT_EQ(odd.patches[0].messages[0].bytes.size(), 141u);
  EXPECT_EQ(odd.patches[1].name, "Second    ");
  EXPECT_EQ(odd.incompleteReason(), "1 program of an unusual length");
}

// MIDI real-time bytes stand wherever a wire recorder caught them: inside a dump's head
// and data part they are read past and the dump kept whole; between dumps they are no
// loss. In the name they cannot be told from a latin-1 letter: read as such, counted.
TEST(ReaderRealTime, ClockAndSensingBytesInsideADumpAreReadPast) {
  const auto timed = [](Bytes dump, std::initializer_list<size_t> places) {
    for (const size_t at : places) dump.insert(dump.begin() + long(at), at % 2 ? 0xFE : 0xF8);
    return dump;
  };
  const Bytes one = Program(1, 0, "One       "), two = Program(2, 0, "Two       "), perf = Performance(3, 765);
  const PatchFile plain = Read(Join({one, two}));
  const PatchFile file = Read(Join({{0xF8}, timed(one, {3, 40, 101}), {0xFE, 0xF8}, timed(two, {1, 7, 138}), {0xF8}}));
  ASSERT_EQ(file.patches.size(), 99u);
  for (size_t row = 0; row < 2; ++row)
    EXPECT_EQ(file.patches[row].messages.at(0).bytes, plain.patches[row].messages.at(0).bytes) << row;
  EXPECT_EQ(file.patches[1].name, "Two       ");
  EXPECT_FALSE(file.incomplete()) << file.incompleteReason();

  const PatchFile plainPerformances = Read(Join({perf, perf}));
  const PatchFile performances = Read(Join({timed(perf, {5, 300, 713}), timed(perf, {4})}));
  ASSERT_EQ(performances.patches.size(), 100u);
  for (size_t row = 0; row < 2; ++row)
    EXPECT_EQ(performances.patches[row].messages.at(0).bytes, plainPerformances.patches[row].messages.at(0).bytes);
  EXPECT_FALSE(performances.incomplete()) << performances.incompleteReason();

  const PatchFile inName = Read(Join({timed(one, {140}), two}));
  EXPECT_EQ(inName.patches[1].name, "Two       ");
  EXPECT_EQ(inName.incompleteReason(), "1 program unreadable, shown as init");
}

// A bank whose first dump lost its head: what is left of it is counted, the dumps after
// it are read whole.
TEST(ReaderLosses, WhatIsLeftOfAHeadlessFirstDumpIsCounted) {
  const Bytes bank = Programs(99);
  const PatchFile file = Read(Bytes(bank.begin() + 25, bank.end()));
  ASSERT_EQ(file.patches.size(), 99u);
  const PatchFile whole = Read(bank);
  const Bytes& first = file.patches[0].messages.at(0).bytes;
  const Bytes& second = whole.patches[1].messages.at(0).bytes;
  ASSERT_EQ(first.size(), 149u);
  EXPECT_EQ(Bytes(first.begin() + 6, first.begin() + 138), Bytes(second.begin() + 6, second.begin() + 138))
      << "the second dump's data, in the first row";
  EXPECT_EQ(file.incompleteReason(), "114 bytes outside the dumps");
}
