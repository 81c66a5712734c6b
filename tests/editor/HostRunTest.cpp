// The real bundle in the test host, as the README run command opens it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "ChildProcess.h"
#include "EditorTestSupport.h"
#include "HostSnapshot.h"
#include "PanelPoints.h"
#include "RunProgram.h"
#include "StateChunkSupport.h"

namespace {

// `environment`: a further VAR=value for the host's environment.
int RunHost(const std::vector<std::string>& arguments, std::string* output, const std::string& environment = "") {
  std::vector<std::string> command = HostCommand("Tavro.component");
  // After env's own options, before the program.
  if (!environment.empty()) command.insert(command.begin() + 3, environment);
  command.insert(command.end(), {"--render-seconds", "0.05", "--fast"});
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunProgram(command, output);
}

// Runs the host on the script `lines` with the data root of `data`.
int RunScript(const TempDataRoot& data, const std::string& lines, std::string* output) {
  const std::string script = data.root() + "/script.txt";
  std::ofstream(script) << lines;
  return RunHost({"--data-root", data.root(), "--script", script}, output);
}

TEST(HostRun, WritesAFullPanelPictureAndAScriptedClickReachesTheParameter) {
  TempDataRoot data;
  const auto [x, y] = LayoutPosition("kShowLibrarian");
  ASSERT_GE(x, 0);
  const std::string script = data.root() + "/librarian.txt";
  std::ofstream(script) << "expect-param 771 0\nclick " << x + 5 << " " << y + 5 << "\nexpect-param 771 1\n";
  const std::string png = data.root() + "/panel.png";
  std::string output;
  ASSERT_EQ(RunHost({"--data-root", data.root(), "--snapshot", png, "--script", script}, &output), 0) << output;
  Picture picture;
  ASSERT_TRUE(ReadPicture(png, &picture));
  EXPECT_EQ(picture.width, 1500u);
  EXPECT_EQ(picture.height, 667u);
  int differing = 0;
  for (unsigned i = 0; i < picture.width; i += 50) differing += picture.At(i, 300) != picture.At(0, 300);
  EXPECT_GT(differing, 5);
}

TEST(HostRun, ANewDataRootIsInstalledShowsTheWelcomeNoticeAndKeepsASizeChange) {
  TempDataRoot data;
  const std::string root = data.root() + "/new root";
  // The notice's button answers only while the notice is shown; the size menu's
  // "Large" is written "large".
  const auto [exitX, exitY] = LayoutPosition("kFirstRunExit");
  ASSERT_GE(exitX, 0);
  const std::string script = data.root() + "/first.txt";
  std::ofstream(script) << "click " << exitX + 5 << " " << exitY + 5
                        << "\nchoose Large\nclick 370 30\nexpect-param 665 2\n";
  std::string output;
  ASSERT_EQ(RunHost({"--data-root", root, "--script", script}, &output), 0) << output;
  const std::string folder = root + "/Orvane/Vudidi Tavro Editor/";
  EXPECT_NE(output.find("data folder installed: " + folder), std::string::npos) << output;
  std::ifstream settings(folder + "Tavro Editor UI.txt");
  const std::string text((std::istreambuf_iterator<char>(settings)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "\nlarge\nyes") << "the notice was shown and closed, the size kept";
  struct stat st {};
  EXPECT_EQ(stat((folder + "Patches").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(output.find("MISSING"), std::string::npos) << output;
  // A second run finds the folder and leaves it alone.
  std::ofstream(script) << "expect-param 665 2\n";
  ASSERT_EQ(RunHost({"--data-root", root, "--script", script}, &output), 0) << output;
  EXPECT_EQ(output.find("data folder installed"), std::string::npos) << output;
}

// A signal cannot ask about an unsaved bank as the window's close does: the help says so, and where the changes go.
TEST(HostRun, TheHelpSaysASignalEndsThePanelWithoutAsking) {
  std::string output;
  ASSERT_EQ(RunHost({"--help"}, &output), 0) << output;
  const size_t panel = output.find("--panel ");
  ASSERT_NE(panel, std::string::npos) << output;
  const std::string line = output.substr(panel, output.find('\n', panel) - panel);
  EXPECT_EQ(line.find("as the window's close does"), std::string::npos) << line;
  EXPECT_NE(line.find("without asking"), std::string::npos) << line;
  EXPECT_NE(line.find("unsaved librarian changes kept in a new file beside their bank"), std::string::npos) << line;
}

TEST(HostRun, AFailedExpectationInTheRestoredPanelFailsTheRun) {
  TempDataRoot data;
  const std::string script = data.root() + "/restore.txt";
  std::ofstream(script) << "expect-param 794 3\n";
  std::string output;
  EXPECT_NE(RunHost({"--data-root", data.root(), "--restore-script", script}, &output), 0);
  EXPECT_NE(output.find("parameter 794 is 0"), std::string::npos) << output;
}

// Without a display the panel is drawn headless, and its instance is still the
// project: it takes the state, saves it back, and no second instance hears it again.
TEST(HostRun, AHeadlessPanelIsTheOnlyInstanceAndTakesTheState) {
  TempDataRoot data;
  const auto [knobX, knobY] = ControlCentre(0);
  ASSERT_GE(knobX, 0);
  const std::string script = data.root() + "/turn.txt", first = data.root() + "/first.plist",
                    again = data.root() + "/again.plist";
  std::ofstream(script) << "drag " << knobX << " " << knobY << " 0 -30\n";
  std::string output;
  ASSERT_EQ(RunHost({"--data-root", data.root(), "--script", script, "--state-out", first}, &output), 0) << output;
  const double turned = ChunkParam(StateChunk(first), 0);
  ASSERT_GT(turned, 0) << output;
  ASSERT_EQ(RunHost({"--data-root", data.root(), "--panel", "--state-in", first, "--state-out", again}, &output), 0)
      << output;
  EXPECT_NE(output.find("state restored from " + first + " into the panel's instance"), std::string::npos) << output;
  EXPECT_EQ(output.find("second instance"), std::string::npos) << output;
  EXPECT_EQ(output.find("host MIDI messages"), std::string::npos) << "test traffic sent beside the panel: " << output;
  EXPECT_EQ(ChunkParam(StateChunk(again), 0), turned);
  // What a second instance alone could do is refused, not silently skipped.
  for (const char* second : {"--restore-script", "--restored-state-out"}) {
    EXPECT_EQ(RunHost({"--data-root", data.root(), "--panel", second, script}, &output), 2);
    EXPECT_NE(output.find("--panel opens one instance"), std::string::npos) << output;
  }
}

// A scripted panel is the project too: the state goes once into the instance the
// script drives, which saves it back, and no second instance takes it.
TEST(HostRun, AScriptedPanelTakesTheStateOnceIntoTheInstanceItDrives) {
  TempDataRoot data;
  const auto [knobX, knobY] = ControlCentre(0);
  ASSERT_GE(knobX, 0);
  const std::string turn = data.root() + "/turn.txt", look = data.root() + "/look.txt",
                    first = data.root() + "/first.plist", again = data.root() + "/again.plist";
  std::ofstream(turn) << "drag " << knobX << " " << knobY << " 0 -30\n";
  std::ofstream(look) << "print-param 0\n";
  std::string output;
  ASSERT_EQ(RunHost({"--data-root", data.root(), "--script", turn, "--state-out", first}, &output), 0) << output;
  const double turned = ChunkParam(StateChunk(first), 0);
  ASSERT_GT(turned, 0) << output;
  ASSERT_EQ(
      RunHost({"--data-root", data.root(), "--panel", "--script", look, "--state-in", first, "--state-out", again},
              &output),
      0)
      << output;
  const std::string restored = "state restored from " + first;
  const size_t said = output.find(restored);
  EXPECT_NE(said, std::string::npos) << output;
  EXPECT_EQ(output.find(restored, said + 1), std::string::npos) << "restored twice: " << output;
  EXPECT_EQ(output.find("second instance"), std::string::npos) << output;
  std::ostringstream shown;
  shown << "param 0 = " << turned << "\n";
  EXPECT_NE(output.find(shown.str()), std::string::npos) << "the script's instance lacks the state: " << output;
  EXPECT_EQ(ChunkParam(StateChunk(again), 0), turned);
}

TEST(HostRun, ScriptsMoveTheTransportAndTempoAndPassHostMidi) {
  TempDataRoot data;
  const std::string script = data.root() + "/transport.txt";
  std::ofstream(script) << "tempo 0\nplay\nrender 2\nstop\ntempo 90.5\nrender 2\nmidi B0 07 40\nmidi C1 05\n";
  std::string output;
  EXPECT_EQ(RunHost({"--data-root", data.root(), "--script", script}, &output), 0) << output;
  for (const char* bad :
       {"midi 07 40", "midi B0 80 1", "midi B0", "midi B0 1 2 3", "tempo -1", "wait-param 771 1", "wait-param 771 0 -5",
        "wait-idle", "wait-idle -5", "double-click 5", "right-click 5", "save-path"}) {
    std::ofstream(script) << bad << "\n";
    EXPECT_NE(RunHost({"--data-root", data.root(), "--script", script}, &output), 0) << bad;
    EXPECT_NE(output.find(std::string(":1: ") + std::string(bad).substr(0, 4)), std::string::npos) << output;
  }
}

TEST(HostRun, WaitParamEndsOnceTheValueIsThereAndFailsWhenItNeverComes) {
  TempDataRoot data;
  const std::string script = data.root() + "/wait.txt";
  std::ofstream(script) << "wait-param 771 0 100\n";
  std::string output;
  EXPECT_EQ(RunHost({"--data-root", data.root(), "--script", script}, &output), 0) << output;
  std::ofstream(script) << "wait-param 771 1 200\n";
  EXPECT_NE(RunHost({"--data-root", data.root(), "--script", script}, &output), 0);
  EXPECT_NE(output.find("parameter 771 is still 0"), std::string::npos) << output;
}

// No port chosen, nothing transfers: the wait ends at its first look, even given no time.
TEST(HostRun, WaitIdleEndsAtOnceWhenNoTransferRuns) {
  TempDataRoot data;
  std::string output;
  EXPECT_EQ(RunScript(data, "wait-idle 0\n", &output), 0) << output;
}

// Tests read what the host prints beside its warnings: a printed line arrives whole
// even when a warning is written after more lines than a pipe's buffer holds.
TEST(HostRun, PrintedLinesStayWholeBesideWarnings) {
  TempDataRoot data;
  const std::string script = data.root() + "/many.txt";
  constexpr int kLines = 600;
  {
    std::ofstream out(script);
    for (int i = 0; i < kLines; ++i) out << "print-param 794\n";
    out << "expect-param 794 3\n";
  }
  std::string output;
  EXPECT_NE(RunHost({"--data-root", data.root(), "--script", script}, &output), 0);
  std::istringstream lines(output);
  int whole = 0;
  for (std::string line; std::getline(lines, line);) whole += line == "param 794 = 0";
  EXPECT_EQ(whole, kLines) << output.substr(0, 200);
}

// With neither the ALSA sequencer nor a JACK server the editor says so in one line,
// and nothing the MIDI libraries print of their own reaches the user.
TEST(HostRun, WithoutAnyMidiSystemOneLineSaysSo) {
  struct stat seq {};
  if (stat("/dev/snd/seq", &seq) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
  TempDataRoot data;
  std::string output;
  // A server name nobody runs: no JACK server answers, whatever else runs here.
  ASSERT_EQ(
      RunHost({"--data-root", data.root()}, &output, "JACK_DEFAULT_SERVER=tavro-none-" + std::to_string(getpid())), 0)
      << output;
  const std::string said = "MIDI: no ALSA sequencer and no JACK server; ports stay OFF";
  const size_t first = output.find(said);
  EXPECT_NE(first, std::string::npos) << output;
  EXPECT_EQ(output.find(said, first + 1), std::string::npos) << output;
  for (const char* library : {"ALSA lib", "MidiInAlsa", "MidiOutAlsa", "jack server", "Cannot connect", "JackShm"})
    EXPECT_EQ(output.find(library), std::string::npos) << library << "\n" << output;
}

// The same with the host asked to listen to a port: the line still stands once, and the
// host says why its own input failed.
TEST(HostRun, WithoutAnyMidiSystemAHostInputSaysItsOwnPartOnly) {
  struct stat seq {};
  if (stat("/dev/snd/seq", &seq) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
  TempDataRoot data;
  std::string output;
  EXPECT_NE(RunHost({"--data-root", data.root(), "--midi-in", "keys:midi"}, &output,
                    "JACK_DEFAULT_SERVER=tavro-none-" + std::to_string(getpid())),
            0);
  const std::string said = "MIDI: no ALSA sequencer and no JACK server; ports stay OFF";
  const size_t first = output.find(said);
  EXPECT_NE(first, std::string::npos) << output;
  EXPECT_EQ(output.find(said, first + 1), std::string::npos) << output;
  EXPECT_NE(output.find("tavro-host: no MIDI system for --midi-in"), std::string::npos) << output;
}

// A FIFO or a link to an endless device given as the state to restore is refused,
// not waited on or read without end: the host ends (a generous bound stops a hang)
// and says what stood there.
TEST(HostRun, AStateInThatIsNoFileEndsTheRunAndIsNamed) {
  TempDataRoot data;
  const std::string fifo = data.root() + "/state.plist", zero = data.root() + "/zero.plist";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
  for (const auto& [path, kind] : {std::pair{fifo, "a FIFO"}, std::pair{zero, "a device"}}) {
    std::string output;
    std::vector<std::string> bounded = {"timeout", "120"};
    for (const std::string& word : HostCommand("Tavro.component")) bounded.push_back(word);
    bounded.insert(bounded.end(),
                   {"--render-seconds", "0.05", "--fast", "--data-root", data.root(), "--state-in", path});
    const int status = RunProgram(bounded, &output);
    EXPECT_NE(status, 0) << output;
    EXPECT_NE(status, 124) << "the bound ran out\n" << output;
    EXPECT_NE(output.find("cannot read " + path + ": " + kind + ", not a file"), std::string::npos) << output;
  }
}

// A session drives the host through a pipe, a line when it likes: a signal while the
// host waits for the next line ends it at once.
TEST(HostRun, ASignalWhileTheScriptPipeIsQuietEndsTheHostAtOnce) {
  TempDataRoot data;
  const std::string pipe = data.root() + "/script.fifo", output = data.root() + "/host.txt";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::vector<std::string> command = HostCommand("Tavro.component");
  command.insert(command.end(), {"--render-seconds", "0.05", "--fast", "--data-root", data.root(), "--script", pipe});
  command[0] = "/usr/bin/env";
  ChildProcess host;
  ASSERT_TRUE(host.StartProgram(command[0], command, output, 0));
  // Open once the host reads the pipe; held open so the host sees no end.
  int writer = -1;
  ASSERT_TRUE(ChildProcess::WaitFor([&] { return (writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }));
  ASSERT_EQ(write(writer, "print-param 794\n", 16), 16);
  EXPECT_TRUE(ChildProcess::WaitFor([&] {
    const std::vector<std::string> lines = ChildProcess::Lines(output);
    return std::find(lines.begin(), lines.end(), "param 794 = 0") != lines.end();
  }));
  EXPECT_TRUE(host.EndsOn(SIGTERM, std::chrono::seconds(10))) << "the host waited on its script pipe";
  close(writer);
}

}  // namespace
