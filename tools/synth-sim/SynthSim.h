#pragma once
// A simulated synthesizer that speaks the editor's SysEx protocol.
//
// It holds four program edit buffers, a performance edit buffer and banks of
// stored programs and performances, all starting as the INIT sounds. It answers
// requests addressed to its device id, stores the dumps it is sent and records
// every message it receives. Performance replies carry its device id as their
// global channel (position 636), as the unit's own setting. Replies leave through `send` after the configured
// latency, as the scheduler runs them.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "SynthSimScheduler.h"

struct SynthSimSettings {
  int deviceId = 0;                  // answers and stores only what carries this id
  int model = 1;                     // 2 = the ten-bank model; others the four-bank one
  uint64_t replyLatencyMicros = 1000;
  bool silent = false;               // records and stores, but never answers
  bool wrongSizeReplies = false;     // program replies 140 bytes, performance replies 710
};

class SynthSim {
public:
  using Message = std::vector<uint8_t>;
  using Send = std::function<void(const Message&)>;

  SynthSim(SynthSimSettings settings, SynthSimScheduler& scheduler, Send send);

  // One complete message from the editor; any bytes are accepted.
  // threads: any (the simulator's input thread, tests)
  void Receive(const uint8_t* bytes, size_t size);

  // threads: any
  SynthSimSettings Settings() const;
  void SetSettings(const SynthSimSettings& settings);
  // Every message received, in order.
  std::vector<Message> Received() const;
  size_t ReceivedCount() const;

  // Data bytes of the memory (132 for a program, 708 for a performance); empty
  // for a place that does not exist.
  Message ProgramEditBuffer(int slot) const;
  Message PerformanceEditBuffer() const;
  Message StoredProgram(int bank, int number) const;
  Message StoredPerformance(int bank, int number) const;

private:
  struct Request {
    enum Kind { kNone, kPerformanceEdit, kProgramSlot, kStoredProgram, kStoredPerformance } kind = kNone;
    int bank = 0;
    int number = 0;
  };

  Request Decode(uint8_t type, uint8_t number, int model) const;
  void Store(const uint8_t* bytes, size_t size);
  Message* ProgramAt(uint8_t type, uint8_t number);
  Message* PerformanceAt(uint8_t type, uint8_t number);
  Message Reply(const Request& request) const;
  Message Dump(uint8_t type, uint8_t number, const Message& data, int size) const;
  Message PerformanceDump(uint8_t type, uint8_t number, const Message& data) const;

  mutable std::mutex lock_;
  SynthSimSettings settings_;
  SynthSimScheduler& scheduler_;
  Send send_;
  std::vector<Message> received_;
  std::vector<Message> slots_;                     // 4 program edit buffers
  Message performance_;                            // the performance edit buffer
  std::vector<std::vector<Message>> programBanks_;
  std::vector<std::vector<Message>> performanceBanks_;
};
