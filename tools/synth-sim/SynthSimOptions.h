#pragma once
// synth-sim's command line: one row of the table per option, as the test host has them.
// A new option is a row in SynthSimOptions.cpp and, when it needs one, a field here.
//
// threads: main

#include <functional>
#include <string>
#include <vector>

#include "SynthSim.h"

struct SynthSimOptions {
  SynthSimSettings settings;
  std::string name = "Nord Sim";
  long unsolicitedMs = 0;     // the edit performance every so often, asked or not; 0 never
  std::string recordPath;     // each message received, as a line of hex bytes
  std::string scriptPath;     // the front panel played once the ports are open
  std::string memoryOutPath;  // the unit's memory, written when it ends
  // Values of the edit memory set before the ports open (SynthSim::SetValue).
  struct MemoryValue {
    std::string name;
    int slot = 0, value = 0;
  };
  std::vector<MemoryValue> memoryValues;
};

struct SynthSimOptionRow {
  std::string name;                     // "--model"
  std::vector<std::string> valueNames;  // the words that follow it, for the usage ("0-2")
  // Takes the words that follow; false when they are not what the option takes.
  std::function<bool(SynthSimOptions&, const std::vector<std::string>& values)> apply;
};

const std::vector<SynthSimOptionRow>& SynthSimOptionTable();

// False at the first unknown option, missing word or value out of its range.
bool ParseSynthSimOptions(int argc, const char* const* argv, SynthSimOptions& options);

// "usage: synth-sim [--name N] [--device-id 0-15] ...", wrapped, ending in a newline.
std::string SynthSimUsage();
