// Sequences of parameter changes on the three roads (the editor's own change, a
// control's change, a change from the synthesizer) with any index and any value, NaN,
// infinities and huge ones among them, both ports open. Whatever reaches the
// synthesizer's port is a whole channel message (a status 0x80-0xEF and data bytes
// below 0x80), a whole SysEx message (0xF0, data bytes, 0xF7: the request a program
// selection starts) or one real-time byte.
//
// Input: records of 11 bytes: index (2, little-endian, signed), road (1), value (8,
// the bytes of a double).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ConnectedEditor.h"

namespace {

constexpr size_t kRecordSize = 11;
constexpr size_t kMaxRecords = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ConnectedEditor& editor = EditorForInput();
  Tavro& plug = *editor.plug;
  const size_t records = std::min(size / kRecordSize, kMaxRecords);
  for (size_t r = 0; r < records; ++r) {
    const uint8_t* at = data + r * kRecordSize;
    const int paramIdx = int(int16_t(uint16_t(at[0] | at[1] << 8)));
    double value;
    std::memcpy(&value, at + 3, sizeof value);
    const size_t before = editor.ports->Sent(kFuzzSynthIn).size();
    IParam* param = plug.GetParam(paramIdx);
    switch (at[2] % 3) {
      case 0:
        if (param) param->Set(value);
        plug.OnParamChange(paramIdx);
        break;
      case 1: plug.SetParameterFromGUI(paramIdx, value); break;
      default: plug.SetParameterFromGUI2(paramIdx, value); break;
    }
    CheckWholeMessages(editor.ports->Sent(kFuzzSynthIn), before);
  }
  WaitForTransfers(plug);
  return 0;
}
