// Each rule of the lint, broken once in an otherwise sound copy of the built
// resources, is reported under its name; the built resources themselves pass.

#include <gtest/gtest.h>

#include <sstream>

#include "LayoutLint.h"
#include "LintTestSupport.h"

namespace {

struct BrokenRule {
  const char* rule;
  bool inSysEx;      // the change is made to the SysEx text, else to the layout
  const char* from;  // every occurrence is replaced
  const char* to;
  const char* message;  // part of the expected finding
};

// A failing case is named by the rule it breaks, not printed as bytes.
void PrintTo(const BrokenRule& c, std::ostream* os) { *os << c.rule; }

const BrokenRule kBrokenRules[] = {
    {"reader", false, "<uiconfig>", "<uiconfig>\n<unknownThing/>", "unknown"},
    {"layers", false, "name=\"searchField\"", "name=\"searchBox\"", "no layer searchField"},
    {"layers", false, "<layer name=\"synthPageNL2\" id=\"2\">", "<layer name=\"synthPageNL2\" id=\"7\">", "has id 7"},
    {"layers", false, "<multilayer name=\"mainControlsLayer1stGen\"", "<multilayer name=\"nl1Controls\"",
     "mainControlsLayer1stGen0-3"},
    {"layers", false, "<layer name=\"aboutWindow\"", "<layer name=\"PROGRESS\"", "the editor makes layer"},
    {"geometry", false, "position=\"1440,540\" imageId=\"KNOB_ID_127S\"",
     "position=\"1480,540\" imageId=\"KNOB_ID_127S\"", "leaves the panel"},
    {"overlap", false, "position=\"1240,8\" imageId=\"BUTTON_VAAKA_HARM2_ID\"",
     "position=\"1200,8\" imageId=\"BUTTON_VAAKA_HARM2_ID\"", "overlaps"},
    {"images", false, "<background imageId=\"ID_SINGLE_LED_RED\" position=\"94,76\"/>", "", "used by neither"},
    {"librarian", false, "imageId=\"MANAGER_BG_ID2\"", "imageId=\"BG_ID_NL2\"", "200 rows"},
    {"bound", false, "paramId=\"kGlobalLock\"", "paramId=\"kMasterKeyboard\"", "kGlobalLock: slot 0"},
    {"kept", false, "<uiconfig>",
     "<uiconfig>\n<switch name=\"x\" paramId=\"kControlDisplayName\" position=\"1200,620\" "
     "imageId=\"BTN_CHECKBOX_ID\"/>",
     "text read-out"},
    {"value-list", false, "<list name=\"oscMode\">", "<list name=\"voiceMode\">", "no value list oscMode"},
    {"value-list", false, "<value>Channel 16</value>",
     "<value>Channel 16, the last of the channels this synthesizer listens on</value>", "55 bytes"},
    {"value-list", false, "<value>Sample &amp; Hold</value>\n      <value>Soft Random</value>", "",
     "entries for values up to 4"},
    {"cc-map", false, "ccNumber=\"74\"", "ccNumber=\"75\"", "CC 74"},
    {"kind", false, "</uiconfig>",
     "<display paramId=\"kFilterCutoff\" bounds=\"1200,640,40,16\" displaySize=\"1\"/>\n</uiconfig>", "sends kind 0"},
    {"range", false, "valueBounds=\"60,0,120,1\" ccNumber=\"78\"", "valueBounds=\"60,0,127,1\" ccNumber=\"78\"",
     "0..120"},
    {"randomiser", false, "imageId=\"ID_DUALLED1NL2\" valueBounds=\"0,0,3,1\"",
     "imageId=\"ID_DUALLED1NL2\" valueBounds=\"0,-1,0,1\"", "maximum of 1"},
    {"range", false, "valueBounds=\"0,0,5,1\" ccNumber=\"44\"", "valueBounds=\"0,0,4,1\" ccNumber=\"44\"",
     "target of kFilterTypeTrig"},
    {"kept-bytes", false, "</uiconfig>",
     "<multiFx type=\"Menu\" name=\"k\" paramId=\"kMDB83\" position=\"1200,640,40,16\" valueBounds=\"0,0,128\" "
     "visible=\"0\" valueDisplay=\"0:127\"/>\n</uiconfig>",
     "shows"},
    {"sysex", true, "F0 33 7F 04 60 08 03 00 F7", "F0 33 7F 04 60 08 02 00 F7", "given twice"},
    {"sysex", true, "F0 33 7F 04 60 00 00 00 F7", "F0 33 7F 04 60 00 00 00 F6", "well-formed"},
    {"sysex", true, "<value>F0 33 7F 04 60 00 01 00 F7</value>", "<value>F0 33 7F 04 60 00 01  00 F7 </value>",
     "single blanks"},
    {"value-list", false, "<value>Legato</value>", "<value>\n        Legato</value>", "padded"},
    {"covers", false, "position=\"1140,58\" imageId=\"BUTTON_LIB_LOAD_TO_ID\"",
     "position=\"130,250\" imageId=\"BUTTON_LIB_LOAD_TO_ID\"", "lie over each other on nl2-synth"},
    {"covers", false, "position=\"1140,58\" imageId=\"BUTTON_LIB_LOAD_TO_ID\"",
     "position=\"1140,400\" imageId=\"BUTTON_LIB_LOAD_TO_ID\"", "lies under the background"},
    {"covers", false, "bounds=\"254,66,864,564\"", "bounds=\"20,66,864,564\"",
     "librarian list (147,369,247,625) and BANKNUMBERMENUPROGRAMS"},
    {"off-page", false, "<background imageId=\"BG_ID_MAIN_NL1\" position=\"110,105\"/>",
     "<background imageId=\"BG_ID_MAIN_NL1\" position=\"200,100\"/>", "leaves the background of nl1-synth"},
    {"label-covered", false, "position=\"740,8\" imageId=\"BUTTON_VAAKA_PUN_ID\"",
     "position=\"250,26\" imageId=\"BUTTON_VAAKA_PUN_ID\"", "\"Model\""},
    {"unlabelled", false, "position=\"1440,540\" imageId=\"KNOB_ID_127S\"",
     "position=\"1440,440\" imageId=\"KNOB_ID_127S\"", "kAdjustDAWOffset has no name near it"},
    // The velocity page's frame over the slot names' row hides their names.
    {"unlabelled", false, "<background imageId=\"BG_ID_VELO\" position=\"110,110\"/>",
     "<background imageId=\"BG_ID_VELO\" position=\"110,100\"/>", "kPatchName has no name near it on nl2-velocity"},
    {"defaults", false, "valueBounds=\"100,0,127,1\" ccNumber=\"7\"", "valueBounds=\"90,0,127,1\" ccNumber=\"7\"",
     "INIT bytes"},
};

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  while (at != std::string::npos) {
    text.replace(at, from.size(), to);
    at = text.find(from, at + to.size());
  }
  return text;
}

class LintRules : public testing::TestWithParam<BrokenRule> {};

TEST_P(LintRules, BreakingARuleOnceIsReportedUnderItsName) {
  const BrokenRule& broken = GetParam();
  std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
  std::string sysex = ReadAll(PlainResources() + "/sysex.xml");
  std::string& changed = broken.inSysEx ? sysex : layout;
  changed = ReplacedAll(changed, broken.from, broken.to);
  TempBundle bundle(layout, sysex);
  LintPanel panel(bundle.path(), 1.0);
  std::vector<LintFinding> findings =
      LintLayout(panel, LoadLintSources(ResourceSources(), PlainResources() + "/labels.tsv"));
  bool found = false;
  for (const LintFinding& f : findings) {
    found = found || (f.rule == broken.rule && f.message.find(broken.message) != std::string::npos);
  }
  EXPECT_TRUE(found) << broken.rule << ": " << broken.message << "\n"
                     << (findings.empty() ? "no findings" : FormatFinding(findings.front(), 1.0));
}

INSTANTIATE_TEST_SUITE_P(EachRule, LintRules, testing::ValuesIn(kBrokenRules));

TEST(LintRules, FindingsNameTheLayoutLineAndElement) {
  std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
  layout = ReplacedAll(layout, "paramId=\"kGlobalLock\"", "paramId=\"kGlobalLock\" colour=\"red\"");
  TempBundle bundle(layout, ReadAll(PlainResources() + "/sysex.xml"));
  LintPanel panel(bundle.path(), 1.0);
  std::vector<LintFinding> findings =
      LintLayout(panel, LoadLintSources(ResourceSources(), PlainResources() + "/labels.tsv"));
  ASSERT_FALSE(findings.empty());
  // The reader names the line of the unused attribute; that line holds the element.
  const LintFinding& f = findings.front();
  EXPECT_EQ(f.rule, "reader");
  EXPECT_GT(f.line, 0);
  std::istringstream lines(layout);
  std::string line;
  for (int i = 0; i < f.line; ++i) std::getline(lines, line);
  EXPECT_NE(line.find("colour=\"red\""), std::string::npos) << FormatFinding(f, 1.0);
}

TEST(BuiltResources, PassTheLintAtEveryPanelSize) {
  // With the builder's names: every control a page shows is named where a person
  // sees it (drawn, near it, under no other control).
  LintSources sources = LoadLintSources(ResourceSources(), PlainResources() + "/labels.tsv");
  ASSERT_EQ(sources.controllers.size(), 42u);
  ASSERT_GT(sources.labels.size(), 300u);
  for (double scale : {0.75, 1.0, 1.25}) {
    LintPanel panel(BuiltBundle(), scale);
    for (const LintFinding& f : LintLayout(panel, sources)) ADD_FAILURE() << FormatFinding(f, scale);
  }
}

}  // namespace
