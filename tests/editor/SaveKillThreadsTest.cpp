// The host killed (SIGKILL) in the middle of ten bank saves on the librarian page: each
// run pastes a program into each of ten banks and saves it, and is killed at a seeded
// pseudo-random file event of those saves (plus a few microseconds). Every bank file is
// then its old or its new content, whole, and what a killed save leaves behind is only
// a hidden temporary, which the next folder scan removes (Scan.LeftoverTemporaries...).
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <set>

#include "JackSimSupport.h"
#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/TavroParams.h"

namespace {

constexpr int kBanks = 10;
constexpr int kRuns = 10;
constexpr int kPastedRow = 50;

std::string BankName(int i) { return "Bank " + std::to_string(i) + ".nl2"; }

// Where the script clicks, read from an editor in this process showing the same banks.
struct SavePoints {
  Point pageSwitch, bankMenu, upperNext;
  std::vector<Point> lowerRows, upperRows;
};
SavePoints ReadSavePoints() {
  Banks banks;
  for (int i = 0; i < kBanks; ++i) banks.push_back({BankName(i), "B" + std::to_string(i) + "-"});
  LibrarianPage page(banks);
  SavePoints points;
  IControl* pageSwitch = page.plug->firstControl(kShowLibrarian);
  IControl* upperNext = page.plug->firstControl(TavroParam::kLibUpperNextBank);
  if (!pageSwitch || !upperNext) return points;
  points.pageSwitch = Centre(pageSwitch->GetRECT());
  points.upperNext = Centre(upperNext->GetRECT());
  points.bankMenu = Centre(page.plug->keptControls().librarianMenus[kBankEditMenu]->GetRECT());
  for (int i = 0; i < kBanks; ++i) {
    points.lowerRows.push_back(Centre(page.list().row(1, i)->GetRECT()));
    points.upperRows.push_back(Centre(page.list().row(0, kPastedRow + i)->GetRECT()));
  }
  return points;
}

// Opens the librarian page; then, for each bank i in list order, steps the upper pane to
// it (a save reloads the folder and keeps the saved bank shown), copies lower row i of
// the first bank into upper row 50 + i and saves the bank over its file.
std::string SaveScript(const SavePoints& p) {
  std::ostringstream script;
  script << "click " << p.pageSwitch.x << " " << p.pageSwitch.y << "\nexpect-param " << kShowLibrarian << " 1\n";
  for (int i = 0; i < kBanks; ++i) {
    if (i > 0) script << "click " << p.upperNext.x << " " << p.upperNext.y << "\n";
    script << "choose Copy\nright-click " << p.lowerRows[size_t(i)].x << " " << p.lowerRows[size_t(i)].y << "\n"
           << "choose Paste\nright-click " << p.upperRows[size_t(i)].x << " " << p.upperRows[size_t(i)].y << "\n"
           << "expect-param " << kBankEditUnsaved << " 1\n"
           << "choose Save (Overwrite current bank)\nclick " << p.bankMenu.x << " " << p.bankMenu.y << "\n"
           << "wait-param " << kBankEditUnsaved << " 0 10000\n";
  }
  return script.str();
}

// A fresh data folder holding the ten banks as they are before the saves.
struct SaveFolder {
  SaveFolder() {
    std::filesystem::create_directories(patches());
    for (int i = 0; i < kBanks; ++i) data.write("Patches/" + BankName(i), ProgramBank("B" + std::to_string(i) + "-"));
  }
  std::string patches() const { return data.folder() + "Patches"; }
  std::set<std::string> names() const {
    std::set<std::string> found;
    if (DIR* d = opendir(patches().c_str())) {
      while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") found.insert(e->d_name);
      closedir(d);
    }
    return found;
  }
  TempDataRoot data;
};

// One host run on `folder`, killed right after its `killAfter`-th file event in
// "Patches" and `delayMicros` more (never killed when killAfter is 0), noting the bank
// files renamed into place before the kill was sent.
struct KilledRun {
  bool killed = false, exited = false;
  int events = 0;
  std::set<std::string> replacedBeforeKill;
};
KilledRun RunAndKill(const SaveFolder& folder, const std::string& script, int killAfter, int delayMicros) {
  KilledRun run;
  const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch < 0 ||
      inotify_add_watch(watch, folder.patches().c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO) < 0)
    return run;
  const std::string output = folder.data.root() + "/host.txt";
  std::vector<std::string> args = {TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host",
                                   "--bundle",
                                   TAVRO_BINARY_DIR "/Tavro.component",
                                   "--render-seconds",
                                   "0.2",
                                   "--fast",
                                   "--data-root",
                                   folder.data.root(),
                                   "--script",
                                   script};
  const pid_t host = fork();
  if (host == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    unsetenv("DISPLAY");
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  // Counts the events waiting; the kill goes out right after event number killAfter.
  auto readEvents = [&] {
    alignas(inotify_event) char buffer[4096];
    const ssize_t length = read(watch, buffer, sizeof buffer);
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += ssize_t(sizeof(inotify_event) + event->len);
      ++run.events;
      if ((event->mask & IN_MOVED_TO) && event->len) run.replacedBeforeKill.insert(event->name);
      if (run.events == killAfter && !run.exited) {
        if (delayMicros) usleep(useconds_t(delayMicros));
        kill(host, SIGKILL);
        run.killed = true;
      }
    }
    return length > 0;
  };
  int status = 0;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (!run.killed && std::chrono::steady_clock::now() < giveUp) {
    if (waitpid(host, &status, WNOHANG) == host) {
      run.exited = true;
      // The rest of its events, only counted: the host is gone.
      while (readEvents()) {
      }
      break;
    }
    pollfd ready{watch, POLLIN, 0};
    if (poll(&ready, 1, 20) > 0) readEvents();
  }
  if (!run.exited) {
    kill(host, SIGKILL);
    waitpid(host, &status, 0);
  }
  close(watch);
  return run;
}

// A save's temporary: ".<bank>.tmp-" and six letters or digits.
bool IsTemporaryOf(const std::string& name, const std::string& bank) {
  const std::string head = "." + bank + ".tmp-";
  return name.size() == head.size() + 6 && name.compare(0, head.size(), head) == 0 &&
         std::all_of(name.begin() + long(head.size()), name.end(), [](char c) { return std::isalnum(uint8_t(c)); });
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SaveKill, EveryBankIsItsOldOrItsNewFileAfterAKillAnywhereInTenSaves) {
  const SavePoints points = ReadSavePoints();
  ASSERT_GE(points.upperNext.x, 0);
  const std::string script = SaveScript(points);

  // The saves run to their end once: each bank's new content, and the number of file
  // events ten saves make.
  SaveFolder reference;
  const std::string scriptPath = reference.data.root() + "/save.txt";
  std::ofstream(scriptPath) << script;
  const KilledRun whole = RunAndKill(reference, scriptPath, 0, 0);
  const std::string hostOutput = Read(reference.data.root() + "/host.txt");
  ASSERT_TRUE(whole.exited) << hostOutput;
  ASSERT_EQ(hostOutput.find("tavro-host: panel:"), std::string::npos) << hostOutput;
  std::vector<std::string> before, after;
  for (int i = 0; i < kBanks; ++i) {
    before.push_back(ProgramBank("B" + std::to_string(i) + "-"));
    after.push_back(Read(reference.patches() + "/" + BankName(i)));
    ASSERT_TRUE(after.back() != before.back()) << BankName(i) << " was not saved: " << hostOutput;
  }
  std::set<std::string> banksOnly;
  for (int i = 0; i < kBanks; ++i) banksOnly.insert(BankName(i));
  EXPECT_EQ(reference.names(), banksOnly);
  ASSERT_GE(whole.events, 2 * kBanks);

  std::mt19937 seeded(21);
  int newFiles = 0, temporaries = 0;
  for (int r = 0; r < kRuns; ++r) {
    const int killAfter = std::uniform_int_distribution<int>(1, whole.events)(seeded);
    const int delay = std::uniform_int_distribution<int>(0, 2000)(seeded);
    SCOPED_TRACE("run " + std::to_string(r) + ": killed after event " + std::to_string(killAfter) + " and " +
                 std::to_string(delay) + " us");
    SaveFolder folder;
    const KilledRun run = RunAndKill(folder, scriptPath, killAfter, delay);
    // A run that makes fewer events than the reference ends whole: its banks are all new.
    ASSERT_TRUE(run.killed || run.exited) << Read(folder.data.root() + "/host.txt");
    for (int i = 0; i < kBanks; ++i) {
      const std::string bytes = Read(folder.patches() + "/" + BankName(i));
      const bool isNew = bytes == after[size_t(i)];
      EXPECT_TRUE(isNew || bytes == before[size_t(i)]) << BankName(i) << " is neither: " << bytes.size() << " bytes";
      if (run.replacedBeforeKill.count(BankName(i))) {
        EXPECT_TRUE(isNew) << BankName(i) << " was replaced before the kill";
      }
      newFiles += isNew;
    }
    for (const std::string& name : folder.names()) {
      if (banksOnly.count(name)) continue;
      EXPECT_TRUE(std::any_of(banksOnly.begin(), banksOnly.end(),
                              [&](const std::string& bank) { return IsTemporaryOf(name, bank); }))
          << "left behind: " << name;
      ++temporaries;
    }
  }
  std::cout << "[ killed ] " << kRuns << " runs: " << newFiles << " of " << kRuns * kBanks << " banks new, "
            << temporaries << " temporaries left\n";
}

}  // namespace
