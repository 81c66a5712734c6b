// The host's short messages while a transfer runs: nothing is dropped. Notes go at
// once while nothing waits before them; controllers and program changes wait for the
// transfer's end, and whatever comes after them waits behind them, so the unit gets
// it all in the order played. A full hold says what it refused, and still takes Note
// Offs. (The unit's own messages during a transfer are dropped: IncomingRoutingTest.)
#include <gtest/gtest.h>

#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "librarian/TavroParams.h"

namespace {

using Message = MidiPortFake::Message;

struct HeldMidiFixture {
  HeldMidiFixture() {
    int out = 1;
    plug().setExternalMIDIOut(out, kNordMidiIn.c_str());
    for (int s = 0; s < kSlotCount; ++s) plug().GetParam(kPartMidiChannel + s)->Set(s + 1);
    plug().setMidiIOSet(true);
  }
  Tavro& plug() { return *f.plug; }
  // As the host plays: under the plug-in mutex.
  void play(uint8_t status, uint8_t data1, uint8_t data2) {
    Kit_MutexLock hold(plug().GetMutex());
    IMidiMsg msg(0, status, data1, data2);
    plug().ProcessMidiMsg(&msg, false);
  }
  void release() {
    Kit_MutexLock hold(plug().GetMutex());
    plug().releaseHeldMidi();
  }
  // Releases as render ticks would, a millisecond apart, until the hold is empty;
  // false when the unit was sent more than its cable carries in the time: a burst, and
  // the message let go as the burst filled (four slots' copies at most).
  bool drain() {
    constexpr size_t kLastLetGo = 4 * 3;
    const size_t from = bytesSent();
    for (int ms = 0; ms < 60000 && !plug().heldMidi.empty(); ++ms) {
      release();
      const bool looked = ms % 50 == 0;  // the count is slow to take
      const uint64_t cableMicros = MidiWirePace::kBurstMicros + uint64_t(ms) * 1000;
      if (looked && bytesSent() - from > cableMicros / MidiWirePace::kMicrosPerByte + kLastLetGo) return false;
      clock.Advance(1000);
    }
    return plug().heldMidi.empty();
  }
  size_t bytesSent() const {
    size_t bytes = 0;
    for (const Message& m : sent()) bytes += m.size();
    return bytes;
  }
  // The channel messages the unit received.
  std::vector<Message> sent() const {
    std::vector<Message> channel;
    for (const Message& m : f.ports->Sent(kNordMidiIn))
      if (!m.empty() && m[0] < 0xF0) channel.push_back(m);
    return channel;
  }

  Kit_VirtualClock clock{1'000'000};
  bool clockInstalled = (Kit_SetTimeSource(&clock), true);
  EditorFixture f{"", false, {}, {kNordMidiIn}};
  ~HeldMidiFixture() {
    f.plug.reset();
    Kit_SetTimeSource(nullptr);
  }
};

TEST(HeldMidi, ANoteOffDuringATransferGoesAtOnceAndAControllerWaitsWithWhatFollowsIt) {
  HeldMidiFixture t;
  t.play(0x90, 60, 100);
  t.plug().setTransferBusy(true);
  t.plug().setHoldOutputWhileBusy(true);  // the panel's own output is held, not the host's
  t.play(0x80, 60, 0);
  EXPECT_EQ(t.sent(), (std::vector<Message>{{0x90, 60, 100}, {0x80, 60, 0}}));
  t.play(0xB0, 7, 90);
  t.play(0x90, 62, 100);
  t.play(0x80, 62, 0);
  t.release();  // still busy: nothing may go past the controller
  EXPECT_EQ(t.sent().size(), 2u);
  t.plug().DisplayProcessingIndicator(false);
  t.release();
  EXPECT_EQ(t.sent(),
            (std::vector<Message>{{0x90, 60, 100}, {0x80, 60, 0}, {0xB0, 7, 90}, {0x90, 62, 100}, {0x80, 62, 0}}));
  EXPECT_TRUE(t.plug().heldMidi.empty());
}

TEST(HeldMidi, AFullHoldRefusesAndSaysSoButStillTakesNoteOffs) {
  HeldMidiFixture t;
  t.plug().setTransferBusy(true);
  t.play(0xB0, 7, 0);
  t.play(0x90, 64, 100);  // held behind the controller
  for (size_t i = 2; i < HeldMidi::kCapacity; ++i) t.play(0xB0, 7, uint8_t(i % 128));
  t.play(0xB0, 7, 1);     // refused
  t.play(0x90, 65, 100);  // refused
  t.play(0x80, 64, 0);    // taken: its Note On waits
  EXPECT_TRUE(t.sent().empty());
  t.plug().setTransferBusy(false);
  ASSERT_TRUE(t.drain());
  const std::vector<Message> sent = t.sent();
  ASSERT_EQ(sent.size(), HeldMidi::kCapacity + 1);
  EXPECT_EQ(sent.back(), (Message{0x80, 64, 0}));
  EXPECT_EQ(t.plug().statusShown(), "MIDI held during a transfer: 2 message(s) lost!");
}

// What ends a note goes past what waits, so no note sounds on for the transfer; one
// whose own start waits stays behind it.
TEST(HeldMidi, ANoteEndGoesPastAHeldControllerUnlessItsStartWaits) {
  HeldMidiFixture t;
  t.play(0x90, 60, 100);
  t.plug().setTransferBusy(true);
  const std::vector<Message> held{{0xB0, 64, 127}, {0xB1, 1, 90}, {0x90, 62, 100}, {0x90, 62, 0}, {0xB0, 64, 0}};
  t.play(0xB0, 64, 127);  // sustain on: waits
  t.play(0xB1, 1, 90);    // mod wheel: waits
  t.play(0x80, 60, 0);    // ends the note sounding: goes
  t.play(0x90, 62, 100);  // waits behind the controllers
  t.play(0x90, 62, 0);    // its Note On waits: so does it
  t.play(0xB0, 64, 0);    // its sustain on waits: so does it
  t.play(0xB2, 123, 0);   // nothing waits on its channel: goes
  std::vector<Message> sent{{0x90, 60, 100}, {0x80, 60, 0}, {0xB2, 123, 0}};
  EXPECT_EQ(t.sent(), sent);
  t.plug().setTransferBusy(false);
  t.release();
  sent.insert(sent.end(), held.begin(), held.end());
  EXPECT_EQ(t.sent(), sent);
}

// Twenty thousand pitch bends and pressures behind a controller: what the hold keeps
// reaches a port that takes a few thousand at a time, no faster than the cable to the
// unit carries it, in order, its last Note Off included; what it refused is the count
// said.
TEST(HeldMidi, ALongHoldReachesAPortOfLimitedRoomWhole) {
  HeldMidiFixture t;
  t.f.ports->LimitRoom(kNordMidiIn, 6000, 15);
  t.plug().setTransferBusy(true);
  t.play(0xB0, 1, 64);
  t.play(0x90, 62, 100);
  std::vector<Message> kept{{0xB0, 1, 64}, {0x90, 62, 100}};
  for (int i = 0; i < 20000; ++i) {
    const Message m = i % 2 ? Message{0xD0, uint8_t(i % 128)} : Message{0xE0, 0, uint8_t(i % 128)};
    t.play(m[0], m[1], m.size() > 2 ? m[2] : 0);
    if (kept.size() < HeldMidi::kCapacity) kept.push_back(m);
  }
  t.play(0x80, 62, 0);
  kept.push_back({0x80, 62, 0});
  t.plug().setTransferBusy(false);
  ASSERT_TRUE(t.drain()) << "sent faster than the cable carries";
  EXPECT_EQ(t.sent(), kept);
  EXPECT_EQ(t.plug().statusShown(), "MIDI held during a transfer: 3618 message(s) lost!");
}

// Linked slots take a copy each of what the host plays on the zone's channel: the
// hold is let go at the pace of the copies, every one of which reaches the unit.
TEST(HeldMidi, AHoldSpreadOverLinkedSlotsGoesNoFasterThanTheCableCarriesItsCopies) {
  HeldMidiFixture t;
  for (size_t link = 0; link < 3; ++link) t.plug().setGlobalLink(link, true);
  t.plug().setTransferBusy(true);
  for (int i = 0; i < 500; ++i) t.play(0xB0, 7, uint8_t(i % 128));
  t.plug().setTransferBusy(false);
  ASSERT_TRUE(t.drain()) << "sent faster than the cable carries";
  EXPECT_EQ(t.sent().size(), 4 * 500u);
}

// A close while the hold is still being let go sends nothing more, and says so.
TEST(HeldMidi, ACloseBeforeTheHoldIsLetGoSaysWhatWasNotSent) {
  HeldMidiFixture t;
  t.plug().setTransferBusy(true);
  for (size_t i = 0; i < HeldMidi::kCapacity + 3; ++i) t.play(0xB0, 7, uint8_t(i % 128));
  testing::internal::CaptureStderr();
  t.f.plug.reset();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Tavro Editor: Closed with 16384 MIDI message(s) held during a transfer not sent to the unit (3 "
                      "more lost when the hold was full)"),
            std::string::npos)
      << said;
}

// A close in the middle of letting the hold go ends, at once, every note the hold let
// sound, though its Note Off waits behind what is never sent now, even when the note
// was struck again and that waits too; each end once. The close line counts what stayed.
TEST(HeldMidi, ACloseEndsTheNotesTheHoldLetSound) {
  HeldMidiFixture t;
  t.plug().setTransferBusy(true);
  t.play(0xB0, 1, 64);  // a controller: what follows waits behind it
  t.play(0x90, 60, 100);
  for (int i = 0; i < 300; ++i) t.play(0xE0, 0, uint8_t(i % 128));
  t.play(0xB0, 64, 127);  // sustain on
  t.play(0x90, 60, 90);   // struck again
  t.play(0x80, 60, 0);
  t.play(0x91, 62, 100);
  t.play(0x81, 62, 0);
  t.play(0xB0, 64, 0);  // sustain off
  t.play(0x80, 60, 0);
  t.plug().setTransferBusy(false);
  t.release();  // the cable's first burst: the controller, Note On 60 and some bends
  const std::vector<Message> before = t.sent();
  ASSERT_GE(before.size(), 2u);
  ASSERT_LT(before.size(), 200u);
  EXPECT_EQ(before[1], (Message{0x90, 60, 100}));
  testing::internal::CaptureStderr();
  t.f.plug.reset();
  const std::string said = testing::internal::GetCapturedStderr();
  std::vector<Message> expected = before;
  for (const Message& end : {Message{0x80, 60, 0}, Message{0x81, 62, 0}, Message{0xB0, 64, 0}}) expected.push_back(end);
  EXPECT_EQ(t.sent(), expected);
  // 309 played; the burst went, and three ends at the close.
  const std::string unsent = std::to_string(309 - before.size() - 3);
  EXPECT_NE(said.find("Closed with " + unsent + " MIDI message(s) held during a transfer not sent"), std::string::npos)
      << said;
}

}  // namespace
