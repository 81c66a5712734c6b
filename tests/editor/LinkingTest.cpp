// Part linking on the authored panel: which slots follow an edit, by the slots'
// channels, the active slot and the edited slot, and the links that mirror nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "SharedEditorSuite.h"

namespace {

constexpr double kValue = 1.0;  // in range for knobs, menus and switches

class Linking : public SharedEditorSuite {
protected:
  static void setChannels(const std::array<int, 4>& channels) {
    for (int s = 0; s < 4; ++s)
      if (IParam* channel = plug().GetParam(kPartMidiChannel + s)) channel->Set(channels[size_t(s)]);
  }
  // Every member at 0 with nothing sent yet: a member the link reaches holds the value
  // afterwards, and its controls show it.
  static void prepare(int first, int count) {
    plug().setMidiIOSet(true);
    for (int i = first; i < first + count; ++i) {
      IParam* member = plug().GetParam(i);
      ASSERT_NE(member, nullptr);
      member->Set(0.0);
      if (ControlAction* action = member->GetControlAction()) action->lastValue = -1.0;
    }
  }
  static bool reached(int paramIdx) {
    const IParam* member = plug().GetParam(paramIdx);
    if (member->Value() != kValue) return false;
    for (const IControl* control : member->GetControlAction()->boundControls)
      EXPECT_EQ(control->GetValue(), member->GetNormalized()) << paramIdx;
    return true;
  }
  static void edit(int paramIdx, LinkInfo link) {
    plug().linkManager.controlLinker(&plug(), link, paramIdx, int(kValue), kValue);
  }
};

TEST_F(Linking, SlotsOnTheActiveSlotsChannelFollow) {
  struct Case {
    std::array<int, 4> channels;
    int active, edited;
    std::set<int> followers;
  };
  const Case cases[] = {
      {{1, 2, 3, 4}, 0, 0, {}},
      {{1, 1, 1, 2}, 0, 0, {1, 2}},
      {{1, 1, 1, 2}, 1, 1, {0, 2}},
      {{1, 1, 1, 2}, 3, 3, {}},
      {{7, 7, 7, 7}, 3, 3, {0, 1, 2}},
      {{1, 2, 1, 2}, 2, 2, {0}},
      {{1, 2, 1, 2}, 1, 1, {3}},
      // A change the synthesizer sent for slot C while B is active: B and D follow, A not.
      {{5, 5, 5, 5}, 1, 2, {1, 3}},
      // Slots off the active slot's channel never follow, whichever slot was edited.
      {{1, 1, 2, 2}, 0, 2, {1}},
  };
  const int base = param("kFilterCutoff");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "channels " << c.channels[0] << c.channels[1] << c.channels[2] << c.channels[3]
                                    << " active " << c.active << " edited " << c.edited);
    setChannels(c.channels);
    plug().setActiveSlot(c.active);
    prepare(base, 4);
    edit(base + c.edited, plug().GetParam(base + c.edited)->GetControlAction()->link);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(reached(base + s), c.followers.count(s) == 1) << "slot " << s;
    EXPECT_FALSE(plug().roadState().linkInProgress);
  }
}

TEST_F(Linking, LinksThatMirrorNothing) {
  setChannels({3, 3, 3, 3});
  plug().setActiveSlot(0);
  // Beyond the per-part groups a link needs a check naming a parameter.
  const int wave = param("kLFO1WaveformNL1");
  ASSERT_NE(plug().GetParam(wave + 1)->GetControlAction(), nullptr);
  for (int check : {-1, int(kTavroParamCount), 100000}) {
    prepare(wave, 4);
    edit(wave, LinkInfo{-1, check, -1});
    for (int s = 1; s < 4; ++s) EXPECT_FALSE(reached(wave + s)) << "check " << check << " slot " << s;
  }
  prepare(wave, 4);
  edit(wave, LinkInfo{-1, kPartMidiChannel, -1});
  for (int s = 1; s < 4; ++s) EXPECT_TRUE(reached(wave + s)) << "slot " << s;

  // The slot-A cycle button of the LFO1 waveform never links; its other members do.
  const int trig = param("kLFO1WaveTrig");
  ASSERT_EQ(trig, 693);
  prepare(trig, 4);
  edit(trig, LinkInfo{-1, kPartMidiChannel, -1});
  for (int s = 0; s < 4; ++s) EXPECT_FALSE(reached(trig + s)) << "slot " << s;
  plug().setActiveSlot(1);
  edit(trig + 1, LinkInfo{-1, kPartMidiChannel, -1});
  EXPECT_TRUE(reached(trig));

  // Targets beyond the table, or without a binding record: nothing, and no crash.
  plug().setActiveSlot(0);
  edit(kTavroParamCount - 1, LinkInfo{-1, kPartMidiChannel, -1});
  int unbound = -1;
  for (int i = 172; i < kTavroParamCount - 4 && unbound < 0; ++i)
    if (plug().GetParam(i)->GetControlAction() == nullptr && plug().GetParam(i + 1)->GetControlAction() == nullptr)
      unbound = i;
  ASSERT_GE(unbound, 0);
  edit(unbound, LinkInfo{-1, kPartMidiChannel, -1});
  EXPECT_FALSE(plug().roadState().linkInProgress);
  // Indices and slots outside their range are ignored.
  prepare(0, 4);
  edit(-5, LinkInfo{-1, kPartMidiChannel, -1});
  edit(-2, LinkInfo{-1, kPartMidiChannel, -1});
  edit(2147483647, LinkInfo{-1, kPartMidiChannel, -1});
  plug().linkManager.doControlLinkActions(&plug(), 172, 0, 1, LinkInfo{-1, kPartMidiChannel, -1}, -2147483647 - 1,
                                          kValue);
  for (int s = 0; s < 4; ++s) EXPECT_FALSE(reached(s)) << "slot " << s;
}

TEST_F(Linking, ChannelsThatAreNoChannelGiveNone) {
  const double values[] = {std::nan(""), 2.1e161, -1e300, 17, 0, -3};
  for (double v : values) {
    plug().GetParam(kPartMidiChannel + 2)->Set(v);
    EXPECT_EQ(plug().slotChannel(2), 0) << v;
  }
  plug().GetParam(kPartMidiChannel + 2)->Set(16.9);
  EXPECT_EQ(plug().slotChannel(2), 16);
}

TEST_F(Linking, HoldSwitchAndWheelDestinationNeedTheirOwnLink) {
  setChannels({2, 2, 2, 2});
  plug().setActiveSlot(0);
  for (const char* name : {"kLFO2Hold", "kModWheelDestination"}) {
    const int base = param(name);
    prepare(base, 4);
    edit(base, LinkInfo{});
    for (int s = 1; s < 4; ++s) EXPECT_FALSE(reached(base + s)) << name << " slot " << s;
    edit(base, LinkInfo{-1, kPartMidiChannel, -1});
    for (int s = 1; s < 4; ++s) EXPECT_TRUE(reached(base + s)) << name << " slot " << s;
  }
}

}  // namespace
