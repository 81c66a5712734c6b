// Every element and "type" reaches its factory: the control class and rectangle,
// the parameter's name, range, step and group, the binding's kind and its lookup.
#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

#include "Framework/IControlBitmaps.h"
#include "Framework/IControlFader.h"
#include "Framework/IControlKnobs.h"
#include "Framework/IControlSwitches.h"
#include "Framework/IControlText.h"
#include "LayoutTestSupport.h"
#include "layout/ICustomRadioButtonsControl.h"

namespace {

struct DispatchCase {
  std::string element;
  int param;
  const std::type_info& type;
  IRECT rect;
  const char* name;
  double min, max, step;
  const char* group;
  int kind;
  // The control the lookup tables give for this binding (null: none expected).
  std::function<IControl*(UIConfigManager&)> lookup;
};

std::string Control(const std::string& tag, const std::string& attributes) {
  return "<" + tag + " " + attributes + "/>";
}

TEST(Dispatch, EachElementAndTypeReachesItsFactory) {
  const auto none = [](UIConfigManager&) -> IControl* { return nullptr; };
  const std::vector<DispatchCase> cases = {
      {Control("knobcontrol",
               "type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" paramGroup=\"Filter\" "
               "position=\"10,20\" imageId=\"KNOB_ID_127\" valueBounds=\"64,0,127,2\" ccNumber=\"74\" "
               "channel=\"3\""),
       0, typeid(IKnobMultiControl), IRECT(10, 20, 18, 24), "Cutoff", 0, 127, 2, "Filter", kActionCC,
       [](UIConfigManager& m) { return m.getCCControls(3, 74, 1); }},
      {Control("buttoncontrol",
               "type=\"msbLsbKnob\" name=\"Res\" paramId=\"kFilterResonance\" position=\"30,0\" "
               "imageId=\"KNOB_ID_257\" valueBounds=\"1,0,9,5\" ccNumber=\"99\" msbValue=\"1\" "
               "lsbValue=\"2\" lsbControl=\"3\" channel=\"5\""),
       4, typeid(IKnobMultiControl), IRECT(30, 0, 38, 4), "Res", 0, 9, 1, "", kActionMsbLsb,
       [](UIConfigManager& m) { return m.getMsbLsbControl(0, 1, 2, 3, 0); }},
      {Control("knobcontrol",
               "type=\"seKnob\" name=\"Env\" paramId=\"kFilterEnvAmnt\" position=\"0,40\" "
               "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,3,9\" sysexIndex=\"0\" changingByte=\"8\""),
       8, typeid(IKnobMultiControl), IRECT(0, 40, 8, 44), "Env", 0, 3, 1, "", kActionSysEx,
       [](UIConfigManager& m) { return m.getSysexControl(0x04, 0x20, 0x30, 0x40, 0); }},
      {Control("knobcontrol",
               "type=\"noValKnob\" name=\"Porta\" paramId=\"kPortamento\" position=\"0,50\" "
               "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,10,3\""),
       92, typeid(IKnobMultiControl), IRECT(0, 50, 8, 54), "Porta", 0, 10, 1, "", kActionProgramResend, none},
      {Control("slidercontrol",
               "type=\"seSliderVer\" name=\"Gain\" paramId=\"kAmpGain\" position=\"60,0\" "
               "length=\"50\" imageId=\"BUTTON_VAAKA_YKS_ID\" valueBounds=\"0,0,127,0\" "
               "sysexIndex=\"0\" changingByte=\"7\" msgZeroVal=\"1\""),
       44, typeid(IFaderControl), IRECT(60, 0, 68, 50), "Gain", 0, 127, 1, "", kActionSysEx,
       [](UIConfigManager& m) { return m.getSysexControl(0x33, 0x10, 0x04, 0x20, 0); }},
      {Control("slidercontrol",
               "type=\"ccSliderHor\" name=\"Rate\" paramId=\"kLFO1Rate\" position=\"70,0\" "
               "length=\"40\" imageId=\"BUTTON_VAAKA_YKS_ID\" valueBounds=\"5,0,64\" ccNumber=\"20\" "
               "channel=\"2\""),
       48, typeid(IFaderControl), IRECT(70, 0, 110, 4), "Rate", 0, 64, 1, "", kActionCC,
       [](UIConfigManager& m) { return m.getCCControls(2, 20, 1); }},
      {Control("buttoncontrol",
               "type=\"seButton\" name=\"Sync\" paramId=\"kOscSync\" position=\"0,60\" "
               "imageId=\"ID_SINGLELED1\" valueBounds=\"1\" sysexIndex=\"0\" changingByte=\"8\""),
       132, typeid(ISwitchControl), IRECT(0, 60, 8, 64), "Sync", 0, 1, 1, "", kActionSysExSwitch,
       [](UIConfigManager& m) { return m.getSysexControl(0x04, 0x20, 0x30, 0x40, 0); }},
      {Control("buttoncontrol",
               "type=\"ccButton\" name=\"Auto\" paramId=\"kAutoPortamento\" position=\"0,70\" "
               "imageId=\"ID_SINGLELED1\" valueBounds=\"1,0,127\" ccNumber=\"65\" channel=\"1\""),
       140, typeid(ISwitchControl), IRECT(0, 70, 8, 74), "Auto", 0, 1, 1, "", kActionCCSwitch,
       [](UIConfigManager& m) { return m.getCCControls(1, 65, 1); }},
      {Control("buttoncontrol",
               "type=\"msbLsbButton\" name=\"Uni\" paramId=\"kUnisonMode\" position=\"0,80\" "
               "imageId=\"ID_SINGLELED1\" valueBounds=\"0,10,20\" ccNumber=\"98\" msbValue=\"7\" "
               "lsbValue=\"8\" lsbControl=\"9\" channel=\"6\""),
       148, typeid(ISwitchControl), IRECT(0, 80, 8, 84), "Uni", 0, 1, 1, "", kActionMsbLsb,
       [](UIConfigManager& m) { return m.getMsbLsbControl(6, 7, 8, 9, 0); }},
      {Control("menucontrol",
               "type=\"msbLsbMenu\" name=\"Dest\" paramId=\"kLFO1Destination\" position=\"100,40,80\" "
               "valueBounds=\"0,0,3\" valueDisplay=\"1:99\" msbValue=\"4\" channel=\"2\""),
       60, typeid(ICaptionControl), IRECT(100, 40, 180, 53), "Dest", 0, 2, 1, "", kActionMsbLsb,
       [](UIConfigManager& m) { return m.getMsbLsbControl(2, 4, 0, 0, 0); }},
      {Control("menucontrol",
               "type=\"seMenu\" name=\"Oct\" paramId=\"kOctaveSwitch\" position=\"0,90,40\" "
               "valueBounds=\"0,0,2\" valueList=\"two\" sysexIndex=\"0\" changingByte=\"8\""),
       152, typeid(ICaptionControl), IRECT(0, 90, 40, 103), "Oct", 0, 1, 1, "", kActionSysEx,
       [](UIConfigManager& m) { return m.getSysexControl(0x04, 0x20, 0x30, 0x40, 0); }},
      {Control("knobcontrol",
               "type=\"switch2\" name=\"L1\" paramId=\"kLFO1Sync\" position=\"0,110\" "
               "imageId=\"ID_SINGLELED1\" valueBounds=\"1,1,1\""),
       315, typeid(IContactControl), IRECT(0, 110, 8, 114), "L1", 0, 1, 1, "", kActionNone, none},
      {Control("menucontrol",
               "type=\"ccMenu\" name=\"Type\" paramId=\"kFilterType\" position=\"0,120,30\" "
               "valueBounds=\"0,0,2\" valueList=\"two\" ccNumber=\"30\" channel=\"4\""),
       156, typeid(ICaptionControl), IRECT(0, 120, 30, 133), "Type", 0, 1, 1, "", kActionCC,
       [](UIConfigManager& m) { return m.getCCControls(4, 30, 1); }},
      {Control("switch",
               "name=\"A\" paramId=\"kSlotAEnable\" position=\"0,140\" imageId=\"ID_SINGLELED1\" "
               "valueBounds=\"1,0,0\""),
       347, typeid(ISwitchControl), IRECT(0, 140, 8, 144), "A", 0, 1, 1, "", kActionNone, none},
      {Control("switch2", "name=\"B\" paramId=\"kSlotBEnable\" position=\"0,150\" imageId=\"ID_SINGLELED1\""), 348,
       typeid(IContactControl), IRECT(0, 150, 8, 154), "B", 0, 1, 1, "", kActionNone, none},
      {Control("autooff", "name=\"Up\" paramId=\"kPatchUp\" position=\"0,160\" imageId=\"ID_SINGLELED1\""), 774,
       typeid(IContactControl), IRECT(0, 160, 8, 164), "Up", 0, 1, 1, "", kActionNone, none},
      {Control("dropMenu", "type=\"textSelection\" name=\"MS\" paramId=\"kMultiSettings\" bounds=\"0,170,50,12\""), 769,
       typeid(ICaptionControl), IRECT(0, 170, 50, 182), "MS", 0, 0, 1, "", kActionNone, none},
      {Control("dropMenu",
               "type=\"dropSelection\" name=\"DT\" paramId=\"kDatatype\" bounds=\"0,190,50,12\" "
               "valueBounds=\"1,0,2\" valueList=\"two\""),
       660, typeid(ICaptionControl), IRECT(0, 190, 50, 202), "DT", 0, 1, 1, "", kActionNone, none},
      {Control("dropMenu",
               "type=\"nameSelection\" name=\"Find\" paramId=\"kPatchSearchString\" "
               "bounds=\"0,210,80,14\" nameLen=\"20\""),
       622, typeid(ICaptionControl), IRECT(0, 210, 80, 224), "Find", 0, 0, 1, "", kActionNone, none},
      {Control("multiFx",
               "type=\"Knob\" name=\"Tune\" paramId=\"kMasterTune\" position=\"0,230\" "
               "imageId=\"KNOB_ID_127\" valueBounds=\"0,-5,5,7\""),
       309, typeid(IKnobMultiControl), IRECT(0, 230, 8, 234), "Tune", -5, 5, 1, "", kActionProgramResend, none},
      {Control("multiFx",
               "type=\"Menu\" name=\"Bank\" paramId=\"kCurrentBank\" position=\"0,240,30,10\" "
               "valueBounds=\"0,0,3\" visible=\"1\" valueDisplay=\"1:3\""),
       426, typeid(ICaptionControl), IRECT(0, 240, 30, 250), "Bank", 0, 2, 1, "", kActionNone, none},
      {Control("radio",
               "name=\"Tab\" paramId=\"kQuickTab\" position=\"0,260\" imageId=\"BUTTON_PART_SELECTOR_ID\" "
               "buttons=\"4\""),
       794, typeid(ICustomRadioButtonsControl), IRECT(0, 260, 8, 264), "Tab", 0, 3, 1, "", kActionNone, none},
      {Control("display", "paramId=\"kControlDisplayValue\" bounds=\"0,270,60,15\" displaySize=\"2,0\""), 778,
       typeid(ITextControl), IRECT(0, 270, 60, 285), "", 0, 1, 1, "", kActionNone, none},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.element);
    LayoutFixture f;
    f.Read(Layout("<valueLists><list name=\"two\"><value>x</value><value>y</value></list></valueLists>" + c.element));
    IControl* control = f.First(c.param);
    ASSERT_NE(control, nullptr) << ::testing::PrintToString(f.log);
    EXPECT_EQ(f.graphics->GetControl(f.graphics->NControls() - 1), control);
    EXPECT_TRUE(typeid(*control) == c.type) << typeid(*control).name();
    EXPECT_EQ(control->GetRECT(), c.rect);
    // A read-out is written by the editor, not bound to its parameter.
    EXPECT_EQ(control->ParamIdx(), c.type == typeid(ITextControl) ? -1 : c.param);
    const IParam* param = f.plug->GetParam(c.param);
    EXPECT_STREQ(param->GetNameForHost(), c.name);
    EXPECT_EQ(param->GetMin(), c.min);
    EXPECT_EQ(param->GetMax(), c.max);
    EXPECT_EQ(param->GetStep(), c.step);
    EXPECT_STREQ(param->GetParamGroupForHost(), c.group);
    EXPECT_EQ(f.Action(c.param)->kind, c.kind);
    if (IControl* found = c.lookup(*f.manager)) {
      EXPECT_EQ(found, control);
    }
    EXPECT_FALSE(f.Noted("builds nothing")) << ::testing::PrintToString(f.notes);
    EXPECT_FALSE(f.Noted("is not used")) << ::testing::PrintToString(f.notes);
  }
}

TEST(Dispatch, BindingFieldsOfTheMidiFactories) {
  LayoutFixture f;
  f.Read(Layout(
      "<buttoncontrol type=\"ccButton\" name=\"Auto\" paramId=\"kAutoPortamento\" position=\"0,0\" "
      "imageId=\"ID_SINGLELED1\" valueBounds=\"0,3,127\" ccNumber=\"300\" channel=\"-1\"/>"
      "<buttoncontrol type=\"msbLsbButton\" name=\"Uni\" paramId=\"kUnisonMode\" position=\"0,0\" "
      "imageId=\"ID_SINGLELED1\" valueBounds=\"1,10,20\" ccNumber=\"98\" msbValue=\"7\" lsbValue=\"8\" "
      "lsbControl=\"9\" channel=\"6\"/>"
      "<slidercontrol type=\"seSliderVer\" name=\"Gain\" paramId=\"kAmpGain\" position=\"0,0\" length=\"50\" "
      "imageId=\"BUTTON_VAAKA_YKS_ID\" valueBounds=\"0,0,127,0\" sysexIndex=\"0\" changingByte=\"7\" msgZeroVal=\"1\"/>"
      "<menucontrol type=\"seMenu\" name=\"Oct\" paramId=\"kOctaveSwitch\" position=\"0,0,40\" "
      "valueBounds=\"0,0,2\" valueList=\"none\" valueDisplay=\"1:9\" sysexIndex=\"0\" changingByte=\"8\"/>"));
  const ControlAction* cc = f.Action(140);
  EXPECT_EQ(cc->ccNumber, 44);  // bytes keep their low 8 bits
  EXPECT_EQ(cc->channel, 255);
  EXPECT_EQ(cc->offValue, 3);
  EXPECT_EQ(cc->onValue, 127);
  EXPECT_EQ(f.plug->GetParam(140)->Value(), 0.0);
  const ControlAction* msb = f.Action(148);
  EXPECT_EQ(std::vector<int>({msb->ccNumber, msb->nrpnKey1, msb->nrpnKey2, msb->nrpnKey3, msb->channel, msb->firstGen,
                              msb->offValue, msb->onValue}),
            std::vector<int>({98, 7, 8, 9, 6, 0, 10, 20}));
  EXPECT_EQ(msb->slot, -1);  // channel 6 names no slot
  const ControlAction* fader = f.Action(44);
  ASSERT_EQ(fader->sysexMessages.size(), 128u);
  EXPECT_EQ(fader->sysexMessages[0][6], 1);  // minimum plus the offset
  const ControlAction* menu = f.Action(152);
  EXPECT_EQ(menu->sysexMessages.size(), 3u);  // one more message than entries
  EXPECT_EQ(f.plug->GetParam(152)->GetDisplayText(1), "2");
}

}  // namespace
