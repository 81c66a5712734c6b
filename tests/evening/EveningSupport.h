#pragma once
// A musician's evening on a private JACK server: one simulated unit at device id 5
// with wire time, one data root, and every host run of the evening against them.
// Each stage of the evening is a function of its own file; the test runs them in
// order, so a stage finds the data folder and the unit as the stages before left them.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"

class Evening {
public:
  static constexpr const char* kSimName = "Evening Sim";
  static constexpr int kUnitId = 5;

  // Starts the server and the unit; false when either does not come up.
  bool Start() { return server_.Start() && StartUnit(); }
  ~Evening() {
    sim_.Stop();
    server_.Stop();
  }

  // The unit, with `extra` options besides its name, id, wire time and record.
  bool StartUnit(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> options = {"--device-id", std::to_string(kUnitId), "--wire-time", "--record", record()};
    options.insert(options.end(), extra.begin(), extra.end());
    return sim_.Start(kSimName, options, data_.root() + "/sim.txt");
  }
  void StopUnit() { sim_.Stop(); }

  const TempDataRoot& data() const { return data_; }
  JackTestServer& server() { return server_; }
  std::string record() const { return data_.root() + "/record.txt"; }
  // What the unit received, a line of hex bytes a message; `from` skips earlier lines.
  std::vector<std::string> Received(size_t from = 0) const {
    std::vector<std::string> lines = SimProcess::Lines(record());
    lines.erase(lines.begin(), lines.begin() + std::min(from, lines.size()));
    return lines;
  }

  // Runs the test host on the panel script `script` (written as `name` in the data
  // root) with `extra` host options; returns its exit status, its output in `output`.
  int Run(const std::string& name, const std::string& script, std::string* output,
          const std::vector<std::string>& extra = {}) {
    const std::string path = data_.root() + "/" + name;
    std::ofstream(path) << script;
    return RunTavroHost(data_.root(), path, output, extra);
  }

private:
  JackTestServer server_;
  TempDataRoot data_;
  SimProcess sim_;
};

// Steps 1-4: first run, ports, the performance into the panel, knobs, tabs, a link
// and the randomiser against the unit's record (EveningFirstRun.cpp).
void EveningFirstRun(Evening& evening);

// Stages 5 and 6: the librarian fetches, renames, saves, finds, sends and stores.
void EveningLibrarian(Evening& evening);

// Stage 7: ten seconds of the host's transport with the MIDI clock on.
void EveningTransport(Evening& evening);

// Stage 8: the project saved, reopened from the state file, and reopened without the unit.
void EveningReopen(Evening& evening);

// Stage 9: the host closes while a bank request from the librarian page runs.
void EveningCloseMidTransfer(Evening& evening);
