#include "JackStaller.h"

#include <jack/midiport.h>

#include <thread>

bool JackStaller::Open(const std::string& intoPort, unsigned every, std::chrono::milliseconds stall) {
  every_ = every;
  stall_ = stall;
  jack_status_t status;
  client_ = jack_client_open("staller", JackNoStartServer, &status);
  if (!client_) return false;
  port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  return port_ && jack_set_process_callback(client_, &JackStaller::OnProcess, this) == 0 &&
         jack_set_xrun_callback(client_, &JackStaller::OnXrun, this) == 0 && jack_activate(client_) == 0 &&
         jack_connect(client_, jack_port_name(port_), intoPort.c_str()) == 0;
}

JackStaller::~JackStaller() {
  if (!client_) return;
  jack_deactivate(client_);
  jack_client_close(client_);
}

int JackStaller::OnProcess(jack_nframes_t frames, void* self) {
  auto* staller = static_cast<JackStaller*>(self);
  jack_midi_clear_buffer(jack_port_get_buffer(staller->port_, frames));
  const unsigned every = staller->every_.load();
  if (every != 0 && ++staller->cycles_ % every == 0) {
    staller->stalling_.store(true);
    staller->stalls_.fetch_add(1);
    std::this_thread::sleep_for(staller->stall_);
    staller->stalling_.store(false);
  }
  return 0;
}

bool JackStaller::StopStalling() {
  every_.store(0);
  // A stall ends after stall_; the rest is room for a loaded machine.
  const auto giveUp = std::chrono::steady_clock::now() + stall_ + std::chrono::seconds(30);
  while (stalling_.load()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

int JackStaller::OnXrun(void* self) {
  static_cast<JackStaller*>(self)->xruns_.fetch_add(1);
  return 0;
}
