// The resource builder: the bundle's enciphered texts decipher to the assembled
// sources, and building again gives the same bytes in every file.

#include <gtest/gtest.h>

#include <cstdlib>

#include "LintTestSupport.h"

namespace {

std::string Deciphered(const std::string& path) {
  std::string cipher = ReadAll(path);
  std::vector<unsigned char> plain = DecipherBlocks({cipher.begin(), cipher.end()}, kResourceKey);
  std::string text(plain.begin(), plain.end());
  return text.substr(0, text.find('\0'));
}

int RunBuilder(const std::string& out) {
  mkdir(out.c_str(), 0755);
  const std::string command = std::string(TAVRO_BINARY_DIR) + "/tools/tavro-resources/tavro-resources '" +
                              ResourceSources() + "' '" + out + "' > /dev/null";
  return std::system(command.c_str());
}

TEST(Builder, EncipheredTextsDecipherToTheirSources) {
  const std::string resources = BuiltBundle() + "/Resources/";
  EXPECT_EQ(Deciphered(resources + "uiconfig.tea"), ReadAll(PlainResources() + "/uiconfig.xml"));
  EXPECT_EQ(Deciphered(resources + "sysex.tea"), ReadAll(ResourceSources() + "/sysex.xml"));
  // The hand-written part of the layout reaches the bundle unchanged.
  EXPECT_NE(ReadAll(PlainResources() + "/uiconfig.xml").find(
                "<layer name=\"midiFilterSettings\" id=\"0\">"),
            std::string::npos);
}

TEST(Builder, SecondRunGivesIdenticalBytes) {
  const std::string out = "/tmp/tavro_resources_again_" + std::to_string(getpid());
  ASSERT_EQ(RunBuilder(out), 0);
  std::vector<std::string> names = FilesIn(out);
  EXPECT_EQ(names.size(), 74u);  // 72 images and the two texts
  for (const std::string& name : names) {
    EXPECT_EQ(ReadAll(out + "/" + name), ReadAll(BuiltBundle() + "/Resources/" + name)) << name;
  }
  std::system(("rm -rf '" + out + "'").c_str());
}

TEST(Builder, ABrokenSourceStopsTheBuildNamingItsLine) {
  const std::string src = "/tmp/tavro_resources_broken_" + std::to_string(getpid());
  std::system(("cp -r '" + ResourceSources() + "' '" + src + "'").c_str());
  std::ofstream(src + "/value-lists.tsv", std::ios::app) << "tooLong\t" << std::string(60, 'x') << "\n";
  const std::string out = src + "/out";
  mkdir(out.c_str(), 0755);
  const std::string command = std::string(TAVRO_BINARY_DIR) + "/tools/tavro-resources/tavro-resources '" + src +
                              "' '" + out + "' 2> '" + src + "/err'";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_NE(ReadAll(src + "/err").find("value-lists.tsv:"), std::string::npos) << ReadAll(src + "/err");
  EXPECT_TRUE(FilesIn(out).empty());
  std::system(("rm -rf '" + src + "'").c_str());
}

}  // namespace
