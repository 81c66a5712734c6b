#include "ScriptLines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "HostSignals.h"
#include "ScriptLineSplit.h"

// Not blocking: opening a pipe would wait for its writer, and reading for its next line,
// where no signal is heard.
ScriptLines::ScriptLines(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

ScriptLines::~ScriptLines() {
  if (fd_ >= 0) close(fd_);
}

bool ScriptLines::Next(std::string& line) {
  for (;;) {
    if (TakeScriptLine(buffered_, ended_, line)) return true;
    if (ended_) return false;
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
