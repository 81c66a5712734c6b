// The names the builder draws onto the backgrounds: every bound control a page shows
// has its name in the builder's table (or on its own image), the name has drawn
// pixels in the picture of the page, and no control the page shows lies over it.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphicsMac.h"
#include "LintTestSupport.h"
#include "PanelSnapshots.h"
#include "Raster_Bitmap.h"
#include "IParam.h"
#include "layout/tables/ParamNameTable.h"

namespace {

struct Label {
  std::string image;
  int x, y, w, h;
  std::string param;
  std::string text;
};

std::vector<Label> ReadLabels() {
  std::vector<Label> labels;
  std::istringstream in(ReadAll(PlainResources() + "/labels.tsv"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream row(line);
    Label l;
    std::string x, y, w, h;
    std::getline(row, l.image, '\t');
    std::getline(row, x, '\t');
    std::getline(row, y, '\t');
    std::getline(row, w, '\t');
    std::getline(row, h, '\t');
    std::getline(row, l.param, '\t');
    std::getline(row, l.text);
    l.x = std::stoi(x), l.y = std::stoi(y), l.w = std::stoi(w), l.h = std::stoi(h);
    labels.push_back(l);
  }
  return labels;
}

// Images whose own pictures carry a text (images.tsv's label column, or the letters
// of the part selector).
std::set<std::string> ImagesWithText() {
  std::set<std::string> named;
  std::istringstream in(ReadAll(ResourceSources() + "/images.tsv"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t tabs = 0, at = 0;
    while (tabs < 5 && (at = line.find('\t', at)) != std::string::npos) ++tabs, ++at;
    // The part selector draws its slot letters itself.
    const bool radio = line.find("\tradio\t") != std::string::npos;
    if (radio || (tabs == 5 && at < line.size())) named.insert(line.substr(0, line.find('\t')));
  }
  return named;
}

std::string ImageOf(const std::string& layout, const std::string& param) {
  const std::string key = "paramId=\"" + param + "\"";
  size_t at = layout.find(key);
  if (at == std::string::npos) return "";
  size_t end = layout.find('\n', at);
  size_t image = layout.find("imageId=\"", at);
  if (image == std::string::npos || image > end) return "";
  return layout.substr(image + 9, layout.find('"', image + 9) - image - 9);
}

void Shown(ControlLayer* layer, std::vector<IControl*>* out) {
  if (!layer->IsShown()) return;
  for (int i = 0; i < layer->NControls(); ++i) {
    if (!layer->GetControl(i)->IsHidden()) out->push_back(layer->GetControl(i));
  }
  for (int i = 0; i < layer->NChildLayers(); ++i) Shown(layer->GetChildLayer(i), out);
}

bool Overlap(const IRECT& a, const Label& l) { return a.L < l.x + l.w && l.x < a.R && a.T < l.y + l.h && l.y < a.B; }

TEST(Labels, EveryShownControlIsNamedVisiblyAndUncovered) {
  const std::vector<Label> labels = ReadLabels();
  ASSERT_GT(labels.size(), 300u);
  const std::set<std::string> withText = ImagesWithText();
  const std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
  std::map<int, std::string> names;
  for (int i = 0; i < kParamNameTableSize; ++i) names.emplace(kParamNameTable[i].index, kParamNameTable[i].name);
  const std::string dir = "/tmp/tavro_labels_" + std::to_string(getpid());
  mkdir(dir.c_str(), 0755);
  LintPanel panel(BuiltBundle(), 1.0);
  AttachPanelBackground(panel);
  for (const PanelView& view : PanelViews()) {
    if (!view.window.empty() || view.page < 2) continue;  // the synthesizer and velocity pages
    const std::string path = dir + "/" + view.name + ".png";
    ASSERT_TRUE(SnapshotPanel(panel, view, path));
    auto* picture = panel.graphics().GetDrawBitmap();
    IGraphics& g = panel.graphics();
    std::vector<IControl*> shown;
    for (int i = 0; i < g.NControls(); ++i) {
      if (!g.GetControl(i)->IsHidden()) shown.push_back(g.GetControl(i));
    }
    for (int i = 0; i < g.NLayers(); ++i) Shown(g.GetLayer(i), &shown);
    // The names a person sees on this page: drawn where no shown control lies.
    std::set<std::string> named;
    for (const Label& l : labels) {
      bool covered = false;
      // Backgrounds (no parameter) lie under the names on purpose.
      // A selector's value names lie in its strip's clear part, beside its lights.
      for (IControl* c : shown) {
        auto own = names.find(c->ParamIdx());
        const bool other = c->ParamIdx() >= 0 && (own == names.end() || own->second != l.param);
        covered = covered || (other && c->GetRECT().W() > 0 && Overlap(c->GetRECT(), l));
      }
      if (covered) continue;
      int ink = 0;
      for (int y = l.y; y < l.y + l.h; ++y) {
        for (int x = l.x; x < l.x + l.w; ++x) {
          const unsigned int p = picture->getBits()[y * picture->getRowSpan() + x];
          // Names are drawn light on the dark panel: three of the four bytes are high
          // whichever order the channels lie in.
          int high = 0;
          for (int shift = 0; shift < 32; shift += 8) high += ((p >> shift) & 0xFF) > 0x90 ? 1 : 0;
          ink += high >= 3 ? 1 : 0;
        }
      }
      if (ink > 0) named.insert(l.param);
    }
    for (IControl* c : shown) {
      auto name = names.find(c->ParamIdx());
      if (c->ParamIdx() < 0 || name == names.end() || c->GetRECT().W() == 0) continue;
      // Per-part controls of slot A carry the family's name.
      if (named.count(name->second) || withText.count(ImageOf(layout, name->second))) continue;
      // The read-out and the lights show values, not controls.
      if (name->second.rfind("kControlDisplay", 0) == 0 || name->second == "kMIDILed" ||
          name->second == "kAllowPartChangeLED") {
        continue;
      }
      ADD_FAILURE() << view.name << ": " << name->second << " has no visible name";
    }
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(Labels, TheBuilderNamesEachSlotPanelRowWhereItsControlIs) {
  // A name lies in the column of its control: the table and the layout agree.
  const std::vector<Label> labels = ReadLabels();
  std::map<std::string, const Label*> byParam;
  for (const Label& l : labels) {
    if (l.image == "BG_ID_MAIN" && !byParam.count(l.param)) byParam[l.param] = &l;
  }
  for (const char* param : {"kFilterCutoff", "kAmpEnvRelease", "kLFO2Amount", "kModEnvAttack"}) {
    ASSERT_TRUE(byParam.count(param)) << param;
    const std::string layout = ReadAll(PlainResources() + "/uiconfig.xml");
    size_t at = layout.find("paramId=\"" + std::string(param) + "\"");
    size_t pos = layout.find("position=\"", at) + 10;
    const int x = std::stoi(layout.substr(pos));
    const Label& l = *byParam[param];
    EXPECT_LE(std::abs(l.x + l.w / 2 - (x + 24)), 2) << param;
  }
}

TEST(Labels, EachSlotsVelocityKnobsCarryTheirSlotInTheName) {
  LintPanel panel(BuiltBundle(), 1.0);
  int cutoff = -1;
  for (int i = 0; i < kParamNameTableSize; ++i) {
    if (std::string(kParamNameTable[i].name) == "kVFilterCutoff") cutoff = kParamNameTable[i].index;
  }
  ASSERT_GE(cutoff, 0);
  for (int slot = 0; slot < 4; ++slot) {
    EXPECT_EQ(std::string(panel.plug().GetParam(cutoff + slot)->GetNameForHost()),
              "[" + std::to_string(slot + 1) + "] Velo Filter Cutoff");
  }
}

}  // namespace
