// Reads fuzz bytes as a thread's /proc stat line: the state letter found is the byte
// two after a ')' that a blank follows, and the bytes as a command followed by a
// whole line's end give that end's state.

#include <cstdlib>
#include <string>

#include "MidiTransport/MidiPortJackServerProcess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const char state = StatLineThreadState(text, size);
  bool held = state == 0;
  for (size_t i = 0; i + 2 < size && !held; ++i) held = text[i] == ')' && text[i + 1] == ' ' && text[i + 2] == state;
  if (!held) std::abort();
  const std::string line = "7 (" + std::string(text, size) + ") S 1 7 7 0 -1";
  if (StatLineThreadState(line.data(), line.size()) != 'S') std::abort();
  return 0;
}
