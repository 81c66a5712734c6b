// Bank files checked against an outside reader and writer: Debian's python3 with mido.

#include "Framework/ByteChunk.h"
#include "LibrarianFixtures.h"
#include "librarian/BankImage.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "RunProgram.h"

namespace {

class Mido : public ::testing::Test {
protected:
  void SetUp() override {
    if (RunProgram({kPython, "-c", "import mido"}) != 0)
      GTEST_SKIP() << "needs /usr/bin/python3 with mido (Debian package python3-mido)";
  }
  // The reference's output, one line per entry.
  std::vector<std::string> Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {kPython, TAVRO_MIDO_REFERENCE});
    std::vector<std::string> lines;
    std::string text, errors;
    EXPECT_EQ(RunProgram(arguments, &text, &errors), 0) << errors;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string Path(const std::string& name) const { return folder_ / name; }
  TempFolder folder_;
};

std::string Hex(const Bytes& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15]};
  return text;
}

Bytes Image(const PatchFile& bank, bool midiForm) {
  ByteChunk image;
  EXPECT_TRUE(bankImage(bank, midiForm, MidiHead::Rewrite, &image));
  return Bytes(image.GetBytes(), image.GetBytes() + image.Size());
}

struct OurBank {
  const char* what;
  int type;
  size_t slots;     // the bank's rows before writing
  size_t expected;  // events in the file
  size_t fileSize;
};

TEST_F(Mido, OurBanksLoadAndResaveByteIdentical) {
  for (const OurBank& c :
       {OurBank{"99 programs", 0, 99, 99, 14209}, OurBank{"100 performances", 1, 100, 100, 71952},
        OurBank{"99 performances", 1, 99, 100, 71952}, OurBank{"programs with gaps", 0, 100, 99, 14209}}) {
    PatchFile bank = c.type == 0 ? Read(Programs(99)) : Read(Join(std::vector<Bytes>(100, Performance(3))));
    bank.patches.resize(c.slots);
    if (c.slots == 100 && c.type == 0) {
      bank.patches[4] = LibrarianPatch();
      bank.patches[5].messages.push_back({Program(77)});  // only the first message counts
    }
    WriteBytes(folder_ / "ours.mid", Image(bank, true));
    WriteBytes(folder_ / "ours.nl2", Image(bank, false));
    EXPECT_EQ(ReadBytes(folder_ / "ours.mid").size(), c.fileSize) << c.what;

    const std::vector<std::string> lines = Run({"dump", Path("ours.mid")});
    ASSERT_EQ(lines.size(), 3 + c.expected) << c.what;
    EXPECT_EQ(lines[0], "format 1 tracks 2");
    EXPECT_EQ(lines[2], "track 1 " + std::to_string(c.expected));
    const PatchFile back = Read(ReadBytes(folder_ / "ours.mid"));
    for (size_t k = 0; k < c.expected; ++k) {
      const Bytes event = {back.patches[k].messages[0].bytes.begin(),
                           back.patches[k].messages[0].bytes.begin() + long(c.type ? 714 : 138)};
      EXPECT_EQ(lines[3 + k].substr(12, event.size() * 2 - 12), Hex(event).substr(12)) << c.what << " event " << k;
    }
    Run({"resave", Path("ours.mid"), Path("again.mid")});
    EXPECT_EQ(ReadBytes(folder_ / "again.mid"), ReadBytes(folder_ / "ours.mid")) << c.what;

    std::vector<std::string> raw;
    for (size_t k = 0; k < std::min(bank.patches.size(), size_t(bankSizeOfKind(c.type))); ++k) {
      for (const PatchSysexMessage& message : bank.patches[k].messages) raw.push_back(Hex(message.bytes));
    }
    EXPECT_EQ(Run({"dump", Path("ours.nl2")}), raw) << c.what;
  }
}

TEST_F(Mido, MidosFilesReadWithEqualDataAndConsecutiveNames) {
  const Bytes source = Programs(99, 20);
  WriteBytes(folder_ / "source.syx", source);
  const PatchFile expected = Read(source);
  std::vector<std::vector<std::string>> made = {{"syx", Path("made.syx"), Path("source.syx")}};
  for (const char* format : {"0", "1"}) {
    for (const char* delta : {"0", "179", "500"}) {
      for (const char* name : {"-", "Bank"})
        made.push_back({"write", Path("made.mid"), format, delta, name, Path("source.syx")});
    }
  }
  for (const std::vector<std::string>& arguments : made) {
    Run(arguments);
    std::string command;
    for (const std::string& argument : arguments) command += argument + " ";
    const PatchFile read = Read(ReadBytes(arguments[1]));
    EXPECT_EQ(PatchNames(read), PatchNames(expected)) << command;
    ASSERT_EQ(read.patches.size(), 99u) << command;
    for (size_t i = 0; i < 99; ++i)
      EXPECT_EQ(read.patches[i].messages[0].bytes, expected.patches[i].messages[0].bytes) << command;
  }
}

}  // namespace
