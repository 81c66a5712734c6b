#pragma once
// The threads of this process, from the kernel's account: how the host and the tests
// see that a closed plug-in left no worker behind.
//
// threads: any. Reads /proc/self/status; Linux only, as the host is.

// The count now; -1 when unreadable.
long Kit_ProcessThreadCount();

// The count once it holds still. A thread already joined can stay in the kernel's
// count for a moment while its exit finishes, so a count read just after a join may
// be one too many. Waits (real time) until the count is unchanged for 50 ms, at most
// 2 s, and returns it; a thread that is truly left running stays counted.
long Kit_SettledThreadCount();
