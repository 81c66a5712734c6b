#include "editor/panel/EscapeKey.h"

#include "Framework/ControlLayer.h"
#include "editor/Tavro.h"
#include "librarian/TavroParams.h"
#include "views/View_PanelKeys.h"

namespace {

struct ClosableWindow {
  const char* layer;
  int closeParam;
  bool momentary;  // the Close button springs back; else it stays on (shown while off)
  bool forNow;     // Escape closes it until the next start; only its button closes it for good
};

// Topmost first: the layers lie in the layout in the opposite order.
const ClosableWindow kWindows[] = {
    {"firstRunNotification", kFirstRunExit, true, true},
    {"aboutWindow", kExitAboutWindow, true, false},
    {"midiFilterSettings", kCloseMIDIFilterSettings, true, false},
    {"performanceSettings", kMultiSettings, false, false},
};

}  // namespace

// Drawn nowhere and hit nowhere; it presses the Close buttons themselves.
EscapeKey::EscapeKey(Tavro* plug) : IControl(plug, IRECT(), -1), mTavro(plug) {}

bool EscapeKey::OnKeyDown(int, int, int key) {
  if (key != kPanelKeyEscape) return false;
  for (const ClosableWindow& window : kWindows) {
    ControlLayer* layer = mTavro->layer(window.layer);
    IControl* close = mTavro->firstControl(window.closeParam);
    if (!layer || !layer->IsShown() || !close) continue;
    if (window.forNow) {
      // Its close handler with the button up: hidden, nothing remembered.
      mTavro->OnParamChange(window.closeParam);
      return true;
    }
    // Pressed (and let go) as a click on it does.
    close->SetValueFromUserInput(1.0);
    if (window.momentary) close->SetValueFromUserInput(0.0);
    return true;
  }
  return false;
}
