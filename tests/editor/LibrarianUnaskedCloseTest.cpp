// A close that asks nobody (the host disposing the editor, a signal to the test host)
// over an unsaved rename keeps the bank in a new file beside it and says so; the bank
// file is not touched, and a bank the close question discarded is written nowhere.
#include <gtest/gtest.h>

#include <optional>

#include "ChildProcess.h"
#include "HostSnapshot.h"
#include "LibrarianPageSupport.h"
#include "librarian/TavroParams.h"

namespace {

constexpr const char* kKept = "Patches/Abank (unsaved).nl2";

TEST(LibrarianUnaskedClose, OnlyUnsavedWorkNobodyWasAskedAboutIsKeptBesideItsBank) {
  struct Close {
    const char* name;
    bool renamed;
    std::optional<ViewAlertResponse> answer;  // to the window's close question, when it is asked
    bool kept;
  };
  const Close closes[] = {
      {"nothing unsaved", false, std::nullopt, false},
      {"an unsaved rename", true, std::nullopt, true},
      {"an unsaved rename, the close question answered No", true, ViewAlertResponse::Alternate, false},
      {"an unsaved rename, the close question cancelled", true, ViewAlertResponse::Other, true},
  };
  for (const Close& c : closes) {
    SCOPED_TRACE(c.name);
    LibrarianPage page(Banks{{"Abank.nl2", "A"}, {"Bbank.nl2", "B"}});
    page.data.write("Tavro Editor LOG.txt", "");  // logging on for the next instance
    page.restart();
    if (c.renamed) page.renameRow(1, "Kept1");
    if (c.answer) {
      page.backend.ScriptMessageBoxAnswer(*c.answer);
      page.plug->graphics->PlugAllowsClose();
    }
    testing::internal::CaptureStderr();
    page.plug->graphics->CloseWindow();
    page.plug.reset();
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string logged = page.data.read("Tavro Editor LOG.txt");
    page.start();

    EXPECT_TRUE(page.data.read("Patches/Abank.nl2") == ProgramBank("A"));
    EXPECT_EQ(Exists(page.data.folder() + kKept), c.kept);
    if (c.kept) {
      const std::string kept = page.data.read(kKept);
      EXPECT_EQ(kept.size(), ProgramBank("A").size());
      EXPECT_NE(kept.find("Kept1"), std::string::npos);
      const std::string line = "kept in \"" + page.data.folder() + kKept + "\"; the bank file is unchanged";
      EXPECT_NE(said.find(line), std::string::npos) << said;
      EXPECT_NE(logged.find(line), std::string::npos) << logged;
    } else {
      EXPECT_EQ(said.find("unsaved bank"), std::string::npos) << said;
    }
  }
}

// The test host ended by SIGTERM while its script waits, after renaming a row.
TEST(LibrarianUnaskedClose, ASignalToTheHostKeepsAnUnsavedRenameAndSaysSo) {
  // Where the script clicks and reads, from an editor here on the host's data folder.
  LibrarianPage page(Banks{{"Abank.nl2", "A"}});
  IControl* pageSwitch = page.plug->firstControl(kShowLibrarian);
  ASSERT_TRUE(pageSwitch && page.plug->keptControls().librarianStatusText);
  const auto at = [](const IRECT& r) {
    return std::to_string((r.L + r.R) / 2) + " " + std::to_string((r.T + r.B) / 2);
  };
  const std::string statusLine = at(page.plug->keptControls().librarianStatusText->GetRECT());
  const TempDataRoot& data = page.data;
  const std::string script = data.root() + "/rename.txt", output = data.root() + "/host.txt";
  std::ofstream(script) << "click " << at(pageSwitch->GetRECT()) << "\nchoose Rename\nright-click "
                        << at(page.list().row(0, 1)->GetRECT())
                        << "\nkey select-all\ntype Kept1\nkey return\nexpect-param " << kBankEditUnsaved
                        << " 1\nwait-text " << statusLine << " 600000 never shown\n";
  std::vector<std::string> command = HostCommand("Tavro.component");
  command.insert(command.end(), {"--render-seconds", "0.05", "--fast", "--data-root", data.root(), "--script", script});
  // Through a shell that becomes the host, its errors going where its output goes.
  command.insert(command.begin(), {"sh", "-c", "exec \"$@\" 2>&1", "sh"});
  const auto said = [&] {
    std::ifstream in(output);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  ChildProcess host;
  ASSERT_TRUE(host.StartProgram("/bin/sh", command, output, 1));
  // The wait's first look at the status line: the rename is done.
  ASSERT_TRUE(ChildProcess::WaitFor([&] { return said().find("text " + statusLine + " at ") != std::string::npos; }))
      << said();
  host.Stop();  // SIGTERM

  EXPECT_TRUE(data.read("Patches/Abank.nl2") == ProgramBank("A"));
  EXPECT_NE(data.read(kKept).find("Kept1"), std::string::npos) << said();
  EXPECT_NE(said().find("Tavro Editor: Closed with unsaved bank changes: kept in \"" + data.folder() + kKept + "\""),
            std::string::npos)
      << said();
}

}  // namespace
