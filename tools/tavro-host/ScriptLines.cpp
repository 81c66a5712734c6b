#include "ScriptLines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "HostSignals.h"

// Not blocking: opening a pipe would wait for its writer, and reading for its next line,
// where no signal is heard.
ScriptLines::ScriptLines(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

ScriptLines::~ScriptLines() {
  if (fd_ >= 0) close(fd_);
}

bool ScriptLines::Next(std::string& line) {
  for (;;) {
    const size_t end = buffered_.find('\n');
    if (end != std::string::npos) {
      line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      return true;
    }
    if (ended_) {
      // A last line without its end.
      line.swap(buffered_);
      buffered_.clear();
      return !line.empty();
    }
    if (!WaitForReadableOrHostSignal(fd_)) return false;
    char chunk[4096];
    const ssize_t got = read(fd_, chunk, sizeof chunk);
    if (got > 0) {
      buffered_.append(chunk, size_t(got));
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
      ended_ = true;  // the writer closed the pipe, the file ended, or it cannot be read
    }
  }
}
