#include "editor/panel/EscapeKey.h"

#include "Framework/ControlLayer.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"
#include "librarian/TavroParams.h"
#include "views/View_PanelKeys.h"

// Bound to the Close button's parameter, drawn nowhere and hit nowhere.
EscapeKey::EscapeKey(Tavro* plug) : IControl(plug, IRECT(), kExitAboutWindow), mTavro(plug) {}

bool EscapeKey::OnKeyDown(int, int, int key) {
  if (key != kPanelKeyEscape) return false;
  ControlLayer* about = mTavro->layer("aboutWindow");
  if (!about || !about->IsShown()) return false;
  // Pressed and let go, as the Close button is.
  SetValueFromUserInput(1.0);
  SetValueFromUserInput(0.0);
  return true;
}
