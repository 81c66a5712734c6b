#include "Framework/Log.h"

#include "Kit_TimeSource.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr uint64_t kMicrosPerSecond = 1000000;
constexpr int kMinutesPerDay = 1440;

// Minutes the local time is ahead of UTC, from the two broken-down times of one instant.
int UtcOffsetMinutes(const tm& local, const tm& utc) {
  int minutes = (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  const int dayDifference = local.tm_yday - utc.tm_yday;
  if (dayDifference == 1) {
    minutes += kMinutesPerDay;
  } else if (dayDifference == -1) {
    minutes -= kMinutesPerDay;
  } else if (dayDifference != 0) {
    // Only at the turn of the year: the smaller day number is the later day.
    minutes += dayDifference > 0 ? -kMinutesPerDay : kMinutesPerDay;
  }
  return minutes;
}

}  // namespace

Timer::Timer() : start_(std::clock()) {}

bool Timer::Every(double seconds) {
  const std::clock_t now = std::clock();
  if (double(now - start_) > seconds * double(CLOCKS_PER_SEC)) {
    start_ = now;
    return true;
  }
  return false;
}

bool IsWhitespace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

void ToLower(char* dest, const char* src) {
  if (src) {
    for (; *src; ++src, ++dest) *dest = char(std::tolower(static_cast<unsigned char>(*src)));
  }
  *dest = 0;
}

const char* CurrentTime() {
  thread_local char text[64];
  const time_t now = time_t(Kit_Time().MicrosSinceEpoch() / kMicrosPerSecond);
  tm local{};
  tm utc{};
  if (!localtime_r(&now, &local) || !gmtime_r(&now, &utc)) {
    text[0] = 0;
    return text;
  }
  const size_t used = std::strftime(text, sizeof text, "%Y%m%d %H:%M ", &local);
  const int offset = UtcOffsetMinutes(local, utc);
  std::snprintf(text + used, sizeof text - used, "%c%02d%02d", offset >= 0 ? '+' : '-', std::abs(offset) / 60,
                std::abs(offset) % 60);
  return text;
}

void CompileTimestamp(const char* date, const char* time, Kit_String* out) {
  if (!out) return;
  char stamp[16];
  int n = 0;
  stamp[n++] = '[';
  // "Mmm dd" without its blank.
  for (int i = 0; date && i < 6 && date[i]; ++i) {
    if (i != 3) stamp[n++] = date[i];
  }
  stamp[n++] = ' ';
  for (int i = 0; time && i < 5 && time[i]; ++i) stamp[n++] = time[i];
  stamp[n++] = ']';
  stamp[n] = 0;
  out->Set(stamp);
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
  thread_local Kit_String result;
  Kit_String stamp;
  CompileTimestamp(date, time, &stamp);
  result.Set(text);
  result.Append(" ");
  result.Append(stamp.Get());
  return result.Get();
}

void Trace(const char* function, int line, const char* format, ...) {}

const char* AUSelectStr(int select) { return ""; }
const char* AUPropertyStr(int propertyID) { return ""; }
const char* AUScopeStr(int scope) { return ""; }
const char* VSTOpcodeStr(int opcode) { return ""; }
