#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptLineSplit.h"

namespace {
// Every line the host takes from `first` and then, once the script ended, from `rest`.
std::vector<std::string> Lines(const std::string& first, const std::string& rest) {
  std::vector<std::string> lines;
  std::string buffered = first, line;
  while (TakeScriptLine(buffered, false, line)) lines.push_back(line);
  buffered += rest;
  while (TakeScriptLine(buffered, true, line)) lines.push_back(line);
  return lines;
}
}  // namespace

TEST(ScriptLineSplit, EveryLineIsTakenWholeOnceItsEndOrTheScriptsEndCame) {
  const std::string longLine(10000, 'a');
  const struct {
    const char* why;
    std::string first, rest;
    std::vector<std::string> lines;
  } rows[] = {
      {"empty script", "", "", {}},
      {"no final newline", "play\nstop", "", {"play", "stop"}},
      {"blank lines kept", "\n\nplay\n", "", {"", "", "play"}},
      {"a line cut between reads", "pl", "ay\n", {"play"}},
      {"a line longer than a read", longLine.substr(0, 4096), longLine.substr(4096), {longLine}},
      {"CR and NUL are the line's", std::string("a\r\nb\0c\n", 7), "", {"a\r", std::string("b\0c", 3)}},
  };
  for (const auto& row : rows) EXPECT_EQ(Lines(row.first, row.rest), row.lines) << row.why;
}
