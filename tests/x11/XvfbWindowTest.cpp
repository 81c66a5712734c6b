#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "BankNameDialog.h"
#include "Framework/IControlText.h"
#include "HostSnapshot.h"
#include "RemoveTree.h"
#include "ViewsPanelSupport.h"
#include "XvfbServer.h"
#include "views/View_X11.h"
// Last: the X headers define macros (None, Bool, ...) that clash with the above.
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include "XvfbUser.h"

namespace {

const XvfbEnvironment* const gXvfb = XvfbEnvironment::Register();

// Flips its parameter on a left click; filled red when on, blue when off.
class Toggle : public IControl {
public:
  Toggle(IModuleBase* plug, const IRECT& r, int paramIdx) : IControl(plug, r, paramIdx) {}
  bool Draw(IGraphics* g) override {
    const IColor c = GetValue() > 0.5 ? IColor(255, 220, 30, 30) : IColor(255, 30, 30, 220);
    IRECT r = GetRECT();
    return g->FillIRect(&c, &r);
  }
  void OnMouseDown(int, int, IMouseMod* mod) override {
    if (mod->L && !mod->R) SetValueFromUserInput(GetValue() > 0.5 ? 0.0 : 1.0);
  }
  void OnMouseDblClick(int, int, IMouseMod*) override { ++doubleClicks; }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { wheels.push_back(d); }
  int doubleClicks = 0;
  std::vector<int> wheels;
};

class XvfbWindow : public XvfbUserTest {
protected:
  // Wide enough for the bank-name dialog.
  static constexpr int kW = 420, kH = 200;

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Connect(gXvfb->server()));
    int ev = 0, err = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(user, &ev, &err, &major, &minor));

    plug = std::make_unique<PanelPlug>(16);
    graphics = new IGraphicsMac(plug.get(), kW, kH, 25);
    plug->AttachGraphics(graphics);
    const IColor grey(255, 128, 128, 128);
    graphics->AttachPanelBackground(&grey);
    plug->GetParam(1)->InitBool("Gate", false);
    toggle = new Toggle(plug.get(), IRECT(40, 30, 100, 70), 1);
    graphics->AttachControl(toggle);
    plug->GetParam(2)->InitEnum("Wave", 0, 3);
    plug->GetParam(2)->SetDisplayText(0, "Saw");
    plug->GetParam(2)->SetDisplayText(1, "Square");
    plug->GetParam(2)->SetDisplayText(2, "Sine");
    IText style;
    caption = new ICaptionControl(plug.get(), IRECT(130, 30, 210, 50), 2, &style, false);
    caption->SetPromptDisabled(false);
    graphics->AttachControl(caption);
    graphics->SetParameterFromPlug(2, 0, false);

    static_cast<ViewHostable*>(graphics->OpenWindow(nullptr))->AttachToBackend(backend.get());
    ASSERT_TRUE(PumpUntil([&] { return Shown(5, 5) == 0x808080u && backend->InvalidArea().IsEmpty(); }));
  }

  void TearDown() override {
    plug.reset();
    XvfbUserTest::TearDown();
  }

  void Settle() {
    for (int i = 0; i < 5; ++i) backend->PumpOnce();
  }

  uint32_t Shown(int x, int y) const { return PanelPixelRgb(backend->FrameBuffer().Pixel(x, y)); }

  void Press(unsigned button) { XTestFakeButtonEvent(user, button, True, CurrentTime); }
  void Release(unsigned button) { XTestFakeButtonEvent(user, button, False, CurrentTime); }
  void Click(unsigned button) {
    Press(button);
    Release(button);
  }
  void Send() { XFlush(user); }
  // A name field over parameter 3 showing `shown`, its prompt enabled.
  ICaptionControl* AttachNameField(const char* name, const char* shown) {
    plug->GetParam(3)->InitEnum(name, 0, 1);
    plug->GetParam(3)->InitText();
    plug->GetParam(3)->SetDisplayText(0, shown);
    IText style;
    auto* field = new ICaptionControl(plug.get(), IRECT(130, 90, 210, 110), 3, &style, false);
    field->SetPromptDisabled(false);
    graphics->AttachControl(field);
    return field;
  }
  void Key(KeySym sym, bool shift = false) {
    const KeyCode shiftCode = XKeysymToKeycode(user, XK_Shift_L);
    if (shift) XTestFakeKeyEvent(user, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(user, XKeysymToKeycode(user, sym), True, CurrentTime);
    XTestFakeKeyEvent(user, XKeysymToKeycode(user, sym), False, CurrentTime);
    if (shift) XTestFakeKeyEvent(user, shiftCode, False, CurrentTime);
  }
  // A capitalised word of letters a-z, then Return.
  void TypeWordAndReturn(const std::string& word) {
    for (size_t i = 0; i < word.size(); ++i) Key(XK_a + KeySym(std::tolower(word[i]) - 'a'), i == 0);
    Key(XK_Return);
    Send();
  }

  // The window pixel as the server holds it (0xRRGGBB).
  uint32_t ServerPixel(int x, int y) {
    XImage* image = XGetImage(user, Window(backend->WindowId()), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long p = XGetPixel(image, 0, 0);
    const uint32_t rgb = uint32_t((p & image->red_mask) >> 16) << 16 | uint32_t((p & image->green_mask) >> 8) << 8 |
                         uint32_t(p & image->blue_mask);
    XDestroyImage(image);
    return rgb;
  }
  // Waits, as a user looks, until the window shows `rgb` at (x, y); generous bound.
  bool SeenOnScreen(int x, int y, uint32_t rgb) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      if (ServerPixel(x, y) == rgb) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  // Reads the window back from the server and compares it with the frame buffer.
  int PixelsDifferingFromTheFrameBuffer() {
    XImage* image = XGetImage(user, Window(backend->WindowId()), 0, 0, kW, kH, AllPlanes, ZPixmap);
    if (!image) return -1;
    int differing = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        const uint32_t rgb = uint32_t((p & image->red_mask) >> 16) << 16 | uint32_t((p & image->green_mask) >> 8) << 8 |
                             uint32_t(p & image->blue_mask);
        if (rgb != Shown(x, y)) ++differing;
      }
    XDestroyImage(image);
    return differing;
  }

  std::unique_ptr<PanelPlug> plug;
  IGraphicsMac* graphics = nullptr;
  Toggle* toggle = nullptr;
  ICaptionControl* caption = nullptr;
};

TEST_F(XvfbWindow, ClickThroughTheServerChangesTheParameterAndTheWindowShowsTheFrame) {
  EXPECT_EQ(Shown(70, 50), 0x1E1EDCu);
  // Panel point (70, 50) is window pixel (72, 53) through the view's offsets.
  MoveTo(72, 53);
  Click(1);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return plug->GetParam(1)->Value() == 1.0; }));
  ASSERT_TRUE(PumpUntil([&] { return Shown(70, 50) == 0xDC1E1Eu; }));
  Settle();
  XSync(backend->XDisplay(), False);
  EXPECT_EQ(PixelsDifferingFromTheFrameBuffer(), 0);
  EXPECT_EQ(backend->ShownPixel(70, 50), 0xDC1E1Eu);
}

TEST_F(XvfbWindow, TwoQuickPressesAreADoubleClick) {
  MoveTo(62, 43);
  Click(1);
  Click(1);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return toggle->doubleClicks == 1; }));
  EXPECT_EQ(plug->GetParam(1)->Value(), 1.0);  // the first press toggled
}

TEST_F(XvfbWindow, ButtonsFourAndFiveAreTheWheel) {
  MoveTo(62, 43);
  Click(4);
  Click(5);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return toggle->wheels.size() == 2; }));
  EXPECT_EQ(toggle->wheels, (std::vector<int>{1, -1}));
  EXPECT_EQ(plug->GetParam(1)->Value(), 0.0);
}

TEST_F(XvfbWindow, PopupMenuDrawnInThePanelChoosesAValue) {
  // The menu opens 5 pixels below the caption; its third item is about 2.5 rows down.
  ViewOverlayPainter painter;
  const int row = painter.LineHeight() + 6;
  MoveTo(150 + 2, 40 + 3);
  Click(1);  // opens the menu
  MoveTo(150, 50 + 5 + 1 + row * 2 + row / 2);
  Click(1);  // chooses "Sine"
  Send();
  ASSERT_TRUE(PumpUntil([&] { return plug->GetParam(2)->Int() == 2; }));
  Settle();
  XSync(backend->XDisplay(), False);
  EXPECT_EQ(PixelsDifferingFromTheFrameBuffer(), 0);  // the menu is gone again
}

TEST(XvfbHost, HostShowsThePanelInAWindowAndItsSnapshotMatchesTheHeadlessOne) {
  ASSERT_TRUE(gXvfb->server() && gXvfb->server()->Ready());
  const std::string stem = "/tmp/views_x11_host_" + std::to_string(getpid());
  std::string windowed, headless;
  ASSERT_EQ(RunHostSnapshot(stem + "_window.png", gXvfb->server()->Name(), &windowed), 0) << windowed;
  EXPECT_NE(windowed.find("in an X11 window"), std::string::npos) << windowed;
  ASSERT_EQ(RunHostSnapshot(stem + "_headless.png", "", &headless), 0) << headless;
  Picture a, b;
  ASSERT_TRUE(ReadPicture(stem + "_window.png", &a));
  ASSERT_TRUE(ReadPicture(stem + "_headless.png", &b));
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_TRUE(a.rgb == b.rgb);
  unlink((stem + "_window.png").c_str());
  unlink((stem + "_headless.png").c_str());
}

TEST_F(XvfbWindow, TypedNameIsCommittedByReturn) {
  AttachNameField("Name", "INIT");
  MoveTo(150 + 2, 100 + 3);
  Click(1);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return backend->IsTextEntryOpen(); }));
  Key(XK_BackSpace);  // the shown name is selected: it goes whole
  Key(XK_BackSpace);
  Key(XK_p, true);
  Key(XK_a);
  Key(XK_d);
  Key(XK_underscore, true);  // refused by the name's characters
  Key(XK_Return);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return !backend->IsTextEntryOpen(); }));
  EXPECT_EQ(plug->GetParam(3)->GetDisplayText(0), "Pad");
}

// An entry the panel opens by itself (as the librarian's rename box does) takes keys
// at once, without a click; control keys never reach the name; Return applies it.
TEST_F(XvfbWindow, EntryOpenedByThePanelTakesKeysAtOnce) {
  ICaptionControl* name = AttachNameField("Name", "Slot Patch");
  name->SetTextEntryLength(10);
  MoveTo(300, 150);
  Send();
  name->PromptUserInput();
  ASSERT_TRUE(backend->IsTextEntryOpen());
  Key(XK_L, true);
  Key(XK_Tab);
  const KeyCode control = XKeysymToKeycode(user, XK_Control_L);
  XTestFakeKeyEvent(user, control, True, CurrentTime);
  Key(XK_b);  // Ctrl-B (Ctrl-A is the entry's select-all)
  XTestFakeKeyEvent(user, control, False, CurrentTime);
  Key(XK_e);
  Key(XK_a);
  Key(XK_d);
  Key(XK_Return);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return !backend->IsTextEntryOpen(); }));
  EXPECT_EQ(plug->GetParam(3)->GetDisplayText(0), "Lead");
}

// A field that keeps the keys after Return (as the librarian's search field does):
// the next word typed replaces the last without a click; a click elsewhere ends it.
TEST_F(XvfbWindow, FieldKeepingTheKeysAfterReturnTakesTheNextWord) {
  ICaptionControl* field = AttachNameField("Word", "search");
  field->SetKeepsEntryAfterReturn(true);
  MoveTo(300, 150);
  Send();
  field->PromptUserInput();
  ASSERT_TRUE(backend->IsTextEntryOpen());
  TypeWordAndReturn("Pad");
  ASSERT_TRUE(PumpUntil([&] { return plug->GetParam(3)->GetDisplayText(0) == std::string("Pad"); }));
  EXPECT_TRUE(backend->IsTextEntryOpen());
  TypeWordAndReturn("Lead");
  ASSERT_TRUE(PumpUntil([&] { return plug->GetParam(3)->GetDisplayText(0) == std::string("Lead"); }));
  EXPECT_TRUE(backend->IsTextEntryOpen());

  MoveTo(40 + 2 + 10, 30 + 3 + 10);
  Click(1);
  Send();
  ASSERT_TRUE(PumpUntil([&] { return !backend->IsTextEntryOpen(); }));
  EXPECT_TRUE(PumpUntil([&] { return plug->GetParam(1)->Value() == 1.0; })) << "the click reached the panel";
}

}  // namespace

namespace {

TEST(XvfbOpener, OpenURLSaysWhetherTheOpenerStarted) {
  ASSERT_TRUE(gXvfb->server() && gXvfb->server()->Ready());
  std::string error;
  std::unique_ptr<X11ViewBackend> backend = X11ViewBackend::Open(gXvfb->server()->Name().c_str(), &error);
  ASSERT_TRUE(backend) << error;
  backend->SetOpener("true");
  EXPECT_TRUE(backend->OpenURL("http://vudidi.example/"));
  EXPECT_FALSE(backend->OpenURL(""));
  backend->SetOpener("/nonexistent/xdg-open");
  EXPECT_FALSE(backend->OpenURL("/tmp"));
}

TEST(XvfbOpener, NoDisplayNoBackEnd) {
  std::string error;
  EXPECT_FALSE(X11ViewBackend::Open(":59999", &error));
  EXPECT_NE(error.find(":59999"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(XvfbWindow, BankNameDialogIsShownInThePanelAndAnswered) {
  // The dialog stands centred on the panel, its title bar just above it.
  const int left = (backend->Width() - 396) / 2, top = (backend->Height() - 144) / 2;
  const auto field = [&] { MoveTo(left + 18 + 20, top + 36 + 10); };
  const auto okButton = [&] { MoveTo(left + 180 + 45, top + 108 + 12); };
  bool shown[2] = {false, false};
  // The user answers from another thread while the panel's loop runs the dialog.
  std::thread user1([&] {
    shown[0] = SeenOnScreen(left + 4, top - 4, ViewOverlayColours::kHighlight);
    field();
    Click(1);
    Key(XK_p, true);
    Key(XK_a);
    Key(XK_d);
    Key(XK_Return);  // IDOK: this dialog's OK is its own button, so it stays open
    okButton();
    Click(1);
    Send();
  });
  EXPECT_EQ(BankNameDialog::Run(), 1);
  user1.join();
  EXPECT_TRUE(shown[0]);
  EXPECT_EQ(BankNameDialog::Outcome().name, "Pad");
  EXPECT_EQ(BankNameDialog::Outcome().commands, (std::vector<unsigned>{IDOK, BankNameDialog::kOk}));

  std::thread user2([&] {
    shown[1] = SeenOnScreen(left + 4, top - 4, ViewOverlayColours::kHighlight);
    field();
    Key(XK_x);
    Key(XK_Escape);
    Send();
  });
  EXPECT_EQ(BankNameDialog::Run(), 2);
  user2.join();
  EXPECT_TRUE(shown[1]);
  EXPECT_EQ(BankNameDialog::Outcome().commands, std::vector<unsigned>{IDCANCEL});
  // Gone again: the window shows the panel alone.
  Settle();
  XSync(backend->XDisplay(), False);
  EXPECT_EQ(PixelsDifferingFromTheFrameBuffer(), 0);
}

}  // namespace

namespace {

// In the window the questions take Escape as Cancel: the unsaved-bank question, and
// Save As's Replace question after a name that exists was typed at the end of a
// folder path far wider than the prompt; the file is kept and the refusal says so.
TEST_F(XvfbWindow, TheQuestionsTakeEscapeAsCancelAndTheReplaceQuestionKeepsTheFile) {
  // A point inside the margin of a box the panel centres: its face once the box shows.
  const int faceX = 15, faceY = backend->Height() / 2;
  bool questionShown = false;
  std::thread user1([&] {
    questionShown = SeenOnScreen(faceX, faceY, ViewOverlayColours::kFace);
    MoveTo(faceX, faceY);  // keys go to the window under the pointer
    Key(XK_Escape);
    Send();
  });
  const int answer = graphics->ShowMessageBox("Save them?", "Unsaved bank", 3);
  user1.join();
  EXPECT_TRUE(questionShown);
  EXPECT_EQ(answer, 2) << "Escape answers as Cancel";

  const std::string folder = "/tmp/views_x11_a_folder_with_a_long_name_for_the_prompt_" + std::to_string(getpid());
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  { std::ofstream(folder + "/Evening.nl2") << "kept"; }
  bool nameShown = false;
  std::thread user2([&] {
    nameShown = SeenOnScreen(faceX, faceY, ViewOverlayColours::kFace);
    MoveTo(faceX, faceY);
    for (KeySym k : {XK_E, XK_v, XK_e, XK_n, XK_i, XK_n, XK_g}) Key(k, k == XK_E);
    Send();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Key(XK_Return);  // the name exists: the Replace question comes
    Send();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Key(XK_Escape);
    Send();
  });
  Kit_String file(""), start(folder.c_str());
  std::string refusal;
  graphics->PromptForFile(&file, kFileSave, &start, "nl2 syx", &refusal);
  user2.join();
  EXPECT_TRUE(nameShown);
  EXPECT_STREQ(file.Get(), "");
  EXPECT_EQ(refusal, folder + "/Evening.nl2 exists and was kept");
  std::ifstream kept(folder + "/Evening.nl2");
  std::string text;
  kept >> text;
  EXPECT_EQ(text, "kept");
  RemoveTree(folder);
}

}  // namespace

namespace {

// The file prompt reopened holding the last path edits at its caret: a name is
// changed in the middle without retyping the folder, and select-all replaces the
// whole path with one typed afresh.
TEST_F(XvfbWindow, TheFilePromptEditsAtItsCaret) {
  const std::string folder = "/tmp/views_x11_prompt_" + std::to_string(getpid());
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  { std::ofstream(folder + "/Evening.syx") << "bank"; }
  { std::ofstream(folder + "/b.syx") << "bank"; }
  const int faceX = 15, faceY = backend->Height() / 2;
  const auto answer = [&](const std::function<void()>& keys) {
    std::thread user1([&] {
      SeenOnScreen(faceX, faceY, ViewOverlayColours::kFace);
      MoveTo(faceX, faceY);
      keys();
      Send();
      // A prompt still open (a key not taken) is cancelled rather than left waiting.
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      Key(XK_Escape);
      Send();
    });
    Kit_String file("Old.syx"), start(folder.c_str());
    graphics->PromptForFile(&file, kFileOpen, &start, "syx");
    user1.join();
    // The closing Escape of a prompt already answered reaches the panel, not the next prompt.
    XSync(user, False);
    Settle();
    return std::string(file.Get());
  };
  // "<folder>/Old.syx": four to the left stands before ".syx"; three backspaces take
  // "Old"; the name typed goes in there.
  EXPECT_EQ(answer([&] {
              for (int i = 0; i < 4; ++i) Key(XK_Left);
              for (int i = 0; i < 3; ++i) Key(XK_BackSpace);
              for (KeySym k : {XK_E, XK_v, XK_e, XK_n, XK_i, XK_n, XK_g}) Key(k, k == XK_E);
              Key(XK_Return);
            }),
            folder + "/Evening.syx");
  // Home, then Delete takes the first "/": the path is no longer absolute and is
  // refused; End and Return keep nothing of it. Select-all and a name replace it.
  EXPECT_EQ(answer([&] {
              Key(XK_Home);
              Key(XK_Delete);
              Key(XK_End);
              Key(XK_Return);
              std::this_thread::sleep_for(std::chrono::milliseconds(300));
              const KeyCode control = XKeysymToKeycode(user, XK_Control_L);
              XTestFakeKeyEvent(user, control, True, CurrentTime);
              Key(XK_a);
              XTestFakeKeyEvent(user, control, False, CurrentTime);
              for (KeySym k : {XK_b, XK_period, XK_s, XK_y, XK_x}) Key(k);
              Key(XK_Return);
            }),
            folder + "/b.syx");
  RemoveTree(folder);
}

}  // namespace
