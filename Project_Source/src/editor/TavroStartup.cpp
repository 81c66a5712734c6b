// Construction: the start-up stages in their order.

#include "DataRoot.h"
#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IControlText.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/DebuggerOutput.h"
#include "editor/PatchManager.h"
#include "editor/Tavro.h"
#include "editor/librarian/BankListTexts.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/panel/EscapeKey.h"
#include "editor/panel/ProgressIndicator.h"
#include "layout/ControlAction.h"
#include "layout/UIConfigManager.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/panel/FolderPopupMenu.h"
#include "messaging/MIDIMessageManager.h"

namespace {

constexpr int kVendorVersion = 0x20200;
constexpr int kUniqueID = int(FourCC("tvrq"));
constexpr int kMfrID = int(FourCC("Orv1"));
constexpr int kLatency = 128;
constexpr int kLeadingParamCount = 204;  // the base's first count creates no parameter
constexpr const char* kEffectName = "Tavro Editor";
constexpr const char* kLogName = "Tavro Editor LOG.txt";
constexpr const char* kUISettingsName = "Tavro Editor UI.txt";

constexpr int kBackgroundID = 104;
constexpr const char* kBackgroundName = "resources/img-retina-quality/tavro_GUI-v2.png";
constexpr int kOverlayID = 122;
constexpr const char* kOverlayName = "resources/img-v2/progress-overlay-v2.png";
// The overlay's Cancel buttons, in layout units: over the librarian, over the main panel.
constexpr int kCancelButtonPositions[2][2] = {{857, 345}, {538, 5}};

}  // namespace

Tavro::Tavro(const IModuleInstanceInfo& info, std::shared_ptr<MidiTransportFactory> transports)
    : IModuleAU(info, kLeadingParamCount, "2-2", 0, kEffectName, "", "Orvane", kVendorVersion, kUniqueID, kMfrID,
                kLatency, true, true, true) {
  if (transports) UseMidiTransports(std::move(transports));
  sampleRate = GetSampleRate();
  try {
    readSettingsAndLog();
    initialize(info, 0, kTavroParamCount, "2-2", 0, kEffectName, "", "Orvane", kVendorVersion, kUniqueID, kMfrID,
               kLatency, true, true, true, 0);
    addNonAutomateParamCount(kTavroParamCount);
    createManagers();
    buildPanel();
    buildProgressOverlay();
    midiManager = new MIDIMessageManager(this, patchManager, librarian, graphics);
    installClockJobs();
    MakeDefaultPreset("-", 64);
    patchManager->init();
    keepControlSet1();
    fillBankList(kPatchSelectionListUpper, "Bank Selection List 1", &kept_.upperListControl, &upperBankText,
                 &upperBankFile);
    buildMenuLayers();
    keepControlSet2();
    setStartValues();
  } catch (...) {
    // Whatever was built goes, and no thread is left behind.
    tearDown();
    throw;
  }
}

std::string Tavro::getDataFolder() const { return PlatformDataRoot() + "/Orvane/Vudidi Tavro Editor/"; }

void Tavro::printDebugInfo(const std::string& line) {
  if (debugEnabled) DebuggerOutput::printDebugInfo(logPath, line);
}

void Tavro::readSettingsAndLog() {
  // Whatever stands in the data folder under these names, start-up goes on: what is
  // no regular file is passed over and said once the panel stands.
  std::string logWhy, settingsWhy;
  logPath = getDataFolder() + kLogName;
  debugEnabled = DebuggerOutput::openDebugFile(logPath, &logWhy);
  uiSettingsPath = getDataFolder() + kUISettingsName;
  uiSettings = ReadUISettings(uiSettingsPath, &settingsWhy);
  uiScale = uiSettings.scale();
  for (const auto& [name, why] : {std::pair{kLogName, logWhy}, std::pair{kUISettingsName, settingsWhy}})
    if (!why.empty())
      passedOverAtStart += (passedOverAtStart.empty() ? "" : ", ") + std::string(name) + " (" + why + ")";
  logStage("INITIALIZATION STARTED!");
  if (!passedOverAtStart.empty()) logStage("Passed over: " + passedOverAtStart);
  SetLatency(kLatency);
  logStage("Data folder located at " + getDataFolder());
}

void Tavro::createManagers() {
  tickPerformer = std::make_unique<TickActionPerformer>(
      tickActions, [this](const TickAction& action) { performTickAction(action); });
  patchManager = new PatchManager(this);
  logStage("PATCH MANAGER INITIALIZED...");
  librarian = new PatchLibrarian(this);
  logStage("PATCH LIBRARIAN INITIALIZED...");
  librarian->loadPatchesFromFilesystem(getPatchesFolderStr());
  logStage("PATCH LIBRARIAN COMPLETED FILE LOADING...");
}

void Tavro::buildPanel() {
  graphics = MakeGraphics(this, int(kPanelWidth * uiScale), int(kPanelHeight * uiScale), 0);
  logStage("STARTING USER INTERFACE CONFIGURATION...");
  uiConfig = new UIConfigManager();
  if (LibrarianPanelParts* parts = GetLibrarianPanelParts()) uiConfig->setLibrarianViewFactory(parts->listFactory());
  uiConfig->readUIConfig(graphics, this, librarian, uiConfigMode, uiScale,
                         [this](const std::string& line) { printDebugInfo(line); });
  logStage("USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI");
  keepLayers();
  kept_.randomizeControl = firstControl(kRandomize);
  kept_.patchSearchControl = firstControl(kPatchSearch);
  graphics->AttachBackground(kBackgroundID, kBackgroundName, uiScale);
  AttachGraphics(graphics);
  logStage("Layers attached...");
}

void Tavro::buildProgressOverlay() {
  progressLayer = new ControlLayer(0, "PROGRESS");
  const int width = graphics->Width(), height = graphics->Height();
  IBitmap source = graphics->LoadIBitmap(kOverlayID, kOverlayName, uiScale);
  // The picture is drawn at the panel's size: loaded at the panel's scale it usually
  // is already, and a scaled copy would keep a second panel-sized bitmap resident.
  const bool panelSized = source.W == width && source.H == height;
  progressImage = panelSized ? source : graphics->ScaleBitmap(&source, width, height);
  progressIndicator =
      new ProgressIndicator(progressLayer, this, 0, 0, width, height, -1, &progressImage, IRECT(0, 0, width, height));
  for (size_t i = 0; i < kept_.cancelButtons.size(); ++i)
    kept_.cancelButtons[i] = uiConfig->createAutoOffSwitchControl(
        "Cancel Data Request", kCancelDataRequest, kCancelButtonPositions[i][0], kCancelButtonPositions[i][1],
        "BUTTON_LIB_CANCEL_ID", 0, progressLayer, "Global");
  progressIndicator->Hide(true);
  progressLayer->Hide(true);
}

void Tavro::keepControlSet1() {
  kept_.datatypeControl = firstControl(kDatatype);
  kept_.datamodeControl = firstControl(kDatamode);
  kept_.quickTabAction = uiConfig->getControlAction(kQuickTab);
  for (int s = 0; s < kSlotCount; ++s) {
    kept_.slotEnableControls[size_t(s)] = firstControl(kSlotAEnable + s);
    GetParam(kSlotAEnable + s)->SetClamped(1.0);
  }
  kept_.multiSettingsControl = firstControl(kMultiSettings);
  GetParam(kMultiSettings)->SetClamped(1.0);
  if (kept_.multiSettingsControl) kept_.multiSettingsControl->SetValueFromPlug(1.0);
  GetParam(kControlLibrary)->SetClamped(0.0);
  logStage("Control set 1 attached");
}

void Tavro::fillBankList(int paramIdx, const char* name, IControl** control, std::string* text, std::string* file) {
  std::vector<std::string> fileNames, secondNames;
  CurrentFilePair first;
  librarian->inspect([&](const PatchLibrary& library) {
    for (const auto& bank : library.filesOfType(0)) {
      fileNames.push_back(bank->fileName);
      secondNames.push_back(bank->folderName);
    }
    if (!library.programFiles.empty()) first = {fileNames.front(), FolderKeyOf(*library.programFiles.front())};
  });
  // Both panes start on the first bank: their pairs name it, as a choice in their menus would.
  leftProgramFile = rightProgramFile = first;
  IParam* param = GetParam(paramIdx);
  param->InitEnum(name, 0, int(fileNames.size()), "", "", -1, -1);
  const std::vector<std::string> texts =
      BankListTexts(fileNames, [this](const std::string& full, const std::string& shown) {
        logStage("PATCH LIBRARIAN: Filename " + full + " RENAMED TO " + shown +
                 " Because the filename was too long to fit in plug-in display!");
      });
  for (size_t i = 0; i < texts.size(); ++i) param->SetDisplayText(int(i), texts[i].c_str());
  if (texts.empty()) param->SetDisplayText(0, NoBankListText(false));
  *control = firstControl(paramIdx);
  *text = param->GetDisplayText(0);
  const int selected = param->Int();
  if (selected >= 0 && size_t(selected) < secondNames.size()) *file = secondNames[size_t(selected)];
}

namespace {

bool LayerHolds(const ControlLayer* layer, const IControl* control) {
  for (int i = 0; layer && i < layer->NControls(); ++i)
    if (layer->GetControl(i) == control) return true;
  return false;
}

}  // namespace

void Tavro::keepStatusLines() {
  kept_.statusText = kept_.librarianStatusText = nullptr;
  ControlAction* action = uiConfig ? uiConfig->getControlAction(kControlDisplayName) : nullptr;
  if (!action) return;
  const ControlLayer* page = layer("patchLibrarian");
  for (IControl* control : action->boundControls) {
    ITextControl*& line = LayerHolds(page, control) ? kept_.librarianStatusText : kept_.statusText;
    if (!line) line = dynamic_cast<ITextControl*>(control);
  }
  // Long outcomes and file names stay inside their fields.
  for (IControl* field : {static_cast<IControl*>(kept_.statusText), static_cast<IControl*>(kept_.librarianStatusText),
                          kept_.upperListControl, kept_.lowerListControl})
    if (auto* text = dynamic_cast<ITextControl*>(field)) text->SetFitToRect(true);
}

void Tavro::keepControlSet2() {
  kept_.midiOutSelector = firstControl(kDeviceOutSelection);
  kept_.midiInSelector = firstControl(kDeviceInSelection);
  kept_.patchRenameControl = firstControl(kPatchRename);
  keepStatusLines();
  kept_.valueText = dynamic_cast<ITextControl*>(firstControl(kControlDisplayValue));
  kept_.ccDisplay = firstControl(kControlDisplayCC);
  kept_.buildDisplay = firstControl(kControlDisplayBuild);
  kept_.midiOutDelayDisplay = firstControl(kControlDisplayMIDIOutDelay);
  kept_.libraryControl = firstControl(kControlLibrary);
  kept_.velomapControl = firstControl(kShowVelomap);
  kept_.showLibrarianControl = firstControl(kShowLibrarian);
  kept_.overrideTempoAction = uiConfig->getControlAction(kOverrideTempo);
  kept_.librarianView = uiConfig->getLibrarianView();
  for (int s = 0; s < kSlotCount; ++s) {
    kept_.partChannelControls[size_t(s)] = firstControl(kPartMidiChannel + s);
    kept_.activityLights[size_t(s)] = firstControl(kMIDILed + s);
  }
}

void Tavro::setFilterStartValues() {
  // 592-598 host side, 599-605 synthesizer side, then tracking, routing and clock.
  const bool kPassOn[kFilterClassCount] = {true, false, true, true, true, true, false};
  const bool kDevicePassOn[kFilterClassCount] = {true, false, true, true, true, true, true};
  const bool kRest[] = {true, true, false, false, false};  // 606-610
  for (int i = 0; i < kFilterCount; ++i) {
    const int paramIdx = kMIDIFilterDAWCCPassThrough + i;
    bool on;
    if (i < kFilterClassCount) {
      on = kPassOn[i];
      setHostFilterBlocked(size_t(i), !on);
    } else if (i < 2 * kFilterClassCount) {
      on = kDevicePassOn[i - kFilterClassCount];
      setDeviceFilterBlocked(size_t(i - kFilterClassCount), !on);
    } else {
      on = kRest[i - 2 * kFilterClassCount];
    }
    kept_.filterControls[size_t(i)] = firstControl(paramIdx);
    if (IControl* control = kept_.filterControls[size_t(i)]) control->SetValueFromUserInput(on ? 1.0 : 0.0);
  }
  setTrackIncomingMidi(true);
  setSendClockPointer(false);
}

void Tavro::setStartValues() {
  for (int s = 0; s < kSlotCount; ++s) {
    if (IControl* channel = kept_.partChannelControls[size_t(s)])
      channel->SetValueFromUserInput(GetParam(kPartMidiChannel + s)->GetNormalized(s + 1));
    setSlotChannel(size_t(s), s + 1);
  }
  setPanelDeviceId(4);
  logStage("Control set 2 attached... Resetting");
  Reset();

  for (IControl* list : {kept_.upperListControl, kept_.lowerListControl})
    if (list) list->SetValueFromPlug(0.0);
  for (IControl* enable : kept_.slotEnableControls)
    if (enable) enable->SetValueFromPlug(1.0);
  setFromPlug(kNordModel, 1.0);
  setNordModel(GetParam(kNordModel)->Int());
  setFromPlug(kQuickTab, 0.0);
  setActiveSlot(GetParam(kQuickTab)->Int());
  tabSwitch.mainTabSwitch(this, 2, unitLink_.nordModel, panelMode_.activeSlot);
  graphics->AttachLayer(progressLayer);
  graphics->AttachKeyCatcher(new EscapeKey(this));

  if (uiSettings.sizeParamValue() >= 0) setFromPlug(kUserInterfaceSize, uiSettings.sizeParamValue());
  if (uiSettings.firstRunNoticeWanted()) showLayer("firstRunNotification", true);

  setFilterStartValues();
  for (int s = 0; s < kSlotCount; ++s) setFromPlug(kPartMidiChannel + s, s + 1);
  setFromPlug(kDeviceID, 4.0);
  for (int s = 0; s < kSlotCount; ++s) setSlotSolo(size_t(s), GetParam(kSlotSolo + s)->Int() != 0);
  for (size_t i = 0; i < midiFilters_.globalLink.size(); ++i)
    setGlobalLink(i, GetParam(kGlobalLink + int(i))->Int() != 0);
  pushParameterValues();

  logStage("Plug-in is ready to load!");
  tabSwitch.mainTabSwitch(this, 2, unitLink_.nordModel, panelMode_.activeSlot);
  if (!passedOverAtStart.empty()) {
    passedOverForView = "Passed over: " + passedOverAtStart;
    showStatus(passedOverForView);
  }
  setStartupComplete(true);
}

void Tavro::pushParameterValues() {
  for (int i = 0; i < kTavroParamCount; ++i) {
    const int value = int(GetParam(i)->Value());
    if (value >= 1) setFromPlug(i, value);
  }
}
