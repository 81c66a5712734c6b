// Start-up never hangs on what the data folder holds: a FIFO, or a link to an endless
// device, in the place of the settings file or the log is passed over, and the status
// line says so. Each start runs in a child process, so a start that hung under the
// old reading would end the test as a failure (after a generous bound) rather than
// hold it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include <filesystem>
#include "EditorTestSupport.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/UISettings.h"
#include "librarian/TavroParams.h"

namespace {

constexpr const char* kSettings = "Tavro Editor UI.txt";
constexpr const char* kLog = "Tavro Editor LOG.txt";

// Runs `body` in a child process; what it returned, or nullopt when the child did
// not end within a minute (then it is killed) or ended without an answer.
std::optional<std::string> InAChild(const std::function<std::string()>& body, const std::string& answerPath) {
  const pid_t child = fork();
  if (child == 0) {
    std::ofstream(answerPath) << body();
    _exit(0);
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(child, &status, WNOHANG) != child) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  std::ifstream in(answerPath);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

enum class Standing { Fifo, LinkToZero };

class StartupPassesOver : public ::testing::TestWithParam<std::tuple<const char*, Standing>> {
protected:
  void SetUp() override {
    RegisterBuiltBundle();
    std::filesystem::create_directories(data.folder());
    const std::string path = data.folder() + name();
    if (standing() == Standing::Fifo)
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    else
      ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
  }
  const char* name() const { return std::get<0>(GetParam()); }
  Standing standing() const { return std::get<1>(GetParam()); }
  std::string kind() const { return standing() == Standing::Fifo ? "a FIFO" : "a device"; }

  TempDataRoot data;
};

TEST_P(StartupPassesOver, StartEndsAndTheStatusLineSaysWhatWasPassedOver) {
  const std::optional<std::string> status = InAChild(
      [] {
        IModuleInstanceInfo info;
        info.mBundleID.Set(Tavro::kBundleID);
        Tavro plug(info, std::make_shared<MidiPortFake>());
        return plug.statusShown() + "|" + std::to_string(plug.debugEnabled) + "|" + std::to_string(plug.uiScale);
      },
      data.root() + "/answer.txt");
  ASSERT_TRUE(status) << "start-up did not end";
  EXPECT_EQ(*status, "Passed over: " + std::string(name()) + " (" + kind() + ", not a file)|0|1.000000");
}

// The host's reset puts its greeting on the line before the panel opens: the panel,
// once open, says what was passed over, and then what the ports' text says.
TEST_P(StartupPassesOver, TheTextIsReadableOnceThePanelOpens) {
  const std::optional<std::string> status = InAChild(
      [] {
        IModuleInstanceInfo info;
        info.mBundleID.Set(Tavro::kBundleID);
        const auto opened = [&info](const std::string& portText) {
          Tavro plug(info, std::make_shared<MidiPortFake>());
          plug.Reset();
          plug.portStatusForView = portText;
          plug.OnGUIOpen();
          return plug.keptControls().statusText->GetTextString();
        };
        return opened("") + "|" + opened("MIDI Out not found: Out1");
      },
      data.root() + "/answer.txt");
  ASSERT_TRUE(status) << "start-up did not end";
  const std::string said = "Passed over: " + std::string(name()) + " (" + kind() + ", not a file)";
  EXPECT_EQ(*status, said + "|" + said + " / MIDI Out not found: Out1");
}

INSTANTIATE_TEST_SUITE_P(EachFile, StartupPassesOver,
                         ::testing::Combine(::testing::Values(kSettings, kLog),
                                            ::testing::Values(Standing::Fifo, Standing::LinkToZero)));

// The panel size written back: the FIFO in the settings file's place stays a FIFO
// and the write is said to have failed; nothing waits for a reader.
TEST(StartupPassesOverSave, TheSettingsSaveLeavesAFifoAndSaysSo) {
  RegisterBuiltBundle();
  TempDataRoot data;
  std::filesystem::create_directories(data.folder());
  const std::string path = data.folder() + kSettings;
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  const std::optional<std::string> status = InAChild(
      [] {
        IModuleInstanceInfo info;
        info.mBundleID.Set(Tavro::kBundleID);
        Tavro plug(info, std::make_shared<MidiPortFake>());
        plug.GetParam(kUserInterfaceSize)->Set(2.0);
        plug.OnParamChange(kUserInterfaceSize);
        return plug.statusShown();
      },
      data.root() + "/answer.txt");
  ASSERT_TRUE(status) << "the save did not end";
  EXPECT_EQ(*status, "Tavro Editor UI.txt NOT SAVED!");
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// What start-up passed over is never written over: a size change says it was not saved.
TEST(StartupPassesOverSave, ASettingsFilePassedOverIsNotWrittenOver) {
  RegisterBuiltBundle();
  const std::string large = "\nlarge\nyes\n" + std::string(UISettings::kMostFileBytes, '#');
  for (bool link : {false, true}) {
    TempDataRoot data;
    std::filesystem::create_directories(data.folder());
    const std::string path = data.folder() + kSettings;
    if (link)
      ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
    else
      data.write(kSettings, large);
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    Tavro plug(info, std::make_shared<MidiPortFake>());
    plug.GetParam(kUserInterfaceSize)->Set(0.0);
    plug.OnParamChange(kUserInterfaceSize);
    EXPECT_EQ(plug.statusShown(), "Tavro Editor UI.txt NOT SAVED!") << link;
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_EQ(S_ISLNK(st.st_mode), link);
    if (!link) {
      EXPECT_TRUE(data.read(kSettings) == large) << "the file was written over";
    }
  }
}

}  // namespace
