#pragma once
// A JACK MIDI port buffer in the test's own memory, as a server would hand a cycle
// one: the JACK library reads and writes it without any server running.

#include <jack/midiport.h>

#include <cstdint>
#include <vector>

class JackMidiTestBuffer {
public:
  JackMidiTestBuffer() : storage_(kWords) { Reset(); }
  void* Data() { return storage_.data(); }
  // Empty, as a cycle finds a buffer no one wrote into.
  void Reset() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    jack_midi_reset_buffer(Data());
#pragma GCC diagnostic pop
  }
  // The events written into it, each one's frame and bytes.
  std::vector<std::pair<jack_nframes_t, std::vector<unsigned char>>> Events() {
    std::vector<std::pair<jack_nframes_t, std::vector<unsigned char>>> events;
    for (uint32_t i = 0; i < jack_midi_get_event_count(Data()); ++i) {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, Data(), i) == 0)
        events.emplace_back(event.time, std::vector<unsigned char>(event.buffer, event.buffer + event.size));
    }
    return events;
  }

private:
  // A JACK MIDI port buffer is at most this large, whatever the period.
  static constexpr size_t kWords = (1 << 16) / sizeof(uint64_t);
  std::vector<uint64_t> storage_;
};
