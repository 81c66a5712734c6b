#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "MidiTransport/MidiPortJackServerProcess.h"

TEST(JackServerProcessFiles, AStatLineGivesItsStateOnlyWhenWhole) {
  const struct {
    const char* why;
    std::string line;
    char state;
  } rows[] = {
      {"whole", "4242 (jackd) R 1 4242 4242 0 -1", 'R'},
      {"blanks and ')' in the command", "4243 (a) R (b) ) S 1 2", 'S'},
      {"cut after the blank", "4244 (jackd) ", 0},
      {"cut at the parenthesis", "4244 (jackd)", 0},
      {"cut in the command", "4244 (jac", 0},
      {"no blank after the command", "4244 (jackd)R 1", 0},
      {"empty", "", 0},
  };
  for (const auto& row : rows) EXPECT_EQ(StatLineThreadState(row.line.data(), row.line.size()), row.state) << row.why;
}

TEST(JackServerProcessFiles, TheRegistryGivesAPidOnlyForAWholeNamedEntry) {
  // A 24-byte header, then entries of a native pid and a 260-byte name.
  const auto registry = [](std::vector<std::pair<pid_t, std::string>> entries) {
    std::vector<uint8_t> bytes(24 + 264 * entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      std::memcpy(&bytes[24 + 264 * i], &entries[i].first, sizeof(pid_t));
      std::memcpy(&bytes[28 + 264 * i], entries[i].second.data(), std::min<size_t>(260, entries[i].second.size()));
    }
    return bytes;
  };
  const std::string wanted = "jack-1000:tavro:";
  const std::string full(260, 'x');
  const std::vector<uint8_t> one = registry({{9, wanted}});
  const struct {
    const char* why;
    std::vector<uint8_t> bytes;
    std::string entry;
    pid_t pid;
  } rows[] = {
      {"second entry", registry({{7, "jack-1000:other:"}, {9, wanted}}), wanted, 9},
      {"a longer name", registry({{7, wanted + "x:"}}), wanted, -1},
      {"no pid", registry({{0, wanted}, {-3, wanted}}), wanted, -1},
      {"cut entry", std::vector<uint8_t>(one.begin(), one.end() - 1), wanted, -1},
      {"no terminator", registry({{9, full}}), full.substr(0, 259), -1},
      {"header only", registry({}), wanted, -1},
      {"empty", {}, wanted, -1},
  };
  for (const auto& row : rows)
    EXPECT_EQ(JackRegistryServerPid(row.bytes.data(), row.bytes.size(), row.entry), row.pid) << row.why;
}
