#pragma once
// A transport whose port operations are all those of one object doing the port
// work (a guarded RtMidi object, a JACK client of ours), for inputs and outputs.

#include <string>

template <typename Transport, typename Ports>
class MidiPortEndpointOn : public Transport {
public:
  unsigned PortCount() override { return PortAccess().PortCount(); }
  bool PortName(unsigned port, std::string& name) override { return PortAccess().PortName(port, name); }
  bool OpenPort(unsigned port, const std::string& portName) override { return PortAccess().OpenPort(port, portName); }
  bool OpenVirtualPort(const std::string& portName) override { return PortAccess().OpenVirtualPort(portName); }
  void ClosePort() override { PortAccess().ClosePort(); }
  bool IsPortOpen() override { return PortAccess().IsPortOpen(); }

protected:
  // The object doing the port work; it lives as long as the transport.
  virtual Ports& PortAccess() = 0;
};
