// The panel as a person sees it, page by page and model by model: the layers shown
// as the editor's tab switch shows them, the editor's librarian menus over them.

#include <algorithm>
#include <cstdlib>
#include <set>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IControlBitmaps.h"
#include "Framework/IGraphicsMac.h"
#include "LintContext.h"
#include "PanelSnapshots.h"
#include "editor/tables/PanelLookups.h"
#include "rasteriser/Raster_Bitmap.h"

namespace {

// Something that takes clicks or shows a value on the page.
struct Shown {
  IRECT rect;
  std::string what;   // the parameter name, or the editor menu's name
  std::string layer;  // the layer it lies in, "" on the panel
  bool editorMenu = false;
};

// A name counts as near its control within this many layout units.
constexpr int kNear = 24;

IRECT Scaled(double s, int l, int t, int r, int b) { return IRECT(int(l * s), int(t * s), int(r * s), int(b * s)); }

class Page {
public:
  Page(LintContext& c, const PanelView& view) : c_(c) {
    IGraphics& g = c.panel.graphics();
    for (int i = 0; i < g.NControls(); ++i) add(g.GetControl(i), "");
    for (int i = 0; i < g.NLayers(); ++i) walk(g.GetLayer(i), false);
    const double s = c.panel.scale();
    for (int i = 0; i < kEditorMenuCount; ++i) {
      const EditorMenu& menu = kEditorMenus[i];
      // The librarian page shows the program menus while no performances are browsed.
      const bool librarianMenu = view.page == 1 && (i == 0 || i == 1 || i == 4);
      if (menu.shown || librarianMenu) {
        shown_.push_back({Scaled(s, menu.left, menu.top, menu.right, menu.bottom), menu.name, menu.name, true});
      }
    }
  }

  const std::vector<Shown>& shown() const { return shown_; }
  const std::vector<std::pair<IRECT, std::string>>& pageControls() const { return pageControls_; }
  const std::vector<IRECT>& pageBackgrounds() const { return pageBackgrounds_; }
  // Shown backgrounds: where each lies and the pixels it draws.
  const std::vector<std::pair<IRECT, const void*>>& backgrounds() const { return backgrounds_; }

private:
  void add(IControl* control, const std::string& layer, bool onPage = false) {
    const IRECT& r = control->GetRECT();
    if (control->IsHidden() || r.R <= r.L || r.B <= r.T) return;
    if (control->ParamIdx() < 0) {
      if (onPage) pageBackgrounds_.push_back(r);
      auto* image = dynamic_cast<IBitmapControl*>(control);
      backgrounds_.emplace_back(r, image ? static_cast<const void*>(image->GetBitmap().data) : nullptr);
      if (!layer.empty()) layerBackgrounds_.push_back(r);
      return;
    }
    if (control == c_.panel.manager().getLibrarianView()) {
      addPanes(r, layer);
      return;
    }
    // Named as the layout names it: "kPatchName+1" for slot B's.
    const std::string name = c_.nameOf(control->ParamIdx());
    const int slot = control->ParamIdx() - c_.index(name);
    const std::string what = slot > 0 ? name + "+" + std::to_string(slot) : name;
    shown_.push_back({r, what, layer});
    if (onPage) pageControls_.emplace_back(r, what);
  }

  // The list takes clicks on its rows only: two panes of seven columns.
  void addPanes(const IRECT& r, const std::string& layer) {
    const double s = c_.panel.scale();
    const int rowW = s == 1.0 ? 100 : int(101 * s), step = rowW + int(27 * s), h = 16 * int(16 * s);
    const int upper = s < 1.0 ? r.T + int(s) + 1 : int(r.T + s);
    const int lower = s < 1.0 ? r.T + int(303 * s) + 2 : (s == 1.0 ? r.T + 303 : r.T + int(303 * s) + 1);
    for (int top : {upper, lower}) {
      for (int col = 0; col < 7; ++col) {
        shown_.push_back({IRECT(r.L + col * step, top, r.L + col * step + rowW, top + h), "librarian list", layer});
      }
    }
  }

  void walk(ControlLayer* layer, bool onPage) {
    if (!layer->IsShown()) return;
    const bool page = onPage || layer->GetName() == "root";
    for (int i = 0; i < layer->NControls(); ++i) add(layer->GetControl(i), layer->GetName(), page);
    for (int i = 0; i < layer->NChildLayers(); ++i) walk(layer->GetChildLayer(i), page);
  }

  LintContext& c_;
  std::vector<Shown> shown_;
  std::vector<std::pair<IRECT, std::string>> pageControls_;
  std::vector<IRECT> pageBackgrounds_;
  std::vector<std::pair<IRECT, const void*>> backgrounds_;
  std::vector<IRECT> layerBackgrounds_;

public:
  // Backgrounds of shown layers: drawn after every control on the panel itself.
  const std::vector<IRECT>& layerBackgrounds() const { return layerBackgrounds_; }
};

void Covers(LintContext& c, const PanelView& view, const Page& page) {
  const std::vector<Shown>& shown = page.shown();
  std::set<std::string> said;
  for (size_t i = 0; i < shown.size(); ++i) {
    for (size_t j = i + 1; j < shown.size(); ++j) {
      const Shown& a = shown[i];
      const Shown& b = shown[j];
      // Controls of one layer are the "overlap" rule's; a list's own panes never meet.
      if (a.layer == b.layer || !LintRectsOverlap(a.rect, b.rect)) continue;
      if (a.editorMenu && b.editorMenu) continue;  // the editor stacks its menus by kind
      // An editor menu laid over the read-out it opens from (sides rounded apart by a pixel).
      if ((a.editorMenu || b.editorMenu) && a.rect.L == b.rect.L && a.rect.T == b.rect.T &&
          std::abs(a.rect.R - b.rect.R) <= 1 && std::abs(a.rect.B - b.rect.B) <= 1) {
        continue;
      }
      if (!said.insert(a.what + "|" + b.what).second) continue;
      c.aboutParam("covers", a.editorMenu ? b.what : a.what,
                   a.what + " " + LintRectText(a.rect) + " and " + b.what + " " + LintRectText(b.rect) +
                       " lie over each other on " + view.name);
    }
  }
}

// A control on the panel itself is drawn before the layers: a layer's background
// over it hides it.
void Hidden(LintContext& c, const PanelView& view, const Page& page) {
  for (const Shown& control : page.shown()) {
    if (!control.layer.empty()) continue;
    for (const IRECT& bg : page.layerBackgrounds()) {
      if (!LintRectsOverlap(control.rect, bg)) continue;
      c.aboutParam("covers", control.what,
                   control.what + " " + LintRectText(control.rect) + " lies under the background " + LintRectText(bg) +
                       " on " + view.name);
      break;
    }
  }
}

void OffPage(LintContext& c, const PanelView& view, const Page& page) {
  for (const auto& [rect, what] : page.pageControls()) {
    const auto& bgs = page.pageBackgrounds();
    const IRECT& r = rect;  // a structured binding cannot be captured before C++20
    const bool inside = std::any_of(bgs.begin(), bgs.end(), [&r](const IRECT& bg) {
      return r.L >= bg.L && r.T >= bg.T && r.R <= bg.R && r.B <= bg.B;
    });
    if (!inside)
      c.aboutParam("off-page", what, what + " " + LintRectText(rect) + " leaves the background of " + view.name);
  }
}

// Pixels of the drawn panel that belong to a name: light on the dark panel, three of
// the four bytes high whichever order the channels lie in.
int Ink(Raster_IBitmap* picture, const IRECT& r) {
  int ink = 0;
  for (int y = std::max(r.T, 0); y < std::min(r.B, picture->getHeight()); ++y) {
    for (int x = std::max(r.L, 0); x < std::min(r.R, picture->getWidth()); ++x) {
      const unsigned int p = picture->getBits()[y * picture->getRowSpan() + x];
      int high = 0;
      for (int shift = 0; shift < 32; shift += 8) high += ((p >> shift) & 0xFF) > 0x90 ? 1 : 0;
      ink += high >= 3 ? 1 : 0;
    }
  }
  return ink;
}

void Names(LintContext& c, const PanelView& view, const Page& page) {
  const double s = c.panel.scale();
  const std::vector<Shown>& shown = page.shown();
  Raster_IBitmap* picture = c.panel.graphics().GetDrawBitmap();
  // The names a person sees on this page, with the box each lies in.
  std::vector<std::pair<std::string, IRECT>> seen;
  const auto& backgrounds = page.backgrounds();
  for (const LintLabel& l : c.sources.labels) {
    const IRECT box = Scaled(s, l.x, l.y, l.x + l.w, l.y + l.h);
    // Drawn on this page: its background is shown; the panel's own only where no
    // other background lies over the name.
    const bool onPanel = l.image == "BG_ID_PLAIN";
    const void* pixels = onPanel ? nullptr : c.panel.manager().getImageByName(&c.panel.graphics(), l.image).data;
    const bool shownHere = std::any_of(backgrounds.begin(), backgrounds.end(), [&](const auto& bg) {
      const bool panelItself = bg.first.L == 0 && bg.first.T == 0 && bg.first.R == c.panel.graphics().Width();
      return onPanel ? !panelItself && LintRectsOverlap(bg.first, box) : bg.second == pixels;
    });
    if (onPanel == shownHere || Ink(picture, box) == 0) continue;
    for (const Shown& other : shown) {
      // An editor menu lies on its own strip, a selector's value names in its strip's clear part.
      if (other.what == l.param || !LintRectsOverlap(other.rect, box)) continue;
      c.aboutParam("label-covered", other.editorMenu ? l.param : other.what,
                   "\"" + l.text + "\" " + LintRectText(box) + " lies under " + other.what + " on " + view.name);
    }
    seen.emplace_back(l.param, box);
  }
  const int near = int(kNear * s);
  for (const Shown& control : shown) {
    if (control.editorMenu || control.what == "librarian list") continue;
    const std::string image = c.imageOf(control.what);
    if (std::find(c.sources.imagesWithText.begin(), c.sources.imagesWithText.end(), image) !=
        c.sources.imagesWithText.end()) {
      continue;
    }
    // The read-out and the lights show values; nobody works them.
    const std::string family = control.what.substr(0, control.what.find('+'));
    if (family.rfind("kControlDisplay", 0) == 0 || family == "kMIDILed" || family == "kAllowPartChangeLED") {
      continue;
    }
    const IRECT around(control.rect.L - near, control.rect.T - near, control.rect.R + near, control.rect.B + near);
    const bool named = std::any_of(seen.begin(), seen.end(), [&](const std::pair<std::string, IRECT>& n) {
      return n.first == control.what && LintRectsOverlap(n.second, around);
    });
    if (!named) c.aboutParam("unlabelled", control.what, control.what + " has no name near it on " + view.name);
  }
}

}  // namespace

void LintPages(LintContext& c) {
  for (const PanelView& view : PanelViews()) {
    if (!view.window.empty() || view.page == 0) continue;
    ShowView(c.panel, view);
    Page page(c, view);
    Covers(c, view, page);
    Hidden(c, view, page);
    OffPage(c, view, page);
    if (!c.sources.labels.empty()) Names(c, view, page);
  }
}
