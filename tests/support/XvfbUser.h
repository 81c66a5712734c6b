#pragma once
// A window on a private X server with a user before it: one server for the whole test
// program, the window's backend on one connection and the user's pointer and keys on
// another, sent through the server as a person's are.
//
// Include it last: the X headers define macros (None, Bool, ...) that clash with others.
//
// threads: main.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include "XvfbServer.h"
#include "views/View_X11.h"

// Starts the program's server before the first test and stops it after the last.
class XvfbEnvironment : public ::testing::Environment {
public:
  // `screen` as XvfbServer takes it.
  static XvfbEnvironment* Register(const std::string& screen = "640x480x24") {
    auto* environment = new XvfbEnvironment(screen);
    ::testing::AddGlobalTestEnvironment(environment);  // owns it from here
    return environment;
  }
  void SetUp() override { server_ = std::make_unique<XvfbServer>(screen_); }
  void TearDown() override { server_.reset(); }
  // Null outside the tests.
  const XvfbServer* server() const { return server_.get(); }

private:
  explicit XvfbEnvironment(std::string screen) : screen_(std::move(screen)) {}
  std::string screen_;
  std::unique_ptr<XvfbServer> server_;
};

class XvfbUserTest : public ::testing::Test {
protected:
  // A test's SetUp starts with ASSERT_NO_FATAL_FAILURE(Connect(...)).
  void Connect(const XvfbServer* server) {
    ASSERT_TRUE(server && server->Ready()) << (server ? server->Error() : "no server");
    std::string error;
    backend = X11ViewBackend::Open(server->Name().c_str(), &error);
    ASSERT_TRUE(backend) << error;
    user = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(user, nullptr);
  }
  // After the window's owner has gone.
  void TearDown() override {
    backend.reset();
    if (user) XCloseDisplay(user);
    user = nullptr;
  }

  // Turns the window's loop until the condition holds; real time, generous bound.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      backend->PumpOnce();
      if (done()) return true;
    }
    return false;
  }
  // The pointer to window pixel (x, y), as a user moves it; sent with the next flush.
  void MoveTo(int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(user, Window(backend->WindowId()), DefaultRootWindow(user), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(user, DefaultScreen(user), rootX, rootY, CurrentTime);
  }

  std::unique_ptr<X11ViewBackend> backend;
  Display* user = nullptr;
};
