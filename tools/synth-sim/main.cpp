// synth-sim: the simulated synthesizer on JACK MIDI ports, until interrupted.
//
//   synth-sim [options] (SynthSimOptions.cpp lists them; a wrong one prints them)
//
// A late reply is a long --latency-ms; --unsolicited-ms sends the edit performance
// every T ms, asked or not. --record writes each message received as a line of hex
// bytes to FILE. --script plays the front panel (SynthSimScript.h) once the ports
// are open. --memory-out writes the unit's memory to FILE when it ends
// (SynthSimMemoryFile.h). --set writes a value of the edit memory before the ports
// open, as a player who set the unit up by hand (SynthSim::SetValue: parameter
// name, slot 0-3).

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "MidiTransport/MidiPortSystem.h"
#include "SynthSimMemoryFile.h"
#include "SynthSimOptions.h"
#include "SynthSimPorts.h"
#include "SynthSimScript.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

// The record and the memory values, before the ports open: 0, else the exit status.
int SetUp(SynthSimPorts& ports, const SynthSimOptions& options) {
  std::FILE* record = nullptr;
  if (!options.recordPath.empty() && !(record = std::fopen(options.recordPath.c_str(), "w"))) {
    std::fprintf(stderr, "synth-sim: cannot write %s\n", options.recordPath.c_str());
    return 1;
  }
  // The record is left for the exit to close: midi-in may write until the
  // ports close, after main returns.
  ports.RecordTo(record);
  for (const SynthSimOptions::MemoryValue& set : options.memoryValues) {
    if (!ports.Sim().SetValue(set.name, set.slot, set.value)) {
      std::fprintf(stderr, "synth-sim: --set %s: no such field\n", set.name.c_str());
      return 2;
    }
  }
  return 0;
}

// Plays the front-panel script at `path`, none when empty; false, said, when it
// cannot be read or fails.
bool PlayScript(SynthSimPorts& ports, const std::string& path) {
  if (path.empty()) return true;
  std::ifstream in(path);
  const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  if (in && PlayFrontPanelScript(script, ports.Sim(), &error)) return true;
  std::fprintf(stderr, "synth-sim: script %s: %s\n", path.c_str(), in ? error.c_str() : "cannot be read");
  return false;
}

// Until SIGINT or SIGTERM, sending the edit performance unasked every `unsolicitedMs`
// (0: never).
void RunUntilStopped(SynthSimPorts& ports, long unsolicitedMs) {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::printf("%s\n%s\n", ports.MidiInName().c_str(), ports.MidiOutName().c_str());
  std::fflush(stdout);
  // The signal may land on any of the ports' threads and leave this one asleep, so
  // the flag is polled rather than waited for.
  constexpr auto kStopPoll = std::chrono::milliseconds(20);
  const auto every = std::chrono::milliseconds(unsolicitedMs);
  auto next = std::chrono::steady_clock::now() + every;
  while (!stopRequested) {
    std::this_thread::sleep_for(kStopPoll);
    if (unsolicitedMs == 0 || std::chrono::steady_clock::now() < next) continue;
    next += every;
    ports.Sim().SendPerformanceUnasked();
  }
}

}  // namespace

int main(int argc, char** argv) {
  SynthSimOptions options;
  if (!ParseSynthSimOptions(argc, argv, options)) {
    std::fprintf(stderr, "%s", SynthSimUsage().c_str());
    return 2;
  }
  std::shared_ptr<MidiTransportFactory> transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler;
  SynthSimPorts ports(*transports, scheduler, options.settings, options.name);
  if (const int status = SetUp(ports, options)) return status;
  if (!ports.Open()) return 1;
  if (!PlayScript(ports, options.scriptPath)) return 2;
  RunUntilStopped(ports, options.unsolicitedMs);
  std::printf("received %zu messages\n", ports.Sim().ReceivedCount());
  if (!options.memoryOutPath.empty() && !WriteSynthSimMemory(ports.Sim(), options.memoryOutPath)) {
    std::fprintf(stderr, "synth-sim: cannot write %s\n", options.memoryOutPath.c_str());
    return 1;
  }
  return 0;
}
