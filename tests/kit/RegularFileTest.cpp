// Files read from the folders the user fills: a FIFO, a device or an endless file at
// the name is passed over without blocking and said; a regular file is read whole
// up to its limit.
#include "Kit_AtomicFile.h"
#include "Kit_RegularFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include "RemoveTree.h"

namespace {

class RegularFile : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/kit_regular_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { RemoveTree(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Fifo(const std::string& name) const {
    const std::string path = Path(name);
    EXPECT_EQ(mkfifo(path.c_str(), 0644), 0);
    return path;
  }

  std::string dir_;
};

TEST_F(RegularFile, OneByteOverTheLimitIsTooLarge) {
  std::ofstream(Path("a.txt"), std::ios::binary) << std::string(101, 'x');
  std::string bytes = "old", why;
  EXPECT_EQ(Kit_ReadRegularFile(Path("a.txt"), 100, &bytes, &why), Kit_FileRead::TooLarge);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(why, "larger than 100 bytes");
}

// A link to /dev/zero never ends: read up to a newline or to its end, it would run
// for ever.
TEST_F(RegularFile, ALinkToAnEndlessDeviceIsPassedOver) {
  ASSERT_EQ(symlink("/dev/zero", Path("zero").c_str()), 0);
  std::string bytes, why;
  EXPECT_EQ(Kit_ReadRegularFile(Path("zero"), 100, &bytes, &why), Kit_FileRead::NotRegular);
  EXPECT_EQ(why, "a device, not a file");
  EXPECT_EQ(Kit_ReadRegularFile(dir_, 100, &bytes, &why), Kit_FileRead::NotRegular);
  EXPECT_EQ(why, "a folder, not a file");
}

// A FIFO (here at the end of a link) is never replaced by a file: as root, a link to
// a device would otherwise have the device node itself replaced.
TEST_F(RegularFile, AnAtomicWriteLeavesAFifoAndALinkToItAsTheyAre) {
  const std::string fifo = Fifo("UI.txt");
  ASSERT_EQ(symlink(fifo.c_str(), Path("link.txt").c_str()), 0);
  for (const std::string& target : {fifo, Path("link.txt")}) {
    std::string error;
    EXPECT_FALSE(Kit_WriteFileAtomically(target, "normal", 6, &error));
    EXPECT_NE(error.find("a FIFO stands there, not a file"), std::string::npos) << error;
  }
  struct stat st {};
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(lstat(Path("link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
