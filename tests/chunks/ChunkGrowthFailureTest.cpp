// Writers whose chunk cannot grow report failure instead of passing a short chunk off
// as a saved state.

#include <gtest/gtest.h>

#include "BaseTestPlug.h"
#include "FailingAllocator.h"

namespace {

struct TwoParamPlug : BaseTestPlug {
  TwoParamPlug() : BaseTestPlug(2, 2, "2-2", 2) {
    GetParam(0)->InitDouble("level", 0.5, 0.0, 1.0, 0.01);
    GetParam(1)->InitInt("mode", 1, 0, 3);
  }
};

}  // namespace

TEST(ChunkGrowthFailure, ParamsReportAChunkThatCouldNotGrow) {
  TwoParamPlug plug;
  ByteChunk chunk;
  FailingAllocator failing;
  FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
  EXPECT_FALSE(plug.SerializeParams(&chunk));
  EXPECT_EQ(chunk.Size(), 0);
  FailingAllocator::failAllocate = FailingAllocator::failReallocate = false;
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(chunk.Size(), 16);
}

TEST(ChunkGrowthFailure, NonAutomatedParamsReportAChunkThatCouldNotGrow) {
  BaseTestPlug plug(4, 2);  // two automated, two not
  ByteChunk chunk;
  {
    FailingAllocator failing;
    FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
    EXPECT_FALSE(plug.SerializeNonAutomatedParams(&chunk, 2));
    EXPECT_EQ(chunk.Size(), 0);
  }
  EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 2));
  EXPECT_EQ(chunk.Size(), 16);
  EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 0)) << "nothing to write is no failure";
}

TEST(ChunkGrowthFailure, PresetsReportAChunkThatCouldNotGrow) {
  TwoParamPlug plug;
  plug.MakeDefaultPreset("kept", 1);
  ByteChunk bank;
  {
    FailingAllocator failing;
    FailingAllocator::failAllocate = FailingAllocator::failReallocate = true;
    EXPECT_FALSE(plug.SerializePresets(&bank));
  }
  EXPECT_TRUE(plug.SerializePresets(&bank));
  // "kept": length, 4 letters, flag, two doubles; "empty": length, 5 letters, flag.
  EXPECT_EQ(bank.Size(), (4 + 4 + 1 + 16) + (4 + 5 + 1));
}
