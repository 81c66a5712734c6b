// Feeds a script to the line splitter in reads of 1 to 256 bytes (the first fuzz byte
// says how long), then ends it: the lines joined again are the script, none holds its
// end, and nothing is left over.

#include <cstdlib>
#include <string>

#include "ScriptLineSplit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t read = size_t(data[0]) + 1;
  const std::string script(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string buffered, line, joined;
  const auto take = [&](bool ended) {
    while (TakeScriptLine(buffered, ended, line)) {
      if (line.find('\n') != std::string::npos) std::abort();
      joined += line + '\n';
    }
  };
  for (size_t at = 0; at < script.size(); at += read) {
    buffered.append(script, at, read);
    take(false);
  }
  take(true);
  // A last line without its end is given all the same.
  if (!script.empty() && script.back() != '\n') joined.pop_back();
  if (joined != script || !buffered.empty()) std::abort();
  return 0;
}
