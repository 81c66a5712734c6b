// The real road on a private JACK server: the editor's ports, our JACK
// input with its queue, our JACK output, and the simulated synthesizer on JACK
// ports of its own. Waits use generous real-time bounds.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"
#include "JackFrameRecorder.h"
#include "JackStaller.h"
#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"
#include "RunProgram.h"
#include "SynthSimPorts.h"
#include "WaitUntil.h"

namespace {
using Message = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(60);

// One server for the program's runs. Most check what arrives, whole and in order,
// beside other runs; the few that check frames between send and arrival have the
// machine alone meanwhile (Quiet).
class JackEnvironment : public ::testing::Environment {
public:
  void SetUp() override { ASSERT_TRUE(server_.Start()) << "jackd (jackd2) must be installed"; }
  void TearDown() override { server_.Stop(); }
  JackTestServer& Server() { return server_; }

private:
  JackTestServer server_;
};
auto* const kJack = static_cast<JackEnvironment*>(::testing::AddGlobalTestEnvironment(new JackEnvironment));

// What the editor's input hands on, with a way to wait for it.
class WaitingSink : public IMidiPortsSink {
public:
  void MidiFromDevice(IMidiMsg* msg) override { Add({msg->mStatus, msg->mData1, msg->mData2}, false); }
  void SysExFromDevice(ISysEx* sysex) override { Add(Message(sysex->mData, sysex->mData + sysex->mSize), true); }

  // Everything received so far, once at least `count` have come (or time ran out).
  std::vector<Message> WaitFor(size_t count) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait_until(hold, Clock::now() + kPatience, [&] { return all_.size() >= count; });
    return all_;
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return all_.size();
  }
  std::vector<bool> Kinds() {
    std::lock_guard<std::mutex> hold(lock_);
    return isSysEx_;
  }

private:
  void Add(Message message, bool isSysEx) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      all_.push_back(std::move(message));
      isSysEx_.push_back(isSysEx);
    }
    changed_.notify_all();
  }
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Message> all_;
  std::vector<bool> isSysEx_;
};

Message Dump(size_t size, uint8_t type, uint8_t number, uint8_t fill) {
  Message dump(size, fill);
  dump[0] = 0xF0;
  dump[1] = 0x33;
  dump[2] = 0;
  dump[3] = 0x04;
  dump[4] = type;
  dump[5] = number;
  dump[size - 1] = 0xF7;
  return dump;
}

// A message that shows on its own whether it arrived whole: F0 7D, the number in
// two data bytes, a check byte, F7.
Message Numbered(int n) {
  return {0xF0, 0x7D, static_cast<uint8_t>(n >> 7), static_cast<uint8_t>(n & 0x7F), static_cast<uint8_t>(n * 37 & 0x7F),
          0xF7};
}
int NumberOf(const Message& m) {
  if (m.size() != 6 || m[0] != 0xF0 || m[1] != 0x7D || m[5] != 0xF7) return -1;
  const int n = m[2] << 7 | m[3];
  return m[4] == (n * 37 & 0x7F) ? n : -1;
}

// The receiver got each message whole or not at all, only messages whose send
// was accepted, at most once and in sending order (by `senderOf`).
void ExpectWholeOnceInOrder(const std::map<int, bool>& accepted, const std::vector<Message>& received,
                            const std::function<int(int)>& senderOf) {
  std::map<int, int> lastFrom;
  std::set<int> arrived;
  for (const Message& message : received) {
    const int n = NumberOf(message);
    ASSERT_TRUE(n >= 0 && accepted.count(n)) << "torn or never sent, " << message.size() << " bytes";
    ASSERT_TRUE(accepted.at(n)) << n << " refused, yet arrived";
    ASSERT_TRUE(arrived.insert(n).second) << n << " arrived twice";
    auto last = lastFrom.emplace(senderOf(n), n);
    ASSERT_TRUE(last.second || last.first->second < n) << n << " out of order";
    last.first->second = n;
  }
}

size_t AcceptedCount(const std::map<int, bool>& accepted) {
  return static_cast<size_t>(
      std::count_if(accepted.begin(), accepted.end(), [](const auto& entry) { return entry.second; }));
}

// As above, and every accepted message arrived but those the output counted lost.
void ExpectWholeOrReported(const std::map<int, bool>& accepted, const std::vector<Message>& received,
                           const std::function<int(int)>& senderOf, uint64_t lost) {
  ExpectWholeOnceInOrder(accepted, received, senderOf);
  EXPECT_GE(received.size() + lost, AcceptedCount(accepted)) << "lost without being counted";
}

class MidiJack : public ::testing::Test {
protected:
  void SetUp() override {
    static int counter = 0;
    const std::string tag = std::to_string(++counter);
    synthName_ = "Nord Sim " + tag;
    synth_ = std::make_unique<SynthSimPorts>(*transports_, scheduler_, SynthSimSettings{}, synthName_);
    ASSERT_TRUE(synth_->Open());
    feeder_ = transports_->CreateOutput("feeder " + tag);
    ASSERT_TRUE(feeder_ && feeder_->OpenVirtualPort("midi"));
    feederName_ = "feeder " + tag + ":midi";
    ports_ = std::make_unique<IMidiPorts>(&sink_, transports_);
    ports_->getExternalMIDIInNames();
    ports_->getExternalMIDIOutNames();
  }
  void TearDown() override {
    ports_.reset();
    feeder_.reset();
    synth_.reset();
  }
  void ConnectToSynth() {
    int in = 1, out = 1;
    ASSERT_GT(ports_->setExternalMIDIIn(in, synth_->MidiOutName().c_str()), 0);
    ASSERT_GT(ports_->setExternalMIDIOut(out, synth_->MidiInName().c_str()), 0);
  }
  void ListenToFeeder() {
    int in = 1;
    ASSERT_GT(ports_->setExternalMIDIIn(in, feederName_.c_str()), 0);
  }
  // How SendMessage's caller learns a message was lost after its send was accepted.
  struct Losses {
    std::function<uint64_t()> count;
    std::function<bool()> settled;
  };
  Losses EditorLosses() {
    return {[&] { return ports_->LostOutputMessages(); }, [&] { return ports_->OutputSettled(); }};
  }
  // Sends until a send is accepted and not counted lost, or until what was sent
  // shows up all the same (one counted lost may still have arrived). So the
  // message reaches the receiver once.
  bool Delivered(const std::function<bool()>& send, const std::function<size_t()>& arrived, const Losses& losses) {
    const size_t before = arrived();
    for (int attempt = 0; attempt < 4; ++attempt) {
      const uint64_t lostBefore = losses.count();
      if (!send()) continue;
      if (!WaitUntil(losses.settled)) return false;
      if (losses.count() == lostBefore) return true;
      if (WaitUntil([&] { return arrived() > before; }, std::chrono::milliseconds(500))) return true;
    }
    return false;
  }
  bool ToSynth(const std::function<bool()>& send) {
    return Delivered(
        send, [&] { return synth_->Sim().ReceivedCount(); }, EditorLosses());
  }
  bool FromFeeder(const Message& message) {
    return Delivered([&] { return feeder_->SendMessage(message); }, [&] { return sink_.Count(); },
                     {[&] { return feeder_->LostMessages(); }, [&] { return feeder_->AllSettled(); }});
  }
  // The editor's output losses once everything sent has gone out or been counted.
  uint64_t LostOnceSettled() {
    EXPECT_TRUE(WaitUntil([&] { return ports_->OutputSettled(); }));
    return ports_->LostOutputMessages();
  }
  // Delivers a marker and waits for it: whatever was sent before has then
  // arrived, or never will. Returns what came before, markers left out.
  std::vector<Message> ReceivedUpToMarker() {
    const Message marker = {0xFC};
    const auto markers = [&] {
      const auto received = synth_->Sim().Received();
      return static_cast<size_t>(std::count(received.begin(), received.end(), marker));
    };
    EXPECT_TRUE(Delivered([&] { return ports_->SendMidiSysex2(marker); }, markers, EditorLosses()));
    std::vector<Message> received;
    EXPECT_TRUE(WaitUntil([&] {
      received = synth_->Sim().Received();
      return !received.empty() && received.back() == marker;
    }));
    received.erase(std::remove(received.begin(), received.end(), marker), received.end());
    return received;
  }
  bool SynthHasReceived(size_t count) {
    return WaitUntil([&] { return synth_->Sim().ReceivedCount() >= count; });
  }

  std::shared_ptr<MidiTransportFactory> transports_ = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler_;
  std::string synthName_;
  std::unique_ptr<SynthSimPorts> synth_;
  std::unique_ptr<MidiOutputTransport> feeder_;
  std::string feederName_;
  WaitingSink sink_;
  std::unique_ptr<IMidiPorts> ports_;
};
}  // namespace

TEST_F(MidiJack, SimulatorPortsAppearInTheLists) {
  const IMidiPortNames& in = *ports_->getExternalMIDIInNames();
  const IMidiPortNames& out = *ports_->getExternalMIDIOutNames();
  EXPECT_EQ(in.front(), "OFF");
  EXPECT_NE(std::find(in.begin(), in.end(), synth_->MidiOutName()), in.end());
  EXPECT_NE(std::find(in.begin(), in.end(), feederName_), in.end());
  EXPECT_NE(std::find(out.begin(), out.end(), synth_->MidiInName()), out.end());
}

TEST_F(MidiJack, ThePortLookFollowsPortsRegisteredRenamedAndLetGo) {
  jack_client_t* other = jack_client_open("renaming", JackNoStartServer, nullptr);
  ASSERT_TRUE(other);
  ASSERT_EQ(jack_activate(other), 0);
  jack_port_t* port = jack_port_register(other, "a", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  ASSERT_TRUE(port);
  // Found at once, however late the server's notice.
  EXPECT_GT(ports_->GetMIDIInPortNumber("renaming:a"), 0);
  ASSERT_EQ(jack_port_rename(other, port, "b"), 0);
  EXPECT_GT(ports_->GetMIDIInPortNumber("renaming:b"), 0);
  EXPECT_TRUE(WaitUntil([&] { return ports_->GetMIDIInPortNumber("renaming:a") < 0; }));
  ASSERT_EQ(jack_port_unregister(other, port), 0);
  EXPECT_TRUE(WaitUntil([&] { return ports_->GetMIDIInPortNumber("renaming:b") < 0; }));
  jack_client_close(other);
}

TEST_F(MidiJack, OpeningByNameConnectsBothWays) {
  ConnectToSynth();
  const unsigned char enquiry[] = {0x33, 0x00, 0x04, 0x28, 0x00};
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex(enquiry, 5); }));
  const auto received = sink_.WaitFor(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].size(), 715u);
  EXPECT_EQ(synth_->Sim().Received(), std::vector<Message>({{0xF0, 0x33, 0x00, 0x04, 0x28, 0x00, 0xF7}}));
}

TEST_F(MidiJack, ShortMessagesArriveWholeBothWays) {
  ConnectToSynth();
  IMidiMsg programChange;
  programChange.MakeProgramChangeMsg(12 / 127.0, 3);
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiMsg(IMidiMsg(0, 0xB1, 74, 99)); }));
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiMsg(programChange); }));
  ASSERT_TRUE(SynthHasReceived(2));
  EXPECT_EQ(synth_->Sim().Received(), std::vector<Message>({{0xB1, 74, 99}, {0xC3, 12}}));

  ListenToFeeder();
  ASSERT_TRUE(FromFeeder({0xB2, 7, 100}));
  ASSERT_TRUE(FromFeeder({0xC0, 5}));
  const auto received = sink_.WaitFor(2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], Message({0xB2, 7, 100}));
  EXPECT_EQ(received[1], Message({0xC0, 5, 0}));
  EXPECT_EQ(sink_.Kinds(), std::vector<bool>({false, false}));
}

TEST_F(MidiJack, DumpsOf139And715And765BytesArriveWholeBothWays) {
  ConnectToSynth();
  const Message program = Dump(139, 0, 2, 0x05);
  const Message performance = Dump(715, 0x1E, 0, 0x06);
  const Message named = Dump(765, 0x1E, 0, 0x07);
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2(program); }));
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2(performance); }));
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2(named); }));
  ASSERT_TRUE(SynthHasReceived(3));
  EXPECT_EQ(synth_->Sim().Received(), std::vector<Message>({program, performance, named}));

  const unsigned char slotRequest[] = {0x33, 0x00, 0x04, 0x0A, 0x02};
  const unsigned char performanceRequest[] = {0x33, 0x00, 0x04, 0x28, 0x00};
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex(slotRequest, 5); }));
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex(performanceRequest, 5); }));
  auto received = sink_.WaitFor(2);
  ASSERT_EQ(received.size(), 2u);
  // Slot C as the performance sent last left it: its part blocks are the slots.
  EXPECT_EQ(received[0], Dump(139, 0, 2, 0x07));
  Message stored = Dump(715, 0x1E, 0, 0x07);
  stored[636] = stored[637] = 0;   // the global channel: the unit's own id, as a nybble pair
  EXPECT_EQ(received[1], stored);  // the performance it stored last

  ListenToFeeder();
  ASSERT_TRUE(FromFeeder(named));
  received = sink_.WaitFor(3);
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[2], named);
  EXPECT_EQ(sink_.Kinds(), std::vector<bool>({true, true, true}));
}

TEST_F(MidiJack, FourThreadsSendingLoseAndCorruptNothing) {
  ConnectToSynth();
  JackStaller xruns;  // never stalls; counts what the machine's load does
  ASSERT_TRUE(xruns.Open(synth_->MidiInName(), 0, std::chrono::milliseconds(0)));
  constexpr int kThreads = 4;
  constexpr int kEach = 40;
  std::mutex lock;
  std::map<int, bool> accepted;
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        const bool sent = ports_->SendMidiSysex2(Numbered(t << 10 | i));
        std::lock_guard<std::mutex> hold(lock);
        accepted[t << 10 | i] = sent;
      }
    });
  }
  for (auto& sender : senders) sender.join();
  const uint64_t lost = LostOnceSettled();
  const auto received = ReceivedUpToMarker();
  ExpectWholeOrReported(
      accepted, received, [](int n) { return n >> 10; }, lost);
  if (xruns.Xruns() == 0) {
    EXPECT_EQ(received.size(), static_cast<size_t>(kThreads * kEach)) << "refused without an xrun";
  }
}

// Periods missed while the unit's input waits for a client that sleeps in its
// cycle: every message arrives whole or not at all, at most once and in order, and
// the output counts none lost that arrived (what it wrote has gone out; which
// periods the late reader then skips, no writer can tell). Sends are spread over
// several stalls.
TEST_F(MidiJack, MissedPeriodsCountNoMessageThatArrivedLost) {
  ConnectToSynth();
  auto staller = std::make_unique<JackStaller>();
  ASSERT_TRUE(staller->Open(synth_->MidiInName(), 12, std::chrono::milliseconds(70)));
  std::map<int, bool> accepted;
  for (int n = 0; n < 4000 && (staller->Stalls() < 3 || staller->Xruns() == 0); ++n) {
    accepted[n] = ports_->SendMidiSysex2(Numbered(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  EXPECT_GT(staller->Xruns(), 0u);
  ASSERT_TRUE(staller->StopStalling());
  const uint64_t lost = LostOnceSettled();
  staller.reset();
  const auto received = ReceivedUpToMarker();
  ExpectWholeOnceInOrder(accepted, received, [](int) { return 0; });
  EXPECT_LE(received.size() + lost, AcceptedCount(accepted)) << "messages that arrived were counted lost";
  EXPECT_GT(received.size(), 0u);
}

// While the unit's input misses periods, Clocks and control changes the output wrote
// are not counted lost, neither apart nor together: a send beside a running clock
// sees no failure of its own kind.
TEST_F(MidiJack, MissedPeriodsCountNoWrittenClockNorChangeLost) {
  ConnectToSynth();
  const auto lossesWhileStalling = [&](const std::function<void()>& send) {
    auto staller = std::make_unique<JackStaller>();
    EXPECT_TRUE(staller->Open(synth_->MidiInName(), 12, std::chrono::milliseconds(70)));
    const uint64_t lostBefore = ports_->LostOutputMessages();
    const uint64_t besideBefore = ports_->LostOutputMessagesBesideRealTime();
    for (int n = 0; n < 8000 && staller->Stalls() < 6; ++n) {
      send();
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    staller->StopStalling();
    EXPECT_TRUE(WaitUntil([&] { return ports_->OutputSettled(); }));
    EXPECT_GT(staller->Xruns(), 0u);
    return std::make_pair(ports_->LostOutputMessages() - lostBefore,
                          ports_->LostOutputMessagesBesideRealTime() - besideBefore);
  };
  // With only Clocks on the way, a send beside them has nothing to wait for.
  bool besideSettled = true;
  const auto clocks = lossesWhileStalling([&] {
    ports_->SendMidiSysex2({0xF8});
    besideSettled = besideSettled && ports_->OutputSettledBesideRealTime();
  });
  EXPECT_TRUE(besideSettled);
  EXPECT_EQ(clocks, std::make_pair(uint64_t{0}, uint64_t{0}));
  const auto changes = lossesWhileStalling([&] { ports_->SendMidiMsg(IMidiMsg(0, 0xB0, 74, 64)); });
  EXPECT_EQ(changes, std::make_pair(uint64_t{0}, uint64_t{0}));
}

// Starts and Stops among Clocks while the unit's input misses periods: each is
// written once, so the unit never gets one twice, and what it gets keeps the order
// sent. It ends stopped.
TEST_F(MidiJack, MissedPeriodsRepeatNoStartOrStop) {
  ConnectToSynth();
  auto staller = std::make_unique<JackStaller>();
  ASSERT_TRUE(staller->Open(synth_->MidiInName(), 12, std::chrono::milliseconds(70)));
  std::vector<unsigned char> sent;
  for (int n = 0; n < 8000 && (staller->Stalls() < 6 || sent.empty() || sent.back() != 0xFC); ++n) {
    if (n % 15 == 0) {
      const unsigned char transport = sent.empty() || sent.back() == 0xFC ? 0xFA : 0xFC;
      if (ports_->SendMidiSysex2({transport})) sent.push_back(transport);
    }
    ports_->SendMidiSysex2({0xF8});
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
  }
  ASSERT_TRUE(staller->StopStalling());
  EXPECT_TRUE(WaitUntil([&] { return ports_->OutputSettled(); }));
  EXPECT_GT(staller->Xruns(), 0u);
  staller.reset();
  // A marker Stop delivered after them all: the unit ends stopped.
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFC}); }));
  sent.push_back(0xFC);
  std::vector<unsigned char> arrived;
  EXPECT_TRUE(WaitUntil([&] {
    arrived.clear();
    for (const Message& m : synth_->Sim().Received())
      if (m == Message{0xFA} || m == Message{0xFC}) arrived.push_back(m[0]);
    return !arrived.empty() && synth_->Sim().Received().back() == Message{0xFC};
  }));
  // Every one arrived matches a later send than the one before it.
  size_t next = 0;
  for (unsigned char transport : arrived) {
    while (next < sent.size() && sent[next] != transport) ++next;
    ASSERT_LT(next, sent.size()) << "a Start or Stop arrived twice or out of order";
    ++next;
  }
  EXPECT_GT(arrived.size(), sent.size() / 2) << "most went missing";
}

// Start and Stop by turns among Clocks, at spacings from a quarter second down to two
// periods: the unit gets each edge once, in turn, with the Clocks beside them.
TEST_F(MidiJack, PlayAndStopAtSeveralSpacingsReachTheUnitOnceEach) {
  const JackQuietTiming quiet(kJack->Server());
  ConnectToSynth();
  std::vector<unsigned char> sent;
  for (int spacing : {250, 100, 40}) {
    for (int edge = 0; edge < 6; ++edge) {
      const unsigned char transport = sent.empty() || sent.back() == 0xFC ? 0xFA : 0xFC;
      ASSERT_TRUE(ports_->SendMidiSysex2({transport}));
      sent.push_back(transport);
      for (int tick = 0; tick < spacing / 20; ++tick) {
        ports_->SendMidiSysex2({0xF8});
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  }
  EXPECT_EQ(LostOnceSettled(), 0u);
  const auto transportsArrived = [&](size_t& clocks) {
    std::vector<unsigned char> transports;
    clocks = 0;
    for (const Message& m : synth_->Sim().Received()) {
      if (m == Message{0xFA} || m == Message{0xFC}) transports.push_back(m[0]);
      clocks += m == Message{0xF8};
    }
    return transports;
  };
  size_t clocks = 0;
  EXPECT_TRUE(WaitUntil([&] { return transportsArrived(clocks).size() >= sent.size(); }));
  // Room for a late one too many.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(transportsArrived(clocks), sent);
  EXPECT_GT(clocks, 0u);
}

TEST_F(MidiJack, InputArrivesInOrderThroughTheQueue) {
  ListenToFeeder();
  constexpr int kCount = 100;
  for (int i = 0; i < kCount; ++i) {
    ASSERT_TRUE(FromFeeder({0x90, static_cast<uint8_t>(i >> 7), static_cast<uint8_t>(i & 0x7F)}));
  }
  const auto received = sink_.WaitFor(kCount);
  ASSERT_EQ(received.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(received[i][1] * 128 + received[i][2], i);
}

TEST_F(MidiJack, SendAfterOffReturnsAtOnceAndSendsNothing) {
  ConnectToSynth();
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFA}); }));
  ASSERT_TRUE(SynthHasReceived(1));
  int off = 0;
  ASSERT_EQ(ports_->setExternalMIDIOut(off, "OFF"), 0);
  const auto start = Clock::now();
  EXPECT_FALSE(ports_->SendMidiSysex2({0xF8}));
  EXPECT_FALSE(ports_->SendMidiMsg(IMidiMsg(0, 0xB0, 1, 1)));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  // Then a marker through a fresh connection: it must be the next thing the unit sees.
  int on = 1;
  ASSERT_GT(ports_->setExternalMIDIOut(on, synth_->MidiInName().c_str()), 0);
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFC}); }));
  ASSERT_TRUE(SynthHasReceived(2));
  EXPECT_EQ(synth_->Sim().Received(), std::vector<Message>({{0xFA}, {0xFC}}));
}

TEST(MidiJackProgram, SynthSimProgramAnswersOnItsJackPorts) {
  const std::string name = "Program Sim " + std::to_string(getpid());
  std::vector<std::string> args = {SYNTH_SIM_PROGRAM, "--name", name, "--device-id", "3", "--latency-ms", "5"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives this test process
    execv(SYNTH_SIM_PROGRAM, argv.data());
    _exit(127);
  }
  ASSERT_GT(pid, 0);

  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  const std::string simOut = name + "-out:midi";
  const std::string simIn = name + "-in:midi";
  auto probe = transports->CreateOutput("probe");
  ASSERT_TRUE(probe);
  const bool appeared = WaitUntil([&] {
    for (unsigned p = 0; p < probe->PortCount(); ++p) {
      std::string port;
      if (probe->PortName(p, port) && port == simIn) return true;
    }
    return false;
  });
  probe.reset();
  bool answered = false;
  if (appeared) {
    WaitingSink sink;
    IMidiPorts ports(&sink, transports);
    ports.getExternalMIDIInNames();
    ports.getExternalMIDIOutNames();
    int in = 1, out = 1;
    // The program may open its MIDI out a moment after its MIDI in.
    WaitUntil([&] { return ports.setExternalMIDIIn(in = 1, simOut.c_str()) > 0; });
    if (ports.setExternalMIDIOut(out, simIn.c_str()) > 0) {
      const unsigned char enquiry[] = {0x33, 0x03, 0x04, 0x28, 0x00};
      ports.SendMidiSysex(enquiry, 5);
      const auto received = sink.WaitFor(1);
      answered = received.size() == 1 && received[0].size() == 715 && received[0][2] == 3;
    }
  }
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(appeared);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(MidiJack, ClockAndSensingReachTheUnitButNotTheEditor) {
  ConnectToSynth();
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xF8}); }));
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFE}); }));
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFA}); }));
  ASSERT_TRUE(SynthHasReceived(3));
  EXPECT_EQ(synth_->Sim().Received(), std::vector<Message>({{0xF8}, {0xFE}, {0xFA}}));

  ListenToFeeder();
  ASSERT_TRUE(FromFeeder({0xF8}));
  ASSERT_TRUE(FromFeeder({0xFE}));
  ASSERT_TRUE(FromFeeder({0xB0, 1, 2}));
  const auto received = sink_.WaitFor(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], Message({0xB0, 1, 2}));
}

// Each round closes once its messages arrived, or right after sending them; a
// closing port must neither lose nor repeat any of them.
TEST_F(MidiJack, ClosingAfterSendingNeitherLosesNorRepeatsAMessage) {
  ConnectToSynth();
  std::map<int, bool> accepted;
  for (int round = 0; round < 24; ++round) {
    const int last = round * 3 + 2;
    const uint64_t lostBefore = ports_->LostOutputMessages();
    for (int n = round * 3; n <= last; ++n) accepted[n] = ports_->SendMidiSysex2(Numbered(n));
    if (round % 2 == 0 && accepted[last] && LostOnceSettled() == lostBefore) {
      ASSERT_TRUE(WaitUntil([&] {
        const auto received = synth_->Sim().Received();
        return !received.empty() && received.back() == Numbered(last);
      })) << "round "
          << round;
    }
    int off = 0;
    ports_->setExternalMIDIOut(off, "OFF");
    int on = 1;
    ASSERT_GT(ports_->setExternalMIDIOut(on, synth_->MidiInName().c_str()), 0);
  }
  const uint64_t lost = LostOnceSettled();
  ExpectWholeOrReported(
      accepted, ReceivedUpToMarker(), [](int) { return 0; }, lost);
}

TEST_F(MidiJack, SysExCutOverSeveralEventsArrivesWhole) {
  ListenToFeeder();
  const Message dump = Dump(715, 0x1E, 0, 0x06);
  ASSERT_TRUE(FromFeeder(Message(dump.begin(), dump.begin() + 300)));
  ASSERT_TRUE(FromFeeder({0xF8}));
  ASSERT_TRUE(FromFeeder(Message(dump.begin() + 300, dump.end())));
  ASSERT_TRUE(FromFeeder({0xB0, 1, 2}));
  const auto received = sink_.WaitFor(2);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], dump);
  EXPECT_EQ(received[1], Message({0xB0, 1, 2}));
}

// Each message goes out one period after it was sent, at the same place in the
// period: messages sent apart keep their spacing (clock ticks do not bunch at
// the start of a period). Rounds with an xrun (sends held back) do not count.
TEST_F(MidiJack, MessagesGoOutOnePeriodAfterTheirSendTime) {
  const JackQuietTiming quiet(kJack->Server());
  JackFrameRecorder recorder;
  ASSERT_TRUE(recorder.Open());
  auto output = transports_->CreateOutput("spaced");
  ASSERT_TRUE(output);
  unsigned port = 0;
  for (std::string name; port < output->PortCount() && output->PortName(port, name) && name != recorder.PortName();) {
    ++port;
  }
  ASSERT_TRUE(output->OpenPort(port, "out"));
  const int64_t period = recorder.PeriodFrames();
  constexpr int kSends = 5;
  constexpr int64_t kSlack = 96;  // 2 ms at 48 kHz, for the frame clock's estimate
  bool cleanRound = false;
  for (int round = 0; round < 10 && !cleanRound; ++round) {
    const unsigned xruns = recorder.Xruns();
    const size_t before = recorder.Arrivals().size();
    std::vector<std::pair<jack_nframes_t, jack_nframes_t>> sentBetween;
    for (int i = 0; i < kSends; ++i) {
      const jack_nframes_t from = recorder.Now();
      ASSERT_TRUE(output->SendMessage({0xF8}));
      sentBetween.emplace_back(from, recorder.Now());
      std::this_thread::sleep_for(std::chrono::milliseconds(7));  // about a third of a period
    }
    ASSERT_TRUE(WaitUntil([&] { return output->AllSettled() && recorder.Arrivals().size() >= before + kSends; }));
    if (recorder.Xruns() != xruns || output->LostMessages() != 0) continue;
    cleanRound = true;
    const auto arrivals = recorder.Arrivals();
    ASSERT_EQ(arrivals.size(), before + kSends);
    for (int i = 0; i < kSends; ++i) {
      const int64_t late = static_cast<int32_t>(arrivals[before + i] - sentBetween[i].first) - period;
      const int64_t window = static_cast<int32_t>(sentBetween[i].second - sentBetween[i].first);
      EXPECT_GE(late, -kSlack) << "send " << i;
      EXPECT_LE(late, window + kSlack) << "send " << i;
    }
  }
  EXPECT_TRUE(cleanRound) << "every round had an xrun";
}

TEST_F(MidiJack, AnOutputWithNoConnectionRefusesSends) {
  auto lone = transports_->CreateOutput("lone");
  ASSERT_TRUE(lone && lone->OpenVirtualPort("midi"));
  EXPECT_FALSE(lone->SendMessage({0xF8}));
  EXPECT_TRUE(lone->AllSettled());
}

// A patchbay cutting every connection of our output and making one again counts one
// return; the port's own connection, the port opened again on the same unit, and
// connections made and cut beside one that stays count none.
TEST_F(MidiJack, OnlyAConnectionThatDroppedToNoneAndCameBackCountsAReturn) {
  auto output = transports_->CreateOutput("returns");
  auto listener = transports_->CreateInput("listener", 100);
  ASSERT_TRUE(output && listener && listener->OpenVirtualPort("midi"));
  unsigned unitPort = 0;
  for (std::string name; output->PortName(unitPort, name) && name != synth_->MidiInName();) ++unitPort;
  for (int again = 0; again < 3; ++again) ASSERT_TRUE(output->OpenPort(unitPort, "out"));
  const auto patch = [](const char* command, const std::string& to) {
    return RunProgram({command, "returns:out", to});
  };
  ASSERT_EQ(patch("jack_connect", "listener:midi"), 0);
  ASSERT_EQ(patch("jack_disconnect", synth_->MidiInName()), 0);
  ASSERT_EQ(patch("jack_connect", synth_->MidiInName()), 0);
  ASSERT_EQ(patch("jack_disconnect", "listener:midi"), 0);
  ASSERT_EQ(patch("jack_disconnect", synth_->MidiInName()), 0);
  ASSERT_EQ(patch("jack_connect", synth_->MidiInName()), 0);
  EXPECT_TRUE(WaitUntil([&] { return output->PortReturns() >= 1; }));
  // Opening the port again starts the cycles anew, after every notice sent before.
  ASSERT_TRUE(output->OpenPort(unitPort, "out"));
  EXPECT_EQ(output->PortReturns(), 1u);
}

// The unit's port goes away (its program quits): sends are refused from then on,
// not accepted into nowhere; when it comes back, choosing it again reopens it.
TEST_F(MidiJack, AUnitThatLeavesRefusesSendsAndReselectingReopensItWhenItReturns) {
  ConnectToSynth();
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFA}); }));
  const std::string unitIn = synth_->MidiInName();
  synth_.reset();  // unregisters its ports
  // A send in the period the server takes to tell is accepted and counted lost.
  ASSERT_TRUE(WaitUntil([&] { return !ports_->SendMidiSysex2({0xF8}); }));
  EXPECT_FALSE(ports_->SendMidiSysex2({0xF8}));
  EXPECT_FALSE(ports_->SendMidiMsg(IMidiMsg(0, 0xB0, 1, 1)));
  EXPECT_TRUE(WaitUntil([&] { return ports_->OutputSettled(); }));

  synth_ = std::make_unique<SynthSimPorts>(*transports_, scheduler_, SynthSimSettings{}, synthName_);
  ASSERT_TRUE(synth_->Open());
  int out = 1;
  ASSERT_GT(ports_->setExternalMIDIOut(out, unitIn.c_str()), 0);
  ASSERT_TRUE(ToSynth([&] { return ports_->SendMidiSysex2({0xFC}); }));
  ASSERT_TRUE(SynthHasReceived(1));
  EXPECT_EQ(synth_->Sim().Received(), std::vector<Message>({{0xFC}}));
}

// A server that is there and refuses a client (here its name too long) is said with
// JACK's status and reason, not taken for no server.
TEST_F(MidiJack, AClientTheServerRefusesIsSaidWithItsStatusNotAsNoServer) {
  const std::string name(100, 'n');
  testing::internal::CaptureStderr();
  const bool opened = transports_->CreateOutput(name) != nullptr;
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(opened);
  EXPECT_NE(said.find("MIDI: JACK refused the client '" + name + "' (status 0x"), std::string::npos) << said;
  EXPECT_NE(said.find("too long"), std::string::npos) << said;
  EXPECT_EQ(said.find("no JACK server"), std::string::npos) << said;
  EXPECT_STREQ(transports_->Unavailable(), "the JACK server refused it");
}
