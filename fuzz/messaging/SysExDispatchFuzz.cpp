// Feeds the incoming-SysEx dispatch any message under any state. Byte 0 sets the
// flags (receivers armed, transfer, enquiry, tab refresh, host side, librarian kind,
// the message sent twice, as a port may deliver it; the receivers then expect the
// selected slot's number, as a bank request does), byte 1 the model (low two bits) and
// the locks of every slot (the rest), byte 2 the librarian's selected slot; the rest is
// the message, given at its exact size. What the librarian keeps must be a whole named
// SysEx dump (F0, data bytes, names of any bytes, F7), the device id must stay 0..15,
// and parameters outside the table abort (the array's at()).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FakeMessagingEditor.h"
#include "Framework/IMidiMsg.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

enum Flag {
  kArmPerformance = 1,
  kArmProgram = 2,
  kTransfer = 4,
  kEnquiry = 8,
  kTabRefresh = 16,
  kFromHost = 32,
  kPerformanceLibrarian = 64,
  kTwice = 128,
};

void CheckKept(const PatchLibrarian& librarian, int type) {
  librarian.inspect([type](const PatchLibrary& library) {
    for (const LibrarianPatch& patch : library.filesOfType(type)[0]->patches) {
      if (patch.messages.empty()) continue;
      const std::vector<uint8_t>& kept = patch.messages[0].bytes;
      const size_t n = kept.size();
      if (patch.messages.size() != 1 || (n != 149 && n != 725 && n != 765)) std::abort();
      if (kept.front() != 0xF0 || kept.back() != 0xF7) std::abort();
      // Names may hold latin-1 letters (bank files of other tools do); the data may not.
      const size_t namesAt = n == 149 ? kProgramDumpSize - 1 : kPerformanceDumpSize - 1;
      for (size_t i = 1; i < namesAt; ++i)
        if (kept[i] >= 0x80) std::abort();
      if (patch.name.size() != 10) std::abort();
    }
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t flags = data[0];
  FakeMessagingEditor editor(data[1] & 3);
  const char* const kLocks[] = {"kOscLock", "kFilterLock", "kAmpLock", "kModEnvLock", "kLFO1Lock", "kLFO2Lock"};
  for (int bit = 0; bit < 6; ++bit)
    if (data[1] & (4 << bit))
      for (int slot = 0; slot < 4; ++slot) editor.panel.At(kLocks[bit], slot) = 1;
  editor.enquiryPending = (flags & kEnquiry) != 0;

  PatchLibrarian librarian(nullptr);
  librarian.modify([](PatchLibrary& library) {
    for (int type : {0, 1}) {
      auto bank = std::make_unique<PatchFile>();
      bank->type = type;
      bank->patches.resize(type == 0 ? 99 : 100);
      library.filesOfType(type).push_back(std::move(bank));
    }
  });
  librarian.patchType = (flags & kPerformanceLibrarian) ? 1 : 0;
  librarian.selectedSlot = int8_t(data[2]);

  MIDIMessageManager manager(&editor, nullptr, &librarian, nullptr);
  if (flags & kArmPerformance) manager.performanceRequest.arm();
  if (flags & kArmProgram) manager.patchRequest.arm();
  if (flags & kTwice) {
    manager.performanceRequest.expectNumber(librarian.selectedSlot);
    manager.patchRequest.expectNumber(librarian.selectedSlot);
  }
  manager.transferInProgress = (flags & kTransfer) != 0;
  manager.tabRefreshPending = (flags & kTabRefresh) != 0;

  // An exact-size copy, so a read past the message shows.
  const std::vector<uint8_t> message(data + 3, data + size);
  ISysEx sysex(0, message.empty() ? nullptr : message.data(), int32_t(message.size()));
  for (int round = 0; round < ((flags & kTwice) ? 2 : 1); ++round) manager.ProcessSysEx(&sysex, !(flags & kFromHost));

  if (editor.deviceId < 0 || editor.deviceId > 15) std::abort();
  CheckKept(librarian, 0);
  CheckKept(librarian, 1);
  return 0;
}
