// The rules about texts: each broken once is reported under its name, and the built
// panel keeps to them at every size.

#include <gtest/gtest.h>

#include <algorithm>

#include "LayoutLint.h"
#include "LintTestSupport.h"

namespace {

bool Reports(const std::vector<LintFinding>& findings, const std::string& rule, const std::string& part) {
  return std::any_of(findings.begin(), findings.end(),
                     [&](const LintFinding& f) { return f.rule == rule && f.message.find(part) != std::string::npos; });
}

std::string Listed(const std::vector<LintFinding>& findings, double scale) {
  std::string out;
  for (const LintFinding& f : findings) out += FormatFinding(f, scale) + "\n";
  return out.empty() ? "no findings" : out;
}

LintSources BuiltSources() { return LoadLintSources(ResourceSources(), PlainResources() + "/labels.tsv"); }

LintText* TextOf(LintSources* sources, const std::string& text) {
  for (LintText& t : sources->texts) {
    if (t.text == text) return &t;
  }
  ADD_FAILURE() << "no text \"" << text << "\" drawn";
  return nullptr;
}

std::vector<LintFinding> LintBuilt(const LintSources& sources, double scale) {
  LintPanel panel(BuiltBundle(), scale);
  return LintLayout(panel, sources);
}

TEST(TextRules, ADrawnTextUnderTheReadableSizeIsReported) {
  LintSources sources = BuiltSources();
  LintText* name = TextOf(&sources, "Osc 1+2");
  ASSERT_TRUE(name);
  name->size = 7;
  const auto findings = LintBuilt(sources, 1.0);
  EXPECT_TRUE(Reports(findings, "text-size", "\"Osc 1+2\"")) << Listed(findings, 1.0);
}

TEST(TextRules, ADrawnTextWiderThanItsFieldIsReported) {
  LintSources sources = BuiltSources();
  LintText* row = TextOf(&sources, "Ext Velo Morph Channel");
  ASSERT_TRUE(row);
  row->w = 100;
  const auto findings = LintBuilt(sources, 1.0);
  EXPECT_TRUE(Reports(findings, "text-fit", "\"Ext Velo Morph Channel\"")) << Listed(findings, 1.0);
}

TEST(TextRules, ANoticeWithATitleAloneIsReported) {
  LintSources sources = BuiltSources();
  sources.texts.erase(
      std::remove_if(sources.texts.begin(), sources.texts.end(),
                     [](const LintText& t) { return t.image == "BG_FIRST_RUN_ID" && t.role == "body"; }),
      sources.texts.end());
  const auto findings = LintBuilt(sources, 1.0);
  EXPECT_TRUE(Reports(findings, "notice-body", "firstRunNotification")) << Listed(findings, 1.0);
  EXPECT_FALSE(Reports(findings, "notice-body", "aboutWindow")) << Listed(findings, 1.0);
}

std::vector<LintFinding> LintChangedLayout(const std::string& from, const std::string& to, double scale) {
  std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
  const size_t at = layout.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) layout.replace(at, from.size(), to);
  TempBundle bundle(layout, ReadAll(PlainResources() + "/sysex.xml"));
  LintPanel panel(bundle.path(), scale);
  return LintLayout(panel, BuiltSources());
}

TEST(TextRules, AnEditorCaptionTooNarrowForItsTextIsReported) {
  // "OFF" of the port menu cannot shrink into 8 pixels.
  const auto findings = LintChangedLayout("bounds=\"420,8,150,20\"", "bounds=\"420,8,8,20\"", 1.0);
  EXPECT_TRUE(Reports(findings, "text-fit", "of kDeviceOutSelection takes")) << Listed(findings, 1.0);
}

TEST(TextRules, AnEditorCaptionUnderTheReadableSizeIsReported) {
  // The model menu's text takes the field's height.
  const auto findings = LintChangedLayout("bounds=\"240,8,80,20\"", "bounds=\"240,8,80,8\"", 0.75);
  EXPECT_TRUE(Reports(findings, "text-size", "of kNordModel")) << Listed(findings, 0.75);
}

TEST(TextRules, ANameFieldThatHoldsItsTextButNotItsLongestNameIsReported) {
  // "Perform." fits 48 pixels drawn smaller; ten characters do not.
  const auto findings = LintChangedLayout("bounds=\"290,84,110,22\"", "bounds=\"290,84,48,22\"", 1.0);
  EXPECT_TRUE(Reports(findings, "text-fit", "\"WWWWWWWWWW\" of kMultiName takes")) << Listed(findings, 1.0);
  EXPECT_FALSE(Reports(findings, "text-fit", "\"Perform.\"")) << Listed(findings, 1.0);
}

TEST(ActiveSlot, ItsButtonKeepsItsLetterWhileActive) {
  // The active slot's layer covers its button with a lit face of the same letter.
  const LintSources sources = BuiltSources();
  const std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
  for (const char letter : std::string("ABCD")) {
    const std::string image = std::string("ID_SLOT_ACTIVE_") + letter;
    const size_t layer = layout.find(std::string("<layer name=\"layer") + letter + "Layer\"");
    ASSERT_NE(layer, std::string::npos) << letter;
    EXPECT_LT(layout.find("imageId=\"" + image + "\"", layer), layout.find("</layer>", layer)) << image;
    const bool lettered = std::any_of(sources.texts.begin(), sources.texts.end(), [&](const LintText& t) {
      return t.image == image && t.role == "face" && t.text == std::string(1, letter);
    });
    EXPECT_TRUE(lettered) << image << " does not show " << letter;
  }
}

TEST(TextRules, EveryTextOfTheBuiltPanelIsReadableAndFitsAtEverySize) {
  const LintSources sources = BuiltSources();
  ASSERT_GT(sources.texts.size(), 300u);
  for (double scale : {0.75, 1.0, 1.25}) {
    for (const LintFinding& f : LintBuilt(sources, scale)) {
      if (f.rule == "text-size" || f.rule == "text-fit" || f.rule == "notice-body")
        ADD_FAILURE() << FormatFinding(f, scale);
    }
  }
}

}  // namespace
