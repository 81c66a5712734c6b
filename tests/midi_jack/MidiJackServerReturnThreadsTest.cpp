// The JACK server killed and started again round after round under the editor's
// ports, with the clock's Clocks going out all the while, as a musician's evening
// has it: each time the ports see the death within a second, and once the server
// and the unit are back, choosing the unit's ports finds it (its answer comes).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"
#include "JackClientCut.h"
#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"
#include "MidiTransport/MidiPortTransport.h"
#include "SynthSimPorts.h"
#include "WaitUntil.h"

namespace {
using Clock = std::chrono::steady_clock;

class CountingSink : public IMidiPortsSink {
public:
  void MidiFromDevice(IMidiMsg*) override {}
  void SysExFromDevice(ISysEx* sysex) override {
    if (sysex->mSize == 715) answers_.fetch_add(1);
  }
  int Answers() const { return answers_.load(); }

private:
  std::atomic<int> answers_{0};
};

// Clocks at 120 BPM through the editor's output, as the clock's thread sends them.
class ClockSender {
public:
  explicit ClockSender(IMidiPorts& ports)
      : thread_([this, &ports] {
          while (!stop_.load()) {
            ports.SendMidiSysex2({0xF8});
            std::this_thread::sleep_for(std::chrono::microseconds(20833));
          }
        }) {}
  ~ClockSender() {
    stop_.store(true);
    thread_.join();
  }

private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

constexpr const char* kUnit = "Return Unit";
}  // namespace

TEST(MidiJackServerReturn, TheUnitIsFoundAgainAfterEveryRestartAndEachDeathIsSeenWithinASecond) {
  const char* roundsAsked = std::getenv("TAVRO_SERVER_RETURN_ROUNDS");
  const int rounds = roundsAsked ? std::atoi(roundsAsked) : 2;
  JackTestServer server;
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler;
  CountingSink sink;
  auto ports = std::make_unique<IMidiPorts>(&sink, transports);
  int unfound = 0, late = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(server.Start(256)) << "jackd (jackd2) must be installed";
    auto unit = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, kUnit);
    ASSERT_TRUE(unit->Open());
    ports->getExternalMIDIInNames();
    ports->getExternalMIDIOutNames();
    int in = 1, out = 1;
    const bool inOpened = ports->setExternalMIDIIn(in, unit->MidiOutName().c_str()) > 0;
    const bool outOpened = ports->setExternalMIDIOut(out, unit->MidiInName().c_str()) > 0;
    const int answersBefore = sink.Answers();
    const unsigned char enquiry[] = {0x33, 0x00, 0x04, 0x28, 0x00};
    ports->SendMidiSysex(enquiry, 5);
    const bool found =
        inOpened && outOpened && WaitUntil([&] { return sink.Answers() > answersBefore; }, std::chrono::seconds(10));
    unfound += !found;
    EXPECT_TRUE(inOpened);
    EXPECT_TRUE(outOpened);
    EXPECT_TRUE(found);
    {
      ClockSender clock(*ports);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      server.Kill();
      const auto killed = Clock::now();
      const bool seen = WaitUntil([&] { return ports->SystemGone(); });
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - killed).count();
      std::printf("round %d: unit found %s, the death seen after %.0f ms\n", round, found ? "yes" : "no", ms);
      late += ms > 1000;
      EXPECT_TRUE(seen);
      EXPECT_LT(ms, 1000.0);
    }
    int off = 0;
    ports->setExternalMIDIOut(off, IMidiPorts::kOffName);
    ports->setExternalMIDIIn(off = 0, IMidiPorts::kOffName);
    unit.reset();
  }
  std::printf("server return: %d rounds, unit not found %d, death seen late %d\n", rounds, unfound, late);
  ports.reset();
  server.Stop();
}

// A server that stops running cycles without going (stuck while it stops: a client
// closing just then holds it up for minutes) is taken as gone within seconds; the
// ports close and a port chosen again is refused without waiting for it; once it
// runs again, the unit is found again on it. Closing as it stops waits for nothing.
TEST(MidiJackServerReturn, AStoppedServerIsGoneWithinSecondsAndNothingWaitsForIt) {
  JackTestServer server;
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler;
  CountingSink sink;
  auto ports = std::make_unique<IMidiPorts>(&sink, transports);
  ASSERT_TRUE(server.Start(256)) << "jackd (jackd2) must be installed";
  const auto choose = [&](SynthSimPorts& unit) {
    ports->getExternalMIDIInNames();
    ports->getExternalMIDIOutNames();
    int in = 1, out = 1;
    return ports->setExternalMIDIIn(in, unit.MidiOutName().c_str()) > 0 &&
           ports->setExternalMIDIOut(out, unit.MidiInName().c_str()) > 0;
  };
  auto unit = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, kUnit);
  ASSERT_TRUE(unit->Open());
  ASSERT_TRUE(choose(*unit));

  server.Pause();
  const auto paused = Clock::now();
  ASSERT_TRUE(WaitUntil([&] { return ports->SystemGone(); }, std::chrono::seconds(10)));
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - paused).count();
  std::printf("the stopped server seen gone after %.0f ms\n", ms);
  EXPECT_LT(ms, 8000.0);

  std::atomic<bool> done{false};
  bool chosenAgain = true;
  std::thread closing([&] {
    int off = 0;
    ports->setExternalMIDIOut(off, IMidiPorts::kOffName);
    ports->setExternalMIDIIn(off = 0, IMidiPorts::kOffName);
    unit.reset();
    int out = 1;
    chosenAgain = ports->setExternalMIDIOut(out, ports->getExternalMIDIOutNames()->back().c_str()) > 0;
    done.store(true);
  });
  const bool closedAtOnce = WaitUntil([&] { return done.load(); }, std::chrono::seconds(10));
  server.Resume();
  closing.join();
  EXPECT_TRUE(closedAtOnce) << "closing waited for the stopped server";
  EXPECT_FALSE(chosenAgain);
  EXPECT_STREQ(transports->Unavailable(), "the JACK server has stopped but not yet gone");

  // Refused until the server has run a cycle again.
  ASSERT_TRUE(WaitUntil([&] {
    unit = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, kUnit);
    return unit->Open();
  }));
  ASSERT_TRUE(choose(*unit));
  const int answersBefore = sink.Answers();
  const unsigned char enquiry[] = {0x33, 0x00, 0x04, 0x28, 0x00};
  ports->SendMidiSysex(enquiry, 5);
  EXPECT_TRUE(WaitUntil([&] { return sink.Answers() > answersBefore; }, std::chrono::seconds(10)));

  // Closed just as the server stops, before anything has found it stopped.
  server.Pause();
  done.store(false);
  std::thread quitting([&] {
    ports.reset();
    unit.reset();
    done.store(true);
  });
  const bool quitAtOnce = WaitUntil([&] { return done.load(); }, std::chrono::seconds(10));
  server.Resume();
  quitting.join();
  EXPECT_TRUE(quitAtOnce) << "closing waited for the server that had just stopped";
  server.Stop();
  // What was closed while the server lingered is released by the next open, once
  // the server has gone: its threads are joined, none left running to the end.
  EXPECT_FALSE(SynthSimPorts(*transports, scheduler, SynthSimSettings{}, kUnit).Open());
}

// A server that runs no cycle for a second (halted, as a loaded machine may leave it)
// and then runs on is late, not gone: the ports stay open and the unit answers.
TEST(MidiJackServerReturn, AServerStalledForASecondIsNotGone) {
  JackTestServer server;
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler;
  CountingSink sink;
  IMidiPorts ports(&sink, transports);
  ASSERT_TRUE(server.Start(256)) << "jackd (jackd2) must be installed";
  SynthSimPorts unit(*transports, scheduler, SynthSimSettings{}, kUnit);
  ASSERT_TRUE(unit.Open());
  ports.getExternalMIDIInNames();
  ports.getExternalMIDIOutNames();
  int in = 1, out = 1;
  ASSERT_GT(ports.setExternalMIDIIn(in, unit.MidiOutName().c_str()), 0);
  ASSERT_GT(ports.setExternalMIDIOut(out, unit.MidiInName().c_str()), 0);
  server.Pause();
  const bool goneInTheStall = WaitUntil([&] { return ports.SystemGone(); }, std::chrono::seconds(1));
  server.Resume();
  EXPECT_FALSE(goneInTheStall);
  EXPECT_FALSE(ports.SystemGone());
  const unsigned char enquiry[] = {0x33, 0x00, 0x04, 0x28, 0x00};
  ports.SendMidiSysex(enquiry, 5);
  EXPECT_TRUE(WaitUntil([&] { return sink.Answers() > 0; }, std::chrono::seconds(10)));
  server.Stop();
}

// Another part of the process (a host with JACK clients of its own; the test server's
// probe here) opens a client once the server is back, while one of ours from before
// still waits to be closed: the JACK library frees ours itself as that one opens.
// Ours closes afterwards without touching it again, and a client of ours opened in
// between keeps its port.
TEST(MidiJackServerReturn, OursFreedByTheLibraryWhenAnotherClientOpensCloseSafelyAfter) {
  JackTestServer server;
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  ASSERT_TRUE(server.Start(256)) << "jackd (jackd2) must be installed";
  std::unique_ptr<MidiInputTransport> before = transports->CreateInput("Before", 100);
  ASSERT_TRUE(before && before->OpenVirtualPort("in"));
  server.Kill();
  ASSERT_TRUE(WaitUntil([&] { return before->SystemGone(); }));
  ASSERT_TRUE(server.Start(256));  // its probe opens a client of its own
  std::unique_ptr<MidiOutputTransport> after = transports->CreateOutput("After");
  ASSERT_TRUE(after && after->OpenVirtualPort("out"));
  before.reset();  // freeing it again would crash or close "After" in its place
  EXPECT_TRUE(after->IsPortOpen());
  std::unique_ptr<MidiInputTransport> lister = transports->CreateInput("Lister", 100);
  ASSERT_TRUE(lister);
  std::vector<std::string> ports;
  for (unsigned port = 0; port < lister->PortCount(); ++port) {
    std::string name;
    if (lister->PortName(port, name)) ports.push_back(name);
  }
  EXPECT_EQ(ports, std::vector<std::string>({"After:out"}));
  lister.reset();
  after.reset();
  server.Stop();
}

// What goes away under open ports is said as what it is: the server killed, or JACK
// dropping a client of ours while the server runs on (named). Either way the JACK
// library takes the server as gone for every client of the process: both ports close,
// and choosing them again reconnects through new clients.
TEST(MidiJackServerReturn, WhatWentIsSaidAndChoosingAgainReconnects) {
  enum class Goes { kOutputClient, kInputClient, kServer };
  const struct {
    Goes goes;
    std::string said;
  } kRoads[] = {
      {Goes::kOutputClient, std::string(kMidiClientDroppedText) + " '" + IMidiPorts::kOutputClientName + "'"},
      {Goes::kInputClient, std::string(kMidiClientDroppedText) + " '" + IMidiPorts::kInputClientName + "'"},
      {Goes::kServer, kMidiSystemGoneText},
  };
  for (const auto& road : kRoads) {
    SCOPED_TRACE(road.said);
    JackTestServer server;
    ASSERT_TRUE(server.Start(256)) << "jackd (jackd2) must be installed";
    auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
    SynthSimThreadScheduler scheduler;
    CountingSink sink;
    auto unit = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, kUnit);
    ASSERT_TRUE(unit->Open());
    IMidiPorts ports(&sink, transports);
    // The client to drop opens last: its sockets are the only ones since.
    const bool inputDropped = road.goes == Goes::kInputClient;
    const auto list = [&](bool input) { input ? ports.getExternalMIDIInNames() : ports.getExternalMIDIOutNames(); };
    list(!inputDropped);
    const JackClientCut lastOpened;
    list(inputDropped);
    const auto answered = [&] {
      int in = 1, out = 1;
      if (ports.setExternalMIDIIn(in, unit->MidiOutName().c_str()) <= 0 ||
          ports.setExternalMIDIOut(out, unit->MidiInName().c_str()) <= 0)
        return false;
      const int before = sink.Answers();
      const unsigned char enquiry[] = {0x33, 0x00, 0x04, 0x28, 0x00};
      ports.SendMidiSysex(enquiry, 5);
      return WaitUntil([&] { return sink.Answers() > before; }, std::chrono::seconds(10));
    };
    ASSERT_TRUE(answered());

    if (road.goes == Goes::kServer) {
      server.Kill();
    } else {
      ASSERT_TRUE(lastOpened.Cut());
    }
    ASSERT_TRUE(WaitUntil([&] { return ports.SystemGone(); }, std::chrono::seconds(10)));
    EXPECT_EQ(ports.SystemGoneText(), road.said);

    // The unit's clients live in this process too: they went with ours. Their names
    // are free again once the server has let the old ones go.
    unit.reset();
    if (road.goes == Goes::kServer) {
      ASSERT_TRUE(server.Start(256));
    }
    ASSERT_TRUE(WaitUntil([&] {
      unit = std::make_unique<SynthSimPorts>(*transports, scheduler, SynthSimSettings{}, kUnit);
      return unit->Open();
    }));
    EXPECT_TRUE(answered());
    EXPECT_FALSE(ports.SystemGone());
    unit.reset();
  }
}
