#include "SynthSimOptions.h"

#include <cstdlib>

namespace {

bool ReadNumber(const std::string& text, long low, long high, long& value) {
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return end != text.c_str() && *end == '\0' && value >= low && value <= high;
}

// An option taking a whole number from `low` to `high`, given to `set`.
template <class Set>
SynthSimOptionRow Number(const char* name, const char* valueName, long low, long high, Set set) {
  return {name, {valueName}, [low, high, set](SynthSimOptions& o, const std::vector<std::string>& v) {
            long value = 0;
            if (!ReadNumber(v[0], low, high, value)) return false;
            set(o, value);
            return true;
          }};
}

// An option taking a word (a name or a path) into the field `field`.
SynthSimOptionRow Word(const char* name, const char* valueName, std::string SynthSimOptions::*field) {
  return {name, {valueName}, [field](SynthSimOptions& o, const std::vector<std::string>& v) {
            o.*field = v[0];
            return true;
          }};
}

// An option without words that switches a setting on.
SynthSimOptionRow Switch(const char* name, bool SynthSimSettings::*field) {
  return {name, {}, [field](SynthSimOptions& o, const std::vector<std::string>&) {
            o.settings.*field = true;
            return true;
          }};
}

bool IsReplyLength(long length) {
  for (long known : {139, 149, 711, 712, 720, 725, 765})
    if (length == known) return true;
  return false;
}

std::vector<SynthSimOptionRow> BuiltInOptions() {
  using O = SynthSimOptions;
  return {
      Word("--name", "N", &O::name),
      Number("--device-id", "0-15", 0, 15, [](O& o, long v) { o.settings.deviceId = int(v); }),
      Number("--model", "0-2", 0, 2, [](O& o, long v) { o.settings.model = int(v); }),
      Number("--latency-ms", "L", 0, 60000,
             [](O& o, long v) { o.settings.replyLatencyMicros = static_cast<uint64_t>(v) * 1000; }),
      Switch("--silent", &SynthSimSettings::silent),
      Switch("--wrong-size", &SynthSimSettings::wrongSizeReplies),
      Switch("--wire-time", &SynthSimSettings::wireTime),
      Number("--silent-after", "N", 0, 1000000, [](O& o, long v) { o.settings.silentAfterRequests = int(v); }),
      {"--reply-length",
       {"139|149|711|712|720|725|765"},
       [](O& o, const std::vector<std::string>& v) {
         long value = 0;
         if (!ReadNumber(v[0], 139, 765, value) || !IsReplyLength(value)) return false;
         o.settings.replyLength = int(value);
         return true;
       }},
      Switch("--slot-byte-out-of-range", &SynthSimSettings::slotByteOutOfRange),
      Number("--unsolicited-ms", "T", 1, 3600000, [](O& o, long v) { o.unsolicitedMs = v; }),
      Number("--memory-write-ms", "W", 0, 60000,
             [](O& o, long v) { o.settings.memoryWriteMicros = static_cast<uint64_t>(v) * 1000; }),
      Word("--record", "FILE", &O::recordPath),
      Word("--script", "FILE", &O::scriptPath),
      Word("--memory-out", "FILE", &O::memoryOutPath),
      {"--set",
       {"NAME", "SLOT", "VALUE"},
       [](O& o, const std::vector<std::string>& v) {
         long slot = 0, value = 0;
         if (!ReadNumber(v[1], 0, 3, slot) || !ReadNumber(v[2], 0, 255, value)) return false;
         o.memoryValues.push_back({v[0], int(slot), int(value)});
         return true;
       }},
  };
}

}  // namespace

const std::vector<SynthSimOptionRow>& SynthSimOptionTable() {
  static const std::vector<SynthSimOptionRow> table = BuiltInOptions();
  return table;
}

bool ParseSynthSimOptions(int argc, const char* const* argv, SynthSimOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const SynthSimOptionRow* match = nullptr;
    for (const SynthSimOptionRow& row : SynthSimOptionTable())
      if (row.name == argv[i]) match = &row;
    const size_t words = match ? match->valueNames.size() : 0;
    if (!match || size_t(argc - 1 - i) < words) return false;
    const std::vector<std::string> values(argv + i + 1, argv + i + 1 + words);
    if (!match->apply(options, values)) return false;
    i += int(words);
  }
  return true;
}

std::string SynthSimUsage() {
  constexpr size_t kWidth = 100;
  const std::string indent = "       ";
  std::string text, line = "usage: synth-sim";
  for (const SynthSimOptionRow& row : SynthSimOptionTable()) {
    std::string item = "[" + row.name;
    for (const std::string& word : row.valueNames) item += " " + word;
    item += "]";
    if (line.size() + 1 + item.size() > kWidth) {
      text += line + "\n";
      line = indent.substr(1);
    }
    line += " " + item;
  }
  return text + line + "\n";
}
