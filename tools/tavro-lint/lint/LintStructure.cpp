// The panel as a whole: the reader's log, the layer tree, where controls sit, the
// images and the librarian list.

#include <cctype>
#include <cstdlib>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "LintContext.h"
#include "editor/tables/PanelLookups.h"
#include "layout/tables/ImageTable.h"

namespace {

const char* const kCleanStartLines[] = {
    "CONFIG READER: Started to read SysEx Data...",       "CONFIG READER: Completed reading SysEx data!",
    "CONFIG READER: Started to read image resources...",  "CONFIG READER: Completed!",
    "CONFIG READER: Started to initialize parameters...", "CONFIG READER: Completed!",
};

// The number after "line " in a reader message, 0 without one.
int LineNumberIn(const std::string& message) {
  size_t at = message.find("line ");
  return at == std::string::npos ? 0 : std::atoi(message.c_str() + at + 5);
}

// The W x H a file name states ("pro-1280x555.png"); false when it states none.
bool SizeInName(const std::string& path, int* w, int* h) {
  for (size_t x = path.find('x'); x != std::string::npos; x = path.find('x', x + 1)) {
    size_t start = x;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(path[start - 1]))) --start;
    if (start == x || x + 1 >= path.size() || !std::isdigit(static_cast<unsigned char>(path[x + 1]))) continue;
    *w = std::atoi(path.c_str() + start);
    *h = std::atoi(path.c_str() + x + 1);
    return true;
  }
  return false;
}

}  // namespace

void LintReader(LintContext& c) {
  const std::vector<std::string>& log = c.panel.log();
  size_t clean = 0;
  for (const std::string& line : log) {
    if (clean < 6 && line == kCleanStartLines[clean]) {
      ++clean;
      continue;
    }
    c.add("reader", LineNumberIn(line), "log", line);
  }
  if (clean < 6) c.add("reader", 0, "log", "the reader's start-up lines are incomplete");
}

void LintLayers(LintContext& c) {
  UIConfigManager& m = c.panel.manager();
  for (int i = 0; i < kStartupLayerNameCount; ++i) {
    if (!m.getLayer(kStartupLayerNames[i])) {
      c.add("layers", 0, kStartupLayerNames[i], std::string("no layer ") + kStartupLayerNames[i]);
    }
  }
  for (ControlLayer* layer : c.layers) {
    for (int i = 0; i < kEditorOwnLayerNameCount; ++i) {
      if (layer->GetName() == kEditorOwnLayerNames[i]) {
        c.aboutText("layers", "name=\"" + layer->GetName() + "\"", "the editor makes layer " + layer->GetName());
      }
    }
  }
  ControlLayer* root = m.getLayer("root");
  if (!root) return;
  if (root->NChildLayers() != 6) {
    c.aboutText("layers", "name=\"root\"", "root holds " + std::to_string(root->NChildLayers()) + " pages, not 6");
  }
  for (int page = 0; page < root->NChildLayers(); ++page) {
    ControlLayer* p = root->GetChildLayer(page);
    if (p->GetID() != page) {
      c.aboutText("layers", "name=\"" + p->GetName() + "\"",
                  "page at position " + std::to_string(page) + " has id " + std::to_string(p->GetID()));
    }
    if (page == 0) continue;
    bool slotsOk = p->NChildLayers() == 4;
    for (int s = 0; slotsOk && s < 4; ++s) {
      ControlLayer* slot = p->GetChildLayer(s);
      slotsOk = slot->GetID() == s && (page != 4 || slot->GetName() == "mainControlsLayer1stGen" + std::to_string(s));
    }
    if (!slotsOk) {
      c.aboutText("layers", "name=\"" + p->GetName() + "\"",
                  "page " + std::to_string(page) + " must hold exactly its slot layers 0-3" +
                      (page == 4 ? " named mainControlsLayer1stGen0-3" : ""));
    }
  }
}

void LintGeometry(LintContext& c) {
  const int w = c.panel.graphics().Width(), h = c.panel.graphics().Height();
  std::map<ControlLayer*, std::vector<const PlacedControl*>> byLayer;
  for (const PlacedControl& placed : c.controls) {
    const IRECT& r = placed.control->GetRECT();
    const int paramIdx = placed.control->ParamIdx();
    const std::string what = paramIdx >= 0 ? c.nameOf(paramIdx) : "background";
    if (r.L < 0 || r.T < 0 || r.R > w || r.B > h) {
      if (paramIdx >= 0) {
        c.aboutParam("geometry", what, "control " + LintRectText(r) + " leaves the panel");
      } else {
        c.add("geometry", 0, what, "background " + LintRectText(r) + " leaves the panel");
      }
    }
    // Backgrounds lie under the controls on purpose.
    if (paramIdx >= 0 && r.R > r.L && r.B > r.T) byLayer[placed.layer].push_back(&placed);
  }
  for (const auto& [layer, list] : byLayer) {
    for (size_t i = 0; i < list.size(); ++i) {
      for (size_t j = i + 1; j < list.size(); ++j) {
        if (!LintRectsOverlap(list[i]->control->GetRECT(), list[j]->control->GetRECT())) continue;
        c.aboutParam("overlap", c.nameOf(list[i]->control->ParamIdx()),
                     "overlaps " + c.nameOf(list[j]->control->ParamIdx()) + " in layer " +
                         (layer ? layer->GetName() : std::string("(panel)")));
      }
    }
  }
}

void LintImages(LintContext& c) {
  const double scale = c.panel.scale();
  if (c.panel.manager().imageCount() != kImageTableSize) {
    c.add("images", 0, "images", std::to_string(c.panel.manager().imageCount()) + " images registered");
  }
  for (int i = 0; i < kImageTableSize; ++i) {
    const ImageTableEntry& e = kImageTable[i];
    IBitmap bm = c.panel.graphics().getImageById(e.id, e.frames, e.horizontal);
    const std::string name = e.name;
    const bool usedByEditor =
        name == "BG_ID_PLAIN" || name == "PROGRESS_INDICATOR_ID" || name == "BUTTON_LIB_CANCEL_ID";
    // Registered with the standard set, which this layout does not place.
    const bool registeredOnly = name == "BG_ID_MAIN2" || name == "ID_SINGLE_LED_PROTECT";
    if (!usedByEditor && !registeredOnly &&
        c.panel.layoutText().find("imageId=\"" + name + "\"") == std::string::npos) {
      c.add("images", 0, name, name + " is used by neither the layout nor the editor");
    }
    if (!bm.data) {
      c.add("images", 0, name, name + " did not load");
      continue;
    }
    const int along = e.horizontal ? bm.W : bm.H;
    if (along % e.frames != 0) c.add("images", 0, name, name + ": frames are not whole at this size");
    if (scale != 1.0) continue;
    const int frameW = e.horizontal ? bm.W / e.frames : bm.W, frameH = e.horizontal ? bm.H : bm.H / e.frames;
    if (e.frames > 1 && (frameW % 4 != 0 || frameH % 4 != 0)) {
      c.add("images", 0, name, name + ": frame sides are not multiples of 4");
    }
    if (name == "KNOB_ID_257" && frameH > 63) c.add("images", 0, name, name + ": frames above 63 pixels");
    int wantW = 0, wantH = 0;
    bool stated = SizeInName(e.path, &wantW, &wantH);
    if (name == "BG_ID_PLAIN") stated = true, wantW = 1500, wantH = 667;
    if (stated && (bm.W != wantW || bm.H != wantH)) {
      c.add("images", 0, name,
            name + " measures " + std::to_string(bm.W) + " x " + std::to_string(bm.H) + ", not " +
                std::to_string(wantW) + " x " + std::to_string(wantH));
    }
  }
}

void LintLibrarianList(LintContext& c) {
  IControl* view = c.panel.manager().getLibrarianView();
  if (!view) {
    c.add("librarian", 0, "patchBrowser", "no librarian list");
    return;
  }
  // The rows must lie inside the list's picture, placed where the list is.
  const std::string& text = c.panel.layoutText();
  const std::string key = "<patchBrowser imageId=\"";
  size_t at = text.find(key);
  std::string image =
      at == std::string::npos ? "" : text.substr(at + key.size(), text.find('"', at + key.size()) - at - key.size());
  IBitmap bm = c.panel.manager().getImageByName(&c.panel.graphics(), image);
  const double s = c.panel.scale();
  const IRECT r{view->GetRECT().L, view->GetRECT().T, view->GetRECT().L + bm.W, view->GetRECT().T + bm.H};
  const int rowW = s == 1.0 ? 100 : static_cast<int>(101 * s);
  const int rowH = static_cast<int>(16 * s);
  const int step = rowW + static_cast<int>(27 * s);
  const int lowerTop =
      s < 1.0 ? r.T + static_cast<int>(303 * s) + 2 : (s == 1.0 ? r.T + 303 : r.T + static_cast<int>(303 * s) + 1);
  const int right = r.L + 6 * step + rowW;
  const int bottom = lowerTop + 16 * rowH;
  if (right > r.R || bottom > r.B) {
    c.aboutText("librarian", "<patchBrowser",
                "the 200 rows reach (" + std::to_string(right) + "," + std::to_string(bottom) + "), beyond the image " +
                    LintRectText(r));
  }
}
