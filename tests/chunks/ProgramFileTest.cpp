#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BaseTestPlug.h"
#include "Framework/FxFile.h"
#include "Kit_AtomicFile.h"
#include "RemoveTree.h"

namespace {

// Two automated parameters, one that is not, and a bank of three presets.
struct FilePlug : BaseTestPlug {
  explicit FilePlug(bool chunks) : BaseTestPlug(3, 2, "2-2", 3, "Tavro Editor", chunks) {
    GetParam(0)->InitDouble("level", 0.5, 0.0, 1.0, 0.01);
    GetParam(1)->InitInt("mode", 1, 0, 3);
    GetParam(2)->InitBool("tail", false);
  }
  void InformHostOfProgramChange() override { calls.push_back("InformHostOfProgramChange"); }

  // Everything a load may change, to compare before and after.
  std::string Summary() {
    std::string text = std::to_string(GetCurrentPresetIdx());
    for (int i = 0; i < NAutomatedParams(); ++i) text += " " + std::to_string(GetParam(i)->Value());
    for (int i = 0; i < NPresets(); ++i) text += std::string(" '") + GetPresetName(i) + "'";
    return text;
  }
  // Three named presets with values of their own, the second one current.
  void FillBank() {
    const char* names[] = {"Warm pad", "Bright lead", "Deep bass"};
    for (int p = 0; p < 3; ++p) {
      RestorePreset(p);
      GetParam(0)->Set(0.25 * p);
      GetParam(1)->Set(p + 1);
      ModifyCurrentPreset(names[p]);
    }
    RestorePreset(1);
  }
};

class ProgramFiles : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavro-program-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { RemoveTree(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static void Put(const std::string& path, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(Kit_WriteFileAtomically(path, bytes.data(), bytes.size(), nullptr));
  }
  // A file whose chunk holds the version header and then `state`.
  static std::vector<uint8_t> WithChunk(bool bank, const std::vector<uint8_t>& state, int count) {
    ByteChunk chunk;
    InitChunkWithIModuleVer(&chunk);
    std::vector<uint8_t> bytes(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
    bytes.insert(bytes.end(), state.begin(), state.end());
    if (bank) {
      FxBank file;
      file.pluginId = FourCharCode("tvrq");
      file.isChunk = true;
      file.programCount = count;
      file.chunk = bytes;
      return FxWriteBank(file);
    }
    FxProgram file;
    file.pluginId = FourCharCode("tvrq");
    file.isChunk = true;
    file.chunk = bytes;
    return FxWriteProgram(file);
  }

  std::string dir_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(ChunksAndValues, ProgramFiles, ::testing::Bool());

TEST_P(ProgramFiles, ProgramAndBankComeBackIntoAnotherInstance) {
  FilePlug source(GetParam());
  source.FillBank();
  source.GetParam(0)->Set(0.75);
  source.GetParam(1)->Set(3);
  ASSERT_TRUE(source.SaveProgramAsFXP(Path("one.fxp").c_str()));
  EXPECT_EQ(std::string(source.GetProgramFilePath()), Path("one.fxp"));
  const std::string programState = source.Summary();
  source.RestorePreset(1);
  ASSERT_TRUE(source.SaveBankAsFXB(Path("all.fxb").c_str()));
  EXPECT_EQ(std::string(source.GetProgramFilePath()), Path("all.fxb"));

  FilePlug bank(GetParam());
  ASSERT_TRUE(bank.LoadBankFromFXB(Path("all.fxb").c_str()));
  EXPECT_EQ(bank.Summary(), source.Summary());
  EXPECT_EQ(std::string(bank.GetProgramFilePath()), Path("all.fxb"));

  FilePlug program(GetParam());
  program.FillBank();
  ASSERT_TRUE(program.LoadProgramFromFXP(Path("one.fxp").c_str()));
  // The program lands in the current preset, under the name it was saved with.
  EXPECT_EQ(program.Summary(), programState);
  EXPECT_EQ(program.calls.back(), "InformHostOfProgramChange");
}

TEST_P(ProgramFiles, EveryCutOrPaddedFileIsRefusedAndChangesNothing) {
  FilePlug source(GetParam());
  source.FillBank();
  ASSERT_TRUE(source.SaveProgramAsFXP(Path("one.fxp").c_str()));
  ASSERT_TRUE(source.SaveBankAsFXB(Path("all.fxb").c_str()));
  for (const bool bank : {false, true}) {
    std::vector<uint8_t> whole = Read(Path(bank ? "all.fxb" : "one.fxp"));
    FilePlug target(GetParam());
    const std::string before = target.Summary();
    const size_t saved = whole.size();
    whole.push_back(0);
    for (size_t size = 0; size <= whole.size(); ++size) {
      if (size == saved) continue;
      Put(Path("cut"), std::vector<uint8_t>(whole.begin(), whole.begin() + long(size)));
      EXPECT_FALSE(bank ? target.LoadBankFromFXB(Path("cut").c_str()) : target.LoadProgramFromFXP(Path("cut").c_str()))
          << (bank ? "bank" : "program") << " of " << size << " bytes";
    }
    EXPECT_EQ(target.Summary(), before);
    EXPECT_STREQ(target.GetProgramFilePath(), "");
  }
}

TEST_P(ProgramFiles, FilesThatDoNotFitAreRefused) {
  FilePlug source(GetParam());
  ASSERT_TRUE(source.SaveProgramAsFXP(Path("one.fxp").c_str()));
  ASSERT_TRUE(source.SaveBankAsFXB(Path("all.fxb").c_str()));
  FxProgram program;
  ASSERT_TRUE(FxReadProgram(Read(Path("one.fxp")).data(), Read(Path("one.fxp")).size(), &program));
  FxBank bank;
  ASSERT_TRUE(FxReadBank(Read(Path("all.fxb")).data(), Read(Path("all.fxb")).size(), &bank));

  FxProgram otherPlugIn = program;
  otherPlugIn.pluginId = FourCharCode("xxxx");
  Put(Path("other.fxp"), FxWriteProgram(otherPlugIn));
  FxBank otherBank = bank;
  otherBank.pluginId = FourCharCode("xxxx");
  Put(Path("other.fxb"), FxWriteBank(otherBank));
  FxProgram tooMany;
  tooMany.pluginId = FourCharCode("tvrq");
  tooMany.values = {0.5f, 0.5f, 0.5f};
  Put(Path("many.fxp"), FxWriteProgram(tooMany));
  FxProgram notNormalised = tooMany;
  notNormalised.values = {0.5f, 1.5f};
  Put(Path("range.fxp"), FxWriteProgram(notNormalised));
  FxBank fewerPresets = bank;
  fewerPresets.programCount = 2;
  if (!fewerPresets.isChunk) fewerPresets.programs.pop_back();
  Put(Path("fewer.fxb"), FxWriteBank(fewerPresets));

  FilePlug target(GetParam());
  const std::string before = target.Summary();
  for (const char* name : {"other.fxp", "many.fxp", "range.fxp", "missing.fxp"}) {
    EXPECT_FALSE(target.LoadProgramFromFXP(Path(name).c_str())) << name;
  }
  for (const char* name : {"other.fxb", "fewer.fxb", "one.fxp"}) {
    EXPECT_FALSE(target.LoadBankFromFXB(Path(name).c_str())) << name;
  }
  EXPECT_FALSE(target.LoadProgramFromFXP(nullptr));
  EXPECT_EQ(target.Summary(), before);
}

// Value files hold one normalised value per automated parameter: a plug-in that saves
// chunks takes a value bank as it takes a value program, and saves it back as chunks.
TEST(ProgramFilesChunks, AValueBankGoesIntoAChunkPlugInAndBack) {
  char pattern[] = "/tmp/tavro-value-bank-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  FilePlug values(false);
  values.FillBank();
  ASSERT_TRUE(values.SaveBankAsFXB((dir + "/values.fxb").c_str()));
  ASSERT_TRUE(values.SaveProgramAsFXP((dir + "/value.fxp").c_str()));

  FilePlug chunks(true);
  ASSERT_TRUE(chunks.LoadBankFromFXB((dir + "/values.fxb").c_str()));
  EXPECT_EQ(chunks.Summary(), values.Summary());
  FilePlug program(true);
  ASSERT_TRUE(program.LoadProgramFromFXP((dir + "/value.fxp").c_str()));
  EXPECT_EQ(program.GetParam(0)->Value(), values.GetParam(0)->Value());

  ASSERT_TRUE(chunks.SaveBankAsFXB((dir + "/chunks.fxb").c_str()));
  std::ifstream in(dir + "/chunks.fxb", std::ios::binary);
  const std::vector<uint8_t> saved((std::istreambuf_iterator<char>(in)), {});
  FxBank bank;
  ASSERT_TRUE(FxReadBank(saved.data(), saved.size(), &bank));
  EXPECT_TRUE(bank.isChunk);
  for (const bool chunkPlugIn : {true, false}) {
    FilePlug back(chunkPlugIn);
    ASSERT_TRUE(back.LoadBankFromFXB((dir + "/chunks.fxb").c_str())) << chunkPlugIn;
    EXPECT_EQ(back.Summary(), values.Summary()) << chunkPlugIn;
    for (int p = 0; p < back.NPresets(); ++p) {
      ASSERT_TRUE(back.RestorePreset(p));
      ASSERT_TRUE(values.RestorePreset(p));
      EXPECT_EQ(back.Summary(), values.Summary()) << chunkPlugIn << " preset " << p;
    }
    ASSERT_TRUE(values.RestorePreset(1));
  }
  RemoveTree(dir);
}

TEST(ProgramFilesChunks, AStateThatReadsShortPutsEverythingBack) {
  FilePlug source(true);
  source.FillBank();
  ByteChunk presets;
  ASSERT_TRUE(source.SerializePresets(&presets));
  const std::vector<uint8_t> bank(presets.GetBytes(), presets.GetBytes() + presets.Size() - 1);
  const std::vector<uint8_t> oneValue(8, 0);

  char pattern[] = "/tmp/tavro-short-state-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  ASSERT_TRUE(Kit_WriteFileAtomically(dir + "/p.fxp", nullptr, 0, nullptr));
  FilePlug target(true);
  target.GetParam(0)->Set(0.5);
  target.GetParam(1)->Set(2);
  const std::string before = target.Summary();
  for (const bool isBank : {false, true}) {
    FxProgram program;
    program.pluginId = FourCharCode("tvrq");
    program.isChunk = true;
    ByteChunk header;
    InitChunkWithIModuleVer(&header);
    program.chunk.assign(header.GetBytes(), header.GetBytes() + header.Size());
    const std::vector<uint8_t>& state = isBank ? bank : oneValue;
    program.chunk.insert(program.chunk.end(), state.begin(), state.end());
    FxBank file;
    file.pluginId = program.pluginId;
    file.isChunk = true;
    file.programCount = 3;
    file.chunk = program.chunk;
    const std::vector<uint8_t> bytes = isBank ? FxWriteBank(file) : FxWriteProgram(program);
    ASSERT_TRUE(Kit_WriteFileAtomically(dir + "/p.fxp", bytes.data(), bytes.size(), nullptr));
    EXPECT_FALSE(isBank ? target.LoadBankFromFXB((dir + "/p.fxp").c_str())
                        : target.LoadProgramFromFXP((dir + "/p.fxp").c_str()));
    EXPECT_EQ(target.Summary(), before) << (isBank ? "bank" : "program");
  }
  RemoveTree(dir);
}

TEST(ProgramFilesChunks, AFailedSaveIsReportedAndNotRemembered) {
  FilePlug plug(true);
  EXPECT_FALSE(plug.SaveProgramAsFXP("/nonexistent-folder/one.fxp"));
  EXPECT_FALSE(plug.SaveBankAsFXB("/nonexistent-folder/all.fxb"));
  EXPECT_FALSE(plug.SaveProgramAsFXP(""));
  EXPECT_STREQ(plug.GetProgramFilePath(), "");
}

TEST(FxFileLayout, ProgramHeaderIsBigEndianAndTheNameIsCutOnACharacterBoundary) {
  FxProgram program;
  program.pluginId = FourCharCode("tvrq");
  program.pluginVersion = 0x20200;
  program.isChunk = true;
  program.paramCount = 2;
  program.chunk = {0xAB, 0xCD};
  program.name = std::string(14, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";  // 14 + 7 x 2 bytes
  const std::vector<uint8_t> bytes = FxWriteProgram(program);
  std::vector<uint8_t> expected = {'C', 'c', 'n', 'K', 0,   0,   0, 54, 'F', 'P', 'C', 'h', 0, 0,
                                   0,   1,   't', 'v', 'r', 'q', 0, 2,  2,   0,   0,   0,   0, 2};
  for (char c : program.name.substr(0, 26)) expected.push_back(uint8_t(c));
  // Name padding, chunk size, chunk.
  for (int b : {0, 0, 0, 0, 0, 2, 0xAB, 0xCD}) expected.push_back(uint8_t(b));
  EXPECT_EQ(bytes, expected);

  FxProgram back;
  ASSERT_TRUE(FxReadProgram(bytes.data(), bytes.size(), &back));
  EXPECT_EQ(back.name, program.name.substr(0, 26));
  EXPECT_EQ(back.chunk, program.chunk);
  EXPECT_EQ(back.paramCount, 2);
}
