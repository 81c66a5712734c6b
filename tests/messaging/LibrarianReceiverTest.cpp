// What a librarian receiver keeps: whole dumps only, names with latin-1 letters as a
// bank file holds them.
#include <gtest/gtest.h>

#include "messaging/LibrarianDumpReceivers.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

std::vector<uint8_t> ProgramNamedBytes(const std::vector<uint8_t>& name) {
  std::vector<uint8_t> bytes(kInitProgram, kInitProgram + kProgramDumpSize);
  bytes.pop_back();  // the F7 goes after the name
  bytes.insert(bytes.end(), name.begin(), name.end());
  bytes.push_back(0xF7);
  return bytes;
}

}  // namespace

TEST(LibrarianReceiver, KeepsLatin1NamesAndRefusesStatusBytesInTheData) {
  LibrarianDumpReceiver receiver(LibrarianDumpReceiver::Kind::kProgram);
  // "Caf\xe9 \xf7 No\xebl": a name a bank file of another tool holds, F7 included.
  const std::vector<uint8_t> latin1 = ProgramNamedBytes({'C', 'a', 'f', 0xE9, ' ', 0xF7, ' ', 'N', 0xEB, 'l'});
  receiver.arm();
  LibrarianPatch taken;
  ASSERT_EQ(receiver.addMessageData(latin1.data(), latin1.size(), &taken), LibrarianDumpReceiver::Outcome::kTaken);
  EXPECT_EQ(taken.name, "Caf? ? N?l");
  ASSERT_EQ(taken.messages.size(), 1u);
  EXPECT_EQ(taken.messages[0].bytes, latin1);

  std::vector<uint8_t> broken = latin1;
  broken[40] = 0x90;  // a status byte in the data part
  receiver.arm();
  EXPECT_EQ(receiver.addMessageData(broken.data(), broken.size(), &taken), LibrarianDumpReceiver::Outcome::kRefused);
  // An unnamed dump has no name field: any byte above 7F is refused.
  std::vector<uint8_t> unnamed(kInitProgram, kInitProgram + kProgramDumpSize);
  unnamed[137] = 0xE9;
  EXPECT_EQ(receiver.addMessageData(unnamed.data(), unnamed.size(), &taken), LibrarianDumpReceiver::Outcome::kRefused);

  LibrarianDumpReceiver performances(LibrarianDumpReceiver::Kind::kPerformance);
  std::vector<uint8_t> performance(725, 0x01);
  performance[0] = 0xF0;
  performance[1] = 0x33;
  performance[3] = 0x04;
  performance[4] = 0x1F;
  performance[5] = 0x00;
  performance[716] = 0xD8;
  performance[724] = 0xF7;
  performances.arm();
  ASSERT_EQ(performances.addMessageData(performance.data(), performance.size(), &taken),
            LibrarianDumpReceiver::Outcome::kTaken);
  EXPECT_EQ(taken.name.substr(0, 3), std::string("\x01\x01?"));
}

TEST(LibrarianReceiver, AnExpectedNumberPassesOverOtherDumpsUntilArmedAgain) {
  LibrarianDumpReceiver receiver(LibrarianDumpReceiver::Kind::kProgram);
  std::vector<uint8_t> program(kInitProgram, kInitProgram + kProgramDumpSize);
  std::vector<uint8_t> next = program;
  program[5] = 9;
  next[5] = 10;
  LibrarianPatch taken;
  receiver.arm();
  receiver.expectNumber(10);
  EXPECT_EQ(receiver.addMessageData(program.data(), program.size(), &taken),
            LibrarianDumpReceiver::Outcome::kOtherNumber);
  EXPECT_TRUE(receiver.isArmed());
  EXPECT_TRUE(receiver.patch().messages.empty());
  // A dump that cannot be read is refused whatever its number.
  std::vector<uint8_t> broken = program;
  broken[40] = 0x90;
  EXPECT_EQ(receiver.addMessageData(broken.data(), broken.size(), &taken), LibrarianDumpReceiver::Outcome::kRefused);
  ASSERT_EQ(receiver.addMessageData(next.data(), next.size(), &taken), LibrarianDumpReceiver::Outcome::kTaken);
  EXPECT_EQ(taken.messages[0].bytes[5], 10);
  // Armed again, any number is taken: a paste carries the number of the slot it came from.
  receiver.arm();
  EXPECT_EQ(receiver.addMessageData(program.data(), program.size(), &taken), LibrarianDumpReceiver::Outcome::kTaken);
}

// Each request receiver keeps its own kind: a 139-byte program is named "Requested " by
// the program one and refused by the performance one, and the other way round for a
// 715-byte performance, which is kept as 725 bytes named "Requested ".
TEST(LibrarianReceiver, EachRequestReceiverTakesItsOwnKindOnly) {
  const std::vector<uint8_t> program(kInitProgram, kInitProgram + kProgramDumpSize);
  std::vector<uint8_t> performance(715, 0x00);
  performance[0] = 0xF0;
  performance[1] = 0x33;
  performance[3] = 0x04;
  performance[714] = 0xF7;
  LibraryPatchRequest patchRequest;
  LibraryPerformanceRequest performanceRequest;
  LibrarianPatch taken;
  patchRequest.arm();
  performanceRequest.arm();
  EXPECT_EQ(patchRequest.addMessageData(performance.data(), performance.size(), &taken),
            LibrarianDumpReceiver::Outcome::kRefused);
  EXPECT_EQ(performanceRequest.addMessageData(program.data(), program.size(), &taken),
            LibrarianDumpReceiver::Outcome::kRefused);
  EXPECT_TRUE(patchRequest.isArmed());
  EXPECT_TRUE(performanceRequest.isArmed());

  ASSERT_EQ(patchRequest.addMessageData(program.data(), program.size(), &taken),
            LibrarianDumpReceiver::Outcome::kTaken);
  EXPECT_EQ(taken.name, LibrarianDumpReceiver::kRequestedName);
  ASSERT_EQ(taken.messages.size(), 1u);
  EXPECT_EQ(taken.messages[0].bytes.size(), 149u);
  ASSERT_EQ(performanceRequest.addMessageData(performance.data(), performance.size(), &taken),
            LibrarianDumpReceiver::Outcome::kTaken);
  EXPECT_EQ(taken.name, LibrarianDumpReceiver::kRequestedName);
  ASSERT_EQ(taken.messages.size(), 1u);
  EXPECT_EQ(taken.messages[0].bytes.size(), 725u);
  EXPECT_FALSE(patchRequest.isArmed());
  EXPECT_FALSE(performanceRequest.isArmed());
}
