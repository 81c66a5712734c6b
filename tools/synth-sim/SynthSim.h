#pragma once
// A simulated synthesizer that speaks the editor's SysEx protocol.
//
// It holds four program edit buffers, an edit performance whose part blocks are
// those four buffers (so its replies agree), and banks of stored programs and
// performances, all starting as the INIT sounds (each stored program told apart by
// its bank and number, SynthSimStoredProgramData). It answers requests addressed to its
// device id, stores the dumps it is sent and records every message it receives with
// its arrival time. Performance replies carry its device id as their global channel
// (position 636), as the unit's own setting. Replies leave through `send` after the
// configured latency (and wire time), as the scheduler runs them.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "SynthSimScheduler.h"

struct SynthSimSettings {
  int deviceId = 0;  // answers and stores only what carries this id
  int model = 1;     // 2 = the ten-bank model; others the four-bank one
  uint64_t replyLatencyMicros = 1000;
  bool silent = false;            // records and stores, but never answers
  bool wrongSizeReplies = false;  // program replies 140 bytes, performance replies 710
  bool wireTime = false;          // replies and the front panel take 320 us a byte (31,250 baud), one at a time
  int silentAfterRequests = -1;   // answers this many requests, then none; -1 all
  // Reply length: 139 or 149 (named) for programs; 711, 712 (cut short), 720, 725
  // (named) or 765 (the performance and part names) for performances. 0 or another
  // kind's length leaves that kind at 139 and 715.
  int replyLength = 0;
  bool slotByteOutOfRange = false;  // program replies carry 4 + the number in byte 5
  // A store into a memory bank keeps the memory busy this long; a store that comes
  // meanwhile is lost (counted). Edit buffers take every dump at once.
  uint64_t memoryWriteMicros = 0;
};

class SynthSim {
public:
  using Message = std::vector<uint8_t>;
  using Send = std::function<void(const Message&)>;

  SynthSim(SynthSimSettings settings, SynthSimScheduler& scheduler, Send send);

  // One complete message from the editor; any bytes are accepted.
  // threads: any (midi-in, tests)
  void Receive(const uint8_t* bytes, size_t size);

  // A dump nobody asked for, sent as a reply would be.
  // threads: any
  void SendProgramUnasked(int slot);
  void SendPerformanceUnasked();

  // The front panel: a player's knob, program change or note `afterMicros` from now
  // (as the scheduler runs it), sent as the unit sends it; channel 0-15, data 0-127.
  // A program change first loads stored program N of the slot's bank into the part
  // on that channel, or on the global channel (the device id) stored performance N
  // of bank 1 into the edit performance; past the bank nothing loads. The simulator
  // outlives what it has scheduled.
  // threads: any
  void PlayControlChange(uint64_t afterMicros, int channel, int cc, int value);
  void PlayProgramChange(uint64_t afterMicros, int channel, int program);
  void PlayNote(uint64_t afterMicros, int channel, int note, int velocity);

  // threads: any
  SynthSimSettings Settings() const;
  void SetSettings(const SynthSimSettings& settings);
  // Every message received, in order, with the time source's reading on arrival.
  struct Arrival {
    uint64_t micros;
    Message message;
  };
  std::vector<Arrival> Arrivals() const;
  std::vector<Message> Received() const;
  size_t ReceivedCount() const;
  // Stores into a memory bank lost because the memory was still writing.
  int LostStores() const;

  // The edit memory by parameter name and slot (program fields of that slot's edit
  // buffer, performance fields of that slot or of the whole): false, or -1, when the
  // name has no field. Values are written as the dump codes them.
  bool SetValue(const std::string& name, int slot, int value);
  int Value(const std::string& name, int slot) const;

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
  // Takes `data` into a bank's memory unless it is still writing the store before.
  void StoreInBank(SynthSim::Message* place, const uint8_t* data, int size);
  Message* ProgramAt(uint8_t type, uint8_t number);
  Message* PerformanceAt(uint8_t type, uint8_t number);
  Message Reply(const Request& request) const;
  Message Dump(uint8_t type, uint8_t number, const Message& data, int size) const;
  Message PerformanceDump(uint8_t type, uint8_t number, const Message& data) const;
  Message EditPerformance() const;
  void SetEditPerformance(const uint8_t* data);
  void Transmit(Message reply);
  void Transmit(Message reply, uint64_t delay);
  // A front-panel message `afterMicros` from now; a program change (`loadProgram` >= 0)
  // first loads what it selects.
  void Play(uint64_t afterMicros, Message message, int loadProgram);
  // With lock_ held.
  int FieldValue(const std::string& name, int slot) const;
  void LoadProgram(int channel, int program);

  mutable std::mutex lock_;
  SynthSimSettings settings_;
  SynthSimScheduler& scheduler_;
  Send send_;
  std::vector<Arrival> received_;
  std::vector<Message> slots_;  // 4 program edit buffers, the part blocks
  Message performanceBlock_;    // the edit performance's settings, 534..713
  int requestsAnswered_ = 0;
  uint64_t wireFreeMicros_ = 0;    // when the last reply has left
  uint64_t memoryFreeMicros_ = 0;  // when the last bank store has landed
  int lostStores_ = 0;
  std::vector<std::vector<Message>> programBanks_;
  std::vector<std::vector<Message>> performanceBanks_;
};
