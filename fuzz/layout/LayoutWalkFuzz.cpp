// Layout text, enciphered as the builder does, through the reader, walk and factories.
#include "ResourceSurface.h"

namespace {

const std::string kSysEx =
    "<sysexlist><sysex><values><value>F0 33 10 04 20 30 40 00 F7</value></values></sysex>"
    "<sysex><values><value>F0 01 02 03 F7</value></values></sysex><sysex/></sysexlist>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<unsigned char> layout = Enciphered(std::string(reinterpret_cast<const char*>(data), size));
  const std::vector<unsigned char> sysex = Enciphered(kSysEx);
  ReadPanel(&layout, &sysex);
  return 0;
}
