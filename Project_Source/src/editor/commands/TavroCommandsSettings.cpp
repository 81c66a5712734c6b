// The UI settings file: the panel size and the first-run notice, written whole.

#include <unistd.h>

#include <string>

#include "Framework/IParam.h"
#include "Kit_AtomicFile.h"
#include "editor/Tavro.h"
#include "editor/UISettings.h"
#include "editor/commands/TavroCommands.h"

namespace TavroCommands {

namespace {

// Rewrites the three lines, joined by line breaks with none after the third. A missing
// file is not created (the editor was not installed whole). The new text replaces the
// old in one step, so a failed write leaves the old file as it was. A file passed over
// at start is left as it is.
void WriteSettings(Tavro& plug) {
  if (access(plug.uiSettingsPath.c_str(), F_OK) != 0) {
    showMessages(plug, "Tavro Editor UI.txt MISSING!", "Contact support");
    return;
  }
  // Its other lines were never read: three lines written in its place would lose them.
  if (plug.uiSettings.passedOver) {
    plug.printDebugInfo("UI settings not written: the file was passed over at start");
    showMessages(plug, "Tavro Editor UI.txt NOT SAVED!", "Passed over at start: left as it is");
    return;
  }
  const std::string* lines = plug.uiSettings.lines;
  const std::string text = lines[0] + "\n" + lines[1] + "\n" + lines[2];
  std::string error;
  if (!Kit_WriteFileAtomically(plug.uiSettingsPath, text.data(), text.size(), &error)) {
    plug.printDebugInfo("UI settings not written: " + error);
    showMessages(plug, "Tavro Editor UI.txt NOT SAVED!", "Check the data folder");
  }
}

}  // namespace

void userInterfaceSize(Tavro& plug, int, double value) {
  const int size = TruncToInt(value);
  if (size >= 0 && size < 3) {
    plug.uiSettings.lines[1] = UISettings::kSizeNames[size];
    plug.uiScale = UISettings::kSizeScales[size];
  }
  showMessages(plug, "Size changes applied...", "Reload project!");
  WriteSettings(plug);
}

void firstRunExit(Tavro& plug, int, double value) {
  if (value == 1.0) plug.uiSettings.lines[2] = "yes";
  // Only a port still unset is asked for; with both open (a restore opened them) the
  // line keeps what it said.
  const bool in = plug.GetParam(kDeviceInSelection)->Int() > 0, out = plug.unitLink().midiIOSet;
  if (!in && !out) {
    plug.showStatus("Set MIDI In and MIDI Out");
  } else if (!in || !out) {
    plug.showStatus("Set " + Tavro::portsNamed(!in, !out));
  }
  WriteSettings(plug);
  plug.showLayer("firstRunNotification", false);
  redrawPanel(plug);
}

}  // namespace TavroCommands
