#pragma once
// A headless editor on the built bundle with both fake synthesizer ports open, for the
// fuzzers that drive whole roads. A fresh one after a number of inputs keeps the fake
// port's record small.

#include <cstdlib>

#include "EditorTestSupport.h"

constexpr const char* kFuzzSynthIn = "Nord In";
constexpr const char* kFuzzSynthOut = "Nord Out";
constexpr int kInputsPerEditor = 40;

struct ConnectedEditor : EditorFixture {
  ConnectedEditor() : EditorFixture("", false, {kFuzzSynthOut}, {kFuzzSynthIn}) {
    int out = plug->getExternalMIDIOutDevice(kFuzzSynthIn), in = plug->getExternalMIDIInDevice(kFuzzSynthOut);
    if (plug->setExternalMIDIOut(out, kFuzzSynthIn) <= 0 || plug->setExternalMIDIIn(in, kFuzzSynthOut) <= 0)
      std::abort();
    plug->midiIOSet = true;
  }
};
