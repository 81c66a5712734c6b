// Bank files as other tools write them (made by Debian's python3 and mido, not by our
// writer): what the scan lists, whether the bank is incomplete, and what Save in place
// then does to the file.

#include "LibrarianFixtures.h"
#include "RunProgram.h"
#include "librarian/PatchLibrarian.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <map>

namespace {

std::string Name(const std::string& text) { return text + std::string(10 - text.size(), ' '); }

std::string Prog(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "Prog %02d", n);
  return Name(text);
}

// The index of `file` in the list of its kind; -1 when it is not listed.
int Listed(const PatchLibrarian& librarian, const std::string& file, int type = 0) {
  int found = -1;
  librarian.inspect([&](const PatchLibrary& library) {
    const PatchFileList& files = library.filesOfType(type);
    for (size_t i = 0; i < files.size(); ++i)
      if (files[i]->fileName == file) found = int(i);
  });
  return found;
}

struct ToolCase {
  const char* file;
  std::map<int, std::string> rows;  // row -> the name listed there
  bool incomplete;
  const char* reason;  // part of the reason the panel gives
  bool dumpsOnly;      // the file holds the bank's dumps and nothing else: a raw save writes it again byte for byte
  int type = 0;        // the bank's kind: 0 programs, 1 performances
};

// A failing case is named by its file, not printed as bytes.
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.file; }

// No "Singles" bank beside the files, nothing moved into "Converted Banks".
void ExpectNothingSplit(const std::string& root, const std::string& data) {
  for (const std::string& name : Names(root)) EXPECT_EQ(name.find("Singles"), std::string::npos) << name;
  EXPECT_FALSE(Exists(data + "/Converted Banks"));
}

class OtherTools : public ::testing::TestWithParam<ToolCase> {
protected:
  void SetUp() override {
    if (RunProgram({kPython, "-c", "import mido"}) != 0)
      GTEST_SKIP() << "needs /usr/bin/python3 with mido (Debian package python3-mido)";
    ASSERT_EQ(::mkdir(root_.c_str(), 0755), 0);
    std::string output;
    ASSERT_EQ(RunProgram({kPython, TAVRO_READER_FILES, root_}, &output), 0) << output;
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
  ExpectNothingSplit(root_, data_.path());
  const int index = Listed(librarian_, c.file, c.type);
  ASSERT_GE(index, 0) << c.file << " is not listed";
  librarian_.patchType = c.type;
  editor_.performanceMode = c.type == 1;
  librarian_.upperFileIndex = index;
  const std::unique_ptr<PatchFile> bank = librarian_.copyBank(c.type, index);
  ASSERT_EQ(bank->patches.size(), 100u);
  EXPECT_EQ(bank->patches[99].empty(), c.type == 0);
  for (const auto& row : c.rows) EXPECT_EQ(bank->patches[size_t(row.first)].name, row.second) << "row " << row.first;
  const std::string notice = librarian_.paneNotice(false);
  librarian_.inspect([&](const PatchLibrary& library) {
    const PatchFile& listed = *library.filesOfType(c.type)[size_t(index)];
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
  const std::string extension = name.substr(name.size() - 4);
  if (extension != ".mid") {
    // A raw bank: a "syx" is saved beside it as "nl2" and stays as it was, an "nl2" in place.
    const std::string written = extension == ".syx" ? name.substr(0, name.size() - 4) + ".nl2" : name;
    if (extension == ".syx") {
      EXPECT_EQ(ReadBytes(root_ + "/" + c.file), original);
    }
    const Bytes image = ReadBytes(root_ + "/" + written);
    if (c.dumpsOnly) {
      EXPECT_EQ(image, original);
    }
    // Every dump and name in its row, as the list showed them.
    const PatchFile back = Read(image);
    ASSERT_EQ(back.patches.size(), 99u);
    EXPECT_FALSE(back.incomplete()) << back.incompleteReason();
    for (size_t k = 0; k < 99; ++k) {
      EXPECT_EQ(back.patches[k].messages.at(0).bytes, bank->patches[k].messages.at(0).bytes) << "row " << k;
      EXPECT_EQ(back.patches[k].name, bank->patches[k].name) << "row " << k;
    }
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

// "Prog nn" with F7 F0 (shown "??") at place 1 + (n - 1) mod 8 of the name.
std::string F7Name(int n) {
  std::string name = Prog(n);
  const size_t at = 1 + size_t(n - 1) % 8;
  name.replace(at, 2, "??");
  return name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, OtherTools,
    ::testing::Values(
        ToolCase{
            "latin1_one.syx", {{18, Prog(19)}, {19, "Caf? No?l "}, {20, Prog(21)}, {98, Prog(99)}}, false, "", true},
        ToolCase{"latin1_all.syx", {{0, "S?01 ? ?? "}, {57, "S?58 ? ?? "}, {98, "S?99 ? ?? "}}, false, "", true},
        ToolCase{"final_f7.syx", {{97, Prog(98)}, {98, Prog(99)}}, true, "1 program completed (end missing)", false},
        ToolCase{"middle_f7.syx",
                 {{40, Prog(41)}, {41, Prog(42)}, {98, Prog(99)}},
                 true,
                 "1 program completed (end missing)",
                 false},
        ToolCase{"overlong.syx",
                 {{29, Prog(30)}, {30, "Sound   31"}, {31, Prog(32)}, {98, Prog(99)}},
                 true,
                 "1 program unreadable, shown as init",
                 false},
        ToolCase{"split.mid", {{0, Prog(1)}, {1, Prog(2)}, {98, Prog(99)}}, false, "", false},
        ToolCase{"format0.mid", {{0, Prog(1)}, {50, Prog(51)}, {98, Prog(99)}}, false, "", false},
        ToolCase{"running.mid", {{0, Prog(1)}, {5, Prog(6)}, {98, Prog(99)}}, false, "", false},
        // Row 40 for device 16 or the broadcast id: the program it plainly is, in its row.
        ToolCase{
            "device10_row40.syx", {{38, Prog(39)}, {39, Prog(40)}, {40, Prog(41)}, {98, Prog(99)}}, false, "", true},
        ToolCase{"device10_row40.nl2", {{39, Prog(40)}, {40, Prog(41)}, {98, Prog(99)}}, false, "", true},
        ToolCase{"device7f_row40.syx", {{39, Prog(40)}, {40, Prog(41)}, {98, Prog(99)}}, false, "", true},
        ToolCase{"device7f_row40.nl2", {{39, Prog(40)}, {40, Prog(41)}, {98, Prog(99)}}, false, "", true},
        // Names holding F7 F0 are whole 149-byte programs.
        ToolCase{"names_f7f0.syx", {{0, F7Name(1)}, {7, F7Name(8)}, {8, F7Name(9)}, {98, F7Name(99)}}, false, "", true},
        ToolCase{"odd141.syx",
                 {{28, Prog(29)}, {29, "Hi"}, {30, Prog(31)}, {98, Prog(99)}},
                 true,
                 "1 program of an unusual length",
                 false},
        // Other makers' messages between the dumps are passed over and counted: a save
        // in place would drop them.
        ToolCase{"foreign.syx",
                 {{0, Prog(1)}, {3, Prog(4)}, {50, Prog(51)}, {98, Prog(99)}},
                 true,
                 "bytes outside the dumps",
                 false},
        // A name starting F7 F0 ends its dump there: the rest of the name is counted.
        ToolCase{"name_f7f0_row50.syx",
                 {{48, Prog(49)}, {49, "Sound   50"}, {50, Prog(51)}, {98, Prog(99)}},
                 true,
                 "10 bytes outside the dumps",
                 false},
        ToolCase{"perf_name_f7f0.syx",
                 {{48, "Perf 49   "}, {49, "Perform 50"}, {50, "Perf 51   "}, {99, "Perf 100  "}},
                 true,
                 "50 bytes outside the dumps",
                 false,
                 1},
        ToolCase{"perf_part_f7f0.syx",
                 {{48, "Perf 49   "}, {49, "Perf 50   "}, {50, "Perf 51   "}},
                 true,
                 "40 bytes outside the dumps",
                 false,
                 1},
        // The first dump lost its head: what is left of it is counted.
        ToolCase{"headless_first.nl2",
                 {{0, Prog(2)}, {97, Prog(99)}, {98, "Sound   99"}},
                 true,
                 "124 bytes outside the dumps",
                 false},
        // Real-time bytes inside and between the dumps are MIDI's, not the bank's.
        ToolCase{"realtime.syx", {{0, Prog(1)}, {1, Prog(2)}, {50, Prog(51)}, {98, Prog(99)}}, false, "", false},
        ToolCase{"format1_3tracks.mid",
                 {{0, Prog(1)}, {1, Prog(2)}, {2, Prog(3)}, {50, Prog(51)}, {98, Prog(99)}},
                 false,
                 "",
                 false},
        ToolCase{
            "bank30.mid", {{0, Prog(1)}, {29, Prog(30)}, {30, "Sound   31"}, {98, "Sound   99"}}, false, "", false},
        ToolCase{"lossy120.syx",
                 {{0, Prog(1)}, {98, Prog(99)}},
                 true,
                 "1 program of an unusual length, over 99 programs, not split",
                 false}),
    [](const ::testing::TestParamInfo<ToolCase>& info) {
      std::string name = info.param.file;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });

TEST_F(OtherTools, BankFilesUnder4501BytesAreNamedAmongTheFilesNotRead) {
  for (const char* file : {"bank1.syx", "bank10.syx", "bank30.syx", "bank1.mid", "bank10.mid"})
    EXPECT_LT(Listed(librarian_, file), 0) << file;
  librarian_.inspect([](const PatchLibrary& library) {
    for (const char* file : {"bank1.syx", "bank10.syx", "bank30.syx", "bank1.mid", "bank10.mid"}) {
      const std::string entry = std::string(file) + " (smaller than 4501 bytes)";
      EXPECT_NE(std::find(library.skippedFiles.begin(), library.skippedFiles.end(), entry), library.skippedFiles.end())
          << entry;
    }
  });
  EXPECT_NE(librarian_.paneNotice(true).find("bank10.syx (smaller than 4501 bytes)"), std::string::npos);
  ExpectNothingSplit(root_, data_.path());
}

}  // namespace
