// The patch manager's block of the host state chunk.
#include <gtest/gtest.h>

#include "editor/PatchManager.h"

namespace {

PatchManager Filled() {
  PatchManager m(nullptr);
  m.snapshot.PutInt32(PatchManager::kShortFormTag);
  m.snapshot.PutDouble(2.0);
  m.names = {"Perf", "Bass Lead 12", "", "Pad", "Keys", "Synth Port In", std::string(40, 'o')};
  return m;
}

TEST(PatchManagerBlock, RoundTripPadsAndCutsPartNamesAndKeepsPortNamesWhole) {
  ByteChunk chunk;
  chunk.PutInt32(7);  // what stands before the block
  Filled().saveAllToChunk(&chunk);
  PatchManager read(nullptr);
  EXPECT_EQ(read.loadAllFromChunk(&chunk, 4), chunk.Size());
  EXPECT_EQ(read.snapshot.Size(), 12);
  EXPECT_EQ(read.names[0], std::string("Perf") + std::string(6, '\0'));
  EXPECT_EQ(read.names[1], "Bass Lead ");
  EXPECT_EQ(read.names[2], std::string(10, '\0'));
  EXPECT_EQ(read.names[5], "Synth Port In");
  EXPECT_EQ(read.names[6], std::string(40, 'o'));
  EXPECT_EQ(PatchManager::blockEnd(&chunk, 4), chunk.Size());
  // Saved again, the padded names keep the length they had.
  ByteChunk again;
  read.saveAllToChunk(&again);
  PatchManager reread(nullptr);
  EXPECT_EQ(reread.loadAllFromChunk(&again, 0), again.Size());
  EXPECT_EQ(reread.names, read.names);
}

TEST(PatchManagerBlock, AChunkEndingEarlyReadsAsFarAsItGoes) {
  ByteChunk whole;
  Filled().saveAllToChunk(&whole);
  for (int size = 0; size < whole.Size(); ++size) {
    ByteChunk cut;
    cut.PutBytes(whole.GetBytes(), size);
    PatchManager read(nullptr);
    EXPECT_EQ(read.loadAllFromChunk(&cut, 0), -1) << size;
    EXPECT_EQ(PatchManager::blockEnd(&cut, 0), -1) << size;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(read.names[size_t(i)].size(), 10u);
  }
  PatchManager read(nullptr);
  EXPECT_EQ(read.loadAllFromChunk(&whole, -1), -1);
  EXPECT_EQ(read.loadAllFromChunk(&whole, whole.Size() + 100), -1);
}

TEST(PatchManagerBlock, LengthsBeyondTheChunkAreRefused) {
  ByteChunk chunk;
  chunk.PutInt32(PatchManager::kShortFormTag);
  chunk.PutInt32(PatchManager::kShortFormTag);
  const unsigned char huge[4] = {0xFF, 0xFF, 0xFF, 0xF0};
  chunk.PutBytes(huge, 4);
  chunk.PutInt32(0);
  PatchManager read(nullptr);
  EXPECT_EQ(read.loadAllFromChunk(&chunk, 0), -1);
  EXPECT_EQ(PatchManager::blockEnd(&chunk, 0), -1);
  EXPECT_EQ(read.snapshot.Size(), 0);
  ByteChunk names;
  names.PutInt32(0);
  names.PutInt32(0);
  const unsigned char zero[4] = {0, 0, 0, 0};
  names.PutBytes(zero, 4);
  names.PutInt32(0x7FFFFFFF);  // a name longer than what follows
  EXPECT_EQ(read.loadAllFromChunk(&names, 0), -1);
  EXPECT_EQ(read.names[0], std::string(10, '\0'));
  EXPECT_EQ(PatchManager::blockEnd(&names, 0), -1);
  // A negative length gives an empty name and never moves the read backwards; a
  // recall counts the block as damaged.
  ByteChunk negative;
  negative.PutInt32(0);
  negative.PutInt32(0);
  negative.PutBytes(zero, 4);
  negative.PutInt32(-8);
  for (int i = 1; i < 7; ++i) negative.PutInt32(0);
  EXPECT_EQ(read.loadAllFromChunk(&negative, 0), negative.Size());
  EXPECT_EQ(PatchManager::blockEnd(&negative, 0), -1);
}

}  // namespace
