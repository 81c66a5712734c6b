#include "editor/panel/ControlDisplay.h"

#include <cstdio>
#include <vector>

#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/Tavro.h"
#include "editor/panel/ReadoutFamilies.h"
#include "layout/UIConfigManager.h"

namespace {

constexpr int kProgramChangeClass = 1;  // in the host's pass-through flags
constexpr double kNoiseWaveform = 3.0;

void writeLine(ITextControl* line, const std::string& text) {
  if (line) line->SetTextFromPlug(text.c_str());
}

// Entry pv of the named list; empty when the layout lacks the list or the entry.
std::string listEntry(const Tavro* plug, const char* list, int pv) {
  if (!plug->uiConfig) return "";
  const std::vector<std::string>& entries = plug->uiConfig->getValueList(list);
  return pv >= 0 && size_t(pv) < entries.size() ? entries[size_t(pv)] : "";
}

}  // namespace

std::string ControlDisplay::getValueString(double value) {
  const int length = std::snprintf(nullptr, 0, "%.0f", value);
  if (length <= 0) return "";
  std::string text(size_t(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), "%.0f", value);
  text.resize(size_t(length));
  return text;
}

void ControlDisplay::controlDisplay(Tavro* plug, int paramIdx, double value, bool activeSlotOnly) const {
  if (!plug->roadState().startupComplete) return;
  const int activeSlot = plug->panelMode().activeSlot;
  if (readoutIgnores(paramIdx, activeSlot, plug->midiFilters().hostFilterBlocked[kProgramChangeClass])) return;
  const IParam* param = plug->GetParam(paramIdx);
  if (!param) return;
  std::string name = param->GetNameForHost();
  // A slot's parameters are named "[n] ...": while the transport runs only the active
  // slot's reach the lines. A name too short to carry the digit shows nothing.
  if (activeSlotOnly && (name.size() < 2 || name[1] != char('1' + activeSlot))) return;
  writeLine(plug->keptControls().statusText, name);

  switch (paramIdx) {
    case kShowVelomap: return;
    case kControlLibrary:
      writeLine(plug->keptControls().valueText, value == 1.0 ? "Send From Libr." : "Request From HW");
      return;
    case kDatatype:
    case kDatamode:
      writeLine(plug->keptControls().statusText, value == 1.0 ? "Browse HW Performances" : "Browse HW Slot Programs");
      return;
    default: break;
  }

  const int iv = TruncToInt(value);
  const int pv = param->Int();
  const ReadoutFamily& family = readoutFamily(paramIdx);
  if (family.format == ReadoutFormat::kPlainNumber || (family.nl1Only && plug->unitLink().nordModel != 0)) {
    writeLine(plug->keptControls().valueText, getValueString(iv));
    return;
  }

  std::string text;
  if (family.format == ReadoutFormat::kValueList) {
    text = listEntry(plug, family.list, pv);
    const std::string nameLine = readoutNameLine(family.nameLine, pv);
    if (!nameLine.empty()) writeLine(plug->keptControls().statusText, nameLine);
  } else if (family.format == ReadoutFormat::kSemitones &&
             plug->paramValue(kOsc2Waveform + (paramIdx - kOsc2Semitones)) == kNoiseWaveform) {
    // With the noise waveform the knob sets the noise colour: no semitones to show.
    name = "[" + std::to_string(paramIdx - kOsc2Semitones + 1) + "] OSC 2 Noise Color";
    writeLine(plug->keptControls().statusText, name);
  } else {
    text = numericValueText(family.format, iv, value);
  }
  plug->printDebugInfo("last parameter scoped: " + name);
  writeLine(plug->keptControls().valueText, text + " [" + std::to_string(iv) + "]");
}
