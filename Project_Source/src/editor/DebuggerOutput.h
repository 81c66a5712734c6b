#pragma once
// The diagnostic log: one time-stamped line per event, appended to a file that the
// user switches logging on with by creating it. Keeps no state; callers pass the
// path and test their own switch first.
//
// threads: main, render, worker, tick-performer. Each line is one open, one write and one close, so
// lines from different threads never interleave within a line.

#include <ctime>
#include <string>

struct IMidiMsg;
class Tavro;

class DebuggerOutput {
public:
  // True when a regular file exists at the path; it is then emptied. Creates nothing.
  // Anything else standing there (a FIFO, a device) is passed over without blocking:
  // false, and *passedOver (when not null) says what it was.
  static bool openDebugFile(const std::string& path, std::string* passedOver = nullptr);
  // Appends one line; does nothing when the file cannot be opened.
  static void printDebugInfo(const std::string& path, const std::string& text);
  // "YYYY-MM-DD.HH:MM:SS\t " + text + "\n" in local time.
  static std::string formatLine(std::time_t when, const std::string& text);
  // Tells a repeated message from a new one before it is logged: compares the status
  // and both data bytes with the plug-in's lastMidiData, stores them there and returns
  // true when any differed. threads: main, midi-in, worker, tick-performer (whichever logs
  // MIDI, one at a time).
  static bool compareMIDIdata(Tavro* plug, IMidiMsg msg);
};
