#pragma once
// Waiting on real threads and a real server, polled.
// threads: main

#include <chrono>
#include <functional>
#include <thread>

// True once `done` is; false when it is not within `patience`.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::steady_clock::duration patience = std::chrono::seconds(60)) {
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
