// The lookups incoming MIDI uses on the authored panel, the three-part value map and
// the read-out lines written at once.
#include <gtest/gtest.h>

#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "SharedEditorSuite.h"

namespace {

class Lookups : public SharedEditorSuite {
protected:
  static int paramOf(const IControl* control) { return control ? control->ParamIdx() : -1; }
};

TEST_F(Lookups, ControlChangesFindTheirControl) {
  struct Case {
    int channelKey, cc, modelGroup;
    const char* family;  // null: no control
    int slot;
  };
  const Case cases[] = {
      {1, 74, 0, "kFilterCutoff", 0},
      {2, 74, 0, "kFilterCutoff", 1},
      {4, 74, 0, "kFilterCutoff", 3},
      {1, 20, 0, "kLFO1Waveform", 0},
      {3, 20, 1, "kLFO1WaveformNL1", 2},
      {5, 74, 0, nullptr, 0},  // no binding on that channel key
      {0, 74, 0, nullptr, 0},
      {1, 3, 0, nullptr, 0},   // no such controller
      {1, 74, 7, nullptr, 0},  // no such model group
      {-1, -1, -1, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.channelKey << " cc " << c.cc << " group " << c.modelGroup);
    const int expected = c.family ? param(c.family) + c.slot : -1;
    EXPECT_EQ(paramOf(plug().getCCControls(c.channelKey, c.cc, c.modelGroup)), expected);
    // The messaging side reaches the same lookup through its interface.
    const MessagingEditor& messaging = plug();
    EXPECT_EQ(paramOf(messaging.getCCControls(c.channelKey, c.cc, c.modelGroup)), expected);
  }
}

TEST_F(Lookups, SysExMessagesFindTheirControl) {
  struct Case {
    int b0, b1, b2, b3, fifth;
    int expected;  // -1: no control
  };
  const Case cases[] = {
      {0x04, 0x60, 0x03, 0x00, 0, 312},  // kGlobalProgChange
      {0x04, 0x60, 0x00, 0x01, 0, 324},  // kFilterEnvTrigger, slot B
      {0x04, 0x60, 0x08, 0x03, 0, 350},  // kSlotDEnable
      {0x04, 0x60, 0x00, 0x04, 0, -1},   // three bytes match, the fourth not
      {0x04, 0x60, 0x03, 0x00, 1, -1},   // no such fifth key
      {0x05, 0x60, 0x03, 0x00, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.b0 << " " << c.b1 << " " << c.b2 << " " << c.b3);
    EXPECT_EQ(paramOf(plug().getSysexControl(c.b0, c.b1, c.b2, c.b3, c.fifth)), c.expected);
  }
  // The panel binds no MSB/LSB pair.
  EXPECT_EQ(plug().getMsbLsbControl(1, 0, 0, 0, 0), nullptr);
}

TEST_F(Lookups, ProgramValuesByThreeParts) {
  EXPECT_EQ(plug().getProgramValueByParts(1, 2, 3), 0);
  plug().setProgramValueByParts(1, 2, 3, 7);
  EXPECT_EQ(plug().getProgramValueByParts(1, 2, 3), 7);
  plug().setProgramValueByParts(1, 2, 3, 9);
  EXPECT_EQ(plug().getProgramValueByParts(1, 2, 3), 9);
  plug().setProgramValueByParts(-4, 0, 2147483647, -1);
  EXPECT_EQ(plug().getProgramValueByParts(-4, 0, 2147483647), -1);
  // Neighbours at each level stay unset, and looking them up creates nothing.
  for (const auto& k : {std::array<int, 3>{1, 2, 4}, {1, 3, 3}, {2, 2, 3}, {0, 0, 0}})
    EXPECT_EQ(plug().getProgramValueByParts(k[0], k[1], k[2]), 0);
  EXPECT_EQ(plug().programValues.size(), 2u);
  EXPECT_EQ(plug().programValues[1].size(), 1u);
}

TEST_F(Lookups, ReadoutLinesAtOnce) {
  plug().displayText("name", "value", "CC 74");
  EXPECT_EQ(plug().keptControls().statusText->GetTextString(), "name");
  EXPECT_EQ(plug().keptControls().valueText->GetTextString(), "value");
  EXPECT_EQ(dynamic_cast<ITextControl*>(plug().keptControls().ccDisplay)->GetTextString(), "CC 74");
  plug().displayBuild("build 7");
  EXPECT_EQ(dynamic_cast<ITextControl*>(plug().keptControls().buildDisplay)->GetTextString(), "build 7");
  EXPECT_EQ(plug().keptControls().statusText->GetTextString(), "name");
}

}  // namespace
