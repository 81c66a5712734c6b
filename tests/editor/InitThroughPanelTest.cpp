// The INIT sounds through the real panel: every INIT value lies within its control's
// range, so INIT loaded and sent again is INIT, byte for byte, on every model.

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Bytes = std::vector<uint8_t>;

class InitThroughPanel : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override { editor.plug->setNordModel(GetParam()); }
  EditorFixture editor;
};

TEST_P(InitThroughPanel, TheInitProgramLoadedAndSentAgainIsTheInitProgram) {
  const ProgramDumpCoder* coder = editor.plug->programDumpCoder();
  ASSERT_NE(coder, nullptr);
  const Bytes init(std::begin(kInitProgram), std::end(kInitProgram));
  for (int slot = 0; slot < 4; ++slot) {
    Bytes toSlot = init;
    toSlot[5] = uint8_t(slot);
    ASSERT_EQ(coder->Parse(toSlot.data(), toSlot.size(), editor.plug->panelParameters()), slot);
    EXPECT_EQ(coder->Build(editor.plug->panelParameters(), slot, 0), toSlot) << "slot " << slot;
  }
}

TEST_P(InitThroughPanel, TheInitPerformanceLoadedAndSentAgainIsTheInitPerformance) {
  const PerformanceDumpCoder* coder = editor.plug->performanceDumpCoder();
  ASSERT_NE(coder, nullptr);
  const auto initArray = InitPerformance();
  const Bytes init(initArray.begin(), initArray.end());
  ASSERT_TRUE(coder->Parse(init.data(), init.size(), editor.plug->panelParameters()));
  EXPECT_EQ(coder->Build(editor.plug->panelParameters(), 0, editor.plug->panelMode().activeSlot.load()), init);
}

INSTANTIATE_TEST_SUITE_P(Models, InitThroughPanel, ::testing::Values(0, 1, 2));

}  // namespace
