#pragma once
// A headless editor on the built bundle with both fake synthesizer ports open, for the
// fuzzers that drive whole roads. A fresh one after a number of inputs keeps the fake
// port's record small.

#include <cstdlib>
#include <thread>
#include <vector>

#include "EditorTestSupport.h"
#include "Kit_TimeSource.h"
#include "messaging/MIDIMessageManager.h"

constexpr const char* kFuzzSynthIn = "Nord In";
constexpr const char* kFuzzSynthOut = "Nord Out";
constexpr int kInputsPerEditor = 40;

struct ConnectedEditor : EditorFixture {
  ConnectedEditor() : EditorFixture("", false, {kFuzzSynthOut}, {kFuzzSynthIn}) {
    int out = plug->getExternalMIDIOutDevice(kFuzzSynthIn), in = plug->getExternalMIDIInDevice(kFuzzSynthOut);
    if (plug->setExternalMIDIOut(out, kFuzzSynthIn) <= 0 || plug->setExternalMIDIIn(in, kFuzzSynthOut) <= 0)
      std::abort();
    plug->setMidiIOSet(true);
  }
};

// The editor for this input, on a virtual clock: a fresh one every kInputsPerEditor
// inputs. Never destroyed at exit: the process-wide caches the editor gives back go first.
inline ConnectedEditor& EditorForInput() {
  static Kit_VirtualClock clock;
  static int inputs = 0;
  static ConnectedEditor* editor = nullptr;
  Kit_SetTimeSource(&clock);
  if (!editor || ++inputs % kInputsPerEditor == 0) {
    delete editor;
    editor = new ConnectedEditor();
  }
  return *editor;
}

// Aborts unless every message sent from `from` on is whole: a channel message, a SysEx
// message or one real-time byte.
inline void CheckWholeMessages(const std::vector<MidiPortFake::Message>& sent, size_t from) {
  for (size_t i = from; i < sent.size(); ++i) {
    const MidiPortFake::Message& m = sent[i];
    if (m.empty() || m[0] < 0x80) std::abort();
    if (m[0] == 0xF0) {
      if (m.size() < 2 || m.back() != 0xF7) std::abort();
      for (size_t b = 1; b + 1 < m.size(); ++b)
        if (m[b] > 0x7F) std::abort();
    } else if (m[0] >= 0xF8) {
      if (m.size() != 1) std::abort();
    } else {
      if (m[0] > 0xEF || m.size() > 3) std::abort();
      for (size_t b = 1; b < m.size(); ++b)
        if (m[b] > 0x7F) std::abort();
    }
  }
}

// Work an input started runs on worker (transfer); none may outlive the editor.
inline void WaitForTransfers(Tavro& plug) {
  while (plug.midiManager->isRunning(MIDIMessageManager::kTransferThread)) std::this_thread::yield();
}
