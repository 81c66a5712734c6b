// End to end on a private JACK server: the simulated synthesizer records what reaches
// it, the test host chooses both its ports by name on the panel and drags the cutoff
// knobs of slots A and B; the record holds their control changes on channels 1 and 2
// with the values the host prints.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "HostSnapshot.h"
#include "IControl.h"
#include "JackTestServer.h"
#include "RoadTestSupport.h"

namespace {

constexpr const char* kSimName = "Road Sim";
constexpr int kFilterCutoff = 0;  // + slot

// The synthesizer simulator as a child process, stopped by its pid.
class SimProcess {
public:
  bool Start(const std::string& record, const std::string& output) {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      execl(SYNTH_SIM_PROGRAM, SYNTH_SIM_PROGRAM, "--name", kSimName, "--record", record.c_str(), nullptr);
      _exit(127);
    }
    // Ready once it has printed its two port names.
    return pid_ > 0 && WaitFor([&] { return Lines(output).size() >= 2; });
  }
  ~SimProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  static std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Generous: this waits for other processes, it measures nothing.
  template <class Done>
  static bool WaitFor(Done done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

private:
  pid_t pid_ = -1;
};

// The centre of slot `slot`'s shown cutoff knob, read from a headless editor.
std::pair<int, int> KnobCentre(int slot) {
  RoadFixture f;
  f.plug->activeSlot = slot;
  f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->nordModel);
  for (IControl* c : f.action(kFilterCutoff + slot)->boundControls) {
    if (c->IsHidden()) continue;
    const IRECT r = c->GetRECT();
    return {(r.L + r.R) / 2, (r.T + r.B) / 2};
  }
  return {-1, -1};
}

// Down, then up: the knob moves whatever it started at.
std::string Drags(int x, int y) {
  return "drag " + std::to_string(x) + " " + std::to_string(y) + " 0 40\ndrag " + std::to_string(x) + " " +
         std::to_string(y) + " 0 -20\n";
}

// The last data byte the record holds for status `status`, controller 74; -1 for none.
int LastCutoff(const std::vector<std::string>& record, const std::string& status) {
  int last = -1;
  for (const std::string& line : record)
    if (line.rfind(status + " 4A ", 0) == 0) last = std::stoi(line.substr(6), nullptr, 16);
  return last;
}

TEST(KnobRoadJack, DraggedKnobsOfSlotsAAndBReachTheSynthesizerOnTheirChannels) {
  const auto [ax, ay] = KnobCentre(0);
  const auto [bx, by] = KnobCentre(1);
  ASSERT_GE(ax, 0);
  ASSERT_GE(bx, 0);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  const std::string record = data.root() + "/record.txt";
  {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(record, data.root() + "/sim.txt"));
    // The port menus sit at (420, 20) and (580, 20); the slot tab B at (938, 70).
    const std::string script = data.root() + "/knobs.txt";
    std::ofstream(script) << "choose " << kSimName << "-in:midi\nclick 430 28\n"
                          << "choose " << kSimName << "-out:midi\nclick 590 28\n"
                          // the device-id enquiry's overlay holds the panel until it ends
                          << "wait 3000\n"
                          << Drags(ax, ay) << "click 938 70\nexpect-param 794 1\n"
                          << Drags(bx, by) << "print-param 0\nprint-param 1\n";
    std::string output;
    // The run's exit status also covers the host's state round trip, which is not
    // this road's: the printed values and the record are what is checked here.
    RunCommand("env -u DISPLAY " TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host --bundle " TAVRO_BINARY_DIR
               "/Tavro.component --render-seconds 0.2 --fast --data-root '" +
                   data.root() + "' --script '" + script + "'",
               &output);
    int a = -1, b = -1;
    std::istringstream printed(output);
    for (std::string line; std::getline(printed, line);) {
      std::sscanf(line.c_str(), "param 0 = %d", &a);
      std::sscanf(line.c_str(), "param 1 = %d", &b);
    }
    ASSERT_GE(a, 0) << output;
    ASSERT_GE(b, 0) << output;
    EXPECT_TRUE(SimProcess::WaitFor([&] {
      const std::vector<std::string> lines = SimProcess::Lines(record);
      return LastCutoff(lines, "B0") == a && LastCutoff(lines, "B1") == b;
    })) << "host printed " << a << ", " << b << "; the record holds B0 " << LastCutoff(SimProcess::Lines(record), "B0")
        << ", B1 " << LastCutoff(SimProcess::Lines(record), "B1");
  }
  server.Stop();
}

}  // namespace
