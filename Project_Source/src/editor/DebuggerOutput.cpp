#include "editor/DebuggerOutput.h"

#include "Framework/IMidiMsg.h"
#include "editor/Tavro.h"

#include <fcntl.h>
#include <unistd.h>

bool DebuggerOutput::openDebugFile(const std::string& path) {
  const int probe = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (probe < 0) return false;
  close(probe);
  // A file that cannot be emptied still switches logging on; lines then append.
  const int empty = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (empty >= 0) close(empty);
  return true;
}

void DebuggerOutput::printDebugInfo(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const std::string line = formatLine(std::time(nullptr), text);
  // One write per line: appends from several threads stay whole.
  ssize_t written = write(fd, line.data(), line.size());
  (void)written;
  close(fd);
}

std::string DebuggerOutput::formatLine(std::time_t when, const std::string& text) {
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[80];
  const size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d.%X", &local);
  return std::string(stamp, n) + "\t " + text + "\n";
}

bool DebuggerOutput::compareMIDIdata(Tavro* plug, IMidiMsg msg) {
  const int bytes[3] = {msg.mStatus, msg.mData1, msg.mData2};
  bool changed = false;
  for (int i = 0; i < 3; ++i) {
    changed = changed || plug->lastMidiData[i] != bytes[i];
    plug->lastMidiData[i] = bytes[i];
  }
  if (changed) msg.LogMsg();
  return changed;
}
