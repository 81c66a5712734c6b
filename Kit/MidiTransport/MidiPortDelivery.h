#pragma once
// Where an input transport hands its complete messages: the callback with its
// user data, and a switch that stops delivery at once without waiting.

#include <atomic>
#include <vector>

#include "MidiTransport/MidiPortTransport.h"

class MidiPortDelivery {
public:
  // Messages go to `callback` from now on.
  void Start(MidiInputCallback callback, void* userData) {
    userData_.store(userData);
    callback_.store(callback);
    delivering_.store(true);
  }
  // No delivery starts after this returns (one already running may finish).
  // threads: main, closer
  void Stop() { delivering_.store(false); }
  // threads: midi-in
  void Deliver(double deltaTime, std::vector<unsigned char>* message) const {
    if (!delivering_.load()) return;
    if (MidiInputCallback callback = callback_.load()) callback(deltaTime, message, userData_.load());
  }

private:
  std::atomic<bool> delivering_{true};
  std::atomic<MidiInputCallback> callback_{nullptr};
  std::atomic<void*> userData_{nullptr};
};
