// The tab, slot and model switches of the panel.

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "librarian/PatchLibrarian.h"

namespace TavroCommands {

namespace {

constexpr int kLibrarianTab = 1;

// The synthesizer page's tab (2) or its velocity-map tab (3); model 0 has its own (4, 5).
int SynthTab(const Tavro& plug, bool velomap) {
  const bool nl1 = plug.unitLink().nordModel <= 0;
  if (velomap) return nl1 ? 5 : 3;
  return nl1 ? 4 : 2;
}

void RefreshBankEditMenu(Tavro& plug) {
  if (LibrarianPanelParts* parts = GetLibrarianPanelParts()) parts->refreshMenus(&plug);
}

void SwitchTab(Tavro& plug, int tab) {
  plug.tabSwitch.mainTabSwitch(&plug, tab, plug.unitLink().nordModel, plug.panelMode().activeSlot);
}

void GreyOut(IControl* control, bool grey) {
  if (control) control->GrayOut(grey);
}

}  // namespace

void switchToSlot(Tavro& plug, int slot) {
  if (slot < 0 || slot >= kSlotCount) {
    plug.printDebugInfo("PROCESSOR: slot " + std::to_string(slot) + " ignored");
    return;
  }
  plug.setActiveSlot(slot);
  plug.tabSwitch.quickTabSwitch(&plug, kQuickTab, slot, plug.unitLink().nordModel);
  if (plug.paramValue(kAllowPartChange) == 1.0) plug.resendPerformance();
  plug.updateBankAndProgramMenuNames(false);
}

void nordModel(Tavro& plug, int, double value) {
  const int model = TruncToInt(value);
  // The unit found on the port keeps its id whatever the model: the model's usual id
  // would send every dump past it. Without an answer the usual id is tried, asking
  // again when the ports are set (the enquiry says when nothing answers).
  bool enquire = false;
  if (model != plug.unitLink().nordModel) {
    plug.setNordModel(model);
    if (!plug.deviceIdAnswered()) {
      IParam* deviceId = plug.GetParam(kDeviceID);
      deviceId->SetClamped(model == 2 ? 15.0 : 4.0);
      plug.setFromPlug(kDeviceID, deviceId->Value());
      plug.setPanelDeviceId(deviceId->Int());
      enquire = plug.unitLink().midiIOSet;
    }
  }
  int tab = SynthTab(plug, false);
  if (plug.paramValue(kShowLibrarian) == 1.0) {
    RefreshBankEditMenu(plug);
    tab = kLibrarianTab;
  } else if (plug.paramValue(kShowVelomap) == 1.0) {
    tab = SynthTab(plug, true);
  }
  plug.updateBankAndProgramMenuNames(false);
  SwitchTab(plug, tab);
  if (enquire) plug.sendSysExInitialization();
}

void showLibrarian(Tavro& plug, int, double value) {
  const bool shown = value != 0.0;
  if (shown) RefreshBankEditMenu(plug);
  // Opening the page says what the scan could not read and whether the left bank is incomplete.
  const std::string notice = shown && plug.librarian ? plug.librarian->paneNotice(true) : std::string();
  if (!notice.empty()) plug.showStatus(notice);
  GreyOut(plug.keptControls().velomapControl, shown);
  SwitchTab(plug, shown ? kLibrarianTab : SynthTab(plug, false));
}

void showVelomap(Tavro& plug, int, double value) {
  const bool shown = value == 1.0;
  GreyOut(plug.keptControls().showLibrarianControl, shown);
  SwitchTab(plug, SynthTab(plug, shown));
}

void multiSettings(Tavro& plug, int, double value) {
  // "Perform" and the window's own Close switch show the one value.
  plug.setFromPlug(kMultiSettings, value);
  SwitchTab(plug, plug.paramValue(kShowVelomap) == 1.0 ? 3 : 2);
}

void allowPartChange(Tavro& plug, int, double value) {
  plug.setFromPlug(kAllowPartChangeLED, value == 1.0 ? 1.0 : 0.0);
}

void quickTab(Tavro& plug, int, double value) { switchToSlot(plug, TruncToInt(value)); }

}  // namespace TavroCommands
