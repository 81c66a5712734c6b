// The editor in a window on a private X server, keys pressed through the server as
// a user presses them: Escape closes every window that has a Close button, and the
// librarian's rename box edits at its caret.
#include <gtest/gtest.h>

#include <memory>

#include "EditorTestSupport.h"
#include "Framework/ControlLayer.h"
#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "librarian/TavroParams.h"
// Last: the X headers define macros (None, Bool, ...) that clash with the above.
#include <X11/keysym.h>
#include <filesystem>
#include "XvfbUser.h"

namespace {

// Room for the small panel (1125 x 500).
const XvfbEnvironment* const gXvfb = XvfbEnvironment::Register("1280x600x24");

class EditorWindow : public XvfbUserTest {
protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Connect(gXvfb->server()));
    RegisterBuiltBundle();
    data.write("Tavro Editor UI.txt", "\nsmall\nyes");
    std::filesystem::create_directories(data.folder() + "Patches");
    data.write("Patches/Bank A.syx", ProgramBank("A"));
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    plug = std::make_unique<Tavro>(info, std::make_shared<MidiPortFake>());
    static_cast<ViewHostable*>(plug->graphics->OpenWindow(nullptr))->AttachToBackend(backend.get());
    ASSERT_TRUE(PumpUntil([&] { return backend->InvalidArea().IsEmpty(); }));
    // Keys go to the window under the pointer: a point of the panel with no control.
    MoveTo(4, 4);
    XFlush(user);
  }
  void TearDown() override {
    if (plug) plug->graphics->CloseWindow();
    plug.reset();
    XvfbUserTest::TearDown();
  }

  void Key(KeySym sym, KeySym held = 0) {
    if (held) XTestFakeKeyEvent(user, XKeysymToKeycode(user, held), True, CurrentTime);
    XTestFakeKeyEvent(user, XKeysymToKeycode(user, sym), True, CurrentTime);
    XTestFakeKeyEvent(user, XKeysymToKeycode(user, sym), False, CurrentTime);
    if (held) XTestFakeKeyEvent(user, XKeysymToKeycode(user, held), False, CurrentTime);
    XFlush(user);
  }
  bool Shown(const char* layer) const {
    ControlLayer* found = plug->layer(layer);
    return found && found->IsShown();
  }
  void Open(int paramIdx, double value = 1.0) {
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }

  TempDataRoot data;
  std::unique_ptr<Tavro> plug;
};

// Each window with a Close button, opened as its own button opens it, goes with
// Escape pressed in the window; the next Escape closes the next window below.
TEST_F(EditorWindow, EscapeClosesEveryWindowThatHasAClose) {
  Open(kMultiSettings, 0.0);  // "Perform" off: Performance Settings stands
  ASSERT_TRUE(Shown("performanceSettings"));
  Open(kViewMIDIFilterSettings);
  ASSERT_TRUE(Shown("midiFilterSettings"));
  Open(kDisplayAboutWindow);
  ASSERT_TRUE(Shown("aboutWindow"));
  plug->uiSettings.lines[2] = "no";  // as a settings file asking for it says
  plug->showLayer("firstRunNotification", true);

  Key(XK_Escape);
  ASSERT_TRUE(PumpUntil([&] { return !Shown("firstRunNotification"); })) << "the welcome notice";
  EXPECT_EQ(plug->uiSettings.lines[2], "no") << "closed for now: it shows again at the next start";
  EXPECT_TRUE(Shown("aboutWindow"));
  Key(XK_Escape);
  ASSERT_TRUE(PumpUntil([&] { return !Shown("aboutWindow"); })) << "About";
  EXPECT_TRUE(Shown("midiFilterSettings"));
  Key(XK_Escape);
  ASSERT_TRUE(PumpUntil([&] { return !Shown("midiFilterSettings"); })) << "MIDI Filters";
  EXPECT_TRUE(Shown("performanceSettings"));
  Key(XK_Escape);
  ASSERT_TRUE(PumpUntil([&] { return !Shown("performanceSettings"); })) << "Performance Settings";
  EXPECT_EQ(plug->GetParam(kMultiSettings)->Value(), 1.0) << "as its Close switch leaves it";

  // With every window closed, Escape changes nothing.
  Key(XK_Escape);
  for (int i = 0; i < 20; ++i) backend->PumpOnce();
  EXPECT_FALSE(Shown("performanceSettings"));
  EXPECT_EQ(plug->GetParam(kMultiSettings)->Value(), 1.0);
}

// The rename box opens holding the program's name, all selected: the caret keys,
// Backspace, Delete and select-all edit it where the caret stands, within the
// name's ten characters.
TEST_F(EditorWindow, TheRenameBoxEditsAtItsCaret) {
  plug->GetParam(kShowLibrarian)->Set(1.0);
  plug->tabSwitch.mainTabSwitch(plug.get(), 1, plug->unitLink().nordModel, plug->panelMode().activeSlot);
  LibrarianViewControl& list = *plug->librarianList();
  list.selectedUpper = 3;
  list.renameSlot(0, 0);
  ASSERT_TRUE(backend->IsTextEntryOpen());
  EXPECT_EQ(backend->TextEntryText(), "A3") << "the name without the blanks that pad it to ten";
  Key(XK_Right);  // the selection goes, the caret at the end
  Key(XK_Left);
  Key(XK_x);  // "Ax3"
  Key(XK_Home);
  Key(XK_Delete);  // "x3"
  Key(XK_End);
  Key(XK_BackSpace);  // "x"
  Key(XK_Left);
  Key(XK_P, XK_Shift_L);  // "Px"
  ASSERT_TRUE(PumpUntil([&] { return backend->TextEntryText() == "Px"; })) << backend->TextEntryText();
  Key(XK_a, XK_Control_L);  // select-all: the next letters replace it
  Key(XK_P, XK_Shift_L);
  Key(XK_a);
  Key(XK_d);
  ASSERT_TRUE(PumpUntil([&] { return backend->TextEntryText() == "Pad"; })) << backend->TextEntryText();
  Key(XK_Return);
  ASSERT_TRUE(PumpUntil([&] { return !backend->IsTextEntryOpen(); }));
  std::string row = list.row(0, 3)->GetTextString();
  EXPECT_EQ(row.erase(row.find_last_not_of(' ') + 1), "Pad");
}

}  // namespace
