#pragma once
// The "CONFIG READER: " lines of the layout reader. The editor passes a sink that
// writes its log (only while logging is on); tests pass one that keeps the lines.
// Without a sink nothing is written.
//
// threads: main (the reader runs while the plug-in is constructed).

#include <functional>
#include <string>

using ConfigLogSink = std::function<void(const std::string& line)>;

class ConfigLog {
public:
  static constexpr const char* kPrefix = "CONFIG READER: ";

  ConfigLog() = default;
  explicit ConfigLog(ConfigLogSink sink) : mSink(std::move(sink)) {}

  bool on() const { return bool(mSink); }
  // kPrefix + text.
  void line(const std::string& text) const;
  // kPrefix + "line " + xmlLine + ": " + text.
  void atLine(int xmlLine, const std::string& text) const;

private:
  ConfigLogSink mSink;
};
