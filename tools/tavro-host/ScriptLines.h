#pragma once
// A script's lines as they come: from a file, or from a pipe (a FIFO) whose writer
// sends them one at a time and may wait long between them. A signal to the host ends
// the wait for the next line at once, and the wait for a writer to open the pipe.
// threads: main

#include <string>

class ScriptLines {
public:
  explicit ScriptLines(const std::string& path);
  ~ScriptLines();
  ScriptLines(const ScriptLines&) = delete;
  ScriptLines& operator=(const ScriptLines&) = delete;
  bool Opened() const { return fd_ >= 0; }
  // The next line without its end; false at the script's end or once a signal came.
  bool Next(std::string& line);

private:
  int fd_;
  std::string buffered_;  // read, not yet taken
  bool ended_ = false;
};
