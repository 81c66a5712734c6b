// Drives the request ledger with any sequence of sends, ends and incoming dump headers
// (each step three bytes: the operation and its arguments; time moves a second a step).
// No more answers may be owed than requests were sent, a late answer pays one, an
// answer to the live request owes nothing, and an ask-again names a unit that exists.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "messaging/RequestLedger.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RequestLedger ledger;
  constexpr uint64_t kStep = 1000 * 1000;
  size_t sentSinceForgotten = 0;
  uint64_t now = 0;
  for (size_t i = 0; i + 3 <= size; i += 3, now += kStep) {
    const uint8_t op = data[i], a = data[i + 1], b = data[i + 2];
    const uint8_t id = op & 0x0F, number = b & 0x7F;
    switch (op >> 4 & 3) {
      case 0:
        ledger.sent(id, a & 0x7F, number, (op >> 6) & 2);
        ++sentSinceForgotten;
        break;
      case 1: ledger.ended(now); break;
      case 2: {
        // A late answer pays one owed request; none is owed anew by a dump.
        const size_t before = ledger.owed();
        const bool late = ledger.late(id, a & 0x7F, number, now);
        if (ledger.owed() + (late ? 1 : 0) > before) std::abort();
        break;
      }
      case 3: {
        const size_t before = ledger.owed();
        ledger.offer(id, a & 0x7F, number, (op >> 6) & 2);
        if (ledger.owed() != before) std::abort();
        RequestLedger::Request again;
        if (ledger.takeAskAgain(&again) && again.deviceId > 15) std::abort();
        break;
      }
    }
    // Nothing is owed longer than its time: at most every send of the last window.
    if (ledger.owed() > sentSinceForgotten) std::abort();
  }
  return 0;
}
