// The resource builder: the bundle's enciphered texts decipher to the assembled
// sources, building again gives the same bytes in every file, and the layout's
// indentation changes nothing but itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "LintTestSupport.h"
#include "RemoveTree.h"
#include "RunProgram.h"

namespace {

std::string Deciphered(const std::string& path) {
  std::string cipher = ReadAll(path);
  std::vector<unsigned char> plain = DecipherBlocks({cipher.begin(), cipher.end()}, kResourceKey);
  std::string text(plain.begin(), plain.end());
  return text.substr(0, text.find('\0'));
}

const char* const kBuilder = TAVRO_BINARY_DIR "/tools/tavro-resources/tavro-resources";

int RunBuilder(const std::string& out) {
  mkdir(out.c_str(), 0755);
  return RunProgram({kBuilder, ResourceSources(), out});
}

// Runs the builder on the sources in src into src/out, the plain texts into
// src/plain and its messages into src/err.
int RunBuilderIn(const std::string& src) {
  mkdir((src + "/out").c_str(), 0755);
  mkdir((src + "/plain").c_str(), 0755);
  std::string output, errors;
  const int status = RunProgram({kBuilder, src, src + "/out", src + "/plain"}, &output, &errors);
  std::ofstream(src + "/err") << errors;
  return status;
}

// A copy of the resource sources whose layout is text.
std::string SourcesWithLayout(const std::string& dir, const std::string& text) {
  RemoveTree(dir);
  std::filesystem::copy(ResourceSources(), dir, std::filesystem::copy_options::recursive);
  std::ofstream(dir + "/uiconfig.xml", std::ios::trunc) << text;
  return dir;
}

// The text with each line's leading blanks given to indent, which writes them anew.
std::string Reindented(const std::string& text, const std::function<std::string(size_t blanks)>& indent) {
  std::istringstream in(text);
  std::string out;
  std::string line;
  while (std::getline(in, line)) {
    const size_t blanks = std::min(line.find_first_not_of(' '), line.size());
    out += indent(blanks) + line.substr(blanks) + "\n";
  }
  return out;
}

// The lines of the text, each without its indentation.
std::vector<std::string> UnindentedLines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line.substr(std::min(line.find_first_not_of(" \t"), line.size())));
  return lines;
}

TEST(Builder, EncipheredTextsDecipherToTheirSources) {
  const std::string resources = BuiltBundle() + "/Resources/";
  EXPECT_EQ(Deciphered(resources + "uiconfig.tea"), ReadAll(PlainResources() + "/uiconfig.xml"));
  EXPECT_EQ(Deciphered(resources + "sysex.tea"), ReadAll(ResourceSources() + "/sysex.xml"));
  // The hand-written part of the layout reaches the bundle unchanged.
  EXPECT_NE(ReadAll(PlainResources() + "/uiconfig.xml").find("<layer name=\"midiFilterSettings\" id=\"0\">"),
            std::string::npos);
}

TEST(Builder, SecondRunGivesIdenticalBytes) {
  const std::string out = "/tmp/tavro_resources_again_" + std::to_string(getpid());
  ASSERT_EQ(RunBuilder(out), 0);
  std::vector<std::string> names = FilesIn(out);
  EXPECT_EQ(names.size(), 76u);  // 74 images and the two texts
  for (const std::string& name : names) {
    EXPECT_EQ(ReadAll(out + "/" + name), ReadAll(BuiltBundle() + "/Resources/" + name)) << name;
  }
  RemoveTree(out);
}

// Where each name lands follows the layout's elements, not the blanks before them.
TEST(Builder, ReindentingTheLayoutKeepsEveryLabelAndImage) {
  const std::string layout = ReadAll(ResourceSources() + "/uiconfig.xml");
  const std::pair<const char*, std::function<std::string(size_t)>> ways[] = {
      {"flush left", [](size_t) { return std::string(); }},
      {"tabs", [](size_t n) { return std::string(n / 2, '\t') + std::string(n % 2, ' '); }},
      {"four blanks a level", [](size_t n) { return std::string(2 * n, ' '); }},
  };
  const std::string tmp = "/tmp/tavro_resources_reindented_" + std::to_string(getpid());
  for (const auto& [how, indent] : ways) {
    const std::string src = SourcesWithLayout(tmp, Reindented(layout, indent));
    ASSERT_EQ(RunBuilderIn(src), 0) << how << ": " << ReadAll(src + "/err");
    EXPECT_EQ(ReadAll(src + "/plain/labels.tsv"), ReadAll(PlainResources() + "/labels.tsv")) << how;
    // The bundle's layout differs in its indentation alone.
    const std::vector<std::string> built = UnindentedLines(ReadAll(src + "/plain/uiconfig.xml"));
    const std::vector<std::string> original = UnindentedLines(ReadAll(PlainResources() + "/uiconfig.xml"));
    EXPECT_EQ(built.size(), original.size()) << how;
    for (size_t i = 0; i < std::min(built.size(), original.size()); ++i) {
      ASSERT_EQ(built[i], original[i]) << how << ", line " << i + 1;
    }
    for (const std::string& name : FilesIn(src + "/out")) {
      if (name.find(".png") == std::string::npos) continue;
      EXPECT_EQ(ReadAll(src + "/out/" + name), ReadAll(BuiltBundle() + "/Resources/" + name)) << how << ": " << name;
    }
  }
  RemoveTree(tmp);
}

// A label the builder could not take out would reach the panel's reader as an
// attribute it does not know; the builder stops instead, naming the element's line.
TEST(Builder, ALabelOffItsElementsFirstLineStopsTheBuild) {
  std::string layout = ReadAll(ResourceSources() + "/uiconfig.xml");
  const size_t at = layout.find(" label=\"Prev\"");
  ASSERT_NE(at, std::string::npos);
  layout[at] = '\n';
  const std::string src = SourcesWithLayout("/tmp/tavro_resources_split_" + std::to_string(getpid()), layout);
  EXPECT_NE(RunBuilderIn(src), 0);
  const std::string err = ReadAll(src + "/err");
  EXPECT_NE(err.find("layout line "), std::string::npos) << err;
  EXPECT_NE(err.find("label="), std::string::npos) << err;
  EXPECT_TRUE(FilesIn(src + "/out").empty());
  RemoveTree(src);
}

// Taking out a caption's line would take whatever else stands on it.
TEST(Builder, ACaptionSharingItsLineStopsTheBuild) {
  std::string layout = ReadAll(ResourceSources() + "/uiconfig.xml");
  const size_t caption = layout.find("<caption ");
  ASSERT_NE(caption, std::string::npos);
  layout.insert(layout.find('\n', caption), " <caption text=\"Second\" at=\"10,60\"/>");
  const std::string src = SourcesWithLayout("/tmp/tavro_resources_shared_" + std::to_string(getpid()), layout);
  EXPECT_NE(RunBuilderIn(src), 0);
  const std::string err = ReadAll(src + "/err");
  EXPECT_NE(err.find("<caption/> must stand alone on its line"), std::string::npos) << err;
  EXPECT_TRUE(FilesIn(src + "/out").empty());
  RemoveTree(src);
}

TEST(Builder, ABrokenSourceStopsTheBuildNamingItsLine) {
  const std::string src = "/tmp/tavro_resources_broken_" + std::to_string(getpid());
  std::filesystem::copy(ResourceSources(), src, std::filesystem::copy_options::recursive);
  std::ofstream(src + "/value-lists.tsv", std::ios::app) << "tooLong\t" << std::string(60, 'x') << "\n";
  const std::string out = src + "/out";
  mkdir(out.c_str(), 0755);
  std::string output, errors;
  EXPECT_NE(RunProgram({kBuilder, src, out}, &output, &errors), 0);
  EXPECT_NE(errors.find("value-lists.tsv:"), std::string::npos) << errors;
  EXPECT_TRUE(FilesIn(out).empty());
  RemoveTree(src);
}

}  // namespace
