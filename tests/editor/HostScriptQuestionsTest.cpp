// The test host's scripts drive every question the librarian asks, headless: the
// unsaved-bank question and Save As's Replace question, each answer and no answer,
// and a script fails on a menu item or a button the panel does not offer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "HostSnapshot.h"
#include "LibrarianPageSupport.h"
#include "RemoveTree.h"
#include "RunProgram.h"
#include "librarian/TavroParams.h"

namespace {

constexpr int kPastedRow = 6;

// Where the script clicks and reads, from an editor in this process on the same banks.
struct QuestionPoints {
  Point pageSwitch, bankMenu, statusLine, lowerRow, upperRow;
};
QuestionPoints ReadQuestionPoints() {
  LibrarianPage page(Banks{{"Abank.nl2", "A"}, {"Bbank.nl2", "B"}});
  QuestionPoints points;
  IControl* pageSwitch = page.plug->firstControl(kShowLibrarian);
  if (!pageSwitch || !page.plug->keptControls().librarianStatusText) return points;
  points.pageSwitch = Centre(pageSwitch->GetRECT());
  points.bankMenu = Centre(page.plug->keptControls().librarianMenus[kBankEditMenu]->GetRECT());
  points.statusLine = Centre(page.plug->keptControls().librarianStatusText->GetRECT());
  points.lowerRow = Centre(page.list().row(1, 4)->GetRECT());
  points.upperRow = Centre(page.list().row(0, kPastedRow)->GetRECT());
  return points;
}

std::string At(const Point& p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

struct HostRun {
  int exitCode = -1;
  std::string output;
};

// The host, its platform library and the bundle copied into a folder of their own that
// any user may enter: another user runs them there, whatever the build folder's parents
// let that user reach (a clone in root's home, mode 0700).
class HostCopy {
public:
  HostCopy() {
    char pattern[] = "/tmp/tavro_host_copy_XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    std::error_code error;
    std::filesystem::copy(TAVRO_BINARY_DIR "/tools/tavro-host/tavro-host", host(), error);
    if (!error) std::filesystem::copy(TAVRO_PLATFORM_LIBRARY, folder_, error);
    if (!error)
      std::filesystem::copy(TAVRO_BINARY_DIR "/Tavro.component", bundle(), std::filesystem::copy_options::recursive,
                            error);
    copied_ = !error && RunProgram({"chmod", "-R", "a+rX", folder_}) == 0;
  }
  ~HostCopy() { RemoveTree(folder_); }
  bool copied() const { return copied_; }
  // As HostCommand, on the copies; the library is found beside them before the build's.
  std::vector<std::string> command() const {
    return {"env", "-u", "DISPLAY", "LD_LIBRARY_PATH=" + folder_, host(), "--bundle", bundle()};
  }

private:
  std::string host() const { return folder_ + "/tavro-host"; }
  std::string bundle() const { return folder_ + "/Tavro.component"; }
  std::string folder_;
  bool copied_ = false;
};

class HostQuestions : public ::testing::Test {
protected:
  void SetUp() override {
    points_ = ReadQuestionPoints();
    ASSERT_GE(points_.statusLine.x, 0);
  }
  // A fresh data folder with the two banks; the host runs `lines` after opening the
  // librarian page (and, with `paste`, pasting lower row 4 on upper row 6: unsaved).
  HostRun Run(const std::string& lines, bool paste, bool readOnlyPatches = false) {
    data_ = std::make_unique<TempDataRoot>();
    std::filesystem::create_directories(patches());
    data_->write("Patches/Abank.nl2", ProgramBank("A"));
    data_->write("Patches/Bbank.nl2", ProgramBank("B"));
    std::ostringstream script;
    script << "click " << At(points_.pageSwitch) << "\nexpect-param " << kShowLibrarian << " 1\n";
    if (paste) {
      script << "choose Copy\nright-click " << At(points_.lowerRow) << "\nchoose Paste\nright-click "
             << At(points_.upperRow) << "\nexpect-param " << kBankEditUnsaved << " 1\n";
    }
    script << lines << "print-text " << At(points_.statusLine) << "\n";
    const std::string path = data_->root() + "/script.txt";
    std::ofstream(path) << script.str();
    HostRun run;
    std::vector<std::string> command = HostCommand("Tavro.component");
    // Root writes into any folder: a read-only one is met as an unprivileged user.
    if (readOnlyPatches) {
      if (geteuid() == 0) {
        if (!copy_) copy_ = std::make_unique<HostCopy>();
        if (!copy_->copied() || RunProgram({"chmod", "-R", "a+rwX", data_->root()}) != 0) {
          ADD_FAILURE() << "the host could not be made reachable for another user";
          return run;
        }
        command = copy_->command();
        command.insert(command.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
      }
      chmod(patches().c_str(), 0555);
    }
    command.insert(command.end(),
                   {"--render-seconds", "0.05", "--fast", "--data-root", data_->root(), "--script", path});
    run.exitCode = RunProgram(command, &run.output);
    chmod(patches().c_str(), 0755);
    return run;
  }
  std::string patches() const { return data_->folder() + "Patches"; }
  std::string bank(const char* name) const { return data_->read(std::string("Patches/") + name); }
  std::string status(const HostRun& run) const {
    const std::string head = "text " + At(points_.statusLine) + " = \"";
    const size_t at = run.output.rfind(head);
    if (at == std::string::npos) return "(not printed)";
    const size_t from = at + head.size();
    return run.output.substr(from, run.output.find("\"\n", from) - from);
  }
  std::string chooseInBankMenu(const std::string& item) const {
    return "choose " + item + "\nclick " + At(points_.bankMenu) + "\n";
  }

  QuestionPoints points_;
  std::unique_ptr<TempDataRoot> data_;
  std::unique_ptr<HostCopy> copy_;  // made when first needed
};

TEST_F(HostQuestions, AChooseOrAnswerThePanelDoesNotOfferFailsTheScriptNamingWhatItOffers) {
  HostRun run = Run(chooseInBankMenu("Refresh Everything"), false);
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.output.find("no item \"Refresh Everything\" in the menu; it offers "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\"Refresh Folders\""), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\"Save As.../Tavro Format (*.nl2) (with names)\""), std::string::npos) << run.output;

  run = Run("answer Maybe\n" + chooseInBankMenu("Refresh Folders"), true);
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.output.find("no button \"Maybe\" in the message box \"Unsaved bank\"; it offers \"Yes\", \"No\", "
                            "\"Cancel\""),
            std::string::npos)
      << run.output;

  run = Run("answer Yes\n", false);
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.output.find("an answer was never taken"), std::string::npos) << run.output;
}

TEST_F(HostQuestions, EveryAnswerOfTheUnsavedBankQuestion) {
  const std::string before = ProgramBank("A");
  struct Case {
    const char* answer;  // "" for none
    bool keptUnsaved;
  };
  for (const Case c : {Case{"", true}, Case{"Cancel", true}, Case{"No", false}, Case{"Yes", false}}) {
    SCOPED_TRACE(std::string("answer: ") + c.answer);
    const std::string answer = *c.answer ? std::string("answer ") + c.answer + "\n" : "";
    const HostRun run = Run(answer + chooseInBankMenu("Refresh Folders") + "expect-param " +
                                std::to_string(kBankEditUnsaved) + (c.keptUnsaved ? " 1\n" : " 0\n"),
                            true);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    if (c.keptUnsaved) {
      EXPECT_EQ(status(run), "Save bank or Discard changes!");
    }
    if (std::string(c.answer) == "Yes") {
      EXPECT_EQ(status(run), "Folders read again");
      EXPECT_FALSE(bank("Abank.nl2") == before) << "saved";
    } else {
      EXPECT_TRUE(bank("Abank.nl2") == before);
    }
  }
}

TEST_F(HostQuestions, YesWithAFolderThatCannotBeWrittenKeepsTheUnsavedWork) {
  const HostRun run = Run("answer Yes\n" + chooseInBankMenu("Refresh Folders") + "expect-param " +
                              std::to_string(kBankEditUnsaved) + " 1\n",
                          true, true);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(status(run).rfind("Bank not saved: Patches/Abank.nl2: could not create a temporary file", 0), 0u)
      << status(run);
  EXPECT_TRUE(bank("Abank.nl2") == ProgramBank("A"));
}

TEST_F(HostQuestions, EveryAnswerOfTheReplaceQuestion) {
  for (const char* answer : {"", "Cancel", "Replace"}) {
    SCOPED_TRACE(std::string("answer: ") + answer);
    const HostRun run = Run("save-path Bbank.nl2\n" + (*answer ? std::string("answer ") + answer + "\n" : "") +
                                chooseInBankMenu("Save As.../Tavro Format (*.nl2) (with names)"),
                            false);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    if (std::string(answer) == "Replace") {
      EXPECT_EQ(status(run), "Saved as Bbank.nl2");
      EXPECT_TRUE(bank("Bbank.nl2") == ProgramBank("A"));
    } else {
      EXPECT_EQ(status(run).rfind("Bank not saved: Patches/Bbank.nl2 exists and ", 0), 0u) << status(run);
      EXPECT_TRUE(bank("Bbank.nl2") == ProgramBank("B"));
    }
  }
}

}  // namespace
