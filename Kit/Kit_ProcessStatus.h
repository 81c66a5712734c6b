#pragma once
// This process as the kernel accounts for it (/proc/self/status): its threads, how the
// host and the tests see that a closed plug-in left no worker behind, and its memory,
// for the tests and benchmarks that measure it.
//
// threads: any. Linux only, as the host is.

// The number after "`key`:" (VmRSS, VmHWM and the other Vm lines are in kB); -1 when
// the line is missing or unreadable.
long Kit_ProcessStatusField(const char* key);

// The threads now; -1 when unreadable.
long Kit_ProcessThreadCount();

// The threads once their count holds still. A thread already joined can stay in the
// kernel's count for a moment while its exit finishes, so a count read just after a
// join may be one too many. Waits (real time) until the count is unchanged for 50 ms,
// at most 2 s, and returns it; a thread that is truly left running stays counted.
long Kit_SettledThreadCount();
