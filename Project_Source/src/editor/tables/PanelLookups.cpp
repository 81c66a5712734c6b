#include "editor/tables/PanelLookups.h"

const char* const kStartupLayerNames[] = {
    "root", "performanceSettings", "performanceSettings2", "patchLibrarian",
    "patchProgramControls1nl2", "patchProgramControls2nl2", "patchProgramControls3nl2",
    "patchProgramControls4nl2", "patchProgramControls1nl2x", "patchProgramControls2nl2x",
    "patchProgramControls3nl2x", "patchProgramControls4nl2x", "performanceProgramControlsNL2",
    "performanceProgramControlsNL2x", "performanceSelectorsKept", "librarianPartSelector", "controlDisplayLayer",
    "saveChangesLayer", "discardChangesLayerRight", "aboutWindow", "firstRunNotification",
    "midiFilterSettings", "layerALayer", "layerBLayer", "layerCLayer", "layerDLayer",
    "slotAEnable", "slotBEnable", "slotCEnable", "slotDEnable", "modWheelerOne",
    "modWheelerTwo", "modWheelerThree", "modWheelerFour", "patchRename", "searchField",
};
const int kStartupLayerNameCount = sizeof kStartupLayerNames / sizeof kStartupLayerNames[0];

const char* const kEditorOwnLayerNames[] = {
    "PROGRESS", "LeftPatchPopupMenu", "RightPatchPopupMenu", "LeftPerformancePopupMenu",
    "RightPerformancePopupMenu", "BANKEDITMENU", "PROGRAMNUMBERMENU", "BANKNUMBERMENUPROGRAMS",
    "RightSearchPopupMenu", "PERFBANKNAMEMENUPROGRAMS", "PROGBANKNAMEMENUPROGRAMS",
};
const int kEditorOwnLayerNameCount = sizeof kEditorOwnLayerNames / sizeof kEditorOwnLayerNames[0];

const KeptControl kKeptControls[] = {
    {"kShowVelomap", false, false}, {"kControlDisplayCC", false, true},
    {"kDeviceInSelection", false, false}, {"kDeviceOutSelection", false, false},
    {"kControlDisplayBuild", false, true}, {"kControlDisplayMIDIOutDelay", false, true},
    {"kDatatype", false, false}, {"kDatamode", false, false}, {"kPatchRename", false, false},
    {"kSlotAEnable", false, false}, {"kSlotBEnable", false, false}, {"kSlotCEnable", false, false},
    {"kSlotDEnable", false, false}, {"kRandomize", false, false}, {"kPatchSearch", false, false},
    {"kControlLibrary", false, false}, {"kMultiSettings", false, false},
    {"kShowLibrarian", false, false}, {"kPatchSelectionListUpper", false, false},
    {"kPatchSelectionListLower", false, false}, {"kControlDisplayName", false, true},
    {"kControlDisplayValue", false, true}, {"kPartMidiChannel", true, false},
    {"kMIDIFilterDAWCCPassThrough", false, false}, {"kMIDIFilterDAWPCPassThrough", false, false},
    {"kMIDIFilterDAWNotePassThrough", false, false}, {"kMIDIFilterDAWPPPassThrough", false, false},
    {"kMIDIFilterDAWPAPassThrough", false, false}, {"kMIDIFilterDAWCAPassThrough", false, false},
    {"kMIDIFilterDAWSEPassThrough", false, false}, {"kMIDIFilterHWCCPassThrough", false, false},
    {"kMIDIFilterHWPCPassThrough", false, false}, {"kMIDIFilterHWNotePassThrough", false, false},
    {"kMIDIFilterHWPPPassThrough", false, false}, {"kMIDIFilterHWPAPassThrough", false, false},
    {"kMIDIFilterHWCAPassThrough", false, false}, {"kMIDIFilterHWSEPassThrough", false, false},
    {"kMIDIFilterTrackIncomingMIDI", false, false}, {"kMIDIFilterDirectToHardware", false, false},
    {"kMIDIFilterToDAWBuffer", false, false}, {"kSendMIDIClockPointer", false, false},
    {"kSendMIDIClockInfo", false, false},
};
const int kKeptControlCount = sizeof kKeptControls / sizeof kKeptControls[0];

const char* const kKeptActions[] = {"kOverrideTempo", "kQuickTab"};
const int kKeptActionCount = sizeof kKeptActions / sizeof kKeptActions[0];

const char* const kEditorBoundParams[] = {"kCancelDataRequest"};
const int kEditorBoundParamCount = sizeof kEditorBoundParams / sizeof kEditorBoundParams[0];

const ValueListUse kValueListUses[] = {
    {"onOff",
     {"kLFO2Hold", "kOsc2KbdTrack", "kAutoPortamento", "kUnisonMode", "kFilterDistortion",
      "kFilterVelocity", "kFilterEnvTrigger", "kAmpEnvTrigger", "kExtVeloMorph", "kModWheelLock",
      "kSlotSolo", "kLFO1Lock", "kLFO2Lock", "kModEnvLock", "kOscLock", "kAmpLock", "kFilterLock"},
     true},
    {"onOff",
     {"kGlobalProgChange", "kGlobalCtrlChange", "kGlobalArpMidiSend", "kLocalControl",
      "kSlotAEnable", "kSlotBEnable", "kSlotCEnable", "kSlotDEnable", "kKeyboardSplit"},
     false},
    {"lfo1Wave", {"kLFO1Waveform"}, true},
    {"lfo1Dest", {"kLFO1Destination"}, true},
    {"lfo2Dest", {"kLFO2Destination"}, true},
    {"modEnvDest", {"kModEnvDestination"}, true},
    {"osc1Wave", {"kOsc1Waveform"}, true},
    {"osc2Wave", {"kOsc2Waveform"}, true},
    {"oscSync", {"kOscSync"}, true},
    {"wheelDest", {"kModWheelDestination"}, true},
    {"oscMode", {"kOscillatorMode"}, true},
    {"octaveSwitch", {"kOctaveSwitch"}, true},
    {"filterType", {"kFilterType"}, true},
    {"filterKbdTrack", {"kFilterKbdTrack"}, true},
    {"partMidiChannel", {"kPartMidiChannel"}, true},
    {"lfoSync", {"kLFO1Sync", "kLFO2Sync"}, true},
    {"afterTouchDest", {"kAftertouchDestination", "kCtrlPdlRouting"}, true},
    {"keyList2", {"kFilterEnvNote", "kAmpEnvNote", "kExtVeloMorphNote"}, true},
    {"deviceID", {"kDeviceID"}, false},
    {"outMode1", {"kSlotABOutMode"}, false},
    {"outMode2", {"kSlotCDOutMode"}, false},
    {"bendRange", {"kSystemPitchBendRange"}, false},
    {"unisonDetune", {"kSystemUnisonDetune"}, false},
    {"keyList", {"kKeyboardSplitPoint"}, false},
    {"lfo1WaveNL1", {"kLFO1WaveformNL1"}, true, 1, true},
    {"lfo1DestNL1", {"kLFO1DestinationNL1"}, true, 1, true},
    {"lfo2DestNL1", {"kLFO2DestinationNL1"}, true, 1, true},
    {"osc1WaveNL1", {"kOsc1WaveformNL1"}, true, 1, true},
    {"modEnvDestNL1", {"kModEnvDestinationNL1"}, true, 1, true},
    {"oscSyncNL1", {"kOscSyncNL1"}, true, 1, true},
    {"filterKbdTrackNL1", {"kFilterKbdTrackNL1"}, true, 1, true},
    {"filterTypeNL1", {"kFilterTypeNL1"}, true, 1, true},
    {"selectedModel", {"kNordModel"}, false},
    // The global link switches 615 to 617 read "onOff" too.
    {"onOff", {"kGlobalLink"}, false, 3},
};
const int kValueListUseCount = sizeof kValueListUses / sizeof kValueListUses[0];

const CycleButton kCycleButtons[] = {
    {"kLFO1WaveTrig", "kLFO1Waveform", 5, "kLFO1WaveformNL1", 3},
    {"kLFO1DestTrig", "kLFO1Destination", 5, "kLFO1DestinationNL1", 4},
    {"kLFO2HoldTrig", "kLFO2Hold", 2, "kLFO2Hold", 2},
    // Steps by the hold rule through 0..8 on models 1 and 2.
    {"kLFO2DestTrig", "kLFO2Destination", 9, "kLFO2DestinationNL1", 7},
    {"kModEnvDestTrig", "kModEnvDestination", 4, "kModEnvDestinationNL1", 3},
    {"kOsc1WaveTrig", "kOsc1Waveform", 4, "kOsc1WaveformNL1", 3},
    {"kOsc2WaveTrig", "kOsc2Waveform", 4, "kOsc2Waveform", 4},
    {"kOsc2KbdTrkTrig", "kOsc2KbdTrack", 2, "kOsc2KbdTrack", 2},
    {"kOscSyncTrig", "kOscSync", 4, "kOscSyncNL1", 2},
    {"kFilterTypeTrig", "kFilterType", 6, "kFilterTypeNL1", 5},
    {"kFilterDistTrig", "kFilterDistortion", 2, "kFilterDistortion", 2},
    {"kFilterKbdTrkTrig", "kFilterKbdTrack", 4, "kFilterKbdTrackNL1", 2},
    {"kFilterVeloTrig", "kFilterVelocity", 2, "kFilterVelocity", 2},
    {"kPortaAutoTrig", "kAutoPortamento", 2, "kAutoPortamento", 2},
    {"kVoiceModeTrig", "kOscillatorMode", 3, "kOscillatorMode", 3},
    {"kUnisonModeTrig", "kUnisonMode", 2, "kUnisonMode", 2},
    {"kModWheelDestTrig", "kModWheelDestination", 5, "kModWheelDestination", 5},
    {"kOctUpTrig", "kOctaveSwitch", 5, "kOctaveSwitch", 5},
    {"kOctDownTrig", "kOctaveSwitch", 5, "kOctaveSwitch", 5},
};
const int kCycleButtonCount = sizeof kCycleButtons / sizeof kCycleButtons[0];

const EditorMenu kEditorMenus[kEditorMenuCount] = {
    {70, "LeftPatchPopupMenu", 415, 45, 830, 65, false},
    {71, "RightPatchPopupMenu", 415, 348, 830, 365, false},
    {72, "LeftPerformancePopupMenu", 415, 45, 830, 65, false},
    {73, "RightPerformancePopupMenu", 415, 348, 830, 365, false},
    {74, "BANKEDITMENU", 860, 45, 940, 62, false},
    {75, "PROGRAMNUMBERMENU", 218, 545, 253, 563, true},
    {76, "BANKNUMBERMENUPROGRAMS", 185, 545, 218, 563, true},
    {77, "RightSearchPopupMenu", 415, 348, 830, 365, false},
    {78, "PERFBANKNAMEMENUPROGRAMS", 185, 545, 218, 563, false},
    {79, "PROGBANKNAMEMENUPROGRAMS", 185, 545, 218, 563, false},
};
