// Short messages from the synthesizer and the host, with random controller ranges,
// models, filters and switches. The first bytes set the scene, then every five bytes
// are one message: side, status, data 1, data 2, host slot. Controls may be given
// only finite values, the hardware flag and the plug-in mutex never outlive a
// message, and bank parameters stay within their ranges.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FakeIncomingEditor.h"
#include "Kit_TimeSource.h"

namespace {

constexpr int kBankParams[] = {426, 427, 428, 429, 434, 435, 436, 437, 442, 443, 444, 445, 450, 451, 452, 453};
constexpr int kSceneBytes = 8;

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kSceneBytes) return 0;
  // Pauses (librarian sends, host program changes) pass at once.
  static Kit_VirtualClock clock;
  Kit_SetTimeSource(&clock);

  FakeIncomingEditor editor;
  MIDIMessageManager manager(&editor, nullptr, nullptr, nullptr);
  editor.manager = &manager;
  manager.shutDown();  // request jobs are refused: no threads here

  editor.model = data[0] % 3;
  editor.performances = data[0] & 0x04;
  editor.midiIOSet = data[0] & 0x08;
  editor.set(776, (data[0] >> 4) & 1);  // kControlLibrary
  editor.set(312, (data[0] >> 5) & 1);  // kGlobalProgChange
  editor.set(308, data[1] & 0x0F);      // the global channel
  for (int c = 0; c < 7; ++c) {
    editor.deviceBlocked[size_t(c)] = data[2] & (1 << c);
    editor.hostBlocked[size_t(c)] = data[3] & (1 << c);
  }
  for (int s = 0; s < 4; ++s) editor.set(204 + s, (data[4 + s] & 0x0F) + 1);
  // Controls for every controller on channel keys 1-4 and the global one, with
  // ranges drawn from the controller number and the scene.
  std::vector<RecordingControl*> controls;
  for (int key : {1, 2, 3, 4, 16}) {
    for (int cc = 0; cc < 128; ++cc) {
      const int param = (cc * 7 + key) % 420;
      const int min = (cc + data[1]) % 3 == 0 ? 1 : 0;
      const int max = (cc * 13 + data[2]) % 5 == 0 ? min : min + (cc * 31 + key) % 128;
      controls.push_back(editor.bind(key, cc, (cc + key + data[3]) % 2, param, min, max));
    }
  }
  controls.push_back(editor.bind(2, 122, 0, 346));  // kLocalControl
  for (int p : kBankParams) editor.bind(99, p, 0, p, 0, 1 + p % 10);

  for (size_t at = kSceneBytes; at + 5 <= size; at += 5) {
    IMidiMsg msg(0, data[at + 1], data[at + 2] & 0x7F, data[at + 3] & 0x7F);
    if (data[at] & 1)
      manager.ProcessMidiMsgFromDevice(&msg);
    else
      manager.ProcessMidiMsgFromDAW(&msg, data[at + 4] % 6 - 1);
    Check(!manager.applyingHardwareValue);
    Check(!editor.mutex.HeldByCaller());
  }
  for (RecordingControl* control : controls)
    for (const RecordingControl::Given& g : control->Values()) Check(std::isfinite(g.value) && g.value >= 0.0);
  for (int p : kBankParams) {
    const IParam* param = editor.editorParam(p);
    Check(param->Value() >= param->GetMin() && param->Value() <= param->GetMax());
  }
  Kit_SetTimeSource(nullptr);
  return 0;
}
