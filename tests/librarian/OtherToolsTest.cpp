// Bank files as other tools write them (made by Debian's python3 and mido, not by our
// writer): what the scan lists, whether the bank is incomplete, and what Save in place
// then does to the file.

#include "LibrarianFixtures.h"
#include "PatchLibrarian.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <map>

namespace {

const char* const kPython = "/usr/bin/python3";

std::string Name(const std::string& text) { return text + std::string(10 - text.size(), ' '); }

std::string Prog(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "Prog %02d", n);
  return Name(text);
}

// The index of `file` in the program list; -1 when it is not listed.
int Listed(const PatchLibrarian& librarian, const std::string& file) {
  int found = -1;
  librarian.inspect([&](const PatchLibrary& library) {
    for (size_t i = 0; i < library.programFiles.size(); ++i)
      if (library.programFiles[i]->fileName == file) found = int(i);
  });
  return found;
}

struct ToolCase {
  const char* file;
  std::map<int, std::string> rows;  // row -> the name listed there
  bool incomplete;
  const char* reason;  // part of the reason the panel gives
};

class OtherTools : public ::testing::TestWithParam<ToolCase> {
protected:
  void SetUp() override {
    if (::system((std::string(kPython) + " -c 'import mido' 2>/dev/null").c_str()) != 0)
      GTEST_SKIP() << "needs /usr/bin/python3 with mido (Debian package python3-mido)";
    ASSERT_EQ(::mkdir(root_.c_str(), 0755), 0);
    const std::string command = std::string(kPython) + " " + TAVRO_READER_FILES + " '" + root_ + "'";
    ASSERT_EQ(::system(command.c_str()), 0) << command;
    editor_.dataFolder = data_.path() + "/";
    librarian_.loadPatchesFromFilesystem(root_);
  }
  TempFolder data_;
  const std::string root_ = data_ / "Patches";
  FakeEditor editor_;
  PatchLibrarian librarian_{&editor_};
};

TEST_P(OtherTools, ListedWholeOrMarkedAndNeverOverwrittenIncomplete) {
  const ToolCase& c = GetParam();
  const int index = Listed(librarian_, c.file);
  ASSERT_GE(index, 0) << c.file << " is not listed";
  librarian_.patchType = 0;
  librarian_.upperFileIndex = index;
  const std::unique_ptr<PatchFile> bank = librarian_.copyBank(0, index);
  ASSERT_EQ(bank->patches.size(), 100u);
  EXPECT_TRUE(bank->patches[99].empty());
  for (const auto& row : c.rows) EXPECT_EQ(bank->patches[size_t(row.first)].name, row.second) << "row " << row.first;
  const std::string notice = librarian_.paneNotice(false);
  librarian_.inspect([&](const PatchLibrary& library) {
    const PatchFile& listed = *library.programFiles[size_t(index)];
    EXPECT_EQ(listed.incomplete(), c.incomplete);
    EXPECT_NE(listed.incompleteReason().find(c.reason), std::string::npos) << listed.incompleteReason();
  });

  const std::vector<std::string> before = Names(root_);
  const Bytes original = ReadBytes(root_ + "/" + c.file);
  std::string error;
  const bool saved = librarian_.saveEditedPatch(root_ + "/" + c.file, c.file, &error);
  if (c.incomplete) {
    EXPECT_FALSE(saved);
    EXPECT_EQ(error.rfind(std::string(c.file) + " is incomplete (", 0), 0u) << error;
    EXPECT_NE(error.find("use Save As"), std::string::npos) << error;
    EXPECT_EQ(notice.rfind(std::string(c.file) + " is incomplete (", 0), 0u) << notice;
    EXPECT_EQ(ReadBytes(root_ + "/" + c.file), original);
    EXPECT_EQ(Names(root_), before);
    return;
  }
  EXPECT_TRUE(saved) << error;
  EXPECT_EQ(notice, "");
  const std::string name = c.file;
  if (name.substr(name.size() - 4) == ".syx") {
    // A raw bank is saved beside it as "nl2": the same bytes, as nothing was altered.
    EXPECT_EQ(ReadBytes(root_ + "/" + c.file), original);
    EXPECT_EQ(ReadBytes(root_ + "/" + name.substr(0, name.size() - 4) + ".nl2"), original);
    return;
  }
  // A MIDI file: every program's data is still in the file that bears its name.
  PatchLibrarian again(&editor_);
  again.loadPatchesFromFilesystem(root_);
  const int reread = Listed(again, name);
  ASSERT_GE(reread, 0);
  const std::unique_ptr<PatchFile> back = again.copyBank(0, reread);
  for (size_t k = 0; k < 99; ++k) {
    const Bytes& a = bank->patches[k].messages.at(0).bytes;
    const Bytes& b = back->patches[k].messages.at(0).bytes;
    EXPECT_EQ(Bytes(a.begin() + 6, a.begin() + 138), Bytes(b.begin() + 6, b.begin() + 138)) << "row " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, OtherTools,
    ::testing::Values(
        ToolCase{"latin1_one.syx", {{18, Prog(19)}, {19, "Caf? No?l "}, {20, Prog(21)}, {98, Prog(99)}}, false, ""},
        ToolCase{"latin1_all.syx", {{0, "S?01 ? ?? "}, {57, "S?58 ? ?? "}, {98, "S?99 ? ?? "}}, false, ""},
        ToolCase{"final_f7.syx", {{97, Prog(98)}, {98, Prog(99)}}, true, "1 program completed (end missing)"},
        ToolCase{"middle_f7.syx",
                 {{40, Prog(41)}, {41, Prog(42)}, {98, Prog(99)}},
                 true,
                 "1 program completed (end missing)"},
        ToolCase{"overlong.syx",
                 {{29, Prog(30)}, {30, "Sound   31"}, {31, Prog(32)}, {98, Prog(99)}},
                 true,
                 "1 program unreadable, shown as init"},
        ToolCase{"split.mid", {{0, Prog(1)}, {1, Prog(2)}, {98, Prog(99)}}, false, ""},
        ToolCase{"format0.mid", {{0, Prog(1)}, {50, Prog(51)}, {98, Prog(99)}}, false, ""},
        ToolCase{"running.mid", {{0, Prog(1)}, {5, Prog(6)}, {98, Prog(99)}}, false, ""}),
    [](const ::testing::TestParamInfo<ToolCase>& info) {
      std::string name = info.param.file;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });

}  // namespace
