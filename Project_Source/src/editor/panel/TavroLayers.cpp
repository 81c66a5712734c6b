// The named layers of the panel, the librarian menu layers and the lookups the rest
// of the editor reaches them by.

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "editor/panel/ProgressIndicator.h"
#include "editor/tables/PanelLookups.h"
#include "layout/UIConfigManager.h"
#include "messaging/MIDIMessageManager.h"

namespace {

enum class AtStart { kShown, kHidden, kLeft };

struct NamedLayer {
  const char* name;
  AtStart atStart;
};

// In the order of lookup.
const NamedLayer kNamedLayers[] = {
    {"root", AtStart::kShown},
    {"performanceSettings", AtStart::kHidden},
    {"performanceSettings2", AtStart::kLeft},
    {"patchLibrarian", AtStart::kLeft},
    {"patchProgramControls1nl2", AtStart::kHidden},
    {"patchProgramControls2nl2", AtStart::kHidden},
    {"patchProgramControls3nl2", AtStart::kHidden},
    {"patchProgramControls4nl2", AtStart::kHidden},
    {"patchProgramControls1nl2x", AtStart::kHidden},
    {"patchProgramControls2nl2x", AtStart::kHidden},
    {"patchProgramControls3nl2x", AtStart::kHidden},
    {"patchProgramControls4nl2x", AtStart::kHidden},
    {"performanceProgramControlsNL2", AtStart::kHidden},
    {"performanceProgramControlsNL2x", AtStart::kHidden},
    {"performanceSelectorsKept", AtStart::kHidden},
    {"librarianPartSelector", AtStart::kHidden},
    {"controlDisplayLayer", AtStart::kLeft},
    {"saveChangesLayer", AtStart::kHidden},
    {"discardChangesLayerRight", AtStart::kHidden},
    {"aboutWindow", AtStart::kHidden},
    {"firstRunNotification", AtStart::kHidden},
    {"midiFilterSettings", AtStart::kHidden},
    {"layerALayer", AtStart::kLeft},
    {"layerBLayer", AtStart::kLeft},
    {"layerCLayer", AtStart::kLeft},
    {"layerDLayer", AtStart::kLeft},
    {"slotAEnable", AtStart::kLeft},
    {"slotBEnable", AtStart::kLeft},
    {"slotCEnable", AtStart::kLeft},
    {"slotDEnable", AtStart::kLeft},
    {"modWheelerOne", AtStart::kShown},
    {"modWheelerTwo", AtStart::kHidden},
    {"modWheelerThree", AtStart::kHidden},
    {"modWheelerFour", AtStart::kHidden},
    {"patchRename", AtStart::kHidden},
    {"searchField", AtStart::kHidden},
};

static_assert(kEditorMenuCount == Tavro::kMenuCount, "one layer per librarian menu");

constexpr size_t kRandomizerValues = 725;

// The lower bank list is built between the first and the second menu.
constexpr int kLowerListBeforeMenu = 1;

}  // namespace

void Tavro::keepLayers() {
  randomizerState.assign(kRandomizerValues, 0);
  for (const NamedLayer& entry : kNamedLayers) {
    ControlLayer* found = uiConfig->getLayer(entry.name);
    namedLayers_.emplace_back(entry.name, found);
    if (!found) {
      logStage(std::string("Layer ") + entry.name + " is missing from the layout");
      continue;
    }
    if (entry.atStart != AtStart::kLeft) found->Hide(entry.atStart == AtStart::kHidden);
  }
}

void Tavro::buildMenuLayers() {
  LibrarianPanelParts* parts = GetLibrarianPanelParts();
  for (int i = 0; i < kMenuCount; ++i) {
    if (i == kLowerListBeforeMenu)
      fillBankList(kPatchSelectionListLower, "Bank Selection List 2", &kept_.lowerListControl, &lowerBankText,
                   &lowerBankFile);
    const EditorMenu& menu = kEditorMenus[i];
    auto* menuLayer = new ControlLayer(menu.id, menu.name);
    const IRECT rect(int(menu.left * uiScale), int(menu.top * uiScale), int(menu.right * uiScale),
                     int(menu.bottom * uiScale));
    if (IControl* control = parts ? parts->makeMenu(i, this, librarian, rect) : nullptr) {
      menuLayer->AddControl(control);
      kept_.librarianMenus[size_t(i)] = control;
    }
    graphics->AttachLayer(menuLayer);
    menuLayer->Hide(!menu.shown);
    kept_.menuLayers[size_t(i)] = menuLayer;
    // A program is chosen on the synthesizer also while a transfer runs.
    if (progressIndicator && (i == kProgramNumberMenu || i == kBankNumberMenu))
      progressIndicator->passThrough(menuLayer);
    namedLayers_.emplace_back(menu.name, menuLayer);
  }
  // The librarian's list is stepped through while the row it sent is still on the way:
  // the row sent next is the one highlighted (a row's send is kept while another runs).
  IControl* list = uiConfig->getLibrarianView();
  if (progressIndicator && list) {
    progressIndicator->passThroughWhile(list, [this] {
      return midiManager && midiManager->runningJob(MIDIMessageManager::kTransferThread) == kJobSendLibrarianPatch;
    });
  }
  logStage("Librarian menus attached");
}

ControlLayer* Tavro::layer(const std::string& name) const {
  for (const auto& entry : namedLayers_)
    if (entry.first == name) return entry.second;
  return nullptr;
}

void Tavro::showLayer(const std::string& name, bool show) const {
  if (ControlLayer* found = layer(name)) found->Hide(!show);
}

IControl* Tavro::firstControl(int paramIdx) {
  ControlAction* action = uiConfig ? uiConfig->getControlAction(paramIdx) : nullptr;
  if (action && !action->boundControls.empty()) return action->boundControls.front();
  logStage("No control is bound to parameter " + std::to_string(paramIdx));
  return nullptr;
}

double Tavro::paramValue(int paramIdx) const {
  const IParam* param = GetParam(paramIdx);
  return param ? param->Value() : 0.0;
}

void Tavro::setFromPlug(int paramIdx, double value) {
  if (graphics) graphics->SetParameterFromPlug(paramIdx, value, false);
}
