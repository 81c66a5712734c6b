#include "ScriptLineSplit.h"

bool TakeScriptLine(std::string& buffered, bool ended, std::string& line) {
  const size_t end = buffered.find('\n');
  if (end != std::string::npos) {
    line = buffered.substr(0, end);
    buffered.erase(0, end + 1);
    return true;
  }
  if (!ended) return false;
  // A last line without its end.
  line.swap(buffered);
  buffered.clear();
  return !line.empty();
}
