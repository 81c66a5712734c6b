#pragma once
// The UI settings file "Tavro Editor UI.txt" in the data folder: up to three lines.
// Line 1 is kept for the writer, line 2 is the panel size ("small", "normal",
// "large"), line 3 "no" asks for the first-run notice.
//
// threads: main

#include <string>

struct UISettings {
  // Three short lines, with room to spare: a larger file is none of ours and is
  // passed over.
  static constexpr size_t kMostFileBytes = 64 * 1024;

  // The panel sizes line 2 names, by the panel-size parameter's value, and their scales.
  static constexpr const char* kSizeNames[3] = {"small", "normal", "large"};
  static constexpr double kSizeScales[3] = {0.75, 1.0, 1.25};

  std::string lines[3];
  // Something stood at the path and was not read: it is never written over.
  bool passedOver = false;

  // 0.75, 1.0 or 1.25 by line 2; 1.0 for anything else.
  double scale() const;
  // The value of the panel-size parameter line 2 asks for (0, 1, 2), or -1 for none.
  int sizeParamValue() const;
  bool firstRunNoticeWanted() const { return lines[2] == "no"; }
};

// Lines up to a newline, with trailing blanks, carriage returns, newlines and tabs
// removed; missing lines stay empty.
UISettings ParseUISettings(const std::string& text);
// The same from the file; all lines empty when it cannot be read. Only a regular
// file of at most kMostFileBytes is read, opened without blocking; anything else
// standing at the path (a FIFO, a device, an endless file) is passed over and
// *passedOver says what it was. A missing file is no news: *passedOver stays.
UISettings ReadUISettings(const std::string& path, std::string* passedOver);
