#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "BaseTestPlug.h"

namespace {
using Calls = std::vector<std::string>;

// Two automated parameters and a bank of three presets.
struct PresetPlug : BaseTestPlug {
  PresetPlug() : BaseTestPlug(3, 2, "2-2", 3) {
    GetParam(0)->InitDouble("level", 0.5, 0.0, 1.0, 0.01);
    GetParam(1)->InitInt("mode", 1, 0, 3);
    GetParam(2)->InitBool("tail", false);
  }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
}  // namespace

TEST(Presets, EmptyListAnswersFalseAndEmptyNames) {
  BaseTestPlug plug(798, 0);
  EXPECT_FALSE(plug.RestorePreset(0));
  EXPECT_FALSE(plug.RestorePreset("anything"));
  EXPECT_STREQ(plug.GetPresetName(0), "");
  plug.MakeDefaultPreset("-", 64);
  EXPECT_EQ(plug.NPresets(), 0);
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializePresets(&chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(plug.UnserializePresets(&chunk, 0), 0);
}

TEST(Presets, FreshPresetsAreEmptyAndNamedSo) {
  PresetPlug plug;
  EXPECT_STREQ(plug.GetPresetName(2), "empty");
  EXPECT_STREQ(plug.GetPresetName(3), "");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
}

TEST(Presets, RestoringAnUninitialisedPresetNamesIt) {
  PresetPlug plug;
  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_STREQ(plug.GetPresetName(1), "user preset 1");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.calls, (Calls{"PresetsChangedByHost"}));
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_STREQ(plug.GetPresetName(0), "user preset 2");
  EXPECT_FALSE(plug.RestorePreset(3));
}

TEST(Presets, RestoreLoadsTheStoredState) {
  PresetPlug plug;
  plug.GetParam(0)->Set(0.25);
  plug.RestorePreset(0);  // captures 0.25
  plug.GetParam(0)->Set(0.75);
  ASSERT_TRUE(plug.RestorePreset("user preset 1"));
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.25);
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(nullptr));
  EXPECT_FALSE(plug.RestorePreset("User Preset 1"));
}

TEST(Presets, ModifyCurrentPreset) {
  PresetPlug plug;
  plug.RestorePreset(0);
  plug.GetParam(1)->Set(3.0);
  plug.ModifyCurrentPreset("Bright");
  EXPECT_STREQ(plug.GetPresetName(0), "Bright");
  plug.GetParam(1)->Set(0.0);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ(plug.GetPresetName(0), "Bright");
  plug.GetParam(1)->Set(2.0);
  plug.RestorePreset(0);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 0.0);
}

TEST(Presets, DefaultPresetsFillFreeSlots) {
  PresetPlug plug;
  plug.MakeDefaultPreset(nullptr, 2);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  EXPECT_STREQ(plug.GetPresetName(1), "Empty");
  EXPECT_STREQ(plug.GetPresetName(2), "empty");
  plug.EnsureDefaultPreset();
  EXPECT_STREQ(plug.GetPresetName(2), "Empty");
  plug.MakeDefaultPreset("more", 1);  // none free: nothing
  EXPECT_STREQ(plug.GetPresetName(2), "Empty");
}

TEST(Presets, PruneKeepsOnlyInitialised) {
  PresetPlug plug;
  plug.MakePresetFromChunk("kept", nullptr);
  plug.PruneUninitializedPresets();
  EXPECT_EQ(plug.NPresets(), 1);
  EXPECT_STREQ(plug.GetPresetName(0), "kept");
}

TEST(Presets, MakePresetTakesTypedArguments) {
  PresetPlug plug;
  plug.MakePreset("typed", 0.125, 3);
  ASSERT_TRUE(plug.RestorePreset("typed"));
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.125);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 3.0);
}

TEST(Presets, NamedParamsKeepTheOthers) {
  PresetPlug plug;
  plug.GetParam(0)->Set(0.4);
  plug.MakePresetFromNamedParams("named", 1, 1, 2);
  plug.GetParam(0)->Set(0.9);
  ASSERT_TRUE(plug.RestorePreset("named"));
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.4);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 2.0);
}

TEST(Presets, BlobDecodesBase64) {
  PresetPlug plug;
  // Two doubles: 0.5 and 2.0, as Base64 of their little-endian bytes.
  plug.MakePresetFromBlob("blob", "AAAAAAAA4D8AAAAAAAAAQA==", 16);
  ASSERT_TRUE(plug.RestorePreset("blob"));
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 2.0);
}

TEST(Presets, BlobStopsAtTheSizeOrTheFirstForeignCharacter) {
  PresetPlug plug;
  plug.MakePresetFromBlob("short", "AAAAAAAA4D8", 16);  // 8 bytes given, 16 asked: zeros follow
  ASSERT_TRUE(plug.RestorePreset("short"));
  EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 0.0);
  plug.MakePresetFromBlob("cut", "AAAAAAAA4D8AAAAAAAAAQA==", 8);
  ByteChunk bank;
  plug.SerializePresets(&bank);
  // "short" + flag + 16 bytes, "cut" + flag + 8 bytes, "empty" + flag
  EXPECT_EQ(bank.Size(), (4 + 5 + 1 + 16) + (4 + 3 + 1 + 8) + (4 + 5 + 1));
}

TEST(Presets, DumpedBlobRecreatesThePreset) {
  PresetPlug plug;
  plug.GetParam(0)->Set(0.33);
  plug.GetParam(1)->Set(2.0);
  plug.RestorePreset(0);
  const std::string path = ::testing::TempDir() + "preset_blob.txt";
  ASSERT_TRUE(plug.DumpPresetBlob(path.c_str()));
  const std::string text = ReadFile(path);
  std::remove(path.c_str());
  const size_t open = text.find("\", \"") + 4;
  const size_t close = text.find('"', open);
  ASSERT_NE(close, std::string::npos);
  EXPECT_NE(text.find("MakePresetFromBlob("), std::string::npos);
  EXPECT_NE(text.find(", 16);"), std::string::npos);
  PresetPlug other;
  other.MakePresetFromBlob("copy", text.substr(open, close - open).c_str(), 16);
  ASSERT_TRUE(other.RestorePreset("copy"));
  EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 0.33);
  EXPECT_DOUBLE_EQ(other.GetParam(1)->Value(), 2.0);
}

TEST(Presets, DumpedSourceNamesEveryAutomatedParameter) {
  PresetPlug plug;
  plug.GetParam(0)->Set(0.25);
  const char* names[] = {"kLevel", "kMode"};
  const std::string path = ::testing::TempDir() + "preset_src.txt";
  ASSERT_TRUE(plug.DumpPresetSrcCode(path.c_str(), names));
  const std::string text = ReadFile(path);
  std::remove(path.c_str());
  EXPECT_NE(text.find("kLevel, 0.250000"), std::string::npos) << text;
  EXPECT_NE(text.find("kMode, 1"), std::string::npos) << text;
  EXPECT_FALSE(plug.DumpPresetSrcCode("/nonexistent-dir/x.txt", names));
}

TEST(Presets, BankRoundTrip) {
  PresetPlug a;
  a.GetParam(0)->Set(0.1);
  a.MakePresetFromNamedParams("first", 0);
  a.GetParam(0)->Set(0.2);
  a.MakePresetFromNamedParams("second", 0);
  ByteChunk bank;
  a.SerializePresets(&bank);

  PresetPlug b;
  EXPECT_EQ(b.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_STREQ(b.GetPresetName(0), "first");
  EXPECT_STREQ(b.GetPresetName(1), "second");
  EXPECT_STREQ(b.GetPresetName(2), "empty");
  // The current preset (0) is restored at the end.
  EXPECT_DOUBLE_EQ(b.GetParam(0)->Value(), 0.1);
  ASSERT_TRUE(b.RestorePreset(1));
  EXPECT_DOUBLE_EQ(b.GetParam(0)->Value(), 0.2);
}

TEST(Presets, EmptyStoredNameStaysEmpty) {
  PresetPlug plug;
  ByteChunk bank;
  bank.PutStr("Alpha");
  bank.PutBool(false);
  bank.PutStr("");
  bank.PutBool(false);
  bank.PutStr("Gamma");
  bank.PutBool(false);
  EXPECT_EQ(plug.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_STREQ(plug.GetPresetName(1), "");
  EXPECT_STREQ(plug.GetPresetName(2), "Gamma");
  // The current preset, still uninitialised, is made a user preset at the end.
  EXPECT_STREQ(plug.GetPresetName(0), "user preset 1");
}

TEST(Presets, LongStoredNameIsCut) {
  PresetPlug plug;
  ByteChunk bank;
  bank.PutStr("a");
  bank.PutBool(false);
  bank.PutStr(std::string(400, 'z').c_str());
  bank.PutBool(false);
  plug.UnserializePresets(&bank, 0);
  EXPECT_EQ(std::string(plug.GetPresetName(1)), std::string(IPreset::kMaxNameLength, 'z'));
}

TEST(Presets, EveryTruncationOfABank) {
  PresetPlug source;
  source.GetParam(0)->Set(0.6);
  source.MakePresetFromNamedParams("one", 0);
  source.GetParam(1)->Set(3.0);
  source.MakePresetFromNamedParams("two", 0);
  ByteChunk full;
  source.SerializePresets(&full);
  for (int cut = 0; cut <= full.Size(); ++cut) {
    ByteChunk bank;
    bank.PutChunk(&full);
    bank.Resize(cut);
    PresetPlug target;
    const int pos = target.UnserializePresets(&bank, 0);
    if (cut == full.Size()) {
      EXPECT_EQ(pos, cut);
    } else {
      EXPECT_EQ(pos, -1) << cut;
    }
    EXPECT_LE(pos, bank.Size());
    // Preset 0 is either read whole or, left uninitialised, made a user preset.
    const std::string first = target.GetPresetName(0);
    EXPECT_TRUE(first == "one" || first == "user preset 1") << cut << " " << first;
    const std::string second = target.GetPresetName(1);
    EXPECT_TRUE(second == "two" || second == "empty") << cut << " " << second;
    // Name (7), flag (1) and both values (16) of preset 0 read whole.
    if (cut >= 24) {
      EXPECT_EQ(first, "one");
      EXPECT_DOUBLE_EQ(target.GetParam(0)->Value(), 0.6) << cut;
    }
  }
}
