// The port captions as a musician sees them in the window, with a unit whose ports
// have long names chosen as both ports: each caption's text lies in its own field at
// every panel size, and opening either port's menu leaves both captions as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "EditorTestSupport.h"
#include "HostWindowSupport.h"
#include "JackTestServer.h"
#include "XvfbServer.h"
// Last: the X headers define macros (None, Bool, ...) that clash with the above.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Its ports are "<name>-in:midi" and "<name>-out:midi": far wider than a caption.
constexpr const char* kPortCaptionsSimName = "NordSimulator Studio Rack";
constexpr int kLayoutWidth = 1500;

// The fields of the top row, layout units: the size caption's right edge, the two
// port captions, the Randomize button's left edge.
constexpr int kSizeRight = 410, kRandLeft = 740;
constexpr int kOutLeft = 420, kInLeft = 580, kFieldTop = 8, kFieldWidth = 150, kFieldHeight = 20;

struct Field {
  int l, t, r, b;
  bool HasColumn(int x) const { return x >= l && x < r; }
};

class PortCaptions : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    shared_ = new Shared;
    if (!shared_->server.Start() || !shared_->sim.Start(kPortCaptionsSimName, {}, shared_->data.root() + "/sim.txt"))
      shared_->error = "the JACK server or the unit did not start";
  }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(shared_->error.empty()) << shared_->error;
    ASSERT_TRUE(x_.Ready()) << x_.Error();
    user_ = XOpenDisplay(x_.Name().c_str());
    ASSERT_NE(user_, nullptr);
  }
  void TearDown() override {
    if (user_) XCloseDisplay(user_);
  }

  struct Shared {
    ~Shared() {
      sim.Stop();
      server.Stop();
    }
    JackTestServer server;
    TempDataRoot data;
    SimProcess sim;
    std::string error;
  };

  // The editor's window, found once it is up; its scale from its width.
  bool FindWindow() {
    return SimProcess::WaitFor([&] {
      window_ = EditorWindow(user_);
      XWindowAttributes a{};
      if (!window_ || !XGetWindowAttributes(user_, window_, &a) || a.map_state != IsViewable) return false;
      scale_ = double(a.width) / kLayoutWidth;
      return true;
    });
  }
  int Scaled(int v) const { return int(v * scale_); }
  Field FieldAt(int left) const {
    const int l = Scaled(left), t = Scaled(kFieldTop);
    return {l, t, l + Scaled(kFieldWidth), t + Scaled(kFieldHeight)};
  }

  // The window as the server shows it.
  Picture Grab() {
    Picture p;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(user_, window_, &a)) return p;
    XImage* image = XGetImage(user_, window_, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return p;
    p.width = unsigned(a.width);
    p.height = unsigned(a.height);
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) {
        const unsigned long px = XGetPixel(image, x, y);
        p.rgb.push_back(uint8_t((px & image->red_mask) >> 16));
        p.rgb.push_back(uint8_t((px & image->green_mask) >> 8));
        p.rgb.push_back(uint8_t(px & image->blue_mask));
      }
    XDestroyImage(image);
    return p;
  }
  // Grabs until the picture is as `wanted` says; generous bound.
  bool GrabUntil(const std::function<bool(const Picture&)>& wanted, Picture* picture) {
    return SimProcess::WaitFor([&] {
      *picture = Grab();
      return picture->width > 0 && wanted(*picture);
    });
  }

  void ClickFieldOf(const Field& f) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(user_, window_, DefaultRootWindow(user_), (f.l + f.r) / 2, (f.t + f.b) / 2, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(user_, DefaultScreen(user_), rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(user_, 1, True, CurrentTime);
    XTestFakeButtonEvent(user_, 1, False, CurrentTime);
    XFlush(user_);
  }
  void Key(KeySym sym) {
    XTestFakeKeyEvent(user_, XKeysymToKeycode(user_, sym), True, CurrentTime);
    XTestFakeKeyEvent(user_, XKeysymToKeycode(user_, sym), False, CurrentTime);
    XFlush(user_);
  }

  // How wide the caption's white text is in field `f`: from its first column to its
  // last; 0 when none shows.
  static int InkedSpan(const Picture& p, const Field& f) {
    int first = -1, last = -1;
    for (int x = f.l; x < f.r; ++x) {
      bool ink = false;
      for (int y = f.t; y < f.b && !ink; ++y) {
        const uint32_t c = p.At(unsigned(x), unsigned(y));
        ink = (c >> 16 & 0xFF) > 0xB0 && (c >> 8 & 0xFF) > 0xB0 && (c & 0xFF) > 0xB0;
      }
      if (ink && first < 0) first = x;
      if (ink) last = x;
    }
    return first < 0 ? 0 : last - first + 1;
  }
  // Pixels of the fields' rows from the size caption to the Randomize button, outside
  // both port fields, that differ from the same pixels in `before`.
  int ChangedBesideTheFields(const Picture& p, const Picture& before) const {
    const Field out = FieldAt(kOutLeft), in = FieldAt(kInLeft);
    int changed = 0;
    for (int y = out.t; y < out.b; ++y)
      for (int x = Scaled(kSizeRight); x < Scaled(kRandLeft); ++x)
        if (!out.HasColumn(x) && !in.HasColumn(x))
          changed += p.At(unsigned(x), unsigned(y)) != before.At(unsigned(x), unsigned(y));
    return changed;
  }
  // Pixels of field `f` that differ between the two pictures.
  static int ChangedIn(const Picture& a, const Picture& b, const Field& f) {
    int changed = 0;
    for (int y = f.t; y < f.b; ++y)
      for (int x = f.l; x < f.r; ++x) changed += a.At(unsigned(x), unsigned(y)) != b.At(unsigned(x), unsigned(y));
    return changed;
  }
  // Pixels of the band below field `f` (where its menu opens) that differ.
  int ChangedBelow(const Picture& a, const Picture& b, const Field& f) const {
    int changed = 0;
    for (int y = f.b + Scaled(10); y < f.b + Scaled(30); ++y)
      for (int x = f.l; x < f.r; ++x) changed += a.At(unsigned(x), unsigned(y)) != b.At(unsigned(x), unsigned(y));
    return changed;
  }

  // Opens the menu of field `f`, waits until it shows over `closed` and grabs it.
  Picture WithMenuOpen(const Field& f, const Picture& closed) {
    ClickFieldOf(f);
    Picture open;
    EXPECT_TRUE(GrabUntil([&](const Picture& p) { return ChangedBelow(p, closed, f) > 0; }, &open))
        << "the menu did not open";
    return open;
  }
  // Chooses the menu's first port (the item after "OFF") by keys, as a user may.
  void ChooseFirstPort() {
    Key(XK_Down);
    Key(XK_Down);
    Key(XK_Return);
  }

  void ExpectCaptionsInTheirFields(const std::string& size);

  static Shared* shared_;
  XvfbServer x_{"2000x1000x24"};  // the large panel whole on the screen
  Display* user_ = nullptr;
  Window window_ = 0;
  double scale_ = 1;
};

PortCaptions::Shared* PortCaptions::shared_ = nullptr;

// At panel size `size`, with the unit's long-named ports chosen on the panel.
void PortCaptions::ExpectCaptionsInTheirFields(const std::string& size) {
  TempDataRoot data;
  // Past the first run, at this size.
  std::filesystem::create_directories(data.folder() + "Patches");
  data.write("Tavro Editor UI.txt", "\n" + size + "\nyes\n");
  BackgroundHost host;
  ASSERT_TRUE(host.Start(x_.Name(), {"--data-root", data.root(), "--panel", "--render-seconds", "0.5"},
                         data.root() + "/host.txt"));
  ASSERT_TRUE(host.WindowShown()) << host.Output();
  ASSERT_TRUE(FindWindow());
  const Field out = FieldAt(kOutLeft), in = FieldAt(kInLeft);

  // Both captions say "OFF": the picture of the row with nothing beside the fields.
  Picture off;
  ASSERT_TRUE(GrabUntil([&](const Picture& p) { return InkedSpan(p, out) > 0 && InkedSpan(p, in) > 0; }, &off));

  // The input first, then the output (which asks the unit who it is).
  WithMenuOpen(in, off);
  ChooseFirstPort();
  ASSERT_TRUE(SimProcess::WaitFor([&] { return InkedSpan(Grab(), in) > kFieldWidth * scale_ / 2; }));
  WithMenuOpen(out, Grab());
  ChooseFirstPort();
  // Chosen and the panel free again: both names fill most of their fields in white.
  Picture chosen;
  ASSERT_TRUE(GrabUntil(
      [&](const Picture& p) { return InkedSpan(p, out) > (out.r - out.l) / 2 && InkedSpan(p, in) > (in.r - in.l) / 2; },
      &chosen))
      << host.Output();
  EXPECT_EQ(ChangedBesideTheFields(chosen, off), 0) << "a port name is drawn outside its field";

  for (const Field* menu : {&out, &in}) {
    const Picture open = WithMenuOpen(*menu, chosen);
    EXPECT_EQ(ChangedBesideTheFields(open, off), 0) << (menu == &out ? "Out" : "In") << " menu open";
    EXPECT_EQ(ChangedIn(open, chosen, out), 0)
        << "the Out caption changed with the " << (menu == &out ? "Out" : "In") << " menu open";
    EXPECT_EQ(ChangedIn(open, chosen, in), 0)
        << "the In caption changed with the " << (menu == &out ? "Out" : "In") << " menu open";
    Key(XK_Escape);
    Picture closed;
    EXPECT_TRUE(GrabUntil([&](const Picture& p) { return ChangedBelow(p, chosen, *menu) == 0; }, &closed));
  }
  ASSERT_TRUE(CloseEditorWindow(x_.Name()));
  EXPECT_EQ(host.Wait(), 0) << host.Output();
}

TEST_F(PortCaptions, LongPortNamesStayInTheirOwnFieldsAtSmallSizeWithEitherMenuOpen) {
  ExpectCaptionsInTheirFields("small");
}
TEST_F(PortCaptions, LongPortNamesStayInTheirOwnFieldsAtNormalSizeWithEitherMenuOpen) {
  ExpectCaptionsInTheirFields("normal");
}
TEST_F(PortCaptions, LongPortNamesStayInTheirOwnFieldsAtLargeSizeWithEitherMenuOpen) {
  ExpectCaptionsInTheirFields("large");
}

}  // namespace
