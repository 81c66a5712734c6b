// The names the builder draws onto the backgrounds: it writes where each lands, and
// the name lies where its control is. (That every control a page shows is named
// where a person sees it is the lint's "unlabelled" and "label-covered" rules, run on
// the built bundle in LintRulesTest.)

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "Framework/IParam.h"
#include "LayoutLint.h"
#include "LintTestSupport.h"
#include "layout/tables/ParamNameTable.h"

namespace {

int PositionX(const std::string& layout, const std::string& param) {
  size_t at = layout.find("paramId=\"" + param + "\"");
  EXPECT_NE(at, std::string::npos) << param;
  return std::stoi(layout.substr(layout.find("position=\"", at) + 10));
}

TEST(Labels, EachNameLiesUnderTheControlItNames) {
  const LintSources sources = LoadLintSources(ResourceSources(), PlainResources() + "/labels.tsv");
  const std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
  std::map<std::string, const LintLabel*> onSynthPage;
  for (const LintLabel& l : sources.labels) {
    if (l.image == "BG_ID_MAIN" && !onSynthPage.count(l.param)) onSynthPage[l.param] = &l;
  }
  // Knobs 48 wide: the name is centred under the knob, within its 64-unit cell.
  for (const char* param : {"kFilterCutoff", "kAmpEnvRelease", "kLFO2Amount", "kModEnvAttack"}) {
    ASSERT_TRUE(onSynthPage.count(param)) << param;
    const LintLabel& l = *onSynthPage[param];
    EXPECT_LE(std::abs(l.x + l.w / 2 - (PositionX(layout, param) + 24)), 1) << param;
    EXPECT_LE(l.w, 64) << param;
  }
  // A selector's lights carry their values' short names, one for each value.
  int filterTypes = 0;
  for (const LintLabel& l : sources.labels) filterTypes += l.param == "kFilterType" ? 1 : 0;
  EXPECT_EQ(filterTypes, 6);
  // The names are drawn into the backgrounds and are gone from the bundle's text.
  EXPECT_EQ(layout.find(" label=\""), std::string::npos);
  EXPECT_EQ(layout.find("<caption "), std::string::npos);
}

// A no-value knob keeps its element's name; the slot is in the host group of each copy.
TEST(Labels, EachSlotsVelocityKnobsAreNamedAsWrittenAndGroupedByTheirSlot) {
  LintPanel panel(BuiltBundle(), 1.0);
  int cutoff = -1;
  for (int i = 0; i < kParamNameTableSize; ++i) {
    if (std::string(kParamNameTable[i].name) == "kVFilterCutoff") cutoff = kParamNameTable[i].index;
  }
  ASSERT_GE(cutoff, 0);
  for (int slot = 0; slot < 4; ++slot) {
    EXPECT_EQ(std::string(panel.plug().GetParam(cutoff + slot)->GetNameForHost()), "Velo Filter Cutoff");
    EXPECT_EQ(std::string(panel.plug().GetParam(cutoff + slot)->GetParamGroupForHost()),
              "Part " + std::to_string(slot + 1) + ":Velocity Morph");
  }
}

}  // namespace
