#pragma once
// What our JACK input and output share: a JACK client of their own does all the
// port work, and its cycles call back into them.

#include <memory>
#include <string>

#include "MidiTransport/MidiPortEndpointOn.h"
#include "MidiTransport/MidiPortJackClient.h"

template <typename Transport>
class MidiPortJackEndpoint : public MidiPortEndpointOn<Transport, MidiPortJackClient> {
public:
  bool SystemGone() override { return client_->ServerGone(); }
  std::string SystemGoneText() override { return MidiPortJackClient::GoneText(); }
  void ListPortsAnew() override { client_->ListPortsAnew(); }

protected:
  // `endpoint` on a new client whose cycles call `process` with it; null when no
  // JACK server answers (none is ever started for us).
  template <typename Endpoint>
  static std::unique_ptr<Endpoint> OnNewClient(std::unique_ptr<Endpoint> endpoint, const std::string& clientName,
                                               MidiPortJackClient::Direction direction,
                                               MidiPortJackClient::Process process) {
    endpoint->client_ = MidiPortJackClient::Open(clientName, direction, process, endpoint.get());
    return endpoint->client_ ? std::move(endpoint) : nullptr;
  }

  MidiPortJackClient& PortAccess() override { return *client_; }

  // Cycles use the derived object's members: its destructor resets this first.
  MidiPortJackClient::Owned client_;
};
