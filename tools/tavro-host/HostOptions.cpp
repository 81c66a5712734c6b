#include "HostOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, double low, double high, double& out, std::string& error) {
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end || errno || !std::isfinite(v) || v < low || v > high) {
    error = "'" + text + "' is not a number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  out = v;
  return true;
}

bool ParseWhole(const std::string& text, int low, int high, int& out, std::string& error) {
  double v = 0;
  if (!ParseNumber(text, low, high, v, error)) return false;
  if (v != std::floor(v)) {
    error = "'" + text + "' is not a whole number";
    return false;
  }
  out = int(v);
  return true;
}

std::vector<HostOptionSpec> BuiltInOptions() {
  return {
      {"--bundle", "DIR", "the plug-in bundle (a .component folder)",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.bundlePath = v;
         return true;
       }},
      {"--state-in", "FILE", "restore this state file: into the panel's instance with --panel, else the second",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.stateIn = v;
         return true;
       }},
      {"--state-out", "FILE", "write the first instance's state to this XML property list (whole or not at all)",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.stateOut = v;
         return true;
       }},
      {"--restored-state-out", "FILE", "write what the restored second instance saves to this XML property list",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.restoredStateOut = v;
         return true;
       }},
      {"--render-seconds", "S", "seconds of audio to render per cycle (default 1)",
       [](HostOptions& o, const std::string& v, std::string& e) {
         return ParseNumber(v, 0, 3600, o.renderSeconds, e);
       }},
      {"--fast", "", "render as fast as possible instead of in real time",
       [](HostOptions& o, const std::string&, std::string&) {
         o.paced = false;
         return true;
       }},
      {"--block-size", "FRAMES", "frames per render call (default 512)",
       [](HostOptions& o, const std::string& v, std::string& e) { return ParseWhole(v, 1, 32768, o.blockSize, e); }},
      {"--sample-rate", "HZ", "sample rate (default 44100)",
       [](HostOptions& o, const std::string& v, std::string& e) {
         return ParseNumber(v, 1000, 768000, o.sampleRate, e);
       }},
      {"--tempo", "BPM", "host tempo (default 120)",
       [](HostOptions& o, const std::string& v, std::string& e) { return ParseNumber(v, 1, 999, o.tempo, e); }},
      {"--transport", "play|stop", "transport state while rendering (default play)",
       [](HostOptions& o, const std::string& v, std::string& e) {
         if (v != "play" && v != "stop") {
           e = "--transport takes play or stop";
           return false;
         }
         o.playing = v == "play";
         return true;
       }},
      {"--time-signature", "N/D", "time signature (default 4/4)",
       [](HostOptions& o, const std::string& v, std::string& e) {
         size_t slash = v.find('/');
         if (slash == std::string::npos) {
           e = "--time-signature takes N/D";
           return false;
         }
         return ParseWhole(v.substr(0, slash), 1, 64, o.timeSigNumerator, e) &&
                ParseWhole(v.substr(slash + 1), 1, 64, o.timeSigDenominator, e);
       }},
      {"--cycles", "N", "open, run and close the plug-in N times (default 1)",
       [](HostOptions& o, const std::string& v, std::string& e) { return ParseWhole(v, 1, 1000000, o.cycles, e); }},
      {"--data-root", "DIR", "the folder plug-ins keep their data under (default: XDG data home)",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.dataRoot = v;
         return true;
       }},
      {"--script", "FILE", "drive the first instance's panel (headless) by this script",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.script = v;
         return true;
       }},
      {"--restore-script", "FILE", "drive the restored instance's panel (headless) by this script",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.restoreScript = v;
         return true;
       }},
      {"--midi-in", "PORT",
       "pass what the system's MIDI port PORT plays (ALSA, else JACK) to the first instance as the host's MIDI",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.midiIn = v;
         return true;
       }},
      {"--snapshot", "FILE", "write a PNG picture of the panel",
       [](HostOptions& o, const std::string& v, std::string&) {
         o.snapshotPath = v;
         return true;
       }},
      {"--panel", "",
       "show the panel: in a window until it is closed when DISPLAY is set, else drawn headless; Ctrl-C "
       "(SIGINT), SIGTERM, SIGHUP or SIGQUIT ends the host without asking: the transport is stopped and the "
       "state written, and unsaved librarian changes kept in a new file beside their bank (only the window's "
       "close asks about them)",
       [](HostOptions& o, const std::string&, std::string&) {
         o.panel = true;
         return true;
       }},
      {"--help", "", "print this help",
       [](HostOptions& o, const std::string&, std::string&) {
         o.help = true;
         return true;
       }},
  };
}

}  // namespace

std::vector<HostOptionSpec>& HostOptionTable() {
  static std::vector<HostOptionSpec> table = BuiltInOptions();
  return table;
}

bool ParseHostOptions(int argc, char** argv, HostOptions& options, std::string& error) {
  const auto& table = HostOptionTable();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool inlineValue = false;
    if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      inlineValue = true;
    }
    const HostOptionSpec* match = nullptr;
    for (const auto& s : table)
      if (s.name == arg) match = &s;
    if (!match) {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (!match->valueName.empty() && !inlineValue) {
      if (i + 1 >= argc) {
        error = arg + " needs " + match->valueName;
        return false;
      }
      value = argv[++i];
    } else if (match->valueName.empty() && inlineValue) {
      error = arg + " takes no value";
      return false;
    }
    if (!match->apply(options, value, error)) {
      error = arg + ": " + error;
      return false;
    }
  }
  if (!options.help && options.bundlePath.empty()) {
    error = "--bundle is required";
    return false;
  }
  if (options.PanelIsTheProject() && (!options.restoreScript.empty() || !options.restoredStateOut.empty())) {
    error = "--panel opens one instance: --restore-script and --restored-state-out need the second";
    return false;
  }
  return true;
}

std::string HostUsage() {
  std::string text = "usage: tavro-host --bundle DIR [options]\n";
  for (const auto& s : HostOptionTable()) {
    std::string left = "  " + s.name + (s.valueName.empty() ? "" : " " + s.valueName);
    if (left.size() < 28) left.resize(28, ' ');
    text += left + " " + s.help + "\n";
  }
  return text;
}
