// The plug-in mutex is held for the whole of a parameter change from the panel: a
// second thread that wants the mutex waits until SetParameterFromGUI has returned.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "BaseTestPlug.h"

namespace {

// OnParamChange parks until released, so the test controls how long the change lasts.
class ParkingPlug : public BaseTestPlug {
public:
  ParkingPlug() : BaseTestPlug(4, 0) { GetParam(0)->InitInt("n", 0, 0, 10); }

  void OnParamChange(int paramIdx) override { Park(); }
  void OnParamChange2(int paramIdx) override { Park(); }

  std::atomic<bool> inside{false};
  std::atomic<bool> finished{false};
  std::atomic<bool> release{false};

private:
  void Park() {
    inside = true;
    while (!release) std::this_thread::yield();
    finished = true;
  }
};

// Runs `change` on one thread; once it is parked inside the change handler, a second
// thread asks for the mutex. The second thread must not get it before the change ended.
template <class Change>
void ExpectMutexHeldThroughout(ParkingPlug& plug, Change change) {
  std::thread panel(change);
  while (!plug.inside) std::this_thread::yield();

  std::atomic<bool> aboutToEnter{false};
  std::atomic<bool> acquired{false};
  std::atomic<bool> sawFinished{false};
  std::thread other([&] {
    aboutToEnter = true;
    Kit_MutexLock lock(plug.GetMutex());
    sawFinished = plug.finished.load();
    acquired = true;
  });
  while (!aboutToEnter) std::this_thread::yield();
  // Give the other thread every chance to (wrongly) get in while the change is parked.
  for (int i = 0; i < 20000 && !acquired; ++i) std::this_thread::yield();
  EXPECT_FALSE(acquired.load());

  plug.release = true;
  panel.join();
  other.join();
  EXPECT_TRUE(acquired.load());
  EXPECT_TRUE(sawFinished.load());
}

}  // namespace

TEST(PlugMutexThreads, HeldForTheWholeOfSetParameterFromGUI) {
  ParkingPlug plug;
  ExpectMutexHeldThroughout(plug, [&] { plug.SetParameterFromGUI(0, 1.0); });
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 10.0);
}

TEST(PlugMutexThreads, HeldForTheWholeOfSetParameterFromGUI2) {
  ParkingPlug plug;
  ExpectMutexHeldThroughout(plug, [&] { plug.SetParameterFromGUI2(0, 0.5); });
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 5.0);
}

namespace {
// Counts how many threads are inside a change handler at once.
class OverlapPlug : public BaseTestPlug {
public:
  OverlapPlug() : BaseTestPlug(2, 0) {
    GetParam(0)->InitText();
    GetParam(1)->InitText();
  }
  void OnParamChange(int paramIdx) override { Enter(); }
  void OnParamChange2(int paramIdx) override { Enter(); }
  void InformHostOfParamChange(int, double) override {}

  std::atomic<int> current{0};
  std::atomic<int> most{0};
  std::atomic<int> total{0};

private:
  void Enter() {
    const int now = ++current;
    if (now > most) most = now;
    std::this_thread::yield();
    --current;
    ++total;
  }
};
}  // namespace

TEST(PlugMutexThreads, ChangesFromPanelAndHardwareNeverOverlap) {
  OverlapPlug plug;
  constexpr int kRounds = 2000;
  std::thread panel([&] {
    for (int i = 0; i < kRounds; ++i) plug.SetParameterFromGUI(0, (i % 2) ? 1.0 : 0.0);
  });
  std::thread hardware([&] {
    for (int i = 0; i < kRounds; ++i) plug.SetParameterFromGUI2(1, (i % 2) ? 0.0 : 1.0);
  });
  panel.join();
  hardware.join();
  EXPECT_EQ(plug.most.load(), 1);
  EXPECT_EQ(plug.total.load(), 2 * kRounds);  // text parameters: every call is a change
}

TEST(PlugMutexThreads, ValuesMayBeReadWhileAnotherThreadWrites) {
  BaseTestPlug plug(1, 0);
  plug.GetParam(0)->InitInt("n", 0, 0, 100);
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      const double v = plug.GetParam(0)->Value();
      ASSERT_GE(v, 0.0);
      ASSERT_LE(v, 100.0);
    }
  });
  for (int i = 0; i <= 1000; ++i) plug.GetParam(0)->SetNormalized((i % 101) / 100.0);
  stop = true;
  reader.join();
}
