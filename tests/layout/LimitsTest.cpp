// Layouts asking for more than the reader gives, and SysEx controls whose template
// cannot carry their values: each is capped or built without messages, and logged.
#include <gtest/gtest.h>

#include "Framework/IControl.h"
#include "LayoutTestSupport.h"

namespace {

std::string SeKnob(const std::string& attributes, const std::string& paramId = "kFilterEnvAmnt") {
  return "<knobcontrol type=\"seKnob\" name=\"E\" paramId=\"" + paramId +
         "\" position=\"0,0\" imageId=\"KNOB_ID_127\" " + attributes + "/>";
}

TEST(Limits, SysExControlsWithBadInputsAreBuiltWithoutMessagesOrLookup) {
  const struct {
    std::string element;
    const char* logged;
  } cases[] = {
      {SeKnob("valueBounds=\"0,0,3\" sysexIndex=\"9\" changingByte=\"8\""), "SysEx list 9 has no template"},
      {SeKnob("valueBounds=\"0,0,3\" sysexIndex=\"2\" changingByte=\"8\""), "SysEx list 2 has no template"},
      {SeKnob("valueBounds=\"0,0,3\" sysexIndex=\"0\" changingByte=\"0\""), "changing byte 0 lies outside"},
      {SeKnob("valueBounds=\"0,0,3\" sysexIndex=\"0\" changingByte=\"10\""), "changing byte 10 lies outside"},
      {"<multilayer name=\"m\" create=\"1\">" + SeKnob("valueBounds=\"0,0,3\" sysexIndex=\"1\" changingByte=\"3\"") +
           "</multilayer>",
       "template has no byte 7 for the part"},
      {SeKnob("valueBounds=\"0,5,2\" sysexIndex=\"0\" changingByte=\"8\""), "maximum below minimum"},
      {"<buttoncontrol type=\"seButton\" name=\"E\" paramId=\"kFilterEnvAmnt\" position=\"0,0\" "
       "imageId=\"ID_SINGLELED1\" sysexIndex=\"0\" changingByte=\"12\"/>",
       "changing byte 12 lies outside"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    LayoutFixture f;
    f.Read(Layout(c.element));
    const ControlAction* action = f.Action(8);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->boundControls.size(), 1u);
    EXPECT_TRUE(action->sysexMessages.empty());
    EXPECT_EQ(f.manager->getSysexControl(0x04, 0x20, 0x30, 0x40, 0), nullptr);
    EXPECT_TRUE(f.Logged(c.logged)) << ::testing::PrintToString(f.log);
  }
}

TEST(Limits, CountsCopiesEntriesAndCoordinatesAreCapped) {
  LayoutFixture f;
  f.Read(Layout(SeKnob("valueBounds=\"0,0,999\" sysexIndex=\"0\" changingByte=\"8\"") +
                "<multilayer name=\"m\" create=\"400\"/>"
                "<menucontrol type=\"ccMenu\" name=\"Big\" paramId=\"kFilterType\" position=\"0,0,30\" "
                "valueBounds=\"0,0,5000\" valueDisplay=\"0:1\"/>"
                "<switch name=\"Far\" paramId=\"kSlotAEnable\" position=\"2000000000,-2000000000\" "
                "imageId=\"ID_SINGLELED1\"/>"
                "<slidercontrol type=\"ccSliderVer\" name=\"Long\" paramId=\"kAmpGain\" position=\"0,0\" "
                "length=\"2147483647\" imageId=\"BUTTON_VAAKA_YKS_ID\" valueBounds=\"0,0,1\"/>"),
         DefaultSysEx(), 1.25);
  EXPECT_EQ(f.Action(8)->sysexMessages.size(), size_t(kMaxSysExMessages));
  EXPECT_EQ(f.graphics->NLayers(), UIConfigManager::kMaxLayerCopies);
  EXPECT_EQ(f.plug->GetParam(156)->GetMax(), UIConfigManager::kMaxMenuEntries - 1);
  EXPECT_EQ(f.First(347)->GetRECT().L, 125000);
  EXPECT_EQ(f.First(347)->GetRECT().T, -125000);
  ASSERT_NE(f.First(44), nullptr);
  for (const char* line :
       {"1000 SysEx messages capped at 256", "\"create\" 400 capped at 16", "5000 menu entries capped at 1024",
        "layout value 2000000000 capped at 100000", "layout value 2147483647 capped at 100000"})
    EXPECT_TRUE(f.Logged(line)) << line;
}

TEST(Limits, ANoValueKnobOnTheDawOffsetBindsNothing) {
  LayoutFixture f;
  f.Read(
      Layout("<multiFx type=\"Knob\" name=\"Off\" paramId=\"kAdjustDAWOffset\" position=\"0,0\" "
             "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,9\"/>"));
  EXPECT_EQ(f.Action(658), nullptr);
  EXPECT_EQ(f.graphics->NControls(), 1);
}

}  // namespace
