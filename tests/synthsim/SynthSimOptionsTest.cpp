// synth-sim's command line: each option reaches its setting, and anything else (an
// unknown option, a missing word, a value out of its range) is refused whole.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "SynthSimOptions.h"

namespace {

bool Parse(std::initializer_list<const char*> words, SynthSimOptions& options) {
  std::vector<const char*> argv = {"synth-sim"};
  argv.insert(argv.end(), words.begin(), words.end());
  return ParseSynthSimOptions(int(argv.size()), argv.data(), options);
}

TEST(SynthSimOptions, NoneLeavesTheDefaults) {
  SynthSimOptions o;
  ASSERT_TRUE(Parse({}, o));
  EXPECT_EQ(o.name, "Nord Sim");
  EXPECT_EQ(o.settings.model, 1);
  EXPECT_EQ(o.settings.replyLatencyMicros, 1000u);
  EXPECT_EQ(o.unsolicitedMs, 0);
  EXPECT_TRUE(o.memoryValues.empty());
}

TEST(SynthSimOptions, EachReachesItsSetting) {
  SynthSimOptions o;
  ASSERT_TRUE(Parse({"--name",
                     "Sim 2",
                     "--device-id",
                     "15",
                     "--model",
                     "2",
                     "--latency-ms",
                     "40",
                     "--silent",
                     "--wrong-size",
                     "--wire-time",
                     "--silent-after",
                     "3",
                     "--reply-length",
                     "725",
                     "--slot-byte-out-of-range",
                     "--unsolicited-ms",
                     "250",
                     "--memory-write-ms",
                     "7",
                     "--record",
                     "r.txt",
                     "--script",
                     "s.txt",
                     "--memory-out",
                     "m.txt",
                     "--set",
                     "kFilterCutoff",
                     "2",
                     "99",
                     "--set",
                     "kOscSync",
                     "0",
                     "3"},
                    o));
  EXPECT_EQ(o.name, "Sim 2");
  EXPECT_EQ(o.settings.deviceId, 15);
  EXPECT_EQ(o.settings.model, 2);
  EXPECT_EQ(o.settings.replyLatencyMicros, 40000u);
  EXPECT_TRUE(o.settings.silent);
  EXPECT_TRUE(o.settings.wrongSizeReplies);
  EXPECT_TRUE(o.settings.wireTime);
  EXPECT_EQ(o.settings.silentAfterRequests, 3);
  EXPECT_EQ(o.settings.replyLength, 725);
  EXPECT_TRUE(o.settings.slotByteOutOfRange);
  EXPECT_EQ(o.unsolicitedMs, 250);
  EXPECT_EQ(o.settings.memoryWriteMicros, 7000u);
  EXPECT_EQ(o.recordPath, "r.txt");
  EXPECT_EQ(o.scriptPath, "s.txt");
  EXPECT_EQ(o.memoryOutPath, "m.txt");
  ASSERT_EQ(o.memoryValues.size(), 2u);
  EXPECT_EQ(o.memoryValues[0].name, "kFilterCutoff");
  EXPECT_EQ(o.memoryValues[0].slot, 2);
  EXPECT_EQ(o.memoryValues[0].value, 99);
  EXPECT_EQ(o.memoryValues[1].name, "kOscSync");
  EXPECT_EQ(o.memoryValues[1].value, 3);
}

TEST(SynthSimOptions, WrongWordsAreRefused) {
  for (const std::vector<const char*>& bad : std::vector<std::vector<const char*>>{{"--unknown"},
                                                                                   {"--name"},
                                                                                   {"--device-id", "16"},
                                                                                   {"--device-id", "x"},
                                                                                   {"--device-id", "3x"},
                                                                                   {"--model", "-1"},
                                                                                   {"--latency-ms", "60001"},
                                                                                   {"--silent-after", "1000001"},
                                                                                   {"--reply-length", "140"},
                                                                                   {"--reply-length", "766"},
                                                                                   {"--unsolicited-ms", "0"},
                                                                                   {"--memory-write-ms", ""},
                                                                                   {"--set", "k", "4", "0"},
                                                                                   {"--set", "k", "0", "256"},
                                                                                   {"--set", "k", "0"},
                                                                                   {"--silent", "--record"}}) {
    SynthSimOptions o;
    std::vector<const char*> argv = {"synth-sim"};
    argv.insert(argv.end(), bad.begin(), bad.end());
    EXPECT_FALSE(ParseSynthSimOptions(int(argv.size()), argv.data(), o)) << bad[0];
  }
}

TEST(SynthSimOptions, TheUsageNamesEveryOptionWithItsWords) {
  const std::string usage = SynthSimUsage();
  EXPECT_EQ(usage.rfind("usage: synth-sim [--name N]", 0), 0u) << usage;
  for (const SynthSimOptionRow& row : SynthSimOptionTable())
    EXPECT_NE(usage.find("[" + row.name), std::string::npos) << row.name;
  EXPECT_NE(usage.find("[--set NAME SLOT VALUE]"), std::string::npos) << usage;
  EXPECT_EQ(usage.back(), '\n');
}

}  // namespace
