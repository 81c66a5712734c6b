#pragma once
// How the read-out shows each parameter: which ones it passes over, and for the rest
// the format of the value line and what the name line says. Built once from the
// parameter-name registry and the value-list uses the layout lint checks as well.
//
// threads: any (built on first use, constant afterwards)

#include <string>

enum class ReadoutFormat {
  kPlainNumber,
  kCentrePercent,  // 0..257 around 127, shown -100% .. 100%
  kModEnvAmount,
  kSemitones,
  kFinetune,
  kPulseWidth,
  kOscillatorMix,
  kValueList,
};

// What the name line shows once the parameter's name has been written.
enum class ReadoutNameLine {
  kParamName,
  kArpeggiator,  // the LFO2 hold switch is the arpeggiator's
  kLfo2Mode,     // arpeggiator mode or LFO2 destination, by the value
  kLfo2ModeNL1,
};

struct ReadoutFamily {
  ReadoutFormat format = ReadoutFormat::kPlainNumber;
  const char* list = nullptr;  // kValueList
  bool nl1Only = false;
  ReadoutNameLine nameLine = ReadoutNameLine::kParamName;
};

// The parameter's rule; a plain number for an index outside the table.
const ReadoutFamily& readoutFamily(int paramIdx);

// Changes the read-out passes over: the panel's own controls and lines, the active
// slot's cycle buttons, and kControlLibrary while host program changes pass.
bool readoutIgnores(int paramIdx, int activeSlot, bool hostProgramChangesBlocked);

// The value text of a numeric format for iv (value: the untruncated value, which the
// mix reads); empty outside the format's range or for a format that is no number.
std::string numericValueText(ReadoutFormat format, int iv, double value);

// The name line's replacement for pv; empty to keep the parameter's name.
std::string readoutNameLine(ReadoutNameLine nameLine, int pv);
