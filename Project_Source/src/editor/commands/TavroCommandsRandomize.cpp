// The randomiser button: a new random sound for the active slot, sent to the synthesizer.

#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/commands/TavroCommands.h"
#include "messaging/MIDIMessageManager.h"

namespace TavroCommands {

void randomize(Tavro& plug, int, double value) {
  if (TruncToInt(value) != 1 || !plug.midiManager) return;
  const int slot = plug.panelMode().activeSlot;
  plug.midiManager->randomGenerator();
  plug.midiManager->randomizePartPatch(slot);
  plug.tabSwitch.mainTabSwitch(&plug, plug.unitLink().nordModel == 0 ? 4 : 2, plug.unitLink().nordModel, slot);
  if (plug.resendProgram(slot)) plug.showStatus("Slot Randomized");
}

}  // namespace TavroCommands
