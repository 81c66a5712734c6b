#include "messaging/tables/RandomisedParams.h"

const char* const kRandomisedParams[] = {
    // oscillators
    "kOsc2Semitones", "kOsc2Finetune", "kOscillatorMix", "kPulseWidth", "kOsc1FMAmount",
    "kVOsc2Semitones", "kVOsc2Finetune", "kVOscillatorMix", "kVPulseWidth", "kVOsc1FMAmount",
    "kOsc1WaveformNL1", "kOsc1Waveform", "kOsc2Waveform", "kOscSyncNL1", "kOscSync", "kOsc2KbdTrack",
    // filter
    "kFilterCutoff", "kFilterResonance", "kFilterEnvAmnt", "kFilterEnvAttack", "kFilterEnvDecay",
    "kFilterEnvSustain", "kFilterEnvRelease", "kVFilterCutoff", "kVFilterResonance",
    "kVFilterEnvAmnt", "kVFilterEnvAttack", "kVFilterEnvDecay", "kVFilterEnvSustain",
    "kVFilterEnvRelease", "kFilterDistortion", "kFilterTypeNL1", "kFilterType",
    "kFilterKbdTrackNL1", "kFilterKbdTrack", "kFilterVelocity",
    // amplifier
    "kAmpEnvAttack", "kAmpEnvDecay", "kAmpEnvSustain", "kAmpEnvRelease", "kVAmpEnvAttack",
    "kVAmpEnvDecay", "kVAmpEnvSustain", "kVAmpEnvRelease",
    // LFO 1 and 2
    "kLFO1Rate", "kLFO1Amount", "kVLFO1Rate", "kVLFO1Amount", "kLFO1WaveformNL1", "kLFO1Waveform",
    "kLFO1DestinationNL1", "kLFO1Destination", "kLFO2Rate", "kLFO2Amount", "kVLFO2Rate",
    "kVLFO2Amount", "kLFO2Hold", "kLFO2Destination", "kLFO2DestinationNL1",
    // modulation envelope and wheel
    "kModEnvAttack", "kModEnvDecay", "kModEnvAmount", "kVModEnvAttack", "kVModEnvDecay",
    "kVModEnvAmount", "kModEnvDestination", "kModEnvDestinationNL1", "kModWheelDestination",
    // voice
    "kOscillatorMode", "kUnisonMode",
};
const int kRandomisedParamCount = sizeof kRandomisedParams / sizeof kRandomisedParams[0];
