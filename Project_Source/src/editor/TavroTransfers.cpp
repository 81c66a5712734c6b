// The busy state of a transfer with the synthesizer.

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "editor/Tavro.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/panel/ProgressIndicator.h"
#include "messaging/MIDIMessageManager.h"

void Tavro::DisplayProcessingIndicator(bool show) {
  if (show) {
    setTransferBusy(true);
    if (progressIndicator) progressIndicator->Hide(false);
    if (progressLayer) progressLayer->Hide(false);
    for (IControl* button : kept_.cancelButtons)
      if (button) button->Hide(true);
    // The first button lies over the librarian, the second over the main panel.
    IControl* cancel = kept_.cancelButtons[paramValue(kShowLibrarian) == 1.0 ? 0 : 1];
    if (cancel) cancel->Hide(false);
  } else {
    setSysexInputSuspended(false);
    setTransferBusy(false);
    if (progressIndicator) progressIndicator->Hide(true);
    if (progressLayer) progressLayer->Hide(true);
    for (IControl* button : kept_.cancelButtons)
      if (button) button->Hide(true);
    if (midiManager) midiManager->transferInProgress = false;
    setHoldOutputWhileBusy(false);
  }
  if (midiManager) midiManager->sender()->clearCancel();
}

bool Tavro::IsTransferring() const {
  return midiManager && midiManager->isRunning(MIDIMessageManager::kTransferThread);
}

void Tavro::refreshLibrarianMenus() {
  const bool overlayShown = progressLayer && progressLayer->IsShown();
  if (progressIndicator) progressIndicator->Hide(false);
  if (progressLayer) progressLayer->Hide(false);
  if (LibrarianPanelParts* parts = GetLibrarianPanelParts()) parts->refreshMenus(this);
  if (overlayShown) return;
  if (progressIndicator) progressIndicator->Hide(true);
  if (progressLayer) progressLayer->Hide(true);
}
