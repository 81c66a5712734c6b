// The window's close button asks the client first, and a display that goes away
// counts as a close: the loop ends and the client hears it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "XvfbServer.h"
#include "views/View_X11.h"

namespace {

// A client that records the close requests and closes, and answers as told.
class CloseRecorder : public ViewClient {
public:
  void ViewTimer() override {}
  void ViewDraw(const ViewRect&) override {}
  void ViewMouse(const ViewMouseEvent&) override {}
  void ViewWheel(const ViewWheelEvent&) override {}
  void ViewKey(const ViewKeyEvent&) override {}
  void ViewTextEntryEnded() override {}
  void ViewTextEntryCancelled() override {}
  void ViewDeactivated() override {}
  bool ViewMayClose() override {
    ++asked;
    return allow;
  }
  void ViewClosed() override { ++closed; }
  bool allow = false;
  int asked = 0, closed = 0;
};

// Turns the loop until `done`; real time, generous bound.
bool PumpUntil(X11ViewBackend& backend, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    backend.PumpOnce();
    if (done()) return true;
  }
  return false;
}

// A window of our own on a server of our own, with the recorder as its client.
class XvfbClose : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.Ready()) << server.Error();
    std::string error;
    backend = X11ViewBackend::Open(server.Name().c_str(), &error);
    ASSERT_TRUE(backend) << error;
    backend->Attach(&client, 120, 80, 0.04);
  }
  XvfbServer server;
  CloseRecorder client;
  std::unique_ptr<X11ViewBackend> backend;
};

TEST_F(XvfbClose, TheCloseButtonClosesOnlyWhenTheClientAgrees) {
  const unsigned long window = backend->WindowId();
  ASSERT_TRUE(PressWindowCloseButton(server.Name(), window));
  ASSERT_TRUE(PumpUntil(*backend, [&] { return client.asked == 1; }));
  for (int i = 0; i < 5; ++i) backend->PumpOnce();
  EXPECT_EQ(client.closed, 0);
  EXPECT_TRUE(backend->IsAttached());
  EXPECT_EQ(backend->WindowId(), window) << "the window stays";

  client.allow = true;
  ASSERT_TRUE(PressWindowCloseButton(server.Name(), window));
  ASSERT_TRUE(PumpUntil(*backend, [&] { return client.closed == 1; }));
  EXPECT_EQ(client.asked, 2);
  EXPECT_FALSE(backend->IsAttached());
  EXPECT_EQ(backend->WindowId(), 0u);
}

TEST_F(XvfbClose, ALostDisplayEndsTheLoopAsAClose) {
  backend->PumpOnce();
  server.Stop();
  backend->RunUntilClosed();  // returns: the process goes on
  EXPECT_TRUE(backend->DisplayLost());
  EXPECT_EQ(client.closed, 1);
  EXPECT_EQ(client.asked, 0) << "nothing to ask: the window is gone";
  EXPECT_FALSE(backend->IsAttached());
  backend->PumpOnce();  // a turn more does nothing
  backend.reset();      // and the display closes without the server
}

}  // namespace
