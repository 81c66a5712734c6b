// A child program started again on its last run's output file, as the simulated unit
// is between two stages of the evening: the new run is ready only on its own lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "RemoveTree.h"

namespace {

class ChildProcessRun : public testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavro_child_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { RemoveTree(folder_); }
  std::string output() const { return folder_ + "/out.txt"; }

  // A shell running `script`, then waiting to be stopped.
  static std::vector<std::string> Shell(const std::string& script) {
    return {"/bin/sh", "-c", script + "; exec sleep 60"};
  }

  std::string folder_;
};

TEST_F(ChildProcessRun, ARunStartedAgainIsReadyOnlyOnItsOwnLines) {
  ChildProcess child;
  ASSERT_TRUE(child.StartProgram("/bin/sh", Shell("echo first 1; echo first 2; echo first 3"), output(), 2));
  ASSERT_TRUE(ChildProcess::WaitFor([&] { return ChildProcess::Lines(output()).size() == 3; }));
  child.Stop();
  // The second run takes its time to come up; the first run's three lines must not
  // stand for its two.
  ASSERT_TRUE(child.StartProgram("/bin/sh", Shell("sleep 0.3; echo second 1; echo second 2"), output(), 2));
  EXPECT_EQ(ChildProcess::Lines(output()), (std::vector<std::string>{"second 1", "second 2"}));
}

TEST_F(ChildProcessRun, AnOutputThatCannotBeWrittenStartsNothing) {
  ChildProcess child;
  EXPECT_FALSE(child.StartProgram("/bin/sh", Shell("echo never"), folder_ + "/missing/out.txt", 1));
}

}  // namespace
