#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "BaseTestPlug.h"
#include "ChunkTestSupport.h"

namespace {
// Three automated parameters with distinct ranges, then two non-automated ones.
void SetUpParams(BaseTestPlug& plug) {
  plug.GetParam(0)->InitDouble("a", 0.5, 0.0, 1.0, 0.01);
  plug.GetParam(1)->InitInt("b", -1, -4, 4);
  plug.GetParam(2)->InitEnum("c", 2, 3);
  plug.GetParam(3)->InitInt("d", 7, 0, 10);
  plug.GetParam(4)->InitInt("e", 9, 0, 10);
}
}  // namespace

TEST(ParamChunk, AutomatedBlockBytes) {
  BaseTestPlug plug(5, 3);
  SetUpParams(plug);
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{0, 0, 0,    0,    0, 0, 0xE0, 0x3F, 0, 0, 0,    0,
                                                  0, 0, 0xF0, 0xBF, 0, 0, 0,    0,    0, 0, 0x00, 0x40}));
}

TEST(ParamChunk, NothingAutomatedWritesNothing) {
  BaseTestPlug plug(798, 0);
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 0);
  EXPECT_TRUE(plug.CompareState(nullptr, 0));
}

TEST(ParamChunk, RoundTripIntoASecondInstance) {
  BaseTestPlug a(5, 3), b(5, 3);
  SetUpParams(a);
  SetUpParams(b);
  a.GetParam(0)->Set(0.25);
  a.GetParam(1)->Set(3.0);
  a.GetParam(3)->Set(2.0);
  a.GetParam(4)->Set(4.0);
  ByteChunk chunk;
  a.SerializeParams(&chunk);
  a.SerializeNonAutomatedParams(&chunk, 2);
  EXPECT_EQ(chunk.Size(), 40);
  int pos = b.UnserializeParams(&chunk, 0);
  EXPECT_EQ(pos, 24);
  pos = b.UnserializeNonAutomatedParams(&chunk, pos, 2);
  EXPECT_EQ(pos, 40);
  for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(b.GetParam(i)->Value(), a.GetParam(i)->Value()) << i;
}

TEST(ParamChunk, ShortChunkChangesNothingAsStateAndSetsClampedZeroAsParams) {
  BaseTestPlug plug(5, 3);
  SetUpParams(plug);
  plug.GetParam(2)->InitInt("c2", 2, 1, 3);  // type stays enum; range 1..3
  ByteChunk chunk;
  chunk.PutDouble(0.75);
  chunk.PutDouble(-2.0);
  // As a state: nothing applied from a chunk that does not read whole.
  EXPECT_EQ(plug.UnserializeState(&chunk, 0), -1);
  const double before[3] = {0.5, -1.0, 2.0};
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(plug.GetParam(i)->Value(), before[i]) << i;
  // The parameter reader on its own reads what is there.
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.75);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), -2.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 1.0);  // 0.0 clamped up to min
}

TEST(ParamChunk, ReadValuesAreClamped) {
  BaseTestPlug plug(5, 3);
  SetUpParams(plug);
  ByteChunk chunk;
  chunk.PutDouble(7.0);
  chunk.PutDouble(-100.0);
  chunk.PutDouble(1.5);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 24);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 1.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), -4.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 1.5);
}

TEST(ParamChunk, NegativeStartChangesNothing) {
  BaseTestPlug plug(5, 3);
  SetUpParams(plug);
  ByteChunk chunk;
  chunk.PutDouble(0.1);
  EXPECT_EQ(plug.UnserializeParams(&chunk, -1), -1);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, -5, 2), -5);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, 0), 0);
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 7.0);
}

TEST(ParamChunk, NonAutomatedRunStaysInsideTheList) {
  BaseTestPlug plug(5, 3);
  SetUpParams(plug);
  ByteChunk chunk;
  plug.SerializeNonAutomatedParams(&chunk, 0);
  EXPECT_EQ(chunk.Size(), 0);
  plug.SerializeNonAutomatedParams(&chunk, 50);  // only two exist
  EXPECT_EQ(chunk.Size(), 16);
  for (int k = 0; k < 10; ++k) chunk.PutDouble(1.0);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, 50), 16);
}

TEST(ParamChunk, EveryTruncationOfTheEditorsBlock) {
  // The editor's layout: automated block (empty), then parameters 0..620 as plain values.
  BaseTestPlug source(798, 0);
  for (int i = 0; i < 798; ++i) source.GetParam(i)->InitInt("p", i % 50, 0, 100);
  ByteChunk full;
  source.SerializeParams(&full);
  source.SerializeNonAutomatedParams(&full, 621);
  ASSERT_EQ(full.Size(), 621 * 8);
  BaseTestPlug target(798, 0);
  for (int i = 0; i < 798; ++i) target.GetParam(i)->InitInt("p", 77, 5, 100);
  for (int cut = 0; cut <= full.Size(); ++cut) {
    ByteChunk chunk;
    chunk.PutChunk(&full);
    chunk.Resize(cut);
    for (int i = 0; i < 798; ++i) target.GetParam(i)->Set(77.0);
    int pos = target.UnserializeParams(&chunk, 0);
    pos = target.UnserializeNonAutomatedParams(&chunk, pos, 621);
    const int whole = cut / 8;
    if (whole == 621) {
      ASSERT_EQ(pos, full.Size());
    } else {
      ASSERT_EQ(pos, -1) << cut;
    }
    for (int i = 0; i < whole; ++i) {
      ASSERT_DOUBLE_EQ(target.GetParam(i)->Value(), std::max(5, i % 50)) << cut;
    }
    if (whole < 621) {
      ASSERT_DOUBLE_EQ(target.GetParam(whole)->Value(), 5.0) << cut;
    }
    if (whole + 1 < 798) {
      ASSERT_DOUBLE_EQ(target.GetParam(whole + 1)->Value(), 77.0) << cut;
    }
  }
}

TEST(ParamChunk, CompareStateToleratesFloatNoise) {
  BaseTestPlug plug(3, 2);
  plug.GetParam(0)->InitDouble("a", 0.1, 0.0, 1.0, 0.001);
  plug.GetParam(1)->InitDouble("b", 0.5, 0.0, 1.0, 0.001);
  // Stored one byte off alignment, after one leading double.
  std::vector<unsigned char> raw(1 + 3 * 8);
  auto put = [&](int element, double v) {
    ByteChunk one;
    one.PutDouble(v);
    std::memcpy(raw.data() + 1 + element * 8, one.GetBytes(), 8);
  };
  put(0, 99.0);
  put(1, 0.100001);
  put(2, 0.5);
  EXPECT_TRUE(plug.CompareState(raw.data() + 1, 1));
  put(1, 0.1001);
  EXPECT_FALSE(plug.CompareState(raw.data() + 1, 1));
  EXPECT_FALSE(plug.CompareState(raw.data() + 1, -1));
}
