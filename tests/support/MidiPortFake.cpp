#include "MidiPortFake.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

#include "Kit_TimeSource.h"
#include "MidiTransport/MidiPortDelivery.h"

namespace {

// The part of an input that deliveries reach; shared so a delivery in flight
// never touches a destroyed transport.
struct FakeReceiver {
  MidiPortDelivery delivery;
  std::mutex lock;
  std::condition_variable idle;
  int inFlight = 0;

  void Receive(const MidiPortFake::Message& message) {
    {
      std::lock_guard<std::mutex> hold(lock);
      ++inFlight;
    }
    std::vector<unsigned char> copy(message);
    delivery.Deliver(0.0, &copy);
    std::lock_guard<std::mutex> hold(lock);
    if (--inFlight == 0) idle.notify_all();
  }
  // Call after delivery.Stop(): returns once no callback runs.
  void WaitUntilIdle() {
    std::unique_lock<std::mutex> hold(lock);
    idle.wait(hold, [&] { return inFlight == 0; });
  }
};

struct FakePort {
  std::string name;
  bool readable = false;
  bool openFails = false;
  bool nameFails = false;
  size_t opens = 0;
  std::vector<MidiPortFake::Message> sent;
  // LimitRoom: 0 = unlimited.
  size_t room = 0;
  size_t perMilli = 0;
  size_t waiting = 0;         // taken, not on their way yet
  uint64_t drainedUntil = 0;  // time source, micros

  bool HasRoom() {
    if (room == 0) return true;
    const uint64_t now = Kit_Time().NowMicros();
    const uint64_t millis = (now - drainedUntil) / 1000;
    waiting -= std::min<uint64_t>(waiting, millis * perMilli);
    drainedUntil += millis * 1000;
    return waiting < room;
  }
  // Set for a virtual input of ours: what is written to this port goes there.
  std::shared_ptr<FakeReceiver> virtualReceiver;
  // Set for a virtual output of ours.
  const void* virtualOwner = nullptr;
};

}  // namespace

struct MidiPortFake::Hub {
  mutable std::mutex lock;
  bool unavailable = false;
  std::vector<FakePort> ports;
  // Which port each of our open endpoints is on.
  std::vector<std::pair<const void*, std::string>> openInputs;
  std::vector<std::pair<const void*, std::string>> openOutputs;
  std::vector<std::pair<const void*, std::shared_ptr<FakeReceiver>>> receivers;
  std::map<const void*, uint64_t> outputReturns;
  std::set<std::string> returnOnSend;  // ReconnectFoundBySend
  size_t closesWaiting = 0;

  FakePort* Find(const std::string& name) {
    for (FakePort& port : ports) {
      if (port.name == name) return &port;
    }
    return nullptr;
  }
  std::vector<FakePort*> Listed(bool readable) {
    std::vector<FakePort*> listed;
    for (FakePort& port : ports) {
      if (port.readable == readable) listed.push_back(&port);
    }
    return listed;
  }
  static void Forget(std::vector<std::pair<const void*, std::string>>& open, const void* endpoint) {
    open.erase(std::remove_if(open.begin(), open.end(), [&](const auto& e) { return e.first == endpoint; }),
               open.end());
  }
  void RemoveVirtualPortsOf(const void* endpoint) {
    ports.erase(
        std::remove_if(ports.begin(), ports.end(), [&](const FakePort& p) { return p.virtualOwner == endpoint; }),
        ports.end());
  }
};

namespace {

// What inputs and outputs share: listing, opening and closing on the hub.
template <typename Base>
class FakeEndpoint : public Base {
public:
  FakeEndpoint(std::shared_ptr<MidiPortFake::Hub> hub, std::string clientName, bool readsFromSystem)
      : hub_(std::move(hub)), clientName_(std::move(clientName)), readsFromSystem_(readsFromSystem) {}

  unsigned PortCount() override {
    std::lock_guard<std::mutex> hold(hub_->lock);
    return static_cast<unsigned>(hub_->Listed(readsFromSystem_).size());
  }

  bool PortName(unsigned port, std::string& name) override {
    std::lock_guard<std::mutex> hold(hub_->lock);
    const auto listed = hub_->Listed(readsFromSystem_);
    name.clear();
    if (port >= listed.size() || listed[port]->nameFails) return false;
    name = listed[port]->name;
    return true;
  }

  bool OpenPort(unsigned port, const std::string&) override {
    ClosePort();
    std::lock_guard<std::mutex> hold(hub_->lock);
    const auto listed = hub_->Listed(readsFromSystem_);
    if (port >= listed.size() || listed[port]->openFails) return false;
    listed[port]->opens++;
    OpenList().emplace_back(this, listed[port]->name);
    return true;
  }

  void ClosePort() override {
    std::lock_guard<std::mutex> hold(hub_->lock);
    MidiPortFake::Hub::Forget(OpenList(), this);
    hub_->RemoveVirtualPortsOf(this);
  }

  bool IsPortOpen() override {
    std::lock_guard<std::mutex> hold(hub_->lock);
    for (const auto& entry : OpenList()) {
      if (entry.first == this) return true;
    }
    for (const FakePort& port : hub_->ports) {
      if (port.virtualOwner == this) return true;
    }
    return false;
  }

protected:
  std::vector<std::pair<const void*, std::string>>& OpenList() {
    return readsFromSystem_ ? hub_->openInputs : hub_->openOutputs;
  }
  // Adds a system port of the other kind, owned by this endpoint.
  FakePort* AddVirtualPort(const std::string& portName) {
    FakePort port;
    port.name = clientName_ + ":" + portName;
    port.readable = !readsFromSystem_;
    port.virtualOwner = this;
    if (hub_->Find(port.name)) return nullptr;
    hub_->ports.push_back(port);
    return &hub_->ports.back();
  }

  std::shared_ptr<MidiPortFake::Hub> hub_;
  std::string clientName_;
  bool readsFromSystem_;
};

class FakeInput : public FakeEndpoint<MidiInputTransport> {
public:
  FakeInput(std::shared_ptr<MidiPortFake::Hub> hub, std::string clientName)
      : FakeEndpoint(std::move(hub), std::move(clientName), true), receiver_(std::make_shared<FakeReceiver>()) {
    std::lock_guard<std::mutex> hold(hub_->lock);
    hub_->receivers.emplace_back(this, receiver_);
  }
  ~FakeInput() override {
    StopDelivery();
    {
      std::lock_guard<std::mutex> hold(hub_->lock);
      ++hub_->closesWaiting;
    }
    receiver_->WaitUntilIdle();
    {
      std::lock_guard<std::mutex> hold(hub_->lock);
      --hub_->closesWaiting;
    }
    ClosePort();
    std::lock_guard<std::mutex> hold(hub_->lock);
    auto& all = hub_->receivers;
    all.erase(std::remove_if(all.begin(), all.end(), [&](const auto& e) { return e.first == this; }), all.end());
  }

  bool OpenVirtualPort(const std::string& portName) override {
    ClosePort();
    std::lock_guard<std::mutex> hold(hub_->lock);
    FakePort* port = AddVirtualPort(portName);
    if (port) port->virtualReceiver = receiver_;
    return port != nullptr;
  }
  bool SetCallback(MidiInputCallback callback, void* userData) override {
    receiver_->delivery.Start(callback, userData);
    return true;
  }
  void StopDelivery() override { receiver_->delivery.Stop(); }

private:
  std::shared_ptr<FakeReceiver> receiver_;
};

class FakeOutput : public FakeEndpoint<MidiOutputTransport> {
public:
  FakeOutput(std::shared_ptr<MidiPortFake::Hub> hub, std::string clientName)
      : FakeEndpoint(std::move(hub), std::move(clientName), false) {}
  ~FakeOutput() override {
    ClosePort();
    std::lock_guard<std::mutex> hold(hub_->lock);
    hub_->outputReturns.erase(this);
  }

  uint64_t PortReturns() override {
    std::lock_guard<std::mutex> hold(hub_->lock);
    const auto returns = hub_->outputReturns.find(this);
    return returns == hub_->outputReturns.end() ? 0 : returns->second;
  }

  bool OpenVirtualPort(const std::string& portName) override {
    ClosePort();
    std::lock_guard<std::mutex> hold(hub_->lock);
    return AddVirtualPort(portName) != nullptr;
  }

  bool HasRoomFor(size_t) override {
    std::lock_guard<std::mutex> hold(hub_->lock);
    FakePort* port = hub_->Find(Target());
    return !port || port->HasRoom();
  }

  bool SendMessage(const std::vector<unsigned char>& bytes) override {
    if (bytes.empty()) return false;
    std::vector<std::shared_ptr<FakeReceiver>> readers;
    {
      std::lock_guard<std::mutex> hold(hub_->lock);
      const std::string target = Target();
      if (hub_->returnOnSend.erase(target)) ++hub_->outputReturns[this];
      FakePort* virtualPort = nullptr;
      for (FakePort& port : hub_->ports) {
        if (port.virtualOwner == this) virtualPort = &port;
      }
      if (virtualPort) {
        // Our virtual output: every input open on it reads the message.
        for (const auto& entry : hub_->openInputs) {
          if (entry.second != virtualPort->name) continue;
          for (const auto& receiver : hub_->receivers) {
            if (receiver.first == entry.first) readers.push_back(receiver.second);
          }
        }
      } else if (FakePort* port = target.empty() ? nullptr : hub_->Find(target)) {
        if (!port->HasRoom()) return false;
        if (port->room != 0) ++port->waiting;
        if (port->virtualReceiver) {
          readers.push_back(port->virtualReceiver);
        } else {
          port->sent.push_back(bytes);
        }
      } else {
        return false;
      }
    }
    for (const auto& reader : readers) reader->Receive(bytes);
    return true;
  }

private:
  // The port this output is open on; under hub_->lock.
  std::string Target() const {
    std::string target;
    for (const auto& entry : hub_->openOutputs) {
      if (entry.first == this) target = entry.second;
    }
    return target;
  }
};

}  // namespace

MidiPortFake::MidiPortFake() : hub_(std::make_shared<Hub>()) {}
MidiPortFake::~MidiPortFake() = default;

std::unique_ptr<MidiInputTransport> MidiPortFake::CreateInput(const std::string& clientName, unsigned) {
  {
    std::lock_guard<std::mutex> hold(hub_->lock);
    if (hub_->unavailable) return nullptr;
  }
  return std::make_unique<FakeInput>(hub_, clientName);
}

std::unique_ptr<MidiOutputTransport> MidiPortFake::CreateOutput(const std::string& clientName) {
  {
    std::lock_guard<std::mutex> hold(hub_->lock);
    if (hub_->unavailable) return nullptr;
  }
  return std::make_unique<FakeOutput>(hub_, clientName);
}

void MidiPortFake::AddReadablePort(const std::string& name) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  FakePort port;
  port.name = name;
  port.readable = true;
  hub_->ports.push_back(port);
}

void MidiPortFake::AddWritablePort(const std::string& name) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  FakePort port;
  port.name = name;
  hub_->ports.push_back(port);
}

void MidiPortFake::RemovePort(const std::string& name) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  auto& ports = hub_->ports;
  ports.erase(std::remove_if(ports.begin(), ports.end(), [&](const FakePort& p) { return p.name == name; }),
              ports.end());
  for (auto* open : {&hub_->openInputs, &hub_->openOutputs}) {
    open->erase(std::remove_if(open->begin(), open->end(), [&](const auto& e) { return e.second == name; }),
                open->end());
  }
}

void MidiPortFake::Reconnect(const std::string& name) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  for (const auto& open : hub_->openOutputs)
    if (open.second == name) ++hub_->outputReturns[open.first];
}

void MidiPortFake::ReconnectFoundBySend(const std::string& name) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  hub_->returnOnSend.insert(name);
}

void MidiPortFake::LimitRoom(const std::string& name, size_t room, size_t perMilli) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  if (FakePort* port = hub_->Find(name)) {
    port->room = room;
    port->perMilli = perMilli;
    port->waiting = 0;
    port->drainedUntil = Kit_Time().NowMicros();
  }
}

void MidiPortFake::SetUnavailable(bool unavailable) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  hub_->unavailable = unavailable;
}

void MidiPortFake::SetOpenFails(const std::string& name, bool fails) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  if (FakePort* port = hub_->Find(name)) port->openFails = fails;
}

void MidiPortFake::SetNameFails(const std::string& name, bool fails) {
  std::lock_guard<std::mutex> hold(hub_->lock);
  if (FakePort* port = hub_->Find(name)) port->nameFails = fails;
}

size_t MidiPortFake::Deliver(const std::string& name, const Message& message) {
  std::vector<std::shared_ptr<FakeReceiver>> readers;
  {
    std::lock_guard<std::mutex> hold(hub_->lock);
    for (const auto& entry : hub_->openInputs) {
      if (entry.second != name) continue;
      for (const auto& receiver : hub_->receivers) {
        if (receiver.first == entry.first) readers.push_back(receiver.second);
      }
    }
  }
  for (const auto& reader : readers) reader->Receive(message);
  return readers.size();
}

std::vector<MidiPortFake::Message> MidiPortFake::Sent(const std::string& name) const {
  std::lock_guard<std::mutex> hold(hub_->lock);
  const FakePort* port = hub_->Find(name);
  return port ? port->sent : std::vector<Message>();
}

size_t MidiPortFake::InputsOpenOn(const std::string& name) const {
  std::lock_guard<std::mutex> hold(hub_->lock);
  return std::count_if(hub_->openInputs.begin(), hub_->openInputs.end(),
                       [&](const auto& e) { return e.second == name; });
}

size_t MidiPortFake::OutputsOpenOn(const std::string& name) const {
  std::lock_guard<std::mutex> hold(hub_->lock);
  return std::count_if(hub_->openOutputs.begin(), hub_->openOutputs.end(),
                       [&](const auto& e) { return e.second == name; });
}

size_t MidiPortFake::ClosesWaiting() const {
  std::lock_guard<std::mutex> hold(hub_->lock);
  return hub_->closesWaiting;
}

size_t MidiPortFake::OpenCount(const std::string& name) const {
  std::lock_guard<std::mutex> hold(hub_->lock);
  const FakePort* port = hub_->Find(name);
  return port ? port->opens : 0;
}
