// The numeric value texts of the read-out, in the synthesizer's own terms.

#include <string>

#include "Framework/IParam.h"
#include "editor/panel/ReadoutFamilies.h"

namespace {

std::string percent(int v) { return std::to_string(v) + "%"; }

// Signed offset from a centre that reads "0": negatives as they are, positives with "+".
std::string offsetFromCentre(int iv, int centre, int top) {
  if (iv < 0 || iv > top) return "";
  if (iv == centre) return "0";
  return (iv > centre ? "+" : "") + std::to_string(iv - centre);
}

std::string centrePercent(int iv) {
  if (iv == 0) return "-100%";
  if (iv >= 1 && iv <= 126) return percent(TruncToInt(iv / 2.56 * 2) - 100);
  if (iv == 127) return "0 %";
  if (iv >= 128 && iv <= 256) return percent(TruncToInt((iv - 128) / 2.56 * 2));
  if (iv == 257) return "100%";
  return "";
}

std::string finetune(int iv) {
  if (iv == 0) return "-100%";
  if (iv >= 1 && iv <= 63) return "-" + percent(TruncToInt((iv - 64) * -1.55));
  if (iv == 64) return "< CENTER >";
  if (iv >= 65 && iv <= 126) return percent(TruncToInt((iv - 64) * 1.55));
  if (iv == 127) return "100%";
  return "";
}

std::string pulseWidth(int iv) {
  if (iv == 0) return "50%";
  if (iv == 64) return "75%";
  if (iv == 127) return "100%";
  return percent(TruncToInt(iv / 1.28 * 0.5 + 50.0));
}

std::string oscillatorMix(int iv, double value) {
  if (iv == 0) return "OSC 1 100%";
  if (iv == 64) return "1 50%|2 50%";
  if (iv == 127) return "OSC 2 100%";
  if (iv < 1 || iv > 126) return "";
  const int m = TruncToInt(value / 1.28);
  return "1 " + percent(100 - m) + "|2 " + percent(m);
}

}  // namespace

std::string numericValueText(ReadoutFormat format, int iv, double value) {
  switch (format) {
    case ReadoutFormat::kCentrePercent: return centrePercent(iv);
    case ReadoutFormat::kModEnvAmount: return offsetFromCentre(iv, 64, 127);
    case ReadoutFormat::kSemitones: return offsetFromCentre(iv, 60, 120);
    case ReadoutFormat::kFinetune: return finetune(iv);
    case ReadoutFormat::kPulseWidth: return pulseWidth(iv);
    case ReadoutFormat::kOscillatorMix: return oscillatorMix(iv, value);
    case ReadoutFormat::kPlainNumber:
    case ReadoutFormat::kValueList: break;
  }
  return "";
}
