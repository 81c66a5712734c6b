// Tear-down: nothing may still run when what it uses goes.

#include "Framework/IGraphicsMac.h"
#include "editor/PatchManager.h"
#include "editor/Tavro.h"
#include "layout/UIConfigManager.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"

Tavro::~Tavro() { tearDown(); }

void Tavro::tearDown() {
  // A render in flight finishes first; later ones do nothing. The tick never waits, so
  // neither does this for long.
  tickGate_.ShutAndWait();
  // A note the hold let sound is ended while the output is open (its Note Off may be
  // held behind what will now never go).
  closeHeldMidi();
  // Nothing more goes to the synthesizer, and the parameter road stops treating
  // changes as the user's.
  setStartupComplete(false);
  setMidiIOSet(false);
  closing.RequestStop();
  // midi-in may be in a handler that uses the managers below: stop the
  // input for good and wait until every handler and earlier close has finished.
  ShutDownMidiInput();
  GetMidiPorts().FinishClosingInputs();
  // What the last ticks left is done (sending nothing now) and tick-performer ends; it
  // may still start a job, so it goes before the workers are joined.
  tickPerformer.reset();
  // The hold is let go by ticks no more: what it kept unsent is said, not dropped unseen.
  sayHeldMidiUnsent();
  // Stops the clock loop, cancels a waiting job and joins the three workers.
  if (midiManager) midiManager->shutDown();
  delete midiManager;
  midiManager = nullptr;
  // Nothing changes the bank any more: what nobody was asked about is kept.
  keepUnsavedBankUnasked();
  delete patchManager;
  patchManager = nullptr;

  // The panel holds controls bound through the layout's records: it goes first.
  if (graphics) {
    graphics->ReleaseBitmap(&progressImage);
    if (GetGUI() == graphics)
      DropGraphics();
    else
      delete graphics;  // construction failed before the panel was attached
    graphics = nullptr;
  }
  // The panel images stay in the process-wide cache: the next instance opens
  // without decoding them again.
  if (uiConfig) uiConfig->panelDestroyed();
  delete uiConfig;
  uiConfig = nullptr;
  delete librarian;
  librarian = nullptr;
}
