#pragma once
// The test host's command line. Options live in one table: to add one, add a
// field to HostOptions and an entry to HostOptionTable() (in HostOptions.cpp or
// from another file before parsing).

#include <functional>
#include <string>
#include <vector>

struct HostOptions {
  std::string bundlePath;        // --bundle
  std::string stateIn;           // --state-in: restore this file (panel's instance, else the second)
  std::string stateOut;          // --state-out: write the first instance's state here
  std::string restoredStateOut;  // --restored-state-out: and the restored instance's here
  std::string snapshotPath;      // --snapshot: picture of the panel
  bool panel = false;            // --panel: show the panel until its window is closed
  double renderSeconds = 1.0;    // --render-seconds
  bool paced = true;             // --fast clears it: render without waiting for real time
  int blockSize = 512;           // --block-size
  double sampleRate = 44100.0;   // --sample-rate
  double tempo = 120.0;          // --tempo
  bool playing = true;           // --transport play|stop
  int timeSigNumerator = 4;      // --time-signature N/D
  int timeSigDenominator = 4;
  int cycles = 1;             // --cycles: open, run and close this many times
  std::string dataRoot;       // --data-root: where plug-ins keep their data
  std::string script;         // --script: panel script for the first instance
  std::string restoreScript;  // --restore-script: panel script for the restored one
  std::string midiIn;         // --midi-in: live host MIDI from this system port
  bool help = false;          // --help

  // The panel (in a window, drawn headless or driven by --script) is the project: its
  // instance takes --state-in, once, and no second instance is opened after it.
  bool PanelIsTheProject() const { return panel; }
  // The first instance's panel is made: shown, pictured or scripted.
  bool WantsWindow() const { return panel || !snapshotPath.empty() || !script.empty(); }
};

struct HostOptionSpec {
  std::string name;       // with the leading "--"
  std::string valueName;  // empty for a flag
  std::string help;
  // Applies the value; false with `error` set when it is not acceptable.
  std::function<bool(HostOptions& options, const std::string& value, std::string& error)> apply;
};

std::vector<HostOptionSpec>& HostOptionTable();

// False with `error` set for an unknown option, a missing or bad value, or a
// missing --bundle (unless --help).
bool ParseHostOptions(int argc, char** argv, HostOptions& options, std::string& error);
std::string HostUsage();
