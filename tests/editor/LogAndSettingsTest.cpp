// The debug log and the UI settings file, as start-up meets them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <sstream>

#include <filesystem>
#include "EditorTestSupport.h"
#include "Framework/IMidiMsg.h"
#include "editor/DebuggerOutput.h"
#include "editor/UISettings.h"

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Every path and text built from the root is whole: a relative root given by the host
// is read from the working folder, a relative $XDG_DATA_HOME is no root at all.
TEST(DataRoot, IsAlwaysAnAbsolutePath) {
  char folder[4096];
  ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
  PlatformSetDataRoot("rr/");
  EXPECT_EQ(PlatformDataRoot(), std::string(folder) + "/rr");
  PlatformSetDataRoot("");
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string kept = xdg ? xdg : "";
  setenv("XDG_DATA_HOME", "relative", 1);
  EXPECT_EQ(PlatformDataRoot().front(), '/');
  setenv("XDG_DATA_HOME", "/abs/", 1);
  EXPECT_EQ(PlatformDataRoot(), "/abs");
  if (xdg)
    setenv("XDG_DATA_HOME", kept.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

TEST(Log, AbsentLogCreatesNothingUnderTheDataRoot) {
  EditorFixture f;
  EXPECT_FALSE(f.plug->debugEnabled);
  EXPECT_TRUE(f.data.contents().empty());
}

TEST(Log, PresentLogIsEmptiedThenHoldsTheStageLinesInOrder) {
  TempDataRoot data;
  data.write("Tavro Editor LOG.txt", "old line\n");
  RegisterBuiltBundle();
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  { Tavro plug(info, std::make_shared<MidiPortFake>()); }
  const std::vector<std::string> lines = LinesOf(data.read("Tavro Editor LOG.txt"));
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.front().find("\t INITIALIZATION STARTED!"), std::string::npos);
  const char* stages[] = {"INITIALIZATION STARTED!",
                          "Data folder located at ",
                          "PATCH MANAGER INITIALIZED...",
                          "PATCH LIBRARIAN INITIALIZED...",
                          "PATCH LIBRARIAN COMPLETED FILE LOADING...",
                          "STARTING USER INTERFACE CONFIGURATION...",
                          "USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI",
                          "Layers attached...",
                          "Control set 1 attached",
                          "Librarian menus attached",
                          "Control set 2 attached... Resetting",
                          "RESET: Host sample rate 44100Hz",
                          "Plug-in is ready to load!"};
  size_t at = 0;
  for (const char* stage : stages) {
    while (at < lines.size() && lines[at].find(std::string("\t ") + stage) == std::string::npos) ++at;
    EXPECT_LT(at, lines.size()) << "missing or out of order: " << stage;
  }
  for (const std::string& line : lines) EXPECT_EQ(line.find("old line"), std::string::npos);
}

// A FIFO put in the log's place after start-up, with nobody reading it: a line is
// dropped rather than waited for (the render thread logs too). Should the write wait,
// the test opens the FIFO for reading itself after a generous bound, so it fails
// rather than hangs.
TEST(Log, ALineForAFifoWithoutAReaderIsNotWaitedFor) {
  TempDataRoot data;
  std::filesystem::create_directories(data.folder());
  const std::string path = data.folder() + "Tavro Editor LOG.txt";
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  std::future<void> line = std::async(std::launch::async, [&] { DebuggerOutput::printDebugInfo(path, "RESET: "); });
  const bool ended = line.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  if (!ended) {
    const int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    line.wait();
    close(reader);
  }
  EXPECT_TRUE(ended);
}

TEST(Log, LineFormatIsLocalTimeTabBlankTextNewline) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(DebuggerOutput::formatLine(86400 + 3661, "RESET: x"), "1970-01-02.01:01:01\t RESET: x\n");
  EXPECT_EQ(DebuggerOutput::formatLine(0, ""), "1970-01-01.00:00:00\t \n");
}

TEST(Log, CompareMidiDataTellsARepeatFromANewMessageByEachByte) {
  EditorFixture f;
  const IMidiMsg cc(0, 0xB2, 74, 100);
  EXPECT_TRUE(DebuggerOutput::compareMIDIdata(f.plug.get(), cc));
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(f.plug.get(), cc));
  EXPECT_EQ(f.plug->lastMidiData[0], 0xB2);
  EXPECT_EQ(f.plug->lastMidiData[1], 74);
  EXPECT_EQ(f.plug->lastMidiData[2], 100);
  // Each byte on its own counts; the offset does not.
  const IMidiMsg changed[] = {IMidiMsg(0, 0xB2, 74, 101), IMidiMsg(0, 0xB2, 75, 101), IMidiMsg(0, 0xB3, 75, 101)};
  for (const IMidiMsg& msg : changed) {
    EXPECT_TRUE(DebuggerOutput::compareMIDIdata(f.plug.get(), msg));
    EXPECT_FALSE(DebuggerOutput::compareMIDIdata(f.plug.get(), msg));
  }
  EXPECT_FALSE(DebuggerOutput::compareMIDIdata(f.plug.get(), IMidiMsg(512, 0xB3, 75, 101)));
  EXPECT_EQ(f.plug->lastMidiData[3], 0) << "only the first three entries are used";
}

TEST(UISettingsFile, LinesAreCutAndTrimmed) {
  struct Case {
    const char* name;
    std::string text;
    std::string lines[3];
    double scale;
    int sizeParam;
  };
  const Case cases[] = {
      {"empty", "", {"", "", ""}, 1.0, -1},
      {"short", "a\nsmall", {"a", "small", ""}, 0.75, 0},
      {"crlf", "x\r\nlarge \r\nno\r\n", {"x", "large", "no"}, 1.25, 2},
      {"tabs", "\t\nnormal\t\t\nyes \t", {"", "normal", "yes"}, 1.0, 1},
      {"capital", "\nLarge\n", {"", "Large", ""}, 1.0, -1},
      {"fourth line ignored", "1\n2\n3\n4\n", {"1", "2", "3"}, 1.0, -1},
      {"leading blanks kept", "\n small\n", {"", " small", ""}, 1.0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UISettings s = ParseUISettings(c.text);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s.lines[i], c.lines[i]) << i;
    EXPECT_DOUBLE_EQ(s.scale(), c.scale);
    EXPECT_EQ(s.sizeParamValue(), c.sizeParam);
  }
  EXPECT_TRUE(ParseUISettings("\n\nno").firstRunNoticeWanted());
  EXPECT_FALSE(ParseUISettings("\n\nNo").firstRunNoticeWanted());
}

TEST(UISettingsFile, LongLinesAreReadWholeAndAMissingFileReadsEmpty) {
  const UISettings s = ParseUISettings(std::string(10000, 'x') + "\nlarge\n");
  EXPECT_EQ(s.lines[0], std::string(10000, 'x'));
  EXPECT_EQ(s.lines[1], "large");
  std::string passedOver;
  const UISettings missing = ReadUISettings("/nonexistent/Tavro Editor UI.txt", &passedOver);
  EXPECT_EQ(missing.lines[0] + missing.lines[1] + missing.lines[2], "");
  EXPECT_EQ(passedOver, "") << "a missing file is no news";
}

// A settings file beyond its size limit is not read at all, however it begins: its
// lines stay empty and the reason is given.
TEST(UISettingsFile, AFileLargerThanTheLimitIsPassedOverAndSaidSo) {
  TempDataRoot data;
  data.write("Tavro Editor UI.txt", "one\nlarge\nno\n" + std::string(UISettings::kMostFileBytes, 'x'));
  std::string passedOver;
  const UISettings s = ReadUISettings(data.folder() + "Tavro Editor UI.txt", &passedOver);
  EXPECT_EQ(s.lines[0] + s.lines[1] + s.lines[2], "");
  EXPECT_EQ(passedOver, "larger than " + std::to_string(UISettings::kMostFileBytes) + " bytes");
}

}  // namespace
