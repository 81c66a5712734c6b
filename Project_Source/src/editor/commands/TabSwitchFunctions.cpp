#include "editor/commands/TabSwitchFunctions.h"

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/TavroParams.h"

namespace {

const char* const kSlotLayers[] = {"layerALayer", "layerBLayer", "layerCLayer", "layerDLayer"};
const char* const kSlotEnableLayers[] = {"slotAEnable", "slotBEnable", "slotCEnable", "slotDEnable"};
const char* const kModWheelLayers[] = {"modWheelerOne", "modWheelerTwo", "modWheelerThree", "modWheelerFour"};
const char* const kProgramControlsNL2[] = {"patchProgramControls1nl2", "patchProgramControls2nl2",
                                           "patchProgramControls3nl2", "patchProgramControls4nl2"};
const char* const kProgramControlsNL2x[] = {"patchProgramControls1nl2x", "patchProgramControls2nl2x",
                                            "patchProgramControls3nl2x", "patchProgramControls4nl2x"};
const char* const kPerformanceControlsNL2 = "performanceProgramControlsNL2";
const char* const kPerformanceControlsNL2x = "performanceProgramControlsNL2x";
// The librarian menus a main tab switch hides before the page shows its own.
const char* const kPageMenus[] = {"LeftPatchPopupMenu", "RightPatchPopupMenu", "LeftPerformancePopupMenu",
                                  "RightPerformancePopupMenu", "BANKEDITMENU"};

constexpr int kLibrarianPage = 1;

bool ValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

void SetListDrag(Tavro* plug, bool enabled) {
  LibrarianPanelParts* parts = GetLibrarianPanelParts();
  if (parts && plug->keptControls().librarianView)
    parts->setListDragEnabled(plug->keptControls().librarianView, enabled);
}

}  // namespace

int TabSwitchFunctions::pageFor(int tab, int model) {
  if (tab == 2 || tab == 4) return model == 0 ? 4 : 2;
  if (tab == 3 || tab == 5) return model == 0 ? 5 : 3;
  return tab;
}

const char* TabSwitchFunctions::programControlsLayer(int model, int slot, bool perfMode) {
  if (model > 2) return kPerformanceControlsNL2x;
  if (perfMode) return model == 2 ? kPerformanceControlsNL2x : kPerformanceControlsNL2;
  if (!ValidSlot(slot)) return nullptr;
  return model == 2 ? kProgramControlsNL2x[slot] : kProgramControlsNL2[slot];
}

void TabSwitchFunctions::showSlotOfPage(Tavro* plug, int pagePosition, int slot) {
  ControlLayer* root = plug->layer("root");
  if (!root || pagePosition < 0 || pagePosition >= root->NChildLayers()) return;
  if (ControlLayer* page = root->GetChildLayer(pagePosition)) page->ShowOnlyChild(slot);
}

void TabSwitchFunctions::hideSlotLayers(Tavro* plug, int slot) {
  for (const char* const* names : {kSlotLayers, kSlotEnableLayers, kModWheelLayers})
    for (int i = 0; i < kSlotCount; ++i) plug->showLayer(names[i], false);
  if (ValidSlot(slot)) plug->showLayer(kModWheelLayers[slot], true);
}

void TabSwitchFunctions::hideProgramControls(Tavro* plug) {
  for (int i = 0; i < kSlotCount; ++i) {
    plug->showLayer(kProgramControlsNL2[i], false);
    plug->showLayer(kProgramControlsNL2x[i], false);
  }
  plug->showLayer(kPerformanceControlsNL2, false);
  plug->showLayer(kPerformanceControlsNL2x, false);
}

void TabSwitchFunctions::showProgramControls(Tavro* plug) {
  hideProgramControls(plug);
  const int model = plug->unitLink().nordModel.load();
  if (const char* controls = programControlsLayer(model, plug->panelMode().activeSlot, plug->panelMode().perfMode))
    plug->showLayer(controls, true);
}

void TabSwitchFunctions::updateOctaveLight(Tavro* plug, int slot) {
  static const int kOctaves[] = {0, 12, 24, 36, 48, 60, 72, 84, 96, 108, 120};
  const int lightIdx = kOscillator2OctaveLED + slot;
  const int light = TruncToInt(plug->paramValue(lightIdx));
  bool on = false;
  if (plug->paramValue(kOsc2Waveform + slot) != 3.0) {
    const int semitones = TruncToInt(plug->paramValue(kOsc2Semitones + slot));
    for (int octave : kOctaves) on = on || semitones == octave;
  }
  // Written on change only: a light already right is left alone.
  if (on && light == 0) plug->setFromPlug(lightIdx, 1.0);
  if (!on && light == 1) plug->setFromPlug(lightIdx, 0.0);
}

void TabSwitchFunctions::showSynthSlot(Tavro* plug, int slot, int model) {
  for (const char* name : kSlotEnableLayers) plug->showLayer(name, true);
  if (!ValidSlot(slot)) return;
  if (IControl* enable = plug->keptControls().slotEnableControls[size_t(slot)]) enable->SetValueFromUserInput(1.0);
  plug->showLayer(kSlotEnableLayers[slot], false);
  plug->showLayer(kSlotLayers[slot], true);
  if (const char* controls = programControlsLayer(model, slot, plug->panelMode().perfMode.load()))
    plug->showLayer(controls, true);
  updateOctaveLight(plug, slot);
}

void TabSwitchFunctions::mainTabSwitch(Tavro* plug, int tab, int model, int slot) {
  const int page = pageFor(tab, model);
  if (ControlLayer* root = plug->layer("root")) root->ShowOnlyChild(page);

  const bool librarianShown = plug->paramValue(kShowLibrarian) == 1.0;
  if (plug->keptControls().multiSettingsControl) plug->keptControls().multiSettingsControl->Hide(librarianShown);
  if (plug->paramValue(kMultiSettings) != 0.0) {
    plug->showLayer("performanceSettings", false);
  } else if (librarianShown) {
    plug->showLayer("performanceSettings", false);
    plug->setFromPlug(kMultiSettings, 0.0);
  } else {
    plug->showLayer("performanceSettings", true);
  }
  plug->showLayer("performanceSettings2", true);

  hideSlotLayers(plug, slot);
  for (const char* menu : kPageMenus) plug->showLayer(menu, false);
  // The search field, the rename box and an entry open in either leave with their
  // page, taking nothing typed so far.
  plug->showLayer("searchField", false);
  plug->showLayer("RightSearchPopupMenu", false);
  plug->showLayer("patchRename", false);
  plug->setRenameInactive(true);
  if (plug->graphics) plug->graphics->ForceEndUserEdit();
  hideProgramControls(plug);
  plug->showLayer("librarianPartSelector", false);
  SetListDrag(plug, false);
  plug->showLayer("discardChangesLayerRight", false);
  plug->showLayer("saveChangesLayer", false);
  plug->showLayer("controlDisplayLayer", true);
  plug->setFromPlug(kAllowPartChangeLED, plug->paramValue(kAllowPartChange) == 1.0 ? 1.0 : 0.0);

  if (page <= 0) return;
  showSlotOfPage(plug, page, slot);

  if (page == kLibrarianPage) {
    plug->showLayer("controlDisplayLayer", false);
    plug->showLayer("librarianPartSelector", true);
    SetListDrag(plug, true);
    plug->showLayer("BANKEDITMENU", true);
    plug->showLayer("saveChangesLayer", true);
    if (plug->paramValue(kBankEditUnsaved) == 1.0) plug->showLayer("discardChangesLayerRight", true);
    const bool perf = plug->panelMode().perfMode.load();
    if (const char* controls = programControlsLayer(model == 2 ? 2 : 1, slot, perf)) plug->showLayer(controls, true);
    plug->showLayer("librarianPartSelector", !perf);
    plug->showLayer(perf ? "LeftPerformancePopupMenu" : "LeftPatchPopupMenu", true);
    const bool results = !perf && plug->panelMode().searchResultsShown;
    plug->showLayer(perf      ? "RightPerformancePopupMenu"
                    : results ? "RightSearchPopupMenu"
                              : "RightPatchPopupMenu",
                    true);
    plug->showLayer("searchField", !perf && plug->paramValue(TavroParam::kPatchSearch) == 1.0);
    plug->showLayer("performanceSettings2", false);
    return;
  }
  showSynthSlot(plug, slot, model);
}

void TabSwitchFunctions::quickTabSwitch(Tavro* plug, int paramIdx, int slot, int model) {
  hideSlotLayers(plug, slot);
  hideProgramControls(plug);
  ControlLayer* root = plug->layer("root");
  if (!root) return;
  const int page = root->GetActiveChildID();
  if (page < 1 || page >= root->NChildLayers() || !root->GetChildLayer(page)) return;
  showSlotOfPage(plug, page, slot);

  const int currentModel = plug->unitLink().nordModel.load();
  const bool keepBank = plug->panelMode().keepCurrentBank.load();
  if (page == kLibrarianPage) {
    if (!keepBank) plug->refreshLibrarianMenus();
    if (const char* controls = programControlsLayer(currentModel, slot, plug->panelMode().perfMode.load()))
      plug->showLayer(controls, true);
    plug->showLayer("librarianPartSelector", !plug->panelMode().perfMode.load());
    return;
  }
  showSynthSlot(plug, slot, currentModel);
  if (keepBank || !ValidSlot(slot)) return;
  const int program = int(plug->paramValue(kCurrentProgram + slot));
  const int bankParam = currentModel < 2 ? kCurrentBank : kCurrentBank2x;
  plug->setFromPlug(bankParam + slot, double(int(plug->paramValue(bankParam + plug->panelMode().activeSlot.load()))));
  plug->selectLibrarianRow(0, program);
  plug->refreshLibrarianMenus();
}
