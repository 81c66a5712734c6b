#pragma once
// The host's saved state and the simulated synthesizer's record around it: where in
// the record the performance dump and the real-time messages stand.

#include <string>
#include <utility>
#include <vector>

#include "JackSimSupport.h"
#include "PanelPoints.h"
#include "StateChunkSupport.h"
#include "messaging/tables/DumpFieldTable.h"

// Bytes in a record line of hex pairs.
inline size_t Size(const std::string& line) { return (line.size() + 1) / 3; }

inline bool IsDump(const std::string& line) {
  return line.rfind("F0 ", 0) == 0 && Size(line) == size_t(kPerformanceDumpSize);
}

// The record's last lines, for a failure's message.
inline std::string Tail(const std::vector<std::string>& lines) {
  std::string tail;
  for (size_t i = lines.size() > 12 ? lines.size() - 12 : 0; i < lines.size(); ++i)
    tail += "\n" + lines[i].substr(0, 40);
  return tail;
}

// Index of the first line at or after `from` that `match` accepts; npos for none.
template <class Match>
size_t Find(const std::vector<std::string>& lines, size_t from, Match match) {
  for (size_t i = from; i < lines.size(); ++i)
    if (match(lines[i])) return i;
  return std::string::npos;
}
