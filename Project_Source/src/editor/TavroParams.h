#pragma once
// Indices of the parameters the editor object reads and writes by name.

enum TavroParam : int {
  kOsc2Semitones = 100,  // + slot
  kOsc2Waveform = 124,   // + slot
  kPartMidiChannel = 204,  // + slot
  kDeviceID = 308,
  kSlotAEnable = 347,  // + slot
  kCurrentProgram = 422,  // + slot
  kCurrentBank = 426,     // + slot
  kCurrentBank2x = 434,   // + slot
  kMIDIFilterDAWCCPassThrough = 592,
  kMIDIFilterHWCCPassThrough = 599,
  kMIDIFilterTrackIncomingMIDI = 606,
  kSendMIDIClockPointer = 609,
  kSendMIDIClockInfo = 610,
  kSlotSolo = 611,    // + slot
  kGlobalLink = 615,  // three
  kPatchSearch = 623,
  kControlDisplayBuild = 625,
  kControlDisplayMIDIOutDelay = 626,
  kOscillator2OctaveLED = 627,  // + slot
  kPatchRename = 655,
  kDatatype = 660,
  kDeviceOutSelection = 662,
  kDeviceInSelection = 663,
  kDatamode = 664,
  kUserInterfaceSize = 665,
  kBankEditUnsaved = 683,
  kKeepCurrentBankOpen = 684,
  kCancelDataRequest = 685,
  kAllowPartChangeLED = 688,
  kMIDILed = 689,  // + slot
  kMultiSettings = 769,
  kShowLibrarian = 771,
  kShowVelomap = 772,
  kAllowPartChange = 773,
  kControlLibrary = 776,
  kControlDisplayName = 777,
  kControlDisplayValue = 778,
  kControlDisplayCC = 779,
  kOverrideTempo = 789,
  kPatchSelectionListUpper = 791,
  kPatchSelectionListLower = 792,
  kQuickTab = 794,
  kNordModel = 796,
  kRandomize = 797,
  kTavroParamCount = 798
};

constexpr int kFilterCount = 19;  // 592-610
constexpr int kFilterClassCount = 7;
constexpr int kSlotCount = 4;
