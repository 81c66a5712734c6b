// Any bytes as librarian slots for job 2 (one slot through the panel to the unit) and
// job 3 (a bank written into the unit), on the virtual clock. Input: a flags byte
// (job, kind, model, slot), the bank, then slots, each a length byte and its bytes.
// Whatever the slots hold, nothing sent may carry a status byte inside its SysEx.

#include <cstdint>
#include <cstdlib>

#include "JobEditorFake.h"

namespace {
void CheckSent(const SynthSim& sim) {
  for (const SynthSim::Message& m : sim.Received()) {
    if (m.size() < 2 || m.front() != 0xF0 || m.back() != 0xF7) std::abort();
    for (size_t i = 1; i + 1 < m.size(); ++i) {
      if (m[i] >= 0x80) std::abort();
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const bool storeBank = flags & 1;
  const bool performance = flags & 2;
  const int model = (flags >> 2) % 3;
  const int slot = (flags >> 4) % 5;  // 4 lies past D
  const int bank = int(data[1] % 12) - 1;
  std::vector<LibrarianPatch> patches;
  for (size_t at = 2; at < size && patches.size() < 100;) {
    // Odd length bytes reach the lengths of whole dumps of the kind.
    const size_t near = (data[at] & 1) ? (performance ? 700 : 130) : 0;
    const size_t length = std::min<size_t>(near + data[at] / 3, size - at - 1);
    LibrarianPatch patch;
    if (length > 0) patch.messages.push_back({std::vector<uint8_t>(data + at + 1, data + at + 1 + length)});
    patches.push_back(std::move(patch));
    at += 1 + length;
  }
  if (patches.empty()) return 0;

  JobEditorFake editor(model);
  editor.perfMode = performance;
  editor.librarian.patchType = performance ? 1 : 0;
  editor.timerMs = 1;
  JobArgs args;
  if (storeBank) {
    editor.AddBank(performance ? 1 : 0, patches);
    args.jobCode = kJobStoreAllPatches;
    args.storeBank = bank;
  } else {
    args.jobCode = kJobSendLibrarianPatch;
    args.librarianPatch = std::make_shared<const LibrarianPatch>(patches.front());
    args.slot = slot;
  }
  editor.Run(args);
  CheckSent(editor.sim);
  return 0;
}
