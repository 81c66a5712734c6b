// The port menus list the ports there are as they open, the chosen one kept chosen.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "editor/PatchManager.h"
#include "views/View_Headless.h"

namespace {

using Names = std::vector<std::string>;

Names Split(const std::string& joined) {
  Names names;
  for (size_t at = 0; at < joined.size();) {
    const size_t bar = std::min(joined.find('|', at), joined.size());
    names.push_back(joined.substr(at, bar - at));
    at = bar + 1;
  }
  return names;
}

// Units plugged in and out after the panel was laid out, around the menu opening.
// Lists are joined by "|".
struct PortMenuCase {
  const char* what;
  bool input;
  const char* atStart;  // the system's ports (of the menu's kind) as the panel opens
  const char* chosen;   // chosen through the menu first ("" for none)
  const char* changes;  // "+name" plugged in, "-name" unplugged
  const char* caption;  // what the caption shows once the panel has looked at the ports
  const char* listed;   // the menu as it opens next
  const char* checked;  // its checked item
  const char* choose;   // then chosen in it: the port opened ("" dismisses it)
};

TEST(PortMenus, ListThePortsThereAreAsTheyOpen) {
  const PortMenuCase cases[] = {
      {"a unit switched on later", false, "Nord In", "", "+Late In", "OFF", "OFF|Nord In|Late In", "OFF", "Late In"},
      {"a unit switched off", false, "Nord In|Other In", "Nord In", "-Other In", "Nord In", "OFF|Nord In", "Nord In",
       "Nord In"},
      {"the chosen unit switched off", false, "Nord In", "Nord In", "-Nord In", "Nord In (gone)", "OFF|Nord In (gone)",
       "Nord In (gone)", ""},
      {"the chosen port moves up", false, "Other In|Nord In|Third In", "Nord In", "-Other In", "Nord In",
       "OFF|Nord In|Third In", "Nord In", "Nord In"},
      {"an input switched on later", true, "Nord Out", "Nord Out", "+Late Out", "Nord Out", "OFF|Nord Out|Late Out",
       "Nord Out", "Late Out"},
  };
  for (const PortMenuCase& c : cases) {
    SCOPED_TRACE(c.what);
    EditorFixture editor("", false, c.input ? Split(c.atStart) : Names{}, c.input ? Names{} : Split(c.atStart));
    HeadlessViewBackend window;
    static_cast<ViewHostable*>(editor.plug->graphics->OpenWindow(nullptr))->AttachToBackend(&window);
    Tavro& plug = *editor.plug;
    const int paramIdx = c.input ? kDeviceInSelection : kDeviceOutSelection;
    IControl* menu = c.input ? plug.keptControls().midiInSelector : plug.keptControls().midiOutSelector;
    ASSERT_TRUE(menu);
    if (*c.chosen) {
      window.ScriptPopupChoiceText(c.chosen);
      menu->PromptUserInput();
    }
    for (const std::string& change : Split(c.changes)) {
      const std::string port = change.substr(1);
      if (change[0] == '-')
        editor.ports->RemovePort(port);
      else if (c.input)
        editor.ports->AddReadablePort(port);
      else
        editor.ports->AddWritablePort(port);
    }
    plug.OnIdle();
    EXPECT_EQ(plug.GetParam(paramIdx)->GetDisplayText(plug.GetParam(paramIdx)->Int()), c.caption);
    if (*c.choose)
      window.ScriptPopupChoiceText(c.choose);
    else
      window.ScriptPopupDismiss();
    menu->PromptUserInput();
    EXPECT_EQ(window.ShownMenus().back().titles, Split(c.listed));
    EXPECT_EQ(window.ShownMenus().back().checked, c.checked);
    EXPECT_TRUE(window.TakeScriptMisses().empty());
    // The caption shows what is chosen; a save keeps the port's own name.
    const IParam* param = plug.GetParam(paramIdx);
    EXPECT_EQ(param->GetDisplayText(param->Int()), *c.choose ? c.choose : c.checked);
    if (*c.choose) {
      EXPECT_EQ(c.input ? editor.ports->InputsOpenOn(c.choose) : editor.ports->OutputsOpenOn(c.choose), 1u);
    }
    ByteChunk state;
    ASSERT_TRUE(plug.SerializeState(&state));
    EXPECT_EQ(plug.patchManager->names[c.input ? 5 : 6], *c.choose ? c.choose : c.chosen);
    editor.plug->graphics->CloseWindow();
  }
}

}  // namespace
