// Clients of a JACK server that died are closed on one thread while another
// opens a client anew, as the editor's port closer and its main thread do when
// the user chooses the ports again: the JACK library frees a dead server's
// clients itself when a new client opens, so closing them afterwards would free
// them twice. Many rounds, each order; then the server comes back and the new
// clients carry a message from output to input. Once one client of the process hears
// that the server went, all of them count as gone.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "JackTestServer.h"
#include "MidiTransport/MidiPortSystem.h"
#include "WaitUntil.h"

namespace {
using Message = std::vector<unsigned char>;

struct Arrivals {
  std::mutex lock;
  std::vector<Message> messages;
  static void Take(double, std::vector<unsigned char>* message, void* self) {
    auto* arrivals = static_cast<Arrivals*>(self);
    std::lock_guard<std::mutex> hold(arrivals->lock);
    arrivals->messages.push_back(*message);
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock);
    return messages.size();
  }
};

constexpr int kRounds = 12;
constexpr int kPeriodFrames = 256;
}  // namespace

TEST(MidiJackClientLifecycle, DeadServersClientsCloseWhileNewOnesOpenAndTheNewOnesWork) {
  JackTestServer server;
  auto transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(server.Start(kPeriodFrames)) << "jackd (jackd2) must be installed";
    std::unique_ptr<MidiInputTransport> input = transports->CreateInput("Lifecycle In", 100);
    std::unique_ptr<MidiOutputTransport> output = transports->CreateOutput("Lifecycle Out");
    ASSERT_TRUE(input && output);
    ASSERT_TRUE(input->OpenVirtualPort("in"));
    ASSERT_TRUE(output->OpenVirtualPort("out"));
    server.Kill();
    // The first client to hear of it speaks for every client of the process.
    ASSERT_TRUE(WaitUntil([&] { return input->SystemGone() || output->SystemGone(); }));
    EXPECT_TRUE(input->SystemGone() && output->SystemGone());
    EXPECT_FALSE(input->IsPortOpen() || output->IsPortOpen());

    // The input closes on a thread of its own, as the port closer closes it,
    // while this thread tries to open clients; the output closes here after or
    // before the opens, by turns.
    std::atomic<bool> go{false};
    std::thread closer([&] {
      while (!go.load()) std::this_thread::yield();
      input.reset();
    });
    if (round % 2) output.reset();
    go.store(true);
    for (int attempt = 0; attempt < 4; ++attempt) {
      EXPECT_EQ(transports->CreateInput("Lifecycle In", 100), nullptr) << "no server runs";
      EXPECT_EQ(transports->CreateOutput("Lifecycle Out"), nullptr);
    }
    output.reset();
    closer.join();
  }

  ASSERT_TRUE(server.Start(kPeriodFrames));
  std::unique_ptr<MidiInputTransport> input = transports->CreateInput("Lifecycle In", 100);
  std::unique_ptr<MidiOutputTransport> output = transports->CreateOutput("Lifecycle Out");
  ASSERT_TRUE(input && output);
  Arrivals arrivals;
  ASSERT_TRUE(input->SetCallback(&Arrivals::Take, &arrivals));
  ASSERT_TRUE(input->OpenVirtualPort("in"));
  unsigned port = 0;
  for (std::string name; output->PortName(port, name) && name.find("Lifecycle In") == std::string::npos;) ++port;
  ASSERT_TRUE(output->OpenPort(port, "out"));
  EXPECT_TRUE(WaitUntil([&] { return output->SendMessage({0xF0, 0x7D, 0x01, 0xF7}); }));
  EXPECT_TRUE(WaitUntil([&] { return arrivals.Count() >= 1; }));
  EXPECT_EQ(arrivals.messages, std::vector<Message>({{0xF0, 0x7D, 0x01, 0xF7}}));
  output.reset();
  input.reset();
  server.Stop();
}
