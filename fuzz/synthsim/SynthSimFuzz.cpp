// Feeds the simulated synthesizer arbitrary messages: two bytes of settings, then
// messages of one length byte (0-255, scaled up to dump sizes) followed by that many
// bytes. Every reply must be a whole SysEx message of an expected length.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Kit_TimeSource.h"
#include "SynthSim.h"

namespace {
void CheckReply(const SynthSim::Message& reply) {
  const size_t n = reply.size();
  bool knownLength = false;
  for (size_t length : {139, 140, 149, 710, 711, 712, 715, 720, 725, 765}) knownLength = knownLength || n == length;
  if (!knownLength || reply.front() != 0xF0 || reply.back() != 0xF7) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Kit_VirtualClock clock(0);
  Kit_SetTimeSource(&clock);
  SynthSimVirtualScheduler scheduler(clock);
  SynthSimSettings settings;
  if (size > 0) {
    settings.model = data[0] % 3;
    settings.wrongSizeReplies = (data[0] & 0x10) != 0;
    settings.deviceId = (data[0] >> 5) & 0x03;
    ++data;
    --size;
  }
  if (size > 0) {
    static const int kReplyLengths[] = {0, 139, 149, 711, 712, 720, 725, 765};
    settings.replyLength = kReplyLengths[data[0] & 0x07];
    settings.wireTime = (data[0] & 0x08) != 0;
    settings.slotByteOutOfRange = (data[0] & 0x10) != 0;
    settings.silentAfterRequests = (data[0] >> 5) == 7 ? -1 : data[0] >> 5;
    ++data;
    --size;
  }
  SynthSim sim(settings, scheduler, CheckReply);
  size_t received = 0;
  while (size > 0) {
    // Short lengths stay short; 0xF0 and above stand for the dump sizes.
    static const size_t kDumpSizes[] = {7, 139, 149, 711, 714, 715, 725, 765, 766, 1, 2, 3, 4, 5, 6, 8};
    const uint8_t code = data[0];
    const size_t wanted = code >= 0xF0 ? kDumpSizes[code - 0xF0] : code;
    ++data;
    --size;
    std::vector<uint8_t> message(data, data + (wanted < size ? wanted : size));
    if (wanted > size && message.size() >= 7) message.resize(wanted, 0x00);  // a dump cut short, padded
    sim.Receive(message.data(), message.size());
    received += message.empty() ? 0 : 1;
    const size_t used = wanted < size ? wanted : size;
    data += used;
    size -= used;
  }
  clock.Advance(10000000);
  if (sim.ReceivedCount() != received) std::abort();
  for (int slot = 0; slot < 4; ++slot) {
    if (sim.ProgramEditBuffer(slot).size() != 132) std::abort();
  }
  if (sim.PerformanceEditBuffer().size() != 708) std::abort();
  Kit_SetTimeSource(nullptr);
  return 0;
}
