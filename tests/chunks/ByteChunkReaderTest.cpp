#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChunkTestSupport.h"
#include "Framework/ByteChunk.h"

TEST(ByteChunkReader, DoubleNeedsEightBytes) {
  ByteChunk seven = ChunkOf(std::vector<uint8_t>(7, 0));
  double value = 3.0;
  EXPECT_EQ(seven.GetDouble(&value, 0), -1);
  EXPECT_EQ(value, 3.0);
  ByteChunk eight = ChunkOf(std::vector<uint8_t>(8, 0));
  EXPECT_EQ(eight.GetDouble(&value, 0), 8);
  EXPECT_EQ(value, 0.0);
}

TEST(ByteChunkReader, PositionsOutsideTheChunkFail) {
  ByteChunk chunk = ChunkOf({1, 2, 3, 4, 5});
  int32_t i = 7;
  bool b = false;
  EXPECT_EQ(chunk.GetInt32(&i, -1), -1);
  EXPECT_EQ(chunk.GetInt32(&i, 2), -1);
  EXPECT_EQ(chunk.GetInt32(&i, 1), 5);
  EXPECT_EQ(i, 0x05040302);
  EXPECT_EQ(chunk.GetBool(&b, 5), -1);
  EXPECT_EQ(chunk.GetBool(&b, 4), 5);
  EXPECT_TRUE(b);
  EXPECT_EQ(chunk.GetInt32(&i, INT32_MAX - 1), -1);
}

TEST(ByteChunkReader, AnyNonZeroByteIsTrue) {
  ByteChunk chunk = ChunkOf({0, 2});
  bool b = true;
  EXPECT_EQ(chunk.GetBool(&b, 0), 1);
  EXPECT_FALSE(b);
  EXPECT_EQ(chunk.GetBool(&b, 1), 2);
  EXPECT_TRUE(b);
}

TEST(ByteChunkReader, StringStopsAtZeroByte) {
  ByteChunk chunk = ChunkOf({5, 0, 0, 0, 0x61, 0x62, 0x00, 0x63, 0x64});
  Kit_String text;
  EXPECT_EQ(chunk.GetStr(&text, 0), 9);
  EXPECT_STREQ(text.Get(), "ab");
}

TEST(ByteChunkReader, EmptyStringKeepsThePreviousText) {
  ByteChunk chunk = ChunkOf({0, 0, 0, 0});
  Kit_String text("kept");
  EXPECT_EQ(chunk.GetStr(&text, 0), 4);
  EXPECT_STREQ(text.Get(), "kept");
}

TEST(ByteChunkReader, StringLongerThanTheChunkFails) {
  ByteChunk chunk = ChunkOf({6, 0, 0, 0, 'a', 'b', 'c'});
  Kit_String text("kept");
  EXPECT_EQ(chunk.GetStr(&text, 0), -1);
  EXPECT_STREQ(text.Get(), "kept");
}

TEST(ByteChunkReader, NegativeOrHugeStringLengthFails) {
  Kit_String text("kept");
  ByteChunk negative = ChunkOf({0xFC, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd', 'e', 'f'});
  EXPECT_EQ(negative.GetStr(&text, 0), -1);
  ByteChunk huge = ChunkOf({0xFF, 0xFF, 0xFF, 0x7F, 'a'});
  EXPECT_EQ(huge.GetStr(&text, 0), -1);
  ByteChunk hugeLater = ChunkOf({'x', 'x', 0xFB, 0xFF, 0xFF, 0x7F, 'a'});
  EXPECT_EQ(hugeLater.GetStr(&text, 2), -1);
  EXPECT_STREQ(text.Get(), "kept");
}

TEST(ByteChunkReader, StringRoundTripAtAnOffset) {
  ByteChunk chunk;
  chunk.PutBool(true);
  chunk.PutStr("Nord Lead");
  chunk.PutInt32(42);
  Kit_String text;
  int pos = chunk.GetStr(&text, 1);
  EXPECT_STREQ(text.Get(), "Nord Lead");
  int32_t after = 0;
  EXPECT_EQ(chunk.GetInt32(&after, pos), chunk.Size());
  EXPECT_EQ(after, 42);
}

TEST(ByteChunkReader, RawBytes) {
  ByteChunk chunk = ChunkOf({1, 2, 3, 4});
  uint8_t out[4] = {9, 9, 9, 9};
  EXPECT_EQ(chunk.GetBytes(out, 3, 2), -1);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(chunk.GetBytes(out, 2, 2), 4);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[1], 4);
  EXPECT_EQ(chunk.GetBytes(out, -1, 0), -1);
  EXPECT_EQ(chunk.GetBytes(out, 0, 4), 4);
}
