#pragma once
// A MIDI clock link that records what is sent, with the time source's time, and
// answers the tempo and switches a test sets.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Kit_TimeSource.h"
#include "messaging/MIDIClockLink.h"

class RecordingClockLink : public MIDIClockLink {
public:
  struct Sent {
    uint8_t byte;
    uint64_t micros;
  };

  std::atomic<int> tempo{120};
  std::atomic<bool> portOpen{true};
  std::atomic<bool> refusing{false};  // the port is open but takes nothing
  std::atomic<bool> clockInfo{false};
  std::atomic<bool> clockPointer{true};
  std::atomic<uint64_t> unit{0};  // the output's unit, as a port chosen anew changes it
  // The next edge finds the connection back as it goes: the unit changes under it.
  std::atomic<bool> returnInNextEdge{false};

  bool SendRealTime(uint8_t byte) override {
    if (!portOpen.load() || refusing.load()) return false;
    std::lock_guard<std::mutex> hold(lock_);
    sent_.push_back({byte, Kit_Time().NowMicros()});
    return true;
  }
  bool SendEdge(uint8_t byte, uint64_t& reached) override {
    if (unit.load() != reached || !SendRealTime(byte)) return false;
    if (returnInNextEdge.exchange(false)) ++unit;
    reached = unit.load();
    return true;
  }
  bool outputSet() override { return portOpen.load(); }
  uint64_t OutputUnit() override { return unit.load(); }
  int getTempoValue() override {
    std::lock_guard<std::mutex> hold(lock_);
    tempoReads_.push_back(Kit_Time().NowMicros());
    return tempo.load();
  }
  bool clockPointerOn() override { return clockPointer.load(); }
  bool clockInfoOn() override { return clockInfo.load(); }
  void ClockTempoMissing(const char* message) override {
    clockInfo = false;
    std::lock_guard<std::mutex> hold(lock_);
    missing_.push_back(message);
  }

  std::vector<Sent> SentBytes() {
    std::lock_guard<std::mutex> hold(lock_);
    return sent_;
  }
  // The bytes sent but the Clocks.
  std::vector<uint8_t> Edges() {
    std::vector<uint8_t> edges;
    for (const Sent& s : SentBytes())
      if (s.byte != kMidiClock) edges.push_back(s.byte);
    return edges;
  }
  std::vector<uint64_t> ClockTimes() {
    std::vector<uint64_t> times;
    for (const Sent& s : SentBytes())
      if (s.byte == kMidiClock) times.push_back(s.micros);
    return times;
  }
  std::vector<uint64_t> TempoReads() {
    std::lock_guard<std::mutex> hold(lock_);
    return tempoReads_;
  }
  std::vector<std::string> Missing() {
    std::lock_guard<std::mutex> hold(lock_);
    return missing_;
  }

private:
  std::mutex lock_;
  std::vector<Sent> sent_;
  std::vector<uint64_t> tempoReads_;
  std::vector<std::string> missing_;
};
