// Programs the tests run get their arguments whole, with no shell between: paths with
// blanks, quotes, dollars and letters beyond ASCII, as a clone's folder may hold.
#include <gtest/gtest.h>

#include <string>

#include "RunProgram.h"

namespace {

TEST(RunProgram, EachArgumentReachesTheProgramAsItStands) {
  for (const std::string argument : {"/tmp/a b é/x", "it's \"quoted\"", "$HOME `id` ; exit 9", "two\nlines", ""}) {
    std::string output;
    EXPECT_EQ(RunProgram({"printf", "[%s]", argument}, &output), 0);
    EXPECT_EQ(output, "[" + argument + "]");
  }
}

TEST(RunProgram, GivesTheExitStatusAndMinusOneWhenItCannotStartOrIsKilled) {
  EXPECT_EQ(RunProgram({"sh", "-c", "exit 3"}), 3);
  EXPECT_EQ(RunProgram({"/nonexistent/tavro program"}), -1);
  EXPECT_EQ(RunProgram({"sh", "-c", "kill -TERM $$"}), -1);
  EXPECT_EQ(RunProgram({}), -1);
}

TEST(RunProgram, ErrorsJoinTheOutputUnlessAskedForApart) {
  const std::vector<std::string> both{"sh", "-c", "echo out; echo err >&2"};
  std::string output, errors;
  EXPECT_EQ(RunProgram(both, &output), 0);
  EXPECT_EQ(output, "out\nerr\n");
  EXPECT_EQ(RunProgram(both, &output, &errors), 0);
  EXPECT_EQ(output, "out\n");
  EXPECT_EQ(errors, "err\n");
}

// More than a pipe holds on each stream at once: neither side waits on the other.
TEST(RunProgram, ReadsLongOutputOnBothStreams) {
  std::string output, errors;
  EXPECT_EQ(RunProgram({"sh", "-c", "head -c 300000 /dev/zero; head -c 300000 /dev/zero >&2"}, &output, &errors), 0);
  EXPECT_EQ(output.size(), 300000u);
  EXPECT_EQ(errors.size(), 300000u);
}

}  // namespace
