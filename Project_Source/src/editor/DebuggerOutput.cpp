#include "editor/DebuggerOutput.h"

#include "Framework/IMidiMsg.h"
#include "Kit_RegularFile.h"
#include "editor/Tavro.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opened without blocking and used only when it is a regular file: a FIFO, a device
// or a socket at the log's name is passed over. -1 with *kind set for those.
int OpenRegular(const std::string& path, int flags, std::string* kind) {
  const int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  if (kind) *kind = Kit_FileKindName(st.st_mode) + ", not a file";
  close(fd);
  return -1;
}

}  // namespace

bool DebuggerOutput::openDebugFile(const std::string& path, std::string* passedOver) {
  const int probe = OpenRegular(path, O_RDONLY, passedOver);
  if (probe < 0) return false;
  close(probe);
  // A file that cannot be emptied still switches logging on; lines then append.
  const int empty = OpenRegular(path, O_WRONLY, nullptr);
  if (empty >= 0) {
    const int emptied = ftruncate(empty, 0);
    (void)emptied;
    close(empty);
  }
  return true;
}

void DebuggerOutput::printDebugInfo(const std::string& path, const std::string& text) {
  // Non-blocking: a FIFO put in the log's place without a reader fails here rather
  // than holding the thread that logs (the render thread among them).
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
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
