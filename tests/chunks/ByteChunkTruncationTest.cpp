// Every truncation of a valid chunk is read back: each read either fails with -1 or
// gives exactly the written value, and it fails exactly when its item no longer fits.
// The truncated chunks keep the cut-off bytes in their allocation, so a reader that
// looked past the size would return a value where it must fail.

#include <gtest/gtest.h>

#include <string>

#include "Framework/ByteChunk.h"

namespace {

void WriteSample(ByteChunk* chunk) {
  chunk->PutInt32(0x12345678);
  chunk->PutDouble(-0.75);
  chunk->PutBool(true);
  chunk->PutStr("Patch");
  chunk->PutStr("");
  chunk->PutDouble(1e10);
  chunk->PutInt32(-1);
}

// Item end positions in the sample.
const int kEnds[] = {4, 12, 13, 22, 26, 34, 38};

}  // namespace

TEST(ByteChunkTruncation, EveryCutReadsBackOrFails) {
  ByteChunk full;
  WriteSample(&full);
  ASSERT_EQ(full.Size(), kEnds[6]);
  for (int cut = 0; cut <= full.Size(); ++cut) {
    SCOPED_TRACE("cut " + std::to_string(cut));
    ByteChunk chunk;
    WriteSample(&chunk);
    chunk.Resize(cut);

    int32_t i = 0;
    double d = 0;
    bool b = false;
    Kit_String s("before");
    int pos = 0;
    int item = 0;
    auto expectStep = [&](int next) {
      if (kEnds[item] <= cut) {
        EXPECT_EQ(next, kEnds[item]);
      } else {
        EXPECT_EQ(next, -1);
      }
      ++item;
      return next;
    };

    pos = expectStep(chunk.GetInt32(&i, pos));
    if (pos < 0) {
      EXPECT_EQ(i, 0);
      continue;
    }
    EXPECT_EQ(i, 0x12345678);
    pos = expectStep(chunk.GetDouble(&d, pos));
    if (pos < 0) {
      EXPECT_EQ(d, 0.0);
      continue;
    }
    EXPECT_EQ(d, -0.75);
    pos = expectStep(chunk.GetBool(&b, pos));
    if (pos < 0) {
      EXPECT_FALSE(b);
      continue;
    }
    EXPECT_TRUE(b);
    pos = expectStep(chunk.GetStr(&s, pos));
    if (pos < 0) {
      EXPECT_STREQ(s.Get(), "before");
      continue;
    }
    EXPECT_STREQ(s.Get(), "Patch");
    pos = expectStep(chunk.GetStr(&s, pos));
    if (pos < 0) continue;
    EXPECT_STREQ(s.Get(), "Patch");  // an empty string keeps the text
    pos = expectStep(chunk.GetDouble(&d, pos));
    if (pos < 0) {
      EXPECT_EQ(d, -0.75);
      continue;
    }
    EXPECT_EQ(d, 1e10);
    pos = expectStep(chunk.GetInt32(&i, pos));
    if (pos < 0) {
      EXPECT_EQ(i, 0x12345678);
      continue;
    }
    EXPECT_EQ(i, -1);
    EXPECT_EQ(cut, full.Size());
  }
}

TEST(ByteChunkTruncation, VersionHeaderAtEveryCut) {
  for (int cut = 0; cut <= 8; ++cut) {
    ByteChunk chunk;
    InitChunkWithIModuleVer(&chunk);
    chunk.Resize(cut);
    int pos = 0;
    const int version = GetIModuleVerFromChunk(&chunk, &pos);
    if (cut == 8) {
      EXPECT_EQ(version, 0x10000);
      EXPECT_EQ(pos, 8);
    } else {
      EXPECT_EQ(version, 0) << cut;
      EXPECT_EQ(pos, cut < 4 ? 0 : -1) << cut;
    }
  }
}
