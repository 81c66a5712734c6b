#include "PanelSnapshots.h"

#include <vector>

#include "Framework/ControlLayer.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/tables/PanelLookups.h"
#include "rasteriser/Raster_PNG.h"

namespace {

constexpr int kNordModelParam = 796;

void Show(UIConfigManager& m, const std::string& name, bool shown) {
  if (ControlLayer* layer = m.getLayer(name)) layer->Hide(!shown);
}

}  // namespace

std::vector<PanelView> PanelViews() {
  std::vector<PanelView> views;
  const char* const kModels[] = {"nl1", "nl2", "nl2x"};
  for (int model = 0; model < 3; ++model) {
    const std::string m = kModels[model];
    const int synth = model == 0 ? 4 : 2;
    views.push_back({m + "-librarian", 1, model, ""});
    views.push_back({m + "-synth", synth, model, ""});
    views.push_back({m + "-velocity", synth + 1, model, ""});
  }
  views.push_back({"empty-page", 0, 1, ""});
  for (const char* window : {"performanceSettings", "midiFilterSettings", "aboutWindow", "firstRunNotification"}) {
    views.push_back({std::string("window-") + window, 2, 1, window});
  }
  views.push_back({"window-patchRename", 1, 1, "patchRename"});
  views.push_back({"window-searchField", 1, 1, "searchField"});
  return views;
}

void ShowView(LintPanel& panel, const PanelView& view) {
  UIConfigManager& m = panel.manager();
  for (int i = 0; i < kStartupLayerNameCount; ++i) Show(m, kStartupLayerNames[i], false);
  // The tab switch: the page, slot A on it, and the layers of that page.
  ControlLayer* root = m.getLayer("root");
  if (root) {
    root->SetActiveChildID(view.page);
    if (ControlLayer* page = root->GetChildLayer(view.page)) page->SetActiveChildID(0);
    root->Hide(false);
  }
  const bool librarian = view.page == 1;
  Show(m, "controlDisplayLayer", !librarian);
  Show(m, "performanceSettings2", !librarian);
  Show(m, "modWheelerOne", true);
  Show(m, view.model == 2 ? "patchProgramControls1nl2x" : "patchProgramControls1nl2", true);
  if (librarian) {
    for (const char* name : {"librarianPartSelector", "saveChangesLayer"}) Show(m, name, true);
  } else if (view.page >= 2) {
    for (const char* name : {"slotBEnable", "slotCEnable", "slotDEnable", "layerALayer"}) Show(m, name, true);
  }
  if (!view.window.empty()) Show(m, view.window, true);

  IGraphicsMac& g = panel.graphics();
  // The model chosen, and every control showing its parameter as start-up leaves them.
  panel.plug().GetParam(kNordModelParam)->Set(view.model);
  std::vector<double> normalized(static_cast<size_t>(panel.plug().NParams()));
  for (size_t i = 0; i < normalized.size(); ++i) {
    IParam* param = panel.plug().GetParam(int(i));
    normalized[i] = param->GetNormalized(param->Value());
    param->SetNormalized(normalized[i]);
  }
  g.SetParametersFromPlug(normalized);
  g.PrepDraw();
  IRECT all(0, 0, g.Width(), g.Height());
  g.Draw(&all);
}

bool SnapshotPanel(LintPanel& panel, const PanelView& view, const std::string& pngPath) {
  ShowView(panel, view);
  return Raster_SavePNG(pngPath.c_str(), panel.graphics().GetDrawBitmap());
}
