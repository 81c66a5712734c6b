#include "Framework/Log.h"
#include "Kit_TimeSource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace {

constexpr uint64_t kMicrosPerSecond = 1000000;

// A virtual clock at a chosen UTC instant, seen from a chosen time zone.
class ZonedTime : public ::testing::Test {
protected:
  void At(const char* zone, uint64_t epochSeconds) {
    clock_ = std::make_unique<Kit_VirtualClock>(epochSeconds * kMicrosPerSecond);
    Kit_SetTimeSource(clock_.get());
    setenv("TZ", zone, 1);
    tzset();
  }
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    hadZone_ = zone != nullptr;
    if (hadZone_) savedZone_ = zone;
  }
  void TearDown() override {
    Kit_SetTimeSource(nullptr);
    if (hadZone_)
      setenv("TZ", savedZone_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

private:
  std::unique_ptr<Kit_VirtualClock> clock_;
  bool hadZone_ = false;
  std::string savedZone_;
};

constexpr uint64_t k20260310Noon = 1773144000;     // 2026-03-10 12:00 UTC
constexpr uint64_t k20251231Evening = 1767211200;  // 2025-12-31 20:00 UTC
constexpr uint64_t k20260101Morning = 1767243600;  // 2026-01-01 05:00 UTC

}  // namespace

TEST_F(ZonedTime, CurrentTimeEndsInTheUtcOffset) {
  At("UTC0", k20260310Noon);
  EXPECT_STREQ(CurrentTime(), "20260310 12:00 +0000");
  At("IST-5:30", k20260310Noon);
  EXPECT_STREQ(CurrentTime(), "20260310 17:30 +0530");
  At("PST8", k20260310Noon);
  EXPECT_STREQ(CurrentTime(), "20260310 04:00 -0800");
  At("NPT-5:45", k20260310Noon + 20 * 60);
  EXPECT_STREQ(CurrentTime(), "20260310 18:05 +0545");
}

TEST_F(ZonedTime, CurrentTimeAcrossADayBoundary) {
  At("AAA-10", k20260310Noon + 15 * 3600);  // 03:00 UTC next day... local 13:00 on the 11th
  EXPECT_STREQ(CurrentTime(), "20260311 13:00 +1000");
  At("BBB+9:30", k20260310Noon - 11 * 3600);  // 01:00 UTC, local 15:30 the day before
  EXPECT_STREQ(CurrentTime(), "20260309 15:30 -0930");
}

TEST_F(ZonedTime, CurrentTimeAcrossTheTurnOfTheYear) {
  At("LIN-14", k20251231Evening);  // local 2026-01-01 10:00
  EXPECT_STREQ(CurrentTime(), "20260101 10:00 +1400");
  At("SST+11", k20260101Morning);  // local 2025-12-31 18:00
  EXPECT_STREQ(CurrentTime(), "20251231 18:00 -1100");
}

// The timer counts the process's processor time: the time source moving on alone
// fires nothing, work done by the process does.
TEST(Timer, EveryCountsProcessorTimeAndRestarts) {
  Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);
  Timer timer;
  EXPECT_FALSE(timer.Every(0.5));
  clock.Advance(10 * 1000000);
  EXPECT_FALSE(timer.Every(5.0));
  Kit_SetTimeSource(nullptr);
  const std::clock_t start = std::clock();
  volatile uint64_t work = 0;
  while (std::clock() - start <= CLOCKS_PER_SEC / 50) ++work;  // 20 ms of processor time
  EXPECT_TRUE(timer.Every(0.01));
  EXPECT_FALSE(timer.Every(5.0));
}

TEST(ToLower, LowersAndTerminates) {
  char dest[16];
  std::memset(dest, '#', sizeof dest);
  ToLower(dest, "MiXeD 42!");
  EXPECT_STREQ(dest, "mixed 42!");
  ToLower(dest, "");
  EXPECT_STREQ(dest, "");
  const char high[] = {'A', char(0xC4), 0};
  ToLower(dest, high);
  EXPECT_EQ(dest[0], 'a');
  EXPECT_EQ(dest[1], char(0xC4));
}

TEST(CompileTimestamp, BuildsTheBracketedStamp) {
  Kit_String out("old");
  CompileTimestamp("Jan 05 2015", "14:03:59", &out);
  EXPECT_STREQ(out.Get(), "[Jan05 14:03]");
  CompileTimestamp(__DATE__, __TIME__, &out);
  EXPECT_EQ(out.GetLength(), 13);
}

TEST(CompileTimestamp, ShortInputsNeverReadPastTheirEnd) {
  Kit_String out;
  CompileTimestamp("Ja", "1", &out);
  EXPECT_STREQ(out.Get(), "[Ja 1]");
  CompileTimestamp(nullptr, nullptr, &out);
  EXPECT_STREQ(out.Get(), "[ ]");
}

TEST(AppendTimestamp, AppendsTheStampAfterABlank) {
  EXPECT_STREQ(AppendTimestamp("Dec 24 2026", "23:59:01", "Tavro 2.2.0"), "Tavro 2.2.0 [Dec24 23:59]");
  const std::string first = AppendTimestamp("Feb 01 2026", "01:02:03", "a");
  EXPECT_EQ(first, "a [Feb01 01:02]");
}
