#pragma once
// Sleep and GetTickCount as the program reaches them, both on the one injectable
// time source (Kit_Time()): real time by default, a virtual clock in tests.

#include "Kit_TimeSource.h"

#include <cstdint>

// Suspends the calling thread for ms milliseconds; 0 (or less) pauses 100 microseconds.
// threads: any
void Sleep(int ms);

// Milliseconds on a monotonic clock, wrapping as an unsigned 32-bit counter every
// 49.7 days. Compare tick counts only through unsigned differences:
// Kit_TicksElapsed / Kit_TicksAtLeast (Kit_TimeSource.h) or TicksSince below.
// threads: any
uint32_t GetTickCount();

// Milliseconds since the tick count `since`, correct across the wrap.
// threads: any
inline uint32_t TicksSince(uint32_t since) { return Kit_TicksElapsed(GetTickCount(), since); }
