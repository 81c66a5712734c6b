// A receiver armed on one thread while dumps arrive on another: every patch taken is
// one whole named dump, never a mix of an old and a new arming.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "messaging/LibrarianDumpReceivers.h"
#include "messaging/tables/DumpFieldTable.h"

TEST(LibrarianReceiverThreads, ArmingAndTakingNeverInterleave) {
  LibrarianDumpReceiver receiver(LibrarianDumpReceiver::Kind::kProgram);
  std::vector<uint8_t> program(std::begin(kInitProgram), std::end(kInitProgram));
  std::atomic<bool> done{false};
  std::thread armer([&] {
    for (int i = 0; i < 20000; ++i) {
      receiver.arm();
      if (i % 3 == 0) receiver.disarm();
    }
    done = true;
  });
  while (!done) {
    LibrarianPatch patch;
    if (receiver.addMessageData(program.data(), program.size(), &patch) != LibrarianDumpReceiver::Outcome::kTaken)
      continue;
    ASSERT_EQ(patch.messages.size(), 1u);
    ASSERT_EQ(patch.messages[0].bytes.size(), 149u);
    ASSERT_EQ(patch.name, LibrarianDumpReceiver::kRequestedName);
    const LibrarianPatch kept = receiver.patch();
    ASSERT_LE(kept.messages.size(), 1u);
  }
  armer.join();
}
