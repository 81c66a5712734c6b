#include "Framework/IMidiPorts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Framework/IMidiMsg.h"
#include "Framework/MidiPortCloser.h"
#include "Framework/MidiPortNameMatch.h"
#include "Kit_TimeSource.h"
#include "MidiTransport/MidiPortSystem.h"

namespace {

template <typename Endpoint>
IMidiPortNames CurrentPortNames(Endpoint& endpoint) {
  IMidiPortNames names;
  const unsigned count = endpoint.PortCount();
  for (unsigned port = 0; port < count; ++port) {
    std::string name;
    endpoint.PortName(port, name);  // a failed read leaves an empty name in its place
    names.push_back(name);
  }
  return names;
}

template <typename Endpoint>
void BuildNameList(IMidiPortNames& list, Endpoint* endpoint) {
  list.push_back(IMidiPorts::kOffName);
  if (!endpoint) return;
  for (const std::string& name : CurrentPortNames(*endpoint)) list.push_back(name);
}

// Builds `list` anew from the ports `endpoint` offers now. The names at entries `chosen`
// and `inForce` stay listed, appended when gone, and both entries move to their names'
// new places. Returns how many entries name ports there now, "OFF" included.
template <typename Endpoint>
int ListAnew(IMidiPortNames& list, Endpoint* endpoint, int& chosen, std::atomic<int>& inForce) {
  if (endpoint) endpoint->ListPortsAnew();
  IMidiPortNames fresh;
  BuildNameList(fresh, endpoint);
  const int present = int(fresh.size());
  const auto moved = [&list, &fresh](int entry) {
    if (entry <= 0 || size_t(entry) >= list.size()) return 0;
    const std::string& name = list[size_t(entry)];
    auto at = std::find(fresh.begin() + 1, fresh.end(), name);
    if (at == fresh.end()) at = fresh.insert(fresh.end(), name);
    return int(at - fresh.begin());
  };
  chosen = moved(chosen);
  inForce.store(moved(inForce.load()));
  list.swap(fresh);
  return present;
}

// Every port chosen that does not open says so, and why, on the log: the panel's
// line may say something else a moment later.
void SayNotOpened(const char* which, const std::string& name, const char* why) {
  std::fprintf(stderr, "MIDI: %s '%s' not opened: %s\n", which, name.c_str(), why);
}

// Looks the listed name up among the current ports and opens it; `endpoint` null
// when the MIDI system gave none, for the reason `unavailable`.
template <typename Endpoint>
bool OpenByName(Endpoint* endpoint, const std::string& listedName, const char* portName, const char* which,
                const char* unavailable) {
  if (!endpoint) {
    SayNotOpened(which, listedName, unavailable);
    return false;
  }
  // A port that appeared a moment ago may not have been told of yet.
  endpoint->ListPortsAnew();
  const int port = MidiPortFindName(CurrentPortNames(*endpoint), listedName, IMidiPorts::kStoredNameLength);
  if (port < 0) {
    SayNotOpened(which, listedName, "not among the system's ports now");
    return false;
  }
  if (endpoint->OpenPort(static_cast<unsigned>(port), portName)) return true;
  SayNotOpened(which, listedName, "the MIDI system refused it");
  return false;
}

// The position in the name list of a selection asked for by list index and
// stored name; 0 (off) when it asks for none.
int SelectedPosition(int index, const IMidiPortNames& names, const char* name) {
  if (index == 0 || names.empty() || !name) return 0;
  return MidiPortFindName(names, name, IMidiPorts::kStoredNameLength);
}

int PositionIn(const IMidiPortNames& names, const char* name) {
  if (!name) return -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

template <typename Endpoint>
int PortNumberOf(Endpoint* endpoint, const char* name, const char* virtualName) {
  if (!name) return -1;
  if (std::strcmp(name, IMidiPorts::kOffName) == 0) return 0;
  if (std::strcmp(name, virtualName) == 0) return 1;
  if (!endpoint) return -1;
  int port = PositionIn(CurrentPortNames(*endpoint), name);
  // Only a port missing asks the system itself: it may have appeared a moment ago.
  if (port < 0) {
    endpoint->ListPortsAnew();
    port = PositionIn(CurrentPortNames(*endpoint), name);
  }
  return port < 0 ? -1 : port + 1;
}

// Bytes of a channel message (status 0x80-0xEF): program change and channel
// pressure carry one data byte, the others two.
int ChannelMessageLength(uint8_t status) { return status >= 0xC0 && status < 0xE0 ? 2 : 3; }

// The input never takes timing (MIDI time code, clock) or active sensing, whatever
// the transport lets through.
bool IsTimingOrSensing(uint8_t status) { return status == 0xF1 || status == 0xF8 || status == 0xFE; }

}  // namespace

IMidiPorts::IMidiPorts(IMidiPortsSink* sink, std::shared_ptr<MidiTransportFactory> transports)
    : sink_(sink),
      transports_(transports ? std::move(transports) : MidiSystemTransports()),
      closer_(new MidiPortCloser) {}

IMidiPorts::~IMidiPorts() {
  CloseOutput();
  {
    std::lock_guard<std::mutex> hold(outputLock_);
    output_.reset();
  }
  ShutDownInput();
  closer_.reset();
}

// ---- name lists

bool IMidiPorts::EnsureInput() {
  // An input whose system went away is replaced: the system may be back.
  if (input_ && input_->SystemGone()) closer_->Retire(std::move(input_));
  if (!input_ && !inputShutDown_) {
    input_ = transports_->CreateInput(kInputClientName, kInputQueueSizeLimit);
    if (input_) input_->SetCallback(&IMidiPorts::MIDICallback, this);
  }
  return input_ != nullptr;
}

void IMidiPorts::DropGoneOutput() {
  if (!output_ || !output_->SystemGone()) return;
  KeepLostCounts();
  output_.reset();
  returnsCounted_ = 0;
}

bool IMidiPorts::EnsureOutput() {
  // An output whose system went away is replaced: the system may be back.
  DropGoneOutput();
  if (!output_) output_ = transports_->CreateOutput(kOutputClientName);
  return output_ != nullptr;
}

const IMidiPortNames* IMidiPorts::getExternalMIDIInNames() {
  if (inNames_.empty()) {
    selectedIn_.store(0);
    EnsureInput();
    BuildNameList(inNames_, input_.get());
    inPresent_ = int(inNames_.size());
  }
  return &inNames_;
}

const IMidiPortNames* IMidiPorts::getExternalMIDIOutNames() {
  if (outNames_.empty()) {
    std::lock_guard<std::mutex> hold(outputLock_);
    selectedOut_.store(0);
    EnsureOutput();
    BuildNameList(outNames_, output_.get());
    outPresent_ = int(outNames_.size());
  }
  return &outNames_;
}

void IMidiPorts::relistExternalMIDINames(bool input, int& chosen) {
  if (input) {
    EnsureInput();
    inPresent_ = ListAnew(inNames_, input_.get(), chosen, selectedIn_);
    return;
  }
  std::lock_guard<std::mutex> hold(outputLock_);
  EnsureOutput();
  outPresent_ = ListAnew(outNames_, output_.get(), chosen, selectedOut_);
}

bool IMidiPorts::isExternalMIDIGone(bool input, int entry) const {
  const IMidiPortNames& names = input ? inNames_ : outNames_;
  return entry >= (input ? inPresent_ : outPresent_) && size_t(entry) < names.size();
}

int IMidiPorts::getExternalMIDIInDevice(const char* name) { return PositionIn(inNames_, name); }
int IMidiPorts::getExternalMIDIOutDevice(const char* name) { return PositionIn(outNames_, name); }

int IMidiPorts::GetMIDIInPortNumber(const char* name) {
  EnsureInput();
  return PortNumberOf(input_.get(), name, "virtual input");
}

int IMidiPorts::GetMIDIOutPortNumber(const char* name) {
  std::lock_guard<std::mutex> hold(outputLock_);
  EnsureOutput();
  return PortNumberOf(output_.get(), name, "virtual output");
}

bool IMidiPorts::SystemPresent() {
  std::lock_guard<std::mutex> hold(outputLock_);
  return EnsureOutput();
}

// ---- selection

void IMidiPorts::RetireInput() {
  selectedIn_.store(0);
  if (input_ && (input_->IsPortOpen() || input_->SystemGone())) closer_->Retire(std::move(input_));
}

void IMidiPorts::FinishClosingInputs() { closer_->Finish(); }

std::string IMidiPorts::SystemGoneText() {
  {
    std::lock_guard<std::mutex> hold(outputLock_);
    if (outputOpen_.load() && output_ && output_->SystemGone()) return output_->SystemGoneText();
  }
  return selectedIn_.load() > 0 && input_ && input_->SystemGone() ? input_->SystemGoneText() : std::string();
}

bool IMidiPorts::SystemGone() { return !SystemGoneText().empty(); }

void IMidiPorts::ShutDownInput() {
  inputShutDown_ = true;
  selectedIn_.store(0);
  if (input_) input_->StopDelivery();
  // A transport's destructor waits for its midi-in thread, so for a callback in flight.
  input_.reset();
  closer_->Finish();
}

bool IMidiPorts::OpenInputNamed(const std::string& listedName) {
  if (inputShutDown_) return false;
  EnsureInput();
  if (!OpenByName(input_.get(), listedName, kInputPortName, "MIDI In", transports_->Unavailable())) return false;
  // Installed again after every open, as some systems forget it with the port.
  return input_->SetCallback(&IMidiPorts::MIDICallback, this);
}

int IMidiPorts::setExternalMIDIIn(int& index, const char* name) {
  RetireInput();
  const int position = SelectedPosition(index, inNames_, name);
  index = (position > 0 && OpenInputNamed(inNames_[position])) ? position : 0;
  if (index == 0) RetireInput();  // an open that half-succeeded is undone
  selectedIn_.store(index);
  return index;
}

void IMidiPorts::CloseOutput() {
  std::lock_guard<std::mutex> hold(outputLock_);
  if (output_) output_->ClosePort();
  DropGoneOutput();
  outputOpen_.store(false);
  selectedOut_.store(0);
}

bool IMidiPorts::OpenOutputNamed(const std::string& listedName) {
  std::lock_guard<std::mutex> hold(outputLock_);
  EnsureOutput();
  const bool opened = OpenByName(output_.get(), listedName, kOutputPortName, "MIDI Out", transports_->Unavailable());
  outputOpen_.store(opened);
  return opened;
}

bool IMidiPorts::OutputConnected() {
  std::lock_guard<std::mutex> hold(outputLock_);
  return output_ && outputOpen_.load() && output_->PortConnected();
}

int IMidiPorts::setExternalMIDIOut(int& index, const char* name) {
  const int position = SelectedPosition(index, outNames_, name);
  const bool sameUnit = position > 0 && position == selectedOut_.load() && OutputConnected();
  CloseOutput();
  // Changed before the port opens, under the lock a send holds: an edge meant for the
  // unit before never reaches the one the port reaches now.
  if (!sameUnit) {
    std::lock_guard<std::mutex> hold(outputLock_);
    outputUnit_.fetch_add(1);
  }
  index = (position > 0 && OpenOutputNamed(outNames_[position])) ? position : 0;
  selectedOut_.store(index);
  return index;
}

void IMidiPorts::CountReturns() {
  const uint64_t returns = output_ ? output_->PortReturns() : 0;
  outputUnit_.fetch_add(returns - returnsCounted_);
  returnsCounted_ = returns;
}

uint64_t IMidiPorts::OutputUnit() {
  std::unique_lock<std::mutex> hold(outputLock_, std::try_to_lock);
  if (hold.owns_lock()) CountReturns();
  return outputUnit_.load();
}

bool IMidiPorts::initializeVirtualOutput(std::string name) {
  CloseOutput();
  std::lock_guard<std::mutex> hold(outputLock_);
  if (output_) KeepLostCounts();
  outputUnit_.fetch_add(1);
  output_ = transports_->CreateOutput(kOutputClientName);
  returnsCounted_ = 0;
  const bool opened = output_ && output_->OpenVirtualPort("From " + name);
  outputOpen_.store(opened);
  return opened;
}

// ---- input

void IMidiPorts::MIDICallback(double deltaTime, std::vector<unsigned char>* message, void* userData) {
  if (userData) static_cast<IMidiPorts*>(userData)->processMIDIInput(deltaTime, message, userData);
}

void IMidiPorts::processMIDIInput(double, std::vector<unsigned char>* message, void* userData) {
  if (!userData || !message || !sink_) return;
  const size_t n = message->size();
  if (n == 0 || IsTimingOrSensing((*message)[0])) return;
  if (n <= 3) {
    IMidiMsg msg(0, (*message)[0], n > 1 ? (*message)[1] : 0, n > 2 ? (*message)[2] : 0);
    sink_->MidiFromDevice(&msg);
    return;
  }
  // The record lends the bytes for the call only, as the sink expects.
  ISysEx sysex(0, message->data(), static_cast<int32_t>(n));
  sink_->SysExFromDevice(&sysex);
}

// ---- output

bool IMidiPorts::SendBytes(const std::vector<unsigned char>& bytes, uint64_t* unit) {
  if (bytes.empty()) return false;
  Kit_TimeSource& time = Kit_Time();
  const uint64_t giveUp = time.NowMicros() + kRoomPatienceMicros;
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(outputLock_);
      if (unit) {
        CountReturns();
        if (*unit != outputUnit_.load()) return false;
      }
      if (!output_ || !outputOpen_.load()) return false;
      // A full queue paces its senders: the message waits (the lock let go) for the
      // system to take what is ahead of it, rather than being refused and lost.
      if (output_->HasRoomFor(bytes.size()) || time.NowMicros() >= giveUp) {
        if (!output_->SendMessage(bytes)) return false;
        bytesSent_.fetch_add(bytes.size());
        if (unit) {
          CountReturns();
          *unit = outputUnit_.load();
        }
        return true;
      }
    }
    time.SleepMicros(kRoomStepMicros);
  }
}

bool IMidiPorts::OutputHasRoomFor(size_t length) {
  std::lock_guard<std::mutex> hold(outputLock_);
  return !output_ || !outputOpen_.load() || output_->HasRoomFor(length);
}

bool IMidiPorts::SendMidiMsg(const IMidiMsg& msg) {
  // Only channel messages: a system status here (0xFF is System Reset) is a mistake.
  if (msg.mStatus < 0x80 || msg.mStatus >= 0xF0) return false;
  const int length = ChannelMessageLength(msg.mStatus);
  const uint8_t data[2] = {msg.mData1, msg.mData2};
  std::vector<unsigned char> bytes{msg.mStatus};
  for (int i = 0; i + 1 < length; ++i) {
    if (data[i] > 0x7F) return false;  // would be read as a status byte
    bytes.push_back(data[i]);
  }
  return SendBytes(bytes);
}

bool IMidiPorts::SendMidiSysex(const unsigned char* bytes, int length) {
  if (!bytes || length <= 0) return false;
  if (bytes[0] == 0xF0) return length > 1 && SendBytes(std::vector<unsigned char>(bytes, bytes + length));
  std::vector<unsigned char> framed;
  framed.reserve(length + 2);
  framed.push_back(0xF0);
  framed.insert(framed.end(), bytes, bytes + length);
  framed.push_back(0xF7);
  return SendBytes(framed);
}

bool IMidiPorts::SendPatchSysex(const unsigned char* bytes, int length) {
  if (!bytes || length <= 0) return false;
  return SendBytes(std::vector<unsigned char>(bytes, bytes + length));
}

bool IMidiPorts::SendMidiSysex2(const std::vector<unsigned char>& bytes) { return SendBytes(bytes); }

bool IMidiPorts::SendToUnit(const std::vector<unsigned char>& bytes, uint64_t& unit) { return SendBytes(bytes, &unit); }

uint64_t IMidiPorts::LostOutputMessages() {
  std::lock_guard<std::mutex> hold(outputLock_);
  return lostByEarlierOutputs_ + (output_ ? output_->LostMessages() : 0);
}

uint64_t IMidiPorts::LostOutputMessagesBesideRealTime() {
  std::lock_guard<std::mutex> hold(outputLock_);
  return lostBesideRealTimeByEarlierOutputs_ + (output_ ? output_->LostMessagesBesideRealTime() : 0);
}

void IMidiPorts::KeepLostCounts() {
  lostByEarlierOutputs_ += output_->LostMessages();
  lostBesideRealTimeByEarlierOutputs_ += output_->LostMessagesBesideRealTime();
}

bool IMidiPorts::OutputSettled() {
  std::lock_guard<std::mutex> hold(outputLock_);
  return !output_ || output_->AllSettled();
}

bool IMidiPorts::OutputSettledBesideRealTime() {
  std::lock_guard<std::mutex> hold(outputLock_);
  return !output_ || output_->AllSettledBesideRealTime();
}
