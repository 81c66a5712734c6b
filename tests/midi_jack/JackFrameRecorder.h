#pragma once
// A JACK client of the test's own whose MIDI input records the server frame at
// which each event arrives, and which reads the server's frame clock. It also
// counts the xruns the server reports.

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <string>
#include <vector>

class JackFrameRecorder {
public:
  // False when no server answers.
  bool Open();
  ~JackFrameRecorder();
  std::string PortName() const { return jack_port_name(port_); }
  jack_nframes_t Now() const { return jack_frame_time(client_); }
  jack_nframes_t PeriodFrames() const { return jack_get_buffer_size(client_); }
  // Arrival frames so far, in arrival order (the first kMaxArrivals).
  std::vector<jack_nframes_t> Arrivals() const;
  unsigned Xruns() const { return xruns_.load(); }

private:
  static constexpr size_t kMaxArrivals = 256;
  static int OnProcess(jack_nframes_t frames, void* self);
  static int OnXrun(void* self);

  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  std::array<jack_nframes_t, kMaxArrivals> arrivals_{};  // jack-process writes below count_
  std::atomic<size_t> count_{0};
  std::atomic<unsigned> xruns_{0};
};
