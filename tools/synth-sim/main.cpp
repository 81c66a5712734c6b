// synth-sim: the simulated synthesizer on JACK MIDI ports, until interrupted.
//
//   synth-sim [--name N] [--device-id D] [--model M] [--latency-ms L] [--silent] [--wrong-size]
//             [--wire-time] [--silent-after N] [--reply-length L] [--slot-byte-out-of-range]
//             [--unsolicited-ms T] [--memory-write-ms W] [--record FILE] [--script FILE]
//             [--memory-out FILE] [--set NAME SLOT VALUE]...
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
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "MidiPortSystem.h"
#include "SynthSimMemoryFile.h"
#include "SynthSimPorts.h"
#include "SynthSimScript.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

int Usage() {
  std::fprintf(stderr,
               "usage: synth-sim [--name N] [--device-id 0-15] [--model 0-2] [--latency-ms L] [--silent] "
               "[--wrong-size]\n       [--wire-time] [--silent-after N] [--reply-length 139|149|711|712|720|725|765] "
               "[--slot-byte-out-of-range] [--unsolicited-ms T] [--memory-write-ms W] [--record FILE] [--script FILE]\n"
               "       [--memory-out FILE] [--set NAME SLOT VALUE]...\n");
  return 2;
}

bool IsReplyLength(long length) {
  for (long known : {139, 149, 711, 712, 720, 725, 765}) {
    if (length == known) return true;
  }
  return false;
}

bool ReadNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= low && value <= high;
}
}  // namespace

int main(int argc, char** argv) {
  SynthSimSettings settings;
  std::string name = "Nord Sim";
  long unsolicitedMs = 0;
  std::string recordPath;
  std::string scriptPath;
  std::string memoryOutPath;
  struct MemoryValue {
    std::string name;
    int slot, value;
  };
  std::vector<MemoryValue> memoryValues;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    long value = 0;
    if (option == "--script" && hasValue) {
      scriptPath = argv[++i];
    } else if (option == "--memory-out" && hasValue) {
      memoryOutPath = argv[++i];
    } else if (option == "--silent") {
      settings.silent = true;
    } else if (option == "--wrong-size") {
      settings.wrongSizeReplies = true;
    } else if (option == "--wire-time") {
      settings.wireTime = true;
    } else if (option == "--slot-byte-out-of-range") {
      settings.slotByteOutOfRange = true;
    } else if (option == "--silent-after" && hasValue && ReadNumber(argv[++i], 0, 1000000, value)) {
      settings.silentAfterRequests = static_cast<int>(value);
    } else if (option == "--reply-length" && hasValue && ReadNumber(argv[++i], 139, 765, value) &&
               IsReplyLength(value)) {
      settings.replyLength = static_cast<int>(value);
    } else if (option == "--unsolicited-ms" && hasValue && ReadNumber(argv[++i], 1, 3600000, value)) {
      unsolicitedMs = value;
    } else if (option == "--record" && hasValue) {
      recordPath = argv[++i];
    } else if (option == "--memory-write-ms" && hasValue && ReadNumber(argv[++i], 0, 60000, value)) {
      settings.memoryWriteMicros = static_cast<uint64_t>(value) * 1000;
    } else if (option == "--name" && hasValue) {
      name = argv[++i];
    } else if (option == "--device-id" && hasValue && ReadNumber(argv[++i], 0, 15, value)) {
      settings.deviceId = static_cast<int>(value);
    } else if (option == "--model" && hasValue && ReadNumber(argv[++i], 0, 2, value)) {
      settings.model = static_cast<int>(value);
    } else if (option == "--latency-ms" && hasValue && ReadNumber(argv[++i], 0, 60000, value)) {
      settings.replyLatencyMicros = static_cast<uint64_t>(value) * 1000;
    } else if (option == "--set" && i + 3 < argc && ReadNumber(argv[i + 2], 0, 3, value)) {
      long setTo = 0;
      if (!ReadNumber(argv[i + 3], 0, 255, setTo)) return Usage();
      memoryValues.push_back({argv[i + 1], int(value), int(setTo)});
      i += 3;
    } else {
      return Usage();
    }
  }

  std::shared_ptr<MidiTransportFactory> transports = MidiSystemTransports(MidiSystemApi::JackOnly);
  SynthSimThreadScheduler scheduler;
  SynthSimPorts ports(*transports, scheduler, settings, name);
  std::FILE* record = nullptr;
  if (!recordPath.empty() && !(record = std::fopen(recordPath.c_str(), "w"))) {
    std::fprintf(stderr, "synth-sim: cannot write %s\n", recordPath.c_str());
    return 1;
  }
  ports.RecordTo(record);
  for (const MemoryValue& set : memoryValues) {
    if (!ports.Sim().SetValue(set.name, set.slot, set.value)) {
      std::fprintf(stderr, "synth-sim: --set %s: no such field\n", set.name.c_str());
      return 2;
    }
  }
  if (!ports.Open()) return 1;
  if (!scriptPath.empty()) {
    std::ifstream in(scriptPath);
    const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!in || !PlayFrontPanelScript(script, ports.Sim(), &error)) {
      std::fprintf(stderr, "synth-sim: script %s: %s\n", scriptPath.c_str(), in ? error.c_str() : "cannot be read");
      return 2;
    }
  }
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
  std::printf("received %zu messages\n", ports.Sim().ReceivedCount());
  if (!memoryOutPath.empty() && !WriteSynthSimMemory(ports.Sim(), memoryOutPath)) {
    std::fprintf(stderr, "synth-sim: cannot write %s\n", memoryOutPath.c_str());
    return 1;
  }
  // The record is left for the exit to close: the input thread may write until the
  // ports close, after main returns.
  return 0;
}
