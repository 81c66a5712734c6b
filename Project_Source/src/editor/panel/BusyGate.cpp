// The busy overlay's gate: every press, drag, wheel turn, key and menu choice on the
// panel passes it (IGraphics asks before the control hears of it).

#include <algorithm>
#include <mutex>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/panel/ProgressIndicator.h"
#include "messaging/MIDIMessageManager.h"

namespace {

// What the overlay's picture covers at (x, y): the topmost shown control of the
// panel below it; null when none.
IControl* CoveredControl(IGraphics& graphics, const ControlLayer* overlay, int x, int y) {
  for (int i = graphics.NLayers() - 1; i >= 0; --i) {
    ControlLayer* layer = graphics.GetLayer(i);
    if (layer == overlay) continue;
    if (IControl* hit = layer->isHit(x, y)) return hit;
  }
  for (int i = graphics.NControls() - 1; i > 0; --i) {  // 0: the background
    IControl* control = graphics.GetControl(i);
    if (!control->IsHidden() && control->IsHit(x, y)) return control;
  }
  return nullptr;
}

}  // namespace

int Tavro::transferRunNumber() const {
  // Between two steps of a store or fetch the overlay hides for a moment; the job runs on.
  return transferRuns() && midiManager ? midiManager->jobsBegun(MIDIMessageManager::kTransferThread) : -1;
}

bool Tavro::PanelInputAllowed(IControl* control, int x, int y) {
  const int run = transferRunNumber();
  if (run < 0 || !control || !graphics) return true;
  if (progressIndicator && progressIndicator->letsThrough(control)) return true;
  IControl* refused = control;
  if (control == progressIndicator) {
    refused = CoveredControl(*graphics, progressLayer, x, y);
    if (!refused) return true;  // bare overlay: nothing to take
  } else {
    for (IControl* cancel : kept_.cancelButtons)
      if (control == cancel) return true;
  }
  const IParam* param = GetParam(refused->ParamIdx());
  // The librarian's list has no parameter of its own: named as the page calls it.
  const std::string name = param && param->GetNameForHost()[0] ? param->GetNameForHost()
                           : refused == kept_.librarianView    ? "Librarian list"
                                                               : "a control";
  // Kept for the run under way: the progress lines and the outcome say it with theirs.
  // The line is shown again under the same lock, so a worker's newer line is never
  // replaced by the one it followed.
  std::lock_guard<std::mutex> hold(statusLock_);
  if (refusalsRun_ != run) transferRefusals_.clear();
  refusalsRun_ = run;
  if (std::find(transferRefusals_.begin(), transferRefusals_.end(), name) == transferRefusals_.end())
    transferRefusals_.push_back(name);
  showAskedStatus();
  return false;
}
