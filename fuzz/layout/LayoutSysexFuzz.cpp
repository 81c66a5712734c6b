// SysEx value text with fuzzed factory arguments: the bytes after the first 16 are the
// resource; the first 16 choose the element, its template, changing byte, bounds and part.
#include <cstdint>

#include "ResourceSurface.h"

namespace {

const char* const kTypes[] = {"seKnob", "seSliderVer", "seSliderHor", "seButton", "seMenu"};

int Int16(const uint8_t* p) { return int(int16_t(uint16_t(p[0]) << 8 | p[1])); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kArgs = 16;
  if (size < kArgs) return 0;
  const std::string element =
      std::string("<knobcontrol type=\"") + kTypes[data[0] % 5] + "\" name=\"F\" paramId=\"kFilterCutoff\" " +
      "position=\"" + std::to_string(Int16(data + 1)) + "," + std::to_string(Int16(data + 3)) + ",20\" " +
      "imageId=\"KNOB_ID_127\" valueBounds=\"" + std::to_string(Int16(data + 5)) + "," +
      std::to_string(Int16(data + 7)) + "," + std::to_string(Int16(data + 9)) + ",1\" sysexIndex=\"" +
      std::to_string(data[11]) + "\" changingByte=\"" + std::to_string(data[12]) + "\" msgZeroVal=\"" +
      std::to_string(int8_t(data[13])) + "\" valueDisplay=\"1:9\"/>";
  const int copies = data[14] % 5;
  const std::string body = copies ? "<multilayer name=\"mainControlsLayer1stGen\" create=\"" + std::to_string(copies) +
                                        "\">" + element + "</multilayer>"
                                  : element;
  const std::vector<unsigned char> layout = Enciphered("<uiconfig>" + body + "</uiconfig>");
  const std::vector<unsigned char> sysex =
      Enciphered(std::string(reinterpret_cast<const char*>(data + kArgs), size - kArgs));
  ReadPanel(&layout, &sysex);
  return 0;
}
