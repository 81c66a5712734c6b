#pragma once
// The panel's command parameters: switches, ports, settings file, tabs, slot, model,
// randomiser and cycle buttons. TavroCommands.cpp routes a change to its handler
// before or after the read-out; each handler lives with its concern:
// TavroCommandsSwitches.cpp, TavroCommandsPorts.cpp, TavroCommandsSettings.cpp,
// TavroCommandsTabs.cpp, TavroCommandsRandomize.cpp, TavroCommandsCycle.cpp.
//
// threads: main (panel, host; under the plug-in mutex the dispatcher holds); the
// flags they write are atomics read on midi-in and render.

#include "librarian/TavroParams.h"

class Tavro;

namespace TavroCommands {

using Handler = void (*)(Tavro& plug, int paramIdx, double value);

// ---- switches and messages (TavroCommandsSwitches.cpp) ----
void masterKeyboard(Tavro& plug, int paramIdx, double value);
void cancelDataRequest(Tavro& plug, int paramIdx, double value);
// 592-606: the host-side and synthesizer-side filters and the input tracking.
void midiFilter(Tavro& plug, int paramIdx, double value);
// 607/608: straight to the port or queued for the render tick, as a radio pair.
void outputRouting(Tavro& plug, int paramIdx, double value);
void clockPointer(Tavro& plug, int paramIdx, double value);
void clockInfo(Tavro& plug, int paramIdx, double value);
void dawOffset(Tavro& plug, int paramIdx, double value);
void filterSettingsWindow(Tavro& plug, int paramIdx, double value);
void aboutWindow(Tavro& plug, int paramIdx, double value);
void slotSolo(Tavro& plug, int paramIdx, double value);
void globalLink(Tavro& plug, int paramIdx, double value);
// Redraws the whole panel; no transfer state changes.
void redrawPanel(Tavro& plug);
// The two message lines: status on the first, value on the second.
void showMessages(Tavro& plug, const char* status, const char* value);

// ---- ports (TavroCommandsPorts.cpp) ----
void outputPort(Tavro& plug, int paramIdx, double value);
void inputPort(Tavro& plug, int paramIdx, double value);

// ---- UI settings file (TavroCommandsSettings.cpp) ----
void userInterfaceSize(Tavro& plug, int paramIdx, double value);
void firstRunExit(Tavro& plug, int paramIdx, double value);

// ---- tabs, slot, model, randomiser (TavroCommandsTabs.cpp) ----
void nordModel(Tavro& plug, int paramIdx, double value);
void showLibrarian(Tavro& plug, int paramIdx, double value);
void showVelomap(Tavro& plug, int paramIdx, double value);
void multiSettings(Tavro& plug, int paramIdx, double value);
void allowPartChange(Tavro& plug, int paramIdx, double value);
void quickTab(Tavro& plug, int paramIdx, double value);
void randomize(Tavro& plug, int paramIdx, double value);
// The slot tab road the panel and the synthesizer share: the active slot, its pages,
// and with kAllowPartChange the whole performance resent. A slot outside 0-3 is ignored.
void switchToSlot(Tavro& plug, int slot);

// ---- cycle buttons and the octave light (TavroCommandsCycle.cpp) ----
void cycleButton(Tavro& plug, int paramIdx, double value);
void octaveLight(Tavro& plug, int paramIdx, double value);

}  // namespace TavroCommands
