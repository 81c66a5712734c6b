// The texts a person reads: every text the builder drew into an image, and the
// editor's own read-outs and menus on each page, at a readable size and inside the
// field each has; and a notice says something under its title.

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "Framework/ControlLayer.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "LintContext.h"
#include "PanelSnapshots.h"
#include "rasteriser/Raster.h"
#include "rasteriser/Raster_Bitmap.h"
#include "rasteriser/Raster_Font.h"

namespace {

// The smallest capital height a person reads at 1:1, in pixels of the panel.
constexpr double kReadableCapital = 6.0;

// The notices and the background each shows its words on.
const char* const kNotices[] = {"firstRunNotification", "aboutWindow"};

// font set to face at the given line height, as the builder and the panel draw it.
void SetFace(Raster_CachedFont* font, const char* face, int size, bool bold) {
  font->SetFromHFont(CreateFont(size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, 0, 0, 0, 4, 0, face),
                     RASTER_FONT_OWNS_HANDLE);
}

// Capital height, in pixels, of text drawn in face at the given line height: the
// rows an "H" inks.
int MeasureCapitalHeight(const char* face, int size, bool bold) {
  if (size <= 0) return 0;
  Raster_CachedFont font;
  SetFace(&font, face, size, bold);
  font.SetTextColor(0xFFFFFFFFu);
  Raster_MemBitmap bitmap(size * 2, size * 2);
  Raster_FillRect(&bitmap, 0, 0, bitmap.getWidth(), bitmap.getHeight(), 0u, 1.0f, RASTER_MODE_COPY);
  RECT rect{0, 0, size * 2, size * 2};
  font.DrawText(&bitmap, "H", -1, &rect, 0u);
  int top = -1, bottom = -1;
  for (int y = 0; y < bitmap.getHeight(); ++y) {
    for (int x = 0; x < bitmap.getWidth(); ++x) {
      if (bitmap.getBits()[y * bitmap.getRowSpan() + x] == 0u) continue;
      if (top < 0) top = y;
      bottom = y;
      break;
    }
  }
  return top < 0 ? 0 : bottom - top + 1;
}

// MeasureCapitalHeight, once for each face, size and weight: the lint asks for the
// same few over and over, and the fonts do not change while it runs.
int CapitalHeight(const char* face, int size, bool bold) {
  static std::mutex lock;
  static std::map<std::tuple<std::string, int, bool>, int> measured;
  std::lock_guard<std::mutex> guard(lock);
  auto [at, isNew] = measured.try_emplace({face ? face : "", size, bold}, 0);
  if (isNew) at->second = MeasureCapitalHeight(face, size, bold);
  return at->second;
}

// The width and height text takes in face at the given line height.
std::pair<int, int> MeasureExtent(const char* face, const std::string& text, int size, bool bold) {
  Raster_CachedFont font;
  SetFace(&font, face, size, bold);
  RECT rect{0, 0, 0, 0};
  font.DrawText(nullptr, text.c_str(), -1, &rect, RASTER_DT_MEASURE);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// MeasureExtent, once for each text, face, size and weight (as CapitalHeight).
std::pair<int, int> Extent(const char* face, const std::string& text, int size, bool bold) {
  static std::mutex lock;
  static std::map<std::tuple<std::string, std::string, int, bool>, std::pair<int, int>> measured;
  std::lock_guard<std::mutex> guard(lock);
  auto [at, isNew] = measured.try_emplace({face, text, size, bold});
  if (isNew) at->second = MeasureExtent(face, text, size, bold);
  return at->second;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// What the builder drew: drawn at normal size, shown scaled with the panel.
void DrawnTexts(LintContext& c) {
  const double s = c.panel.scale();
  for (const LintText& t : c.sources.texts) {
    const double capital = CapitalHeight("DejaVu Sans", t.size, t.bold) * s;
    if (capital < kReadableCapital) {
      c.aboutText(
          "text-size", "imageId=\"" + t.image + "\"",
          Quoted(t.text) + " on " + t.image + " has capitals " + std::to_string(capital).substr(0, 4) + " pixels tall");
    }
    const auto [w, h] = Extent("DejaVu Sans", t.text, t.size, t.bold);
    if (w > t.w || h > t.h) {
      c.aboutText("text-fit", "imageId=\"" + t.image + "\"",
                  Quoted(t.text) + " on " + t.image + " takes " + std::to_string(w) + "x" + std::to_string(h) +
                      " of its field's " + std::to_string(t.w) + "x" + std::to_string(t.h));
    }
  }
}

// The image the layer's first background shows, from the layout text.
std::string NoticeImage(const std::string& layout, const std::string& layer) {
  const size_t at = layout.find("<layer name=\"" + layer + "\"");
  if (at == std::string::npos) return "";
  const size_t end = layout.find("</layer>", at);
  const std::string key = "<background imageId=\"";
  const size_t bg = layout.find(key, at);
  if (bg == std::string::npos || bg > end) return "";
  return layout.substr(bg + key.size(), layout.find('"', bg + key.size()) - bg - key.size());
}

void NoticeBodies(LintContext& c) {
  for (const char* notice : kNotices) {
    const std::string image = NoticeImage(c.panel.layoutText(), notice);
    if (image.empty()) continue;  // the "layers" rule's
    const bool says = std::any_of(c.sources.texts.begin(), c.sources.texts.end(),
                                  [&](const LintText& t) { return t.image == image && t.role == "body"; });
    if (!says)
      c.aboutText("notice-body", "<layer name=\"" + std::string(notice) + "\"",
                  std::string(notice) + " shows " + image + " with a title and no words under it");
  }
}

// The controls a page shows: the panel's own and those of its shown layers.
void ShownControls(ControlLayer* layer, std::vector<IControl*>* shown) {
  if (!layer->IsShown()) return;
  for (int i = 0; i < layer->NControls(); ++i) shown->push_back(layer->GetControl(i));
  for (int i = 0; i < layer->NChildLayers(); ++i) ShownControls(layer->GetChildLayer(i), shown);
}

// The texts a control must hold: the one it shows and, for a name field, the longest
// name that can be typed into it or arrive in a dump (the face is monospaced).
std::vector<std::string> TextsToHold(IModuleBase& plug, IControl* control, const std::string& shown) {
  std::vector<std::string> texts{shown};
  const int index = control->ParamIdx();
  const IParam* param = index >= 0 && index < plug.NParams() ? plug.GetParam(index) : nullptr;
  if (param && param->Type() == IParam::kTypeText && control->GetTextEntryLength() > 0)
    texts.push_back(std::string(size_t(control->GetTextEntryLength()), 'W'));
  return texts;
}

// The editor's own texts as a page shows them, drawn at the panel's size.
void ShownTexts(LintContext& c, const std::string& view, std::set<std::string>* said) {
  IGraphicsMac& g = c.panel.graphics();
  std::vector<IControl*> shown;
  for (int i = 0; i < g.NControls(); ++i) shown.push_back(g.GetControl(i));
  for (int i = 0; i < g.NLayers(); ++i) ShownControls(g.GetLayer(i), &shown);
  for (IControl* control : shown) {
    auto* text = dynamic_cast<ITextControl*>(control);
    if (!text || control->IsHidden()) continue;
    IText* style = control->GetText();
    const std::string showing = text->GetTextString();
    if (showing.empty() || style->color.A == 0) continue;
    const IRECT& field = control->GetRECT();
    const std::string what = c.nameOf(control->ParamIdx());
    for (const std::string& str : TextsToHold(c.panel.plug(), control, showing)) {
      const IText fitted = FittedText(&g, *style, str.c_str(), field);
      const int capital = CapitalHeight(style->font, fitted.size, style->style & IText::kStyleBold);
      if (capital < kReadableCapital && said->insert("size|" + what).second) {
        c.aboutParam(
            "text-size", what,
            Quoted(str) + " of " + what + " has capitals " + std::to_string(capital) + " pixels tall on " + view);
      }
      IText measure = fitted;
      IRECT taken = field;
      g.MeasureIText(&measure, str.c_str(), &taken);
      if (taken.W() > field.W() && said->insert("fit|" + what).second) {
        c.aboutParam("text-fit", what,
                     Quoted(str) + " of " + what + " takes " + std::to_string(taken.W()) + " pixels of its field's " +
                         std::to_string(field.W()) + " on " + view);
      }
    }
  }
}

}  // namespace

void LintTexts(LintContext& c) {
  DrawnTexts(c);
  NoticeBodies(c);
  std::set<std::string> said;
  for (const PanelView& view : PanelViews()) {
    ShowView(c.panel, view);
    ShownTexts(c, view.name, &said);
  }
}
