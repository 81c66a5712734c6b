// The About window opens from "About" and closes from Close or Escape, wherever
// the mouse is; Escape does nothing while the window is closed. Escape closes the
// welcome notice for now only; its OK closes it for good.
#include <gtest/gtest.h>

#include "Framework/ControlLayer.h"
#include "LibrarianPageSupport.h"
#include "editor/commands/TavroCommands.h"
#include "librarian/TavroParams.h"

namespace {

TEST(AboutWindow, EscapeClosesItWhereverTheMouseIs) {
  LibrarianPage page;
  ControlLayer* about = page.plug->layer("aboutWindow");
  ASSERT_TRUE(about);
  page.plug->GetParam(kDisplayAboutWindow)->Set(1.0);
  page.plug->OnParamChange(kDisplayAboutWindow);
  ASSERT_TRUE(about->IsShown());
  // The mouse over a control of the page (the window's own background, here).
  ViewMouseEvent move;
  move.action = ViewMouseAction::Move;
  move.x = 600;
  move.y = 300;
  page.backend.InjectMouse(move);
  page.backend.InjectKey({kViewKeyEscape, "\x1b", {}});
  EXPECT_FALSE(about->IsShown());
}

TEST(AboutWindow, EscapeWithTheWindowClosedChangesNothing) {
  LibrarianPage page;
  ControlLayer* about = page.plug->layer("aboutWindow");
  ASSERT_TRUE(about);
  ASSERT_FALSE(about->IsShown());
  const double closeValue = page.plug->GetParam(kExitAboutWindow)->Value();
  page.backend.InjectKey({kViewKeyEscape, "\x1b", {}});
  EXPECT_FALSE(about->IsShown());
  EXPECT_EQ(page.plug->GetParam(kExitAboutWindow)->Value(), closeValue);
}

TEST(WelcomeNotice, EscapeClosesItForNowAndOkForGood) {
  LibrarianPage page;
  ControlLayer* notice = page.plug->layer("firstRunNotification");
  ASSERT_TRUE(notice);
  page.plug->uiSettings.lines[2] = "no";  // as a settings file asking for it says
  page.plug->showLayer("firstRunNotification", true);
  page.backend.InjectKey({kViewKeyEscape, "\x1b", {}});
  EXPECT_FALSE(notice->IsShown());
  EXPECT_EQ(page.plug->uiSettings.lines[2], "no") << "shown again at the next start";
  EXPECT_EQ(page.plug->GetParam(kFirstRunExit)->Value(), 0.0);

  page.plug->showLayer("firstRunNotification", true);
  page.plug->GetParam(kFirstRunExit)->Set(1.0);
  page.plug->OnParamChange(kFirstRunExit);
  EXPECT_FALSE(notice->IsShown());
  EXPECT_EQ(page.plug->uiSettings.lines[2], "yes");
}

}  // namespace
