// The value read-out on the authored panel: which changes reach the two lines and
// what they show, and the number format it shares with the editor.
#include <gtest/gtest.h>

#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "SharedEditorSuite.h"

namespace {

constexpr const char* kUntouched = "(untouched)";

class Readout : public SharedEditorSuite {
protected:
  void SetUp() override {
    plug().setActiveSlot(0);
    plug().setNordModel(1);
    plug().setHostFilterBlocked(1, true);
  }
  static std::string nameLine() { return plug().keptControls().statusText->GetTextString(); }
  static std::string valueLine() { return plug().keptControls().valueText->GetTextString(); }
  static std::string listEntry(const char* list, int at) { return plug().uiConfig->getValueList(list).at(size_t(at)); }
  // Stores the value as the change would have, then runs the read-out on blank lines.
  static void change(int paramIdx, double value, bool activeSlotOnly = false) {
    plug().GetParam(paramIdx)->Set(value);
    plug().keptControls().statusText->SetTextFromPlug(kUntouched);
    plug().keptControls().valueText->SetTextFromPlug(kUntouched);
    plug().valueReadout.controlDisplay(&plug(), paramIdx, value, activeSlotOnly);
  }
  static std::string nameOf(int paramIdx) { return plug().GetParam(paramIdx)->GetNameForHost(); }
};

TEST_F(Readout, NumericFamiliesInTheSynthesizersTerms) {
  struct Case {
    const char* family;
    int slot;
    double value;
    const char* valueLine;
  };
  const Case cases[] = {
      {"kVFilterCutoff", 1, 127, "0 % [127]"},
      {"kVFilterCutoff", 1, 64, "-50% [64]"},
      {"kVFilterCutoff", 0, 1, "-100% [1]"},
      {"kVFilterCutoff", 2, 0, "-100% [0]"},
      {"kVFilterCutoff", 3, 128, "0% [128]"},
      {"kVFilterCutoff", 0, 192, "50% [192]"},
      {"kVFilterCutoff", 0, 256, "100% [256]"},
      {"kVFilterCutoff", 0, 257, "100% [257]"},
      {"kVFilterCutoff", 0, 258, " [258]"},
      {"kVFilterCutoff", 0, -1, " [-1]"},
      {"kVOscillatorMix", 3, 100, "-22% [100]"},
      {"kModEnvAmount", 0, 0, "-64 [0]"},
      {"kModEnvAmount", 1, 64, "0 [64]"},
      {"kModEnvAmount", 2, 127, "+63 [127]"},
      {"kModEnvAmount", 3, 128, " [128]"},
      {"kOsc2Finetune", 0, 0, "-100% [0]"},
      {"kOsc2Finetune", 0, 1, "-97% [1]"},
      {"kOsc2Finetune", 0, 63, "-1% [63]"},
      {"kOsc2Finetune", 0, 64, "< CENTER > [64]"},
      {"kOsc2Finetune", 0, 65, "1% [65]"},
      {"kOsc2Finetune", 0, 126, "96% [126]"},
      {"kOsc2Finetune", 0, 127, "100% [127]"},
      {"kOsc2Finetune", 0, 128, " [128]"},
      {"kPulseWidth", 0, 0, "50% [0]"},
      {"kPulseWidth", 0, 1, "50% [1]"},
      {"kPulseWidth", 0, 63, "74% [63]"},
      {"kPulseWidth", 0, 64, "75% [64]"},
      {"kPulseWidth", 0, 65, "75% [65]"},
      {"kPulseWidth", 0, 126, "99% [126]"},
      {"kPulseWidth", 0, 127, "100% [127]"},
      {"kOscillatorMix", 0, 0, "OSC 1 100% [0]"},
      {"kOscillatorMix", 0, 32, "1 75%|2 25% [32]"},
      {"kOscillatorMix", 0, 63, "1 51%|2 49% [63]"},
      {"kOscillatorMix", 0, 64, "1 50%|2 50% [64]"},
      {"kOscillatorMix", 0, 65, "1 50%|2 50% [65]"},
      {"kOscillatorMix", 0, 127, "OSC 2 100% [127]"},
      {"kOscillatorMix", 0, 128, " [128]"},
      {"kOsc2Semitones", 0, 60, "0 [60]"},
      {"kOsc2Semitones", 1, 0, "-60 [0]"},
      {"kOsc2Semitones", 2, 120, "+60 [120]"},
      {"kOsc2Semitones", 2, 121, " [121]"},
      // Families the tables leave to the plain number: no suffix.
      {"kMasterTune", 0, 64, "64"},
      {"kFilterCutoff", 1, 100, "100"},
      {"kFilterCutoff", 1, 99.9, "99"},
  };
  for (int s = 0; s < 4; ++s) plug().GetParam(param("kOsc2Waveform") + s)->Set(0.0);
  for (const Case& c : cases) {
    const int idx = param(c.family) + c.slot;
    SCOPED_TRACE(testing::Message() << c.family << " slot " << c.slot << " value " << c.value);
    change(idx, c.value);
    EXPECT_EQ(nameLine(), nameOf(idx));
    EXPECT_EQ(valueLine(), c.valueLine);
  }
}

TEST_F(Readout, ValueListsAndTheirNameLines) {
  struct Case {
    const char* family;
    int slot;
    int model;
    double value;
    const char* list;      // entry `value` expected; null: nothing before the suffix
    const char* nameLine;  // null: the parameter's own name
  };
  const Case cases[] = {
      {"kFilterType", 0, 1, 2, "filterType", nullptr},
      {"kFilterType", 3, 2, 5, "filterType", nullptr},
      {"kOsc2Waveform", 1, 1, 3, "osc2Wave", nullptr},
      {"kPartMidiChannel", 2, 1, 16, "partMidiChannel", nullptr},
      {"kKeyboardSplitPoint", 0, 1, 60, "keyList", nullptr},
      {"kGlobalLink", 2, 1, 1, "onOff", nullptr},
      {"kLFO2Hold", 1, 1, 1, "onOff", "Arpeggiator"},
      {"kLFO2Destination", 0, 1, 3, "lfo2Dest", "LFO2 Destination"},
      {"kLFO2Destination", 0, 1, 8, "lfo2Dest", "Arpeggiator Mode"},
      {"kLFO2Destination", 0, 1, 5, "lfo2Dest", "Arpeggiator Mode"},
      {"kLFO2Destination", 0, 1, 7, "lfo2Dest", "LFO2 Destination"},
      // The NL1 lists on model 0 only; other models show the number.
      {"kLFO1WaveformNL1", 1, 0, 2, "lfo1WaveNL1", nullptr},
      {"kFilterTypeNL1", 0, 0, 4, "filterTypeNL1", nullptr},
      {"kLFO2DestinationNL1", 0, 0, 6, "lfo2DestNL1", "Arpeggiator Mode"},
      {"kLFO2DestinationNL1", 0, 0, 3, "lfo2DestNL1", "LFO2 Destination"},
      // An entry beyond the list, or below it, leaves the text empty.
      {"kFilterType", 0, 1, 40, nullptr, nullptr},
      {"kOsc1Waveform", 0, 1, -1, nullptr, nullptr},
      {"kLFO2Destination", 0, 1, 9, nullptr, "LFO2 Destination"},
  };
  for (const Case& c : cases) {
    const int idx = param(c.family) + c.slot;
    SCOPED_TRACE(testing::Message() << c.family << " slot " << c.slot << " model " << c.model << " value " << c.value);
    plug().setNordModel(c.model);
    change(idx, c.value);
    EXPECT_EQ(nameLine(), c.nameLine ? c.nameLine : nameOf(idx));
    const std::string entry = c.list ? listEntry(c.list, int(c.value)) : "";
    EXPECT_EQ(valueLine(), entry + " [" + std::to_string(int(c.value)) + "]");
  }
  // On the other models the NL1 variants show a plain number, and the name stays.
  for (int model : {1, 2}) {
    plug().setNordModel(model);
    change(param("kLFO2DestinationNL1"), 6);
    EXPECT_EQ(nameLine(), nameOf(param("kLFO2DestinationNL1")));
    EXPECT_EQ(valueLine(), "6");
    change(param("kLFO1WaveformNL1") + 3, 1);
    EXPECT_EQ(valueLine(), "1");
  }
}

TEST_F(Readout, NoiseWaveformTurnsSemitonesIntoNoiseColour) {
  const int semitones = param("kOsc2Semitones") + 2, waveform = param("kOsc2Waveform") + 2;
  plug().GetParam(waveform)->Set(3.0);
  change(semitones, 64);
  EXPECT_EQ(nameLine(), "[3] OSC 2 Noise Color");
  EXPECT_EQ(valueLine(), " [64]");
  // Only the same slot's waveform counts.
  change(semitones + 1, 64);
  EXPECT_EQ(valueLine(), "+4 [64]");
  plug().GetParam(waveform)->Set(2.0);
  change(semitones, 64);
  EXPECT_EQ(nameLine(), nameOf(semitones));
  EXPECT_EQ(valueLine(), "+4 [64]");
}

TEST_F(Readout, FixedTextsAndPassedOverChanges) {
  const int library = param("kControlLibrary");
  change(library, 1.0);
  EXPECT_EQ(nameLine(), nameOf(library));
  EXPECT_EQ(valueLine(), "Send From Libr.");
  change(library, 0.0);
  EXPECT_EQ(valueLine(), "Request From HW");
  // While host program changes pass, the librarian switch is not shown at all.
  plug().setHostFilterBlocked(1, false);
  change(library, 1.0);
  EXPECT_EQ(nameLine(), kUntouched);
  EXPECT_EQ(valueLine(), kUntouched);

  for (const char* name : {"kDatamode", "kDatatype"}) {
    change(param(name), 1.0);
    EXPECT_EQ(nameLine(), "Browse HW Performances") << name;
    EXPECT_EQ(valueLine(), kUntouched) << name;
    change(param(name), 0.0);
    EXPECT_EQ(nameLine(), "Browse HW Slot Programs") << name;
  }
  change(param("kShowVelomap"), 1.0);
  EXPECT_EQ(nameLine(), nameOf(param("kShowVelomap")));
  EXPECT_EQ(valueLine(), kUntouched);

  // The active slot's cycle button is passed over; another slot's shows a number.
  plug().setActiveSlot(2);
  change(param("kOsc1WaveTrig") + 2, 1.0);
  EXPECT_EQ(nameLine(), kUntouched);
  change(param("kOsc1WaveTrig") + 1, 1.0);
  EXPECT_EQ(nameLine(), nameOf(param("kOsc1WaveTrig") + 1));
  EXPECT_EQ(valueLine(), "1");

  for (const char* name : {"kQuickTab", "kNordModel", "kRandomize", "kControlDisplayValue", "kPatchSelectionListUpper",
                           "kDeviceOutSelection"}) {
    change(param(name), 1.0);
    EXPECT_EQ(nameLine(), kUntouched) << name;
    EXPECT_EQ(valueLine(), kUntouched) << name;
  }
  change(param("kCurrentBank") + 3, 1.0);
  EXPECT_EQ(nameLine(), kUntouched);
}

TEST_F(Readout, NothingBeforeStartUpCompletes) {
  plug().setStartupComplete(false);
  change(param("kVFilterCutoff"), 64);
  plug().setStartupComplete(true);
  EXPECT_EQ(nameLine(), kUntouched);
  EXPECT_EQ(valueLine(), kUntouched);
}

TEST_F(Readout, WhileTheTransportRunsOnlyTheActiveSlotShows) {
  plug().setActiveSlot(1);
  const int cutoff = param("kFilterCutoff");
  ASSERT_EQ(nameOf(cutoff + 1).substr(0, 4), "[2] ");
  change(cutoff + 1, 64, true);
  EXPECT_EQ(nameLine(), nameOf(cutoff + 1));
  EXPECT_EQ(valueLine(), "64");
  change(cutoff, 64, true);
  EXPECT_EQ(nameLine(), kUntouched);
  change(param("kMasterTune"), 64, true);
  EXPECT_EQ(nameLine(), kUntouched);
  change(param("kMasterTune"), 64, false);
  EXPECT_EQ(valueLine(), "64");
  // An empty name, or one too short to carry the slot digit, ends the call: a free
  // parameter named by the active slot's digit alone.
  int unnamed = -1;
  for (int idx = 0; idx < plug().NParams() && unnamed < 0; ++idx)
    if (plug().GetParam(idx)->Type() == IParam::kTypeNone && !plug().GetParam(idx)->GetControlAction()) unnamed = idx;
  ASSERT_GE(unnamed, 0);
  change(unnamed, 1, true);
  EXPECT_EQ(nameLine(), kUntouched);
  plug().GetParam(unnamed)->InitInt("2", 0, 0, 127);
  change(unnamed, 1, true);
  EXPECT_EQ(nameLine(), kUntouched);
  change(unnamed, 1, false);
  EXPECT_EQ(nameLine(), "2");
}

TEST(ReadoutNumber, RoundsLikePrintf) {
  const std::pair<double, const char*> cases[] = {
      {64.5, "64"}, {65.5, "66"}, {-0.4, "-0"}, {-1.5, "-2"}, {127.0, "127"}, {1e20, "100000000000000000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Tavro::getValueString(c.first), c.second) << c.first;
    EXPECT_EQ(ControlDisplay::getValueString(c.first), c.second) << c.first;
  }
  EXPECT_EQ(Tavro::getValueString(1e300).size(), 301u);
}

}  // namespace
