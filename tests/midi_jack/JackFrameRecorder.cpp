#include "JackFrameRecorder.h"

#include <jack/midiport.h>

bool JackFrameRecorder::Open() {
  jack_status_t status;
  client_ = jack_client_open("recorder", JackNoStartServer, &status);
  if (!client_) return false;
  port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  return port_ && jack_set_process_callback(client_, &JackFrameRecorder::OnProcess, this) == 0 &&
         jack_set_xrun_callback(client_, &JackFrameRecorder::OnXrun, this) == 0 && jack_activate(client_) == 0;
}

JackFrameRecorder::~JackFrameRecorder() {
  if (!client_) return;
  jack_deactivate(client_);
  jack_client_close(client_);
}

std::vector<jack_nframes_t> JackFrameRecorder::Arrivals() const {
  return std::vector<jack_nframes_t>(arrivals_.begin(), arrivals_.begin() + count_.load());
}

int JackFrameRecorder::OnProcess(jack_nframes_t frames, void* self) {
  auto* recorder = static_cast<JackFrameRecorder*>(self);
  void* buffer = jack_port_get_buffer(recorder->port_, frames);
  const jack_nframes_t start = jack_last_frame_time(recorder->client_);
  size_t count = recorder->count_.load();
  const jack_nframes_t events = jack_midi_get_event_count(buffer);
  for (jack_nframes_t i = 0; i < events && count < kMaxArrivals; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) == 0) recorder->arrivals_[count++] = start + event.time;
  }
  recorder->count_.store(count);
  return 0;
}

int JackFrameRecorder::OnXrun(void* self) {
  static_cast<JackFrameRecorder*>(self)->xruns_.fetch_add(1);
  return 0;
}
