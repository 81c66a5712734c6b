// The element walk: layers and generated layers, parameter indices, kinds of shared
// records, links, slots, menus' texts, and what the walk refuses.
#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "Framework/IControlBitmaps.h"
#include "LayoutTestSupport.h"

namespace {

std::string CCKnob(const std::string& paramId, const std::string& extra = "") {
  return "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"" + paramId +
         "\" position=\"10,20\" imageId=\"KNOB_ID_127\" valueBounds=\"64,0,127,1\" ccNumber=\"74\" channel=\"3\" " +
         extra + "/>";
}

TEST(Walk, MultilayersBuildTheirChildrenOncePerPart) {
  LayoutFixture f;
  f.Read(Layout("<multilayer name=\"mainControlsLayer1stGen\" create=\"4\">" + CCKnob("kFilterCutoff") +
                "</multilayer><multilayer name=\"other\" create=\"2\">" + CCKnob("kFilterResonance") +
                "</multilayer><multilayer name=\"never\">" + CCKnob("kAmpGain") + "</multilayer>"));
  ASSERT_EQ(f.graphics->NLayers(), 6);
  for (int part = 0; part < 4; ++part) {
    SCOPED_TRACE(part);
    ControlLayer* layer = f.graphics->GetLayer(part);
    EXPECT_EQ(layer->GetID(), part);
    EXPECT_EQ(layer->GetName(), "mainControlsLayer1stGen" + std::to_string(part));
    EXPECT_EQ(f.manager->getLayer(layer->GetName()), layer);
    ASSERT_EQ(layer->NControls(), 1);
    EXPECT_EQ(layer->GetControl(0)->ParamIdx(), part);
    EXPECT_EQ(f.plug->GetParam(part)->GetNameForHost(), "[" + std::to_string(part + 1) + "] Cutoff");
    EXPECT_EQ(std::string(f.plug->GetParam(part)->GetParamGroupForHost()), "Part " + std::to_string(part + 1));
    const ControlAction* a = f.Action(part);
    EXPECT_EQ(a->channel, part + 1);
    EXPECT_EQ(a->firstGen, 1);
    EXPECT_EQ(a->slot, part);
    EXPECT_EQ(f.manager->getCCControls(part + 1, 74, 1), layer->GetControl(0));
  }
  EXPECT_EQ(f.Action(4 + 1)->firstGen, 0);  // "other1": not a first-generation layer
  EXPECT_EQ(f.graphics->GetLayer(5)->GetName(), "other1");
  EXPECT_EQ(f.Action(44), nullptr);  // create absent: children never visited
}

// The no-value knob is the one knob whose name a part does not prefix: each part's copy
// keeps the element's name and is told apart by its group.
TEST(Walk, ANoValueKnobInAPartKeepsItsNameAndTakesThePartsGroup) {
  LayoutFixture f;
  f.Read(
      Layout("<multilayer name=\"veloMorphPanel\" create=\"2\">"
             "<knobcontrol type=\"noValKnob\" name=\"Velo Cutoff\" paramId=\"kFilterCutoff\" "
             "paramGroup=\"Velocity Morph\" position=\"0,0\" imageId=\"KNOB_ID_127\" valueBounds=\"1,0,9,1\"/>"
             "<knobcontrol type=\"ccKnob\" name=\"Res\" paramId=\"kFilterResonance\" position=\"10,0\" "
             "imageId=\"KNOB_ID_127\" valueBounds=\"1,0,9,1\" ccNumber=\"71\" channel=\"1\"/>"
             "</multilayer>"));
  for (int part = 0; part < 2; ++part) {
    SCOPED_TRACE(part);
    EXPECT_EQ(std::string(f.plug->GetParam(part)->GetNameForHost()), "Velo Cutoff");
    EXPECT_EQ(std::string(f.plug->GetParam(part)->GetParamGroupForHost()),
              "Part " + std::to_string(part + 1) + ":Velocity Morph");
    EXPECT_EQ(std::string(f.plug->GetParam(4 + part)->GetNameForHost()), "[" + std::to_string(part + 1) + "] Res");
  }
}

TEST(Walk, ParamIdForms) {
  const struct {
    std::string paramId;
    int part;  // built inside a multilayer of one part copy when >= 0
    int expected;
  } cases[] = {
      {"kPatchRename+1", -1, 656},
      {"kFilterCutoff+x", -1, 0},
      {"kFilterCutoff+1+9", -1, 1},
      {"kFilterResonance+1", 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.paramId);
    LayoutFixture f;
    f.Read(Layout(c.part < 0 ? CCKnob(c.paramId)
                             : "<multilayer name=\"m\" create=\"1\">" + CCKnob(c.paramId) + "</multilayer>"));
    ASSERT_NE(f.First(c.expected), nullptr);
  }
  // In part 2: the name's index plus the part.
  LayoutFixture f;
  f.Read(Layout("<multilayer name=\"m\" create=\"3\">" + CCKnob("kFilterCutoff+1") + "</multilayer>"));
  EXPECT_NE(f.First(3), nullptr);
}

// An index that names no parameter of the table builds nothing; the layout's notes say so.
TEST(Walk, UnregisteredAndOutOfTableParamIdsAreSkipped) {
  for (const std::string id : {"kNoSuch", "kNoSuch+2", "kRandomize+1", "kFilterCutoff+-5", "+"}) {
    SCOPED_TRACE(id);
    LayoutFixture f;
    f.Read(Layout(CCKnob(id)));
    EXPECT_EQ(f.graphics->NControls(), 0);
    EXPECT_TRUE(f.Noted("\"knobcontrol\" builds nothing")) << ::testing::PrintToString(f.notes);
    EXPECT_FALSE(f.Logged("builds nothing")) << ::testing::PrintToString(f.log);
    for (int i : {0, 1, 2}) EXPECT_EQ(f.Action(i), nullptr);
  }
}

TEST(Walk, LaterFactoriesOverwriteTheKindAndShareTheRecord) {
  LayoutFixture f;
  f.Read(Layout(CCKnob("kFilterCutoff") +
                "<display paramId=\"kFilterCutoff\" bounds=\"0,0,10,10\"/>"
                "<buttoncontrol type=\"ccButton\" name=\"S\" paramId=\"kOscSync\" position=\"0,0\" "
                "imageId=\"ID_SINGLELED1\" valueBounds=\"0,0,127\" ccNumber=\"9\" channel=\"2\"/>"
                "<switch name=\"P\" paramId=\"kOscSync\" position=\"0,0\" imageId=\"ID_SINGLELED1\"/>"));
  const ControlAction* knob = f.Action(0);
  EXPECT_EQ(knob->kind, kActionNone);
  EXPECT_EQ(knob->boundControls.size(), 2u);
  EXPECT_EQ(knob->ccNumber, 74);
  const ControlAction* sw = f.Action(132);
  EXPECT_EQ(sw->kind, kActionNone);
  EXPECT_EQ(sw->ccNumber, 9);
  EXPECT_EQ(sw->channel, 2);
  ASSERT_EQ(sw->boundControls.size(), 2u);
  EXPECT_EQ(f.manager->getCCControls(2, 9, 1), sw->boundControls[0]);
}

TEST(Walk, LinksPointBothWaysWithThePartAddedOnce) {
  LayoutFixture f;
  f.Read(
      Layout("<knobcontrol type=\"ccKnob\" name=\"R\" paramId=\"kLFO1Rate\" position=\"0,0\" imageId=\"KNOB_ID_127\" "
             "valueBounds=\"0,0,127,1\" biDirectLink=\"kFilterCutoff,kFilterResonance,3\"/>"
             "<multilayer name=\"m\" create=\"2\"><knobcontrol type=\"seKnob\" name=\"E\" paramId=\"kLFO2Rate\" "
             "position=\"0,0\" imageId=\"KNOB_ID_127\" valueBounds=\"0,0,1,0\" sysexIndex=\"0\" changingByte=\"8\" "
             "biDirectLink=\"kAmpGain,kAmpEnvAttack\"/></multilayer>"
             "<knobcontrol type=\"ccKnob\" name=\"N\" paramId=\"kLFO1Amount\" position=\"0,0\" "
             "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,127,1\" biDirectLink=\"kFilterCutoff\"/>"));
  auto link = [&](int p) {
    const LinkInfo l = f.Action(p)->link;
    return std::vector<int>{l.target, l.value, l.extra};
  };
  EXPECT_EQ(link(48), (std::vector<int>{0, 4, 3}));
  EXPECT_EQ(link(0), (std::vector<int>{48, 4, -1}));
  EXPECT_EQ(f.Action(0)->kind, kActionSysEx);
  EXPECT_EQ(link(64 + 1), (std::vector<int>{44 + 1, 28 + 1, -1}));
  EXPECT_EQ(link(44 + 1), (std::vector<int>{64 + 1, 28 + 1, -1}));
  EXPECT_EQ(link(52), (std::vector<int>{-1, -1, -1}));
}

TEST(Walk, SlotsAreRealSlotsOrNone) {
  const struct {
    const char* channel;
    int slot;
  } cases[] = {{"3", 2}, {"1", 0}, {"4", 3}, {"0", -1}, {"5", -1}, {"-1", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.channel);
    LayoutFixture f;
    f.Read(
        Layout("<knobcontrol type=\"ccKnob\" name=\"C\" paramId=\"kFilterCutoff\" position=\"0,0\" "
               "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,127,1\" channel=\"" +
               std::string(c.channel) + "\"/>"));
    EXPECT_EQ(f.Action(0)->slot, c.slot);
  }
}

TEST(Walk, LayersNestRegisterByNameAndSelectTheirParameter) {
  LayoutFixture f;
  f.Read(Layout(CCKnob("kQuickTab") +
                "<layer name=\"page\" id=\"7\" overlay=\"true\" selector=\"kQuickTab\">"
                "<!-- a comment between children -->"
                "<sublayer name=\"inner\"><background imageId=\"BG_ID_MAIN\" position=\"7,9\"/></sublayer>"
                "<layer name=\"page\" selector=\"kNordModel\"/></layer><layer name=\"other\" overlay=\"yes\"/>"));
  ASSERT_EQ(f.graphics->NLayers(), 2);
  ControlLayer* page = f.graphics->GetLayer(0);
  EXPECT_EQ(page->GetID(), 7);
  EXPECT_TRUE(page->GetIgnoreHidden());
  EXPECT_FALSE(f.graphics->GetLayer(1)->GetIgnoreHidden());
  ASSERT_EQ(page->NChildLayers(), 2);
  ControlLayer* inner = page->GetChildLayer(0);
  EXPECT_EQ(f.manager->getLayer("inner"), inner);
  EXPECT_EQ(f.manager->getLayer("page"), page->GetChildLayer(1));  // the later one of the name
  ASSERT_EQ(inner->NControls(), 1);
  EXPECT_EQ(inner->GetControl(0)->GetRECT(), IRECT(7, 9, 15, 13));
  EXPECT_EQ(inner->GetControl(0)->ParamIdx(), -1);
  // The selector keeps an existing kind; a parameter without a record gets a kind-0 one.
  EXPECT_EQ(f.Action(794)->selectorLayer, page);
  EXPECT_EQ(f.Action(794)->kind, kActionCC);
  EXPECT_EQ(f.Action(796)->selectorLayer, page->GetChildLayer(1));
  EXPECT_EQ(f.Action(796)->kind, kActionNone);
  EXPECT_TRUE(f.Action(796)->boundControls.empty());
}

// What the walk passes over goes to the layout's notes with its line, never to the log:
// the walk writes no line of its own there. A layer without a name is logged.
TEST(Walk, UnknownElementsTypesAndAttributesAreNotedWithTheirLine) {
  LayoutFixture f;
  f.Read(
      "<uiconfig>\n<mystery/>\n<knobcontrol type=\"ccKnob\" name=\"C\" paramId=\"kFilterCutoff\" "
      "position=\"0,0\" imageId=\"KNOB_ID_127\" valueBounds=\"0,0,127,1\" colour=\"red\"/>\n"
      "<menucontrol type=\"nope\"/>\n<dropMenu type=\"nope\" paramId=\"kDatatype\"/>\n"
      "<multiFx paramId=\"kMasterTune\"/>\n<layer id=\"2\"/>\n</uiconfig>");
  for (const char* line : {"line 2: unknown element \"mystery\"", "line 2: \"mystery\" builds nothing",
                           "line 3: attribute \"colour\" of \"knobcontrol\" is not used",
                           "line 4: \"menucontrol\" of unknown type \"nope\"",
                           "line 5: \"dropMenu\" of unknown type \"nope\"", "line 6: \"multiFx\" builds nothing"}) {
    EXPECT_TRUE(f.Noted(line)) << line << ::testing::PrintToString(f.notes);
    EXPECT_FALSE(f.Logged(line)) << line << ::testing::PrintToString(f.log);
  }
  EXPECT_TRUE(f.Logged("line 7: \"layer\" without \"name\"")) << ::testing::PrintToString(f.log);
  EXPECT_NE(f.First(0), nullptr);
}

TEST(Walk, MenuTextsFromListsOrNumbers) {
  LayoutFixture f;
  f.Read(
      Layout("<multilayer name=\"m\" create=\"3\"><multiFx type=\"Menu\" name=\"Bank\" paramId=\"kCurrentBank\" "
             "position=\"0,0,30,10\" valueBounds=\"0,0,3\" valueDisplay=\"1:3\"/></multilayer>"
             "<multiFx type=\"Menu\" name=\"Prog\" paramId=\"kCurrentProgram\" position=\"0,0,30,10\" "
             "valueBounds=\"0,0,11\" valueDisplay=\"1:99\" visible=\"1\"/>"
             "<multiFx type=\"Menu\" name=\"NoRange\" paramId=\"kPatchDown\" position=\"0,0,30,10\" "
             "valueBounds=\"0,0,11\" valueDisplay=\"4:4\"/>"
             "<dropMenu type=\"dropSelection\" name=\"Short\" paramId=\"kDatatype\" bounds=\"0,0,9,9\" "
             "valueBounds=\"0,0,3\" valueDisplay=\"1:5\"/>"));
  const IParam* bank = f.plug->GetParam(426 + 2);
  EXPECT_STREQ(bank->GetNameForHost(), "Bank");
  EXPECT_EQ(bank->GetDisplayText(0), "1.");
  EXPECT_EQ(bank->GetDisplayText(2), "3.");
  EXPECT_EQ(f.Action(428)->channel, 3);
  const IParam* program = f.plug->GetParam(422);
  EXPECT_EQ(program->GetDisplayText(0), " 1");
  EXPECT_EQ(program->GetDisplayText(9), "10");
  EXPECT_EQ(f.First(775), nullptr);   // equal first and last: no menu
  EXPECT_EQ(f.First(660), nullptr);   // a value-list menu never numbers
  EXPECT_FALSE(f.Logged("NoRange"));  // the factory stops without a word
}

TEST(Walk, PatchBrowserUsesTheLibrariansFactoryWhenGiven) {
  LayoutFixture plain;
  plain.Read(Layout("<patchBrowser imageId=\"MANAGER_BG_ID2\" paramId=\"kFilterCutoff\" bounds=\"10,20,30,40\"/>"),
             DefaultSysEx(), 1.5);
  IControl* view = plain.manager->getLibrarianView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->ParamIdx(), 795);
  EXPECT_EQ(view->GetRECT(), IRECT(15, 30, 60, 90));
  EXPECT_EQ(view->GetTargetRECT(), IRECT(15, 30, 60, 90));
  EXPECT_EQ(plain.Action(0), nullptr);

  static IRECT seen;
  LayoutFixture hooked;
  hooked.manager->setLibrarianViewFactory(
      [](IModuleBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT rect, PatchLibrarian*, double) {
        seen = rect;
        return static_cast<IControl*>(new IBitmapControl(plug, x, y, paramIdx, bitmap));
      });
  hooked.Read(Layout("<patchBrowser imageId=\"MANAGER_BG_ID2\" bounds=\"1,2,3,4\"/>"));
  EXPECT_EQ(seen, IRECT(1, 2, 4, 6));
  EXPECT_EQ(hooked.graphics->GetControl(0), hooked.manager->getLibrarianView());
}

}  // namespace

namespace {

TEST(Walk, NumberListsPresetEverySlotToZero) {
  const struct {
    const char* text;
    int count;
    std::vector<int> out;
  } cases[] = {{"1,,2", 3, {1, 2, 0}},
               {"1,2,3,4", 2, {1, 2}},
               {",x,-5,7abc", 3, {0, -5, 7}},
               {"", 2, {0, 0}},
               {" 4, 99999999999", 2, {4, 0}}};
  for (const auto& c : cases) {
    std::vector<int> out(size_t(c.count), 42);
    UIConfigManager::getCSValues(c.text, out.data(), c.count);
    EXPECT_EQ(out, c.out) << c.text;
  }
}

TEST(Walk, LinkValuesAndPartnersOutsideTheTable) {
  LayoutFixture f;
  f.Read(
      Layout("<knobcontrol type=\"ccKnob\" name=\"R\" paramId=\"kLFO1Rate\" position=\"0,0\" "
             "imageId=\"KNOB_ID_127\" valueBounds=\"0,0,127,1\"/>"));
  int out[3];
  const struct {
    const char* text;
    int part;
    std::vector<int> link;
  } cases[] = {{"kFilterCutoff,kFilterResonance,3", 2, {2, 6, 3}},
               {"kFilterCutoff,kFilterResonance,3,4", -1, {0, 4, -1}},
               {"kFilterCutoff,kNoSuch,x", -1, {0, -1, -1}},
               {"kFilterCutoff", 0, {-1, -1, -1}}};
  for (const auto& c : cases) {
    f.manager->getBiDirectLinkValues(c.text, out, c.part);
    EXPECT_EQ(std::vector<int>(out, out + 3), c.link) << c.text;
  }
  ControlAction* action = f.Action(48);
  f.manager->setControlLink(action, 48, LinkInfo{900, 4, 1}, -1);
  EXPECT_EQ(action->link.target, -1);
  EXPECT_TRUE(f.Logged("link to parameter 900 lies outside the table"));
}

}  // namespace
