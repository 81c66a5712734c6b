#include <cerrno>
#include <cstdlib>

#include "Framework/ControlLayer.h"
#include "Framework/IControlBitmaps.h"
#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "layout/LayoutDispatch.h"
#include "layout/LayoutElement.h"
#include "layout/UIConfigManager.h"
#include "layout/tables/ParamNameTable.h"
#include "librarian/TavroParams.h"

namespace {

// A decimal number at the start of text (leading blanks skipped); false when there
// is none or it does not fit an int.
bool ReadDecimal(const char* begin, int* out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  if (end == begin || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return false;
  *out = int(value);
  return true;
}

bool InTable(int paramIdx, const IModuleBase* plug) {
  return paramIdx >= 0 && paramIdx < kLayoutParamCount && plug && paramIdx < plug->NParams();
}

}  // namespace

void UIConfigManager::processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int part) {
  // A loop over siblings: only layers nest, and the parser bounds their depth.
  for (; node; node = node->NextSibling()) {
    const tinyxml2::XMLElement* xml = node->ToElement();
    if (!xml) continue;
    LayoutElement element(xml);
    if (!BuildElement(element, layer, part)) mNotes.atLine(element.line(), "\"" + element.name() + "\" builds nothing");
    element.reportUnread(mNotes);
  }
}

bool UIConfigManager::BuildElement(LayoutElement& element, ControlLayer* layer, int part) {
  ElementContext context{-1, element.str("imageId"), element.str("paramGroup"), part, layer};
  const int param = ParamIndexOf(element.str("paramId"), part, element.line());
  const LayoutDispatch::Branch* branch = LayoutDispatch::branchFor(element.name());
  if (!branch) {
    mNotes.atLine(element.line(), "unknown element \"" + element.name() + "\"");
    if (param >= 0) SetSlot(param, part);
    return false;
  }
  if (param >= 0) context.param = param;
  if (param < -1 && branch->bindsParam) return false;
  const bool built = branch->build(*this, element, context);
  if (context.param >= 0) SetSlot(context.param, part);
  return built;
}

int UIConfigManager::ParamIndexOf(const std::string& paramId, int part, int xmlLine) {
  constexpr int kInvalid = -2;
  if (paramId.empty()) return -1;
  std::vector<std::string> pieces;
  Tokenize(paramId, pieces, "+");
  if (pieces.empty()) {
    mLog.atLine(xmlLine, "\"paramId\" " + paramId + " names no parameter");
    return kInvalid;
  }
  const int named = getParamByName(pieces[0]);
  if (named < 0) return kInvalid;
  // Offsets only move a registered index; anything beyond the table is refused below.
  long index = long(named) + (part >= 0 ? part : 0);
  int offset = 0;
  if (pieces.size() > 1 && ReadDecimal(pieces[1].c_str(), &offset)) index += offset;
  if (index < 0 || index >= kLayoutParamCount || !InTable(int(index), mPlug)) {
    mLog.atLine(xmlLine, "\"paramId\" " + paramId + " gives parameter " + std::to_string(index) + ", outside 0.." +
                             std::to_string(kLayoutParamCount - 1));
    return kInvalid;
  }
  return int(index);
}

void UIConfigManager::SetSlot(int paramIdx, int part) {
  ControlAction* action = getControlAction(paramIdx);
  if (!action) return;
  const int slot = part >= 0 ? part : action->channel - 1;
  // Only a real slot: the editor reads the slot's channel parameter with it.
  action->slot = slot >= 0 && slot <= 3 ? slot : -1;
}

void UIConfigManager::AddLayer(ControlLayer* layer, ControlLayer* parent) {
  if (parent)
    parent->AddChildLayer(layer);
  else
    mGraphics->AttachLayer(layer);
}

void UIConfigManager::getCSValues(const std::string& text, int* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = 0;
  // Pieces between runs of commas, each read from its start; no piece is copied.
  size_t start = text.find_first_not_of(',');
  for (int i = 0; i < count && start != std::string::npos; ++i) {
    ReadDecimal(text.c_str() + start, &out[i]);
    start = text.find_first_not_of(',', text.find(',', start));
  }
}

void UIConfigManager::getBiDirectLinkValues(const std::string& text, int* out, int part) {
  out[0] = out[1] = out[2] = -1;
  std::vector<std::string> pieces;
  Tokenize(text, pieces, ",");
  if (pieces.size() < 2) return;
  // Each named index gets the part once; the link is used with these indices unchanged.
  for (int i = 0; i < 2; ++i) {
    const int named = getParamByName(pieces[size_t(i)]);
    out[i] = named >= 0 ? named + (part >= 0 ? part : 0) : -1;
  }
  if (pieces.size() == 3 && !ReadDecimal(pieces[2].c_str(), &out[2])) out[2] = -1;
}

void UIConfigManager::setControlLink(ControlAction* action, int paramIdx, LinkInfo link, int part) {
  if (link.target < 0 || link.value < 0) return;
  IParam* partner = InTable(link.target, mPlug) ? mPlug->GetParam(link.target) : nullptr;
  if (!partner) {
    mLog.line("link to parameter " + std::to_string(link.target) + " lies outside the table; not made");
    return;
  }
  action->link = link;
  ActionOrNew(link.target, kActionSysEx)->link = LinkInfo{paramIdx, link.value, -1};
}

// ---- structural branches ----

bool LayoutDispatch::layer(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  const bool named = e.has("name");
  const std::string name = e.str("name");
  if (!named) m.mLog.atLine(e.line(), "\"" + e.name() + "\" without \"name\" is registered as \"\"");
  auto* made = new ControlLayer(e.integer("id"), name);
  m.AddLayer(made, c.layer);
  m.mLayers[name] = made;
  m.processXMLElement(const_cast<tinyxml2::XMLNode*>(e.xml()->FirstChild()), made, c.part);
  made->setIgnoreHiddenWhenUpdatingScreen(e.str("overlay") == "true");
  const std::string selector = e.str("selector");
  const int selected = m.ParamIndexOf(selector, c.part, e.line());
  if (selected >= 0) {
    m.ActionOrNew(selected, kActionNone)->selectorLayer = made;
  }
  return true;
}

bool LayoutDispatch::multilayer(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  int copies = e.integer("create");
  if (copies > UIConfigManager::kMaxLayerCopies) {
    m.mLog.atLine(e.line(), "\"create\" " + std::to_string(copies) + " capped at " +
                                std::to_string(UIConfigManager::kMaxLayerCopies));
    copies = UIConfigManager::kMaxLayerCopies;
  }
  const std::string name = e.str("name");
  for (int i = 0; i < copies; ++i) {
    auto* made = new ControlLayer(i, name + std::to_string(i));
    m.processXMLElement(const_cast<tinyxml2::XMLNode*>(e.xml()->FirstChild()), made, i);
    m.mLayers[made->GetName()] = made;
    m.AddLayer(made, c.layer);
  }
  return copies > 0;
}

bool LayoutDispatch::background(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  IBitmap bitmap = m.getImageByName(m.mGraphics, c.image);
  int position[2];
  e.ints("position", position, 2);
  m.Place(new IBitmapControl(m.mPlug, m.Scaled(position[0]), m.Scaled(position[1]), -1, &bitmap), c.layer);
  return true;
}

bool LayoutDispatch::patchBrowser(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  IBitmap bitmap = m.getImageByName(m.mGraphics, c.image);
  int bounds[4];
  e.ints("bounds", bounds, 4);
  const int l = m.Scaled(bounds[0]), t = m.Scaled(bounds[1]);
  const IRECT rect(l, t, l + m.Scaled(bounds[2]), t + m.Scaled(bounds[3]));
  IControl* view = nullptr;
  if (m.mLibrarianViewFactory) {
    view = m.mLibrarianViewFactory(m.mPlug, l, t, kLibrarianArea, &bitmap, rect, m.mLibrarian, m.mScale);
  } else {
    // Until the librarian's list is linked in, its place shows the list's image.
    view = new IBitmapControl(m.mPlug, l, t, kLibrarianArea, &bitmap);
    view->SetRECT(rect);
    view->SetTargetRECT(rect);
  }
  if (!view) return false;
  m.mLibrarianView = view;
  m.Place(view, c.layer);
  return true;
}

bool LayoutDispatch::display(UIConfigManager& m, LayoutElement& e, const ElementContext& c) {
  int bounds[4], size[2];
  e.ints("bounds", bounds, 4);
  e.ints("displaySize", size, 2);
  const int white = e.integer("white");
  return m.createControlDisplay("Display", c.param, bounds[0], bounds[1], bounds[2], bounds[3], c.part, c.layer,
                                c.group, size[0], white != 0) != nullptr;
}
