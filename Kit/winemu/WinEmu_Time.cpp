#include "winemu/WinEmu_Time.h"

void Sleep(int ms) { Kit_Time().SleepMicros(ms > 0 ? uint64_t(ms) * 1000u : 100u); }

uint32_t GetTickCount() { return uint32_t(Kit_Time().NowMicros() / 1000u); }
