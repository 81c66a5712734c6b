#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "CoreFoundation.h"
#include "RemoveTree.h"
#include "ViewsPanelSupport.h"
#include "views/View_ProcessBackend.h"

namespace {

// A bundle folder with an Info.plist naming its identifier, registered with the
// bundle stand-in; removed afterwards.
class Bundle {
public:
  explicit Bundle(const std::string& tag)
      : root_("/tmp/views_bundle_" + std::to_string(getpid()) + "_" + tag + ".component"),
        id_("com.Orvane.test." + tag + std::to_string(getpid())) {
    mkdir(root_.c_str(), 0755);
    mkdir((root_ + "/Resources").c_str(), 0755);
    std::ofstream(root_ + "/Info.plist") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                         << "<key>CFBundleIdentifier</key><string>" << id_ << "</string>"
                                         << "<key>CFBundleExecutable</key><string>Tavro.so</string></dict></plist>\n";
    CFStringRef path = CFStringCreateWithCString(nullptr, root_.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    if (CFBundleRef bundle = CFBundleCreate(nullptr, url)) CFRelease(bundle);  // the registry keeps its own
    CFRelease(url);
    CFRelease(path);
  }
  ~Bundle() { RemoveTree(root_); }
  void Write(const std::string& rel, const std::string& bytes) const {
    std::ofstream(root_ + "/Resources/" + rel, std::ios::binary) << bytes;
  }
  void Folder(const std::string& rel) const { mkdir((root_ + "/Resources/" + rel).c_str(), 0755); }
  void WritePng(const std::string& rel, int w, int h) const {
    ViewFrameBuffer fb;
    fb.Resize(w, h);
    std::string error;
    ASSERT_TRUE(fb.SavePng(root_ + "/Resources/" + rel, &error)) << error;
  }
  const std::string& Root() const { return root_; }
  const char* ID() const { return id_.c_str(); }

private:
  std::string root_, id_;
};

TEST(GraphicsMac, LoadFileCutsAtTheCapSaysSoAndStillEndsWithZero) {
  Bundle b("cap");
  b.Write("big.tea", std::string(5000000, 'x'));
  MacPanel p;
  p.graphics->SetBundleID(b.ID());
  testing::internal::CaptureStderr();
  std::unique_ptr<unsigned char[]> data = p.graphics->OSLoadFile(0, "resources/big.tea");
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(p.graphics->GetLastFileSize(), IGraphicsMac::kMaxFileSize);
  EXPECT_EQ(data[IGraphicsMac::kMaxFileSize - 1], 'x');
  EXPECT_EQ(data[IGraphicsMac::kMaxFileSize], 0);
  EXPECT_NE(said.find("4096000"), std::string::npos);
}

TEST(GraphicsMac, LoadFileOfAShortFileGivesItsSizeAndATerminator) {
  Bundle b("short");
  b.Write("sysex.tea", std::string("\x01\x02\x00\x03", 4));
  MacPanel p;
  p.graphics->SetBundleID(b.ID());
  testing::internal::CaptureStderr();
  std::unique_ptr<unsigned char[]> data = p.graphics->OSLoadFile(0, "sysex.tea");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(p.graphics->GetLastFileSize(), 4);
  EXPECT_EQ(data[3], 3);
  EXPECT_EQ(data[4], 0);
}

TEST(GraphicsMac, LoadFileMissingResourceOrBundleIsNull) {
  Bundle b("missing");
  MacPanel p;
  EXPECT_EQ(p.graphics->OSLoadFile(0, "sysex.tea"), nullptr);  // no bundle id yet
  p.graphics->SetBundleID(b.ID());
  EXPECT_EQ(p.graphics->OSLoadFile(0, "sysex.tea"), nullptr);
  EXPECT_EQ(p.graphics->OSLoadFile(0, nullptr), nullptr);
  b.Write("sysex.xml", "x");
  EXPECT_EQ(p.graphics->OSLoadFile(0, "sysex.tea"), nullptr);  // the type must match
}

TEST(GraphicsMac, BitmapNamedInCapitalsLoadsThePngOfThatBaseName) {
  Bundle b("png");
  b.WritePng("knob.png", 7, 5);
  b.Write("knob.jpg", "not an image");
  MacPanel p;
  p.graphics->SetBundleID(b.ID());
  std::unique_ptr<Raster_IBitmap> bm = p.graphics->OSLoadBitmap(1, "resources/img-v2/knob.PNG");
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(bm->getWidth(), 7);
  EXPECT_EQ(bm->getHeight(), 5);
  EXPECT_EQ(p.graphics->OSLoadBitmap(1, "knob.jpg"), nullptr);
  EXPECT_EQ(p.graphics->OSLoadBitmap(1, "knob"), nullptr);
  EXPECT_EQ(p.graphics->OSLoadBitmap(1, nullptr), nullptr);
}

TEST(GraphicsMac, AmbiguousImageIsRefusedUnlessItsFolderIsNamed) {
  Bundle b("twice");
  b.Folder("img-v2");
  b.Folder("img-retina-quality");
  b.WritePng("img-v2/led.png", 3, 3);
  b.WritePng("img-retina-quality/led.png", 6, 6);
  MacPanel p;
  p.graphics->SetBundleID(b.ID());
  testing::internal::CaptureStderr();
  EXPECT_EQ(p.graphics->OSLoadBitmap(1, "led.png"), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("more than one"), std::string::npos);
  std::unique_ptr<Raster_IBitmap> bm = p.graphics->OSLoadBitmap(1, "resources/img-retina-quality/led.png");
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(bm->getWidth(), 6);
}

TEST(GraphicsMac, PathsOfTheBundle) {
  Bundle b("paths");
  MacPanel p;
  p.graphics->SetBundleID(b.ID());
  Kit_String host("unchanged"), plugin, desktop;
  p.graphics->HostPath(&host);
  EXPECT_EQ(std::string(host.Get()), b.Root() + "/Tavro.so");
  p.graphics->PluginPath(&plugin);
  EXPECT_STREQ(plugin.Get(), "/tmp/");
  p.graphics->DesktopPath(&desktop);
  EXPECT_EQ(std::string(desktop.Get()), std::string(std::getenv("HOME")) + "/Desktop/");
  p.graphics->SetBundleID("no.such.bundle");
  Kit_String keep("keep");
  p.graphics->HostPath(&keep);
  EXPECT_STREQ(keep.Get(), "keep");
}

TEST(GraphicsMac, MessageBoxAnswersMapToTheirCodes) {
  MacPanel p;
  p.OpenCocoa();
  p.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Default);
  EXPECT_EQ(p.graphics->ShowMessageBox("Save?", "Bank", 4), 1);
  p.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Alternate);
  EXPECT_EQ(p.graphics->ShowMessageBox("Save?", "Bank", 4), 7);
  p.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  EXPECT_EQ(p.graphics->ShowMessageBox("Save?", "Bank", 3), 2);
  p.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  EXPECT_EQ(p.graphics->ShowMessageBox("Go?", "Bank", 1), 2);
  EXPECT_EQ(p.graphics->ShowMessageBox("Done", "Bank", 0), 0);  // dismissed
  const std::vector<ViewAlert>& shown = p.backend.ShownAlerts();
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].caption, "Bank");
  EXPECT_EQ(shown[0].text, "Save?");
  EXPECT_EQ(shown[2].buttons.size(), 3u);
  EXPECT_EQ(shown[3].buttons[1].label, "Cancel");
  EXPECT_EQ(shown[4].buttons.size(), 1u);
  EXPECT_EQ(shown[4].buttons[0].label, "OK");
}

TEST(GraphicsMac, MessageBoxNeedsNoView) {
  MacPanel p;
  HeadlessViewBackend process;
  process.ScriptMessageBoxAnswer(ViewAlertResponse::Default);
  ViewSetProcessBackend(&process);
  EXPECT_EQ(p.graphics->ShowMessageBox("Hi", "Tavro", 0), 1);
  ViewSetProcessBackend(nullptr);
  EXPECT_EQ(p.graphics->ShowMessageBox("Hi", "Tavro", 0), 0);
}

TEST(GraphicsMac, FilePromptWithoutAWindowEmptiesTheName) {
  MacPanel p;
  Kit_String file("old.syx"), folder("/tmp/");
  p.graphics->PromptForFile(&file, kFileOpen, &folder, "syx");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(folder.Get(), "/tmp/");
}

// HOME for one test: a new folder, with a Desktop or, as on a fresh machine, without.
class TempHome {
public:
  explicit TempHome(bool desktop) {
    char name[] = "/tmp/views_homeXXXXXX";
    path_ = mkdtemp(name) ? name : "";
    if (desktop) mkdir((path_ + "/Desktop").c_str(), 0755);
    if (const char* old = std::getenv("HOME")) old_ = old;
    setenv("HOME", path_.c_str(), 1);
  }
  ~TempHome() {
    setenv("HOME", old_.c_str(), 1);
    RemoveTree(path_);
  }
  const std::string& path() const { return path_; }

private:
  std::string path_, old_;
};

TEST(GraphicsMac, FilePromptStartsOnTheDesktopAndKeepsItWhenCancelled) {
  TempHome home(true);
  MacPanel p;
  p.OpenCocoa();
  Kit_String file("bank.syx"), folder("");
  p.graphics->PromptForFile(&file, kFileSave, &folder, "syx  mid");
  ASSERT_EQ(p.backend.ShownPrompts().size(), 1u);
  const ViewFilePrompt& shown = p.backend.ShownPrompts()[0];
  EXPECT_TRUE(shown.save);
  EXPECT_EQ(shown.name, "bank.syx");
  EXPECT_EQ(shown.folder, home.path() + "/Desktop");
  EXPECT_EQ(shown.types, (std::vector<std::string>{"syx", "mid"}));
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(folder.Get(), "~/Desktop");
}

// No Desktop, or a remembered folder gone: the prompt opens in the nearest folder above.
TEST(GraphicsMac, FilePromptStartsInAFolderThatExists) {
  TempHome home(false);
  MacPanel p;
  p.OpenCocoa();
  Kit_String file(""), folder("");
  p.graphics->PromptForFile(&file, kFileOpen, &folder, "syx nl2");
  EXPECT_EQ(p.backend.ShownPrompts().back().folder, home.path() + "/");
  Kit_String gone((home.path() + "/gone/deeper/").c_str());
  p.graphics->PromptForFile(&file, kFileOpen, &gone, "mid");
  EXPECT_EQ(p.backend.ShownPrompts().back().folder, home.path() + "/");
}

TEST(GraphicsMac, ConfirmedFilePromptGivesThePathAndItsFolder) {
  MacPanel p;
  p.OpenCocoa();
  p.backend.ScriptFilePromptAnswer(std::string("/data/banks/a.syx"));
  Kit_String file(""), folder("/data/");
  p.graphics->PromptForFile(&file, kFileOpen, &folder, "syx");
  EXPECT_FALSE(p.backend.ShownPrompts()[0].save);
  EXPECT_STREQ(file.Get(), "/data/banks/a.syx");
  EXPECT_STREQ(folder.Get(), "/data/banks/");
}

TEST(GraphicsMac, OpenURLSaysFalseWhenNothingWasOpened) {
  MacPanel p;
  p.OpenCocoa();
  EXPECT_FALSE(p.graphics->OpenURL(nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(p.graphics->OpenURL("", nullptr, nullptr, nullptr));
  EXPECT_FALSE(p.graphics->OpenURL("http://bad address", nullptr, nullptr, nullptr));
  EXPECT_FALSE(p.graphics->OpenURL("http", nullptr, nullptr, nullptr));
  EXPECT_TRUE(p.graphics->OpenURL("http://vudidi.example/manual", "t", "c", "e"));
  EXPECT_TRUE(p.graphics->OpenURL("/tmp/Patches", nullptr, nullptr, nullptr));
  p.backend.ScriptOpenURLResult(false);
  EXPECT_FALSE(p.graphics->OpenURL("/tmp", nullptr, nullptr, nullptr));
  EXPECT_EQ(p.backend.OpenedURLs(), (std::vector<std::string>{"http://vudidi.example/manual", "/tmp/Patches", "/tmp"}));
}

TEST(GraphicsMac, OpenURLWithoutAHostOpensNothing) {
  MacPanel p;
  EXPECT_FALSE(p.graphics->OpenURL("http://vudidi.example/", nullptr, nullptr, nullptr));
}

TEST(GraphicsMac, ResizeToTheSameSizeTouchesNothing) {
  MacPanel p;
  p.OpenCocoa();
  p.graphics->Resize(MacPanel::kWidth, MacPanel::kHeight);
  EXPECT_TRUE(p.plug->resized.empty());
  p.graphics->Resize(150, 90);
  ASSERT_EQ(p.plug->resized.size(), 1u);
  EXPECT_EQ(p.backend.Width(), 150);
  EXPECT_EQ(p.backend.FrameBuffer().Height(), 90);
}

TEST(GraphicsMac, CursorHidesOnceAndComesBackWhereItWas) {
  MacPanel p;
  p.graphics->HideMouseCursor();  // no view: nothing
  EXPECT_FALSE(p.backend.CursorHidden());
  p.OpenCocoa();
  p.backend.ShowCursor(40, 50);
  p.graphics->HideMouseCursor();
  EXPECT_TRUE(p.backend.CursorHidden());
  p.backend.ShowCursor(1, 1);  // moved meanwhile by someone else
  int ignoredX = 0, ignoredY = 0;
  p.backend.HideCursor(&ignoredX, &ignoredY);
  p.graphics->ShowMouseCursor();
  EXPECT_FALSE(p.backend.CursorHidden());
  int x = 0, y = 0;
  p.backend.HideCursor(&x, &y);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 50);
}

TEST(GraphicsMac, DrawScreenNeedsAView) {
  MacPanel p;
  IRECT r(0, 0, 10, 10);
  EXPECT_FALSE(p.graphics->DrawScreen(&r));
  p.OpenCocoa();
  EXPECT_TRUE(p.graphics->DrawScreen(&r));
}

TEST(GraphicsMac, OpeningAgainClosesTheViewBefore) {
  MacPanel p;
  IGraphicsCocoa_vTavro_au* first = p.OpenCocoa();
  IGraphicsCocoa_vTavro_au* second = p.OpenCocoa();
  EXPECT_NE(first, second);
  EXPECT_FALSE(first->isOpaque());
  EXPECT_TRUE(second->isOpaque());
  EXPECT_EQ(p.graphics->GetWindow(), static_cast<ViewHostable*>(second));
  first->DetachFromBackend();  // the host removing the old view changes nothing
  EXPECT_TRUE(p.backend.IsAttached());
  p.OpenCarbon();
  EXPECT_EQ(p.graphics->GetCocoaView(), nullptr);
  EXPECT_NE(p.graphics->GetCarbonHost(), nullptr);
}

TEST(GraphicsMac, OpenWindowWithAParentAttachesAtOnce) {
  MacPanel p;
  p.graphics->OpenWindow(&p.backend);
  EXPECT_TRUE(p.backend.IsAttached());
  EXPECT_EQ(p.backend.TimerSeconds(), 1.0 / 25);
}

TEST(GraphicsMac, PopupMenuBecomesTheShownMenu) {
  IPopupMenu menu, sub;
  menu.SetPrefix(IPopupMenu::kTwoDigits);
  menu.AddItem("Init", -1, IPopupMenuItem::kChecked);
  menu.AddSeparator();
  menu.AddItem("Off", -1, IPopupMenuItem::kDisabled);
  menu.AddItem("Title", -1, IPopupMenuItem::kTitle);
  menu.AddItem("More", &sub);
  sub.AddItem("Deep");
  const ViewMenu shown = IGraphicsMac_BuildViewMenu(&menu);
  ASSERT_EQ(shown.items.size(), 5u);
  EXPECT_EQ(shown.tag, &menu);
  EXPECT_EQ(shown.items[0].title, "01: Init");
  EXPECT_TRUE(shown.items[0].checked);
  EXPECT_TRUE(shown.items[1].separator);
  EXPECT_FALSE(shown.items[2].enabled);
  EXPECT_TRUE(shown.items[3].indented);
  EXPECT_EQ(shown.items[4].title, "05: More");
  ASSERT_TRUE(shown.items[4].submenu);
  EXPECT_EQ(shown.items[4].submenu->tag, &sub);
  EXPECT_EQ(shown.items[4].submenu->items[0].title, "Deep");
}

TEST(GraphicsMac, MenuThatContainsItselfStillEnds) {
  IPopupMenu menu;
  menu.AddItem("Again", &menu);
  const ViewMenu shown = IGraphicsMac_BuildViewMenu(&menu);
  int depth = 0;
  for (const ViewMenu* m = &shown; m->items[0].submenu; m = m->items[0].submenu.get()) ++depth;
  EXPECT_EQ(depth, 16);
}

TEST(GraphicsMac, CocoaPopupWithoutChoiceLeavesChosenIndexes) {
  MacPanel p;
  IGraphicsCocoa_vTavro_au* view = p.OpenCocoa();
  IPopupMenu menu;
  menu.AddItem("A");
  menu.SetChosenItemIdx(-1);
  EXPECT_EQ(view->createIPopupMenu(&menu, {0, 0, 10, 10}), nullptr);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  IRECT r(0, 0, 10, 10);
  EXPECT_EQ(p.graphics->CreateIPopupMenu(&menu, &r), nullptr);
}

}  // namespace

namespace {

TEST(GraphicsMac, SubWindowOpensThePanelInTheParentAndRemovesIt) {
  MacPanel p;
  p.graphics->RemoveSubWindow();  // nothing attached: nothing happens
  p.graphics->AttachSubWindow(&p.backend);
  EXPECT_TRUE(p.backend.IsAttached());
  EXPECT_NE(p.graphics->GetCocoaView(), nullptr);
  p.graphics->RemoveSubWindow();
  EXPECT_FALSE(p.backend.IsAttached());
  EXPECT_FALSE(p.graphics->WindowIsOpen());
}

// The stand-ins answer as the system they stand in for, whatever kernel runs them: one
// recent enough for the Cocoa view (10.5.0 and later).
TEST(GraphicsMac, TheSystemVersionIsTheOneTheStandInsActAs) {
  EXPECT_EQ(GetUserOSVersion(), 0x1068);
  EXPECT_GE(GetUserOSVersion(), 0x1050);
}

}  // namespace
