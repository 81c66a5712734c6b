// The port menus list the ports there are as they open, the chosen one kept chosen.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/PatchManager.h"
#include "views/View_Headless.h"

namespace {

std::vector<std::string> Split(const std::string& joined) {
  std::vector<std::string> names;
  std::istringstream in(joined);
  for (std::string name; std::getline(in, name, '|');) names.push_back(name);
  return names;
}

// Ports (lists joined by "|") plugged in ("+name") and out ("-name") after the panel
// opened with `atStart`, a port `chosen` in the menu before; `caption` once the panel
// looked at the ports; the menu as it opens next, its checked item, and the port then
// chosen in it ("" dismisses it).
struct PortMenuCase {
  const char *what, *atStart, *chosen, *changes, *caption, *listed, *checked, *choose;
  bool input;
};

TEST(PortMenus, ListThePortsThereAreAsTheyOpen) {
  const PortMenuCase cases[] = {
      {"unit switched on later", "Nord In", "", "+Late In", "OFF", "OFF|Nord In|Late In", "OFF", "Late In", false},
      {"unit switched off", "Nord In|Other In", "Nord In", "-Other In", "Nord In", "OFF|Nord In", "Nord In", "Nord In",
       false},
      {"chosen unit switched off", "Nord In", "Nord In", "-Nord In", "Nord In (gone)", "OFF|Nord In (gone)",
       "Nord In (gone)", "", false},
      {"chosen port moves up", "Other In|Nord In|Third In", "Nord In", "-Other In", "Nord In", "OFF|Nord In|Third In",
       "Nord In", "Nord In", false},
      {"input switched on later", "Nord Out", "Nord Out", "+Late Out", "Nord Out", "OFF|Nord Out|Late Out", "Nord Out",
       "Late Out", true},
  };
  for (const PortMenuCase& c : cases) {
    SCOPED_TRACE(c.what);
    EditorFixture editor("", false, c.input ? Split(c.atStart) : Split(""), c.input ? Split("") : Split(c.atStart));
    HeadlessViewBackend window;
    static_cast<ViewHostable*>(editor.plug->graphics->OpenWindow(nullptr))->AttachToBackend(&window);
    Tavro& plug = *editor.plug;
    const IParam* param = plug.GetParam(c.input ? kDeviceInSelection : kDeviceOutSelection);
    IControl* menu = c.input ? plug.keptControls().midiInSelector : plug.keptControls().midiOutSelector;
    const auto open = [&](const std::string& choice) {
      choice.empty() ? window.ScriptPopupDismiss() : window.ScriptPopupChoiceText(choice);
      menu->PromptUserInput();
    };
    if (*c.chosen) open(c.chosen);
    for (const std::string& change : Split(c.changes)) {
      const std::string port = change.substr(1);
      change[0] == '-' ? editor.ports->RemovePort(port)
      : c.input        ? editor.ports->AddReadablePort(port)
                       : editor.ports->AddWritablePort(port);
    }
    plug.OnIdle();
    EXPECT_EQ(param->GetDisplayText(param->Int()), c.caption);
    open(c.choose);
    EXPECT_EQ(window.ShownMenus().back().titles, Split(c.listed));
    EXPECT_EQ(window.ShownMenus().back().checked, c.checked);
    EXPECT_TRUE(window.TakeScriptMisses().empty());
    EXPECT_EQ(param->GetDisplayText(param->Int()), *c.choose ? c.choose : c.checked);
    const auto openOn = [&](const char* port) {
      return c.input ? editor.ports->InputsOpenOn(port) : editor.ports->OutputsOpenOn(port);
    };
    EXPECT_EQ(openOn(c.choose), *c.choose ? 1u : 0u);
    // A save keeps the port's own name.
    ByteChunk state;
    ASSERT_TRUE(plug.SerializeState(&state));
    EXPECT_EQ(plug.patchManager->names[c.input ? 5 : 6], *c.choose ? c.choose : c.chosen);
    editor.plug->graphics->CloseWindow();
  }
}

}  // namespace
