#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "ChunkTestSupport.h"
#include "Framework/ByteChunk.h"

TEST(ByteChunkEncoding, Int32IsLittleEndian) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.PutInt32(0x01020304), 4);
  EXPECT_EQ(chunk.PutInt32(-2), 8);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(ByteChunkEncoding, DoubleIsIeeeLittleEndian) {
  ByteChunk chunk;
  chunk.PutDouble(1.0);
  chunk.PutDouble(-2.5);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0x04, 0xC0}));
}

TEST(ByteChunkEncoding, BoolIsOneByte) {
  ByteChunk chunk;
  chunk.PutBool(true);
  EXPECT_EQ(chunk.PutBool(false), 2);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{1, 0}));
}

TEST(ByteChunkEncoding, StringIsLengthThenTextWithoutTerminator) {
  ByteChunk chunk;
  chunk.PutStr("ab");
  chunk.PutStr("");
  chunk.PutStr(nullptr);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ByteChunkEncoding, VersionHeader) {
  ByteChunk chunk;
  chunk.PutStr("old contents");
  InitChunkWithIModuleVer(&chunk);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
  int pos = 0;
  EXPECT_EQ(GetIModuleVerFromChunk(&chunk, &pos), 0x10000);
  EXPECT_EQ(pos, 8);
}

TEST(ByteChunkEncoding, VersionHeaderRefusals) {
  ByteChunk wrongMagic = ChunkOf({0x74, 0x66, 0x66, 0x71, 0, 0, 1, 0});
  int pos = 0;
  EXPECT_EQ(GetIModuleVerFromChunk(&wrongMagic, &pos), 0);
  EXPECT_EQ(pos, 0);

  ByteChunk onlyMagic = ChunkOf({0x74, 0x66, 0x66, 0x70, 0, 0});
  pos = 0;
  EXPECT_EQ(GetIModuleVerFromChunk(&onlyMagic, &pos), 0);
  EXPECT_EQ(pos, -1);

  ByteChunk tooShort = ChunkOf({0x74, 0x66, 0x66});
  pos = 0;
  EXPECT_EQ(GetIModuleVerFromChunk(&tooShort, &pos), 0);
  EXPECT_EQ(pos, 0);

  ByteChunk valid;
  InitChunkWithIModuleVer(&valid);
  pos = -1;
  EXPECT_EQ(GetIModuleVerFromChunk(&valid, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(ByteChunkEncoding, RawBytesAndChunks) {
  ByteChunk a;
  const uint8_t raw[] = {9, 8, 7};
  EXPECT_EQ(a.PutBytes(raw, 3), 3);
  EXPECT_EQ(a.PutBytes(nullptr, 5), 3);
  EXPECT_EQ(a.PutBytes(raw, -1), 3);
  ByteChunk b;
  b.PutBool(true);
  EXPECT_EQ(b.PutChunk(&a), 4);
  EXPECT_EQ(b.PutChunk(&b), 8);  // a chunk appended to itself
  EXPECT_EQ(BytesOf(b), (std::vector<uint8_t>{1, 9, 8, 7, 1, 9, 8, 7}));
}

TEST(ByteChunkEncoding, SelfAppendAcrossGrowth) {
  ByteChunk chunk(16);
  for (int i = 0; i < 1000; ++i) chunk.PutInt32(i);
  const std::vector<uint8_t> before = BytesOf(chunk);
  chunk.PutChunk(&chunk);
  std::vector<uint8_t> expected = before;
  expected.insert(expected.end(), before.begin(), before.end());
  EXPECT_EQ(BytesOf(chunk), expected);
}

TEST(ByteChunkEncoding, ResizeZeroFillsAndEmptyHasNoBytes) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.GetBytes(), nullptr);
  EXPECT_EQ(chunk.Size(), 0);
  chunk.PutInt32(-1);
  EXPECT_EQ(chunk.Resize(2), 2);
  EXPECT_EQ(chunk.Resize(6), 6);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0, 0}));
  EXPECT_EQ(chunk.Resize(-3), 6);
  chunk.Clear();
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(chunk.GetBytes(), nullptr);
}

TEST(ByteChunkEncoding, ExtremeValuesRoundTrip) {
  ByteChunk chunk;
  const double values[] = {
      0.0, -0.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::denorm_min(), 1e308, -123.456};
  for (double v : values) chunk.PutDouble(v);
  chunk.PutInt32(INT32_MIN);
  chunk.PutInt32(INT32_MAX);
  int pos = 0;
  for (double v : values) {
    double read = 1.5;
    pos = chunk.GetDouble(&read, pos);
    EXPECT_EQ(std::memcmp(&read, &v, sizeof v), 0);
  }
  int32_t lo = 0, hi = 0;
  pos = chunk.GetInt32(&lo, pos);
  pos = chunk.GetInt32(&hi, pos);
  EXPECT_EQ(lo, INT32_MIN);
  EXPECT_EQ(hi, INT32_MAX);
  EXPECT_EQ(pos, chunk.Size());
}
