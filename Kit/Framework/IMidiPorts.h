#pragma once
// The plug-in's own hardware MIDI ports: one input and one output, chosen by name.
//
// The plug-in base owns one IMidiPorts and forwards the port operations to it.
// Incoming messages reach the plug-in through IMidiPortsSink with the
// from-hardware flag implied; outgoing messages go through the Send operations,
// which the Audio Unit wrapper's MIDI output calls.
//
// Name lists: entry 0 is always "OFF", entry i is the name of system port i-1 as
// it was when the list was last built (at first use, then each time a port menu
// opens); a chosen port that has gone stays listed after them. A selection index
// is an index into its list; 0 means closed.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "MidiTransport/MidiPortTransport.h"

struct IMidiMsg;
struct ISysEx;
class MidiPortCloser;

using IMidiPortNames = std::vector<std::string>;

// Receives what arrives at the hardware input, one message at a time, in arrival
// order. The records are valid only for the call.
// threads: midi-in (an ordinary thread; may take the plug-in mutex)
class IMidiPortsSink {
public:
  virtual ~IMidiPortsSink() = default;
  // A message of 1 to 3 bytes; missing data bytes are 0.
  virtual void MidiFromDevice(IMidiMsg* msg) = 0;
  // A message of 4 or more bytes, whatever its first byte.
  virtual void SysExFromDevice(ISysEx* sysex) = 0;
};

class IMidiPorts {
public:
  static constexpr const char* kOffName = "OFF";
  static constexpr const char* kInputClientName = "RtMidi Input Client";
  static constexpr const char* kOutputClientName = "RtMidi Output Client";
  static constexpr const char* kInputPortName = "RtMidi Input";
  static constexpr const char* kOutputPortName = "RtMidi Output";
  static constexpr unsigned kInputQueueSizeLimit = 100;
  // Host state keeps port names cut to this length.
  static constexpr size_t kStoredNameLength = 32;
  // How long a send waits for room in a full output queue, and how often it looks:
  // JACK empties a full queue in a few periods unless its server stalls.
  static constexpr uint64_t kRoomPatienceMicros = 2'000'000;
  static constexpr uint64_t kRoomStepMicros = 1'000;

  // `sink` (not owned) must outlive this object. `transports` defaults to the
  // system's (ALSA, then JACK).
  explicit IMidiPorts(IMidiPortsSink* sink, std::shared_ptr<MidiTransportFactory> transports = nullptr);
  // Closes the output, then the input. Call it without holding the plug-in mutex.
  ~IMidiPorts();

  IMidiPorts(const IMidiPorts&) = delete;
  IMidiPorts& operator=(const IMidiPorts&) = delete;

  // Port menus. Built with the port object on first use; changed only by a relist.
  // threads: main
  const IMidiPortNames* getExternalMIDIInNames();
  const IMidiPortNames* getExternalMIDIOutNames();
  // Builds the input (or output) list anew from the system's ports now. The port at
  // entry `chosen`, and the one in force, stay listed (after the ports, when gone); both
  // entries are moved to where their names are now, so that no entry held names another
  // port after it.
  // threads: main
  void relistExternalMIDINames(bool input, int& chosen);
  // Whether entry `entry` of the input (or output) list names a port that was gone at
  // the last relist.
  // threads: main
  bool isExternalMIDIGone(bool input, int entry) const;

  // Closes the open port and opens the one named `name` (exact name first, then a
  // host-state name cut to 32 characters, then an ALSA name whose client:port
  // numbers changed). The port is looked up again among the current system ports,
  // so it opens even when port numbers shifted. Returns the opened list position,
  // or 0 with the port closed (index 0, "OFF", name not found, open failed);
  // `index` is set to the same value.
  // The input's old port is closed on a separate thread, so calling this under the
  // plug-in mutex never waits for a midi-in thread blocked on that mutex.
  // threads: main
  int setExternalMIDIIn(int& index, const char* name);
  int setExternalMIDIOut(int& index, const char* name);

  // Position of `name` in the list (0 for "OFF"); -1 when absent.
  // threads: main
  int getExternalMIDIInDevice(const char* name);
  int getExternalMIDIOutDevice(const char* name);

  // "OFF" gives 0, "virtual input" / "virtual output" 1, a current system port its
  // port number + 1; -1 when absent or when the port object cannot be made.
  // threads: main
  int GetMIDIInPortNumber(const char* name);
  int GetMIDIOutPortNumber(const char* name);

  // Whether there is a MIDI system at all: false when no port object can be made
  // (no ALSA sequencer and no JACK server), so the lists can offer only "OFF".
  // threads: main
  bool SystemPresent();

  // Replaces the output by a virtual port named "From " + name. False after an error.
  // threads: main
  bool initializeVirtualOutput(std::string name);

  // The selections now in force (0 = closed).
  // threads: any
  int SelectedInput() const { return selectedIn_.load(); }
  int SelectedOutput() const { return selectedOut_.load(); }
  bool IsOutputOpen() const { return outputOpen_.load(); }
  // Which unit the output reaches: a new number at every output opened, except the
  // same port chosen again while it stayed connected (its unit never left), and at
  // every return of its connection from outside (see MidiOutputTransport::PortReturns:
  // what came back may be another unit). Never waits: while a send holds the output
  // the number may be a return behind, which a later call gives.
  // threads: any (render included)
  uint64_t OutputUnit();
  // True when the MIDI system behind an open port has gone away (the JACK server
  // stopped, or JACK dropped our client): the port is closed for good, and choosing it
  // again reaches the system anew once it is back.
  // threads: main
  bool SystemGone();
  // What is said of it: the gone port's MidiPortEndpoint::SystemGoneText; "" while
  // SystemGone is false.
  // threads: main
  std::string SystemGoneText();
  // Waits until every input port closed so far has finished closing.
  // threads: main (never under the plug-in mutex)
  void FinishClosingInputs();
  // Stops the input for good: no message is delivered once this returns, and a
  // delivery in flight has finished. Later input selections open nothing.
  // threads: main (never under the plug-in mutex: a handler in flight may wait for it)
  void ShutDownInput();

  // Input callback handed to the transport; `userData` is this object.
  // threads: midi-in
  static void MIDICallback(double deltaTime, std::vector<unsigned char>* message, void* userData);
  // Turns one message into an IMidiMsg (1-3 bytes) or ISysEx (4 or more) for the sink;
  // timing messages (0xF1, 0xF8) and active sensing (0xFE) are dropped.
  // threads: midi-in
  void processMIDIInput(double deltaTime, std::vector<unsigned char>* message, void* userData);

  // MIDI output, the one way to the unit. Each hands one whole message to the system
  // for the open output port: true when it was queued; false, sending nothing, when
  // no output is open, the message is empty or malformed, or the system refused it.
  // While the system's queue is full the send waits for room (kRoomPatienceMicros at
  // most, on the time source), so a burst is paced at what the system takes and
  // nothing is refused that a moment would have let through. A message queued may
  // still be lost on the way (JACK did not take it): it is then counted in
  // LostOutputMessages and printed. One lock serialises every send with opening and
  // closing the output; a send waiting for room does not hold it.
  // threads: main, midi-in, worker, tick-performer (never render: a send may wait)
  //
  // A channel message: status and data 1, then data 2 except for program change
  // and channel pressure. Any other status (system messages) is refused.
  bool SendMidiMsg(const IMidiMsg& msg);
  // SysEx bytes: wrapped in F0 ... F7 when the first byte is not F0, else as given.
  bool SendMidiSysex(const unsigned char* bytes, int length);
  // Bytes as given.
  bool SendPatchSysex(const unsigned char* bytes, int length);
  bool SendMidiSysex2(const std::vector<unsigned char>& bytes);
  // Bytes as given, only while the output reaches `unit` (OutputUnit). The send may
  // itself find the output's connection back (see PortReturns): the bytes then
  // reached the unit now there, whose number `unit` becomes.
  bool SendToUnit(const std::vector<unsigned char>& bytes, uint64_t& unit);
  // A send of `length` bytes would be taken now without waiting (also when no output
  // is open: it is refused at once). For a sender that paces itself.
  // threads: main, midi-in, worker, tick-performer (takes the output lock)
  bool OutputHasRoomFor(size_t length);
  // Bytes of the messages a send returned true for, since this object was made: what
  // the cable to the unit has carried or will (a pace reads how much a step sent).
  // threads: any
  uint64_t BytesSent() const { return bytesSent_.load(); }
  // Messages a send returned true for that were lost afterwards, since this
  // object was made.
  // threads: any (takes the output lock)
  uint64_t LostOutputMessages();
  // Of those, the ones that were not one-byte real-time messages (Clock, Start,
  // Stop, which the MIDI clock sends on its own thread beside everything else).
  // threads: any (takes the output lock)
  uint64_t LostOutputMessagesBesideRealTime();
  // True when every message sent so far has gone out or been counted lost.
  // threads: any (takes the output lock)
  bool OutputSettled();
  // The same for the messages that were not one-byte real-time messages: while the
  // clock runs, some Clock is always on its way.
  // threads: any (takes the output lock)
  bool OutputSettledBesideRealTime();

private:
  bool EnsureInput();
  bool EnsureOutput();
  // Lets go of an output whose system went away, keeping its lost count.
  // Under outputLock_.
  void DropGoneOutput();
  // Adds the output's lost counts to the earlier outputs' before it goes.
  // Under outputLock_.
  void KeepLostCounts();
  bool OpenInputNamed(const std::string& listedName);
  bool OpenOutputNamed(const std::string& listedName);
  // The open output reaches a port now.
  bool OutputConnected();
  // Counts the output's returns not counted yet into outputUnit_. Under outputLock_.
  void CountReturns();
  void RetireInput();
  void CloseOutput();
  // `unit`: sent only while the output reaches that unit (null for any), which is
  // then the unit reached.
  bool SendBytes(const std::vector<unsigned char>& bytes, uint64_t* unit = nullptr);

  IMidiPortsSink* sink_;
  std::shared_ptr<MidiTransportFactory> transports_;
  std::unique_ptr<MidiPortCloser> closer_;

  IMidiPortNames inNames_;
  IMidiPortNames outNames_;
  // Entries of each list that named ports there at its last building; the rest are gone.
  int inPresent_ = 0;
  int outPresent_ = 0;
  std::unique_ptr<MidiInputTransport> input_;
  std::unique_ptr<MidiOutputTransport> output_;  // guarded by outputLock_
  std::mutex outputLock_;
  uint64_t lostByEarlierOutputs_ = 0;                // guarded by outputLock_
  uint64_t lostBesideRealTimeByEarlierOutputs_ = 0;  // guarded by outputLock_
  std::atomic<int> selectedIn_{0};
  std::atomic<int> selectedOut_{0};
  std::atomic<bool> outputOpen_{false};
  std::atomic<uint64_t> outputUnit_{0};  // changed under outputLock_
  std::atomic<uint64_t> bytesSent_{0};   // added to under outputLock_
  uint64_t returnsCounted_ = 0;          // output_'s PortReturns in outputUnit_; guarded by outputLock_
  bool inputShutDown_ = false;           // main thread only
};
