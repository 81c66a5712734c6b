#include "SynthSim.h"

#include <algorithm>

#include "SynthSimPatches.h"

using namespace SynthSimLayout;

namespace {
constexpr uint8_t kPerformanceEditType = 0x1E;
constexpr uint8_t kStoredPerformanceType = 0x1F;
constexpr uint8_t kPerformanceRequest = 0x28;
constexpr uint8_t kStoredPerformanceRequest = 0x29;
constexpr int kRequestSize = 7;

bool IsOurs(const uint8_t* bytes, size_t size, int deviceId) {
  return size >= kRequestSize && bytes[0] == 0xF0 && bytes[1] == kManufacturer && bytes[2] == deviceId &&
         bytes[3] == kModelByte && bytes[size - 1] == 0xF7;
}

bool IsTenBankModel(int model) { return model == 2; }
}  // namespace

SynthSim::SynthSim(SynthSimSettings settings, SynthSimScheduler& scheduler, Send send)
    : settings_(settings),
      scheduler_(scheduler),
      send_(std::move(send)),
      slots_(kSlots, SynthSimInitProgramData()),
      performance_(SynthSimInitPerformanceData()),
      programBanks_(kProgramBanks, std::vector<Message>(kProgramsPerBank, SynthSimInitProgramData())),
      performanceBanks_(kPerformanceBanks,
                        std::vector<Message>(kPerformancesPerBank, SynthSimInitPerformanceData())) {}

SynthSimSettings SynthSim::Settings() const {
  std::lock_guard<std::mutex> hold(lock_);
  return settings_;
}

void SynthSim::SetSettings(const SynthSimSettings& settings) {
  std::lock_guard<std::mutex> hold(lock_);
  settings_ = settings;
}

std::vector<SynthSim::Message> SynthSim::Received() const {
  std::lock_guard<std::mutex> hold(lock_);
  return received_;
}

size_t SynthSim::ReceivedCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return received_.size();
}

void SynthSim::Receive(const uint8_t* bytes, size_t size) {
  if (!bytes || size == 0) return;
  Message reply;
  uint64_t latency = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    received_.emplace_back(bytes, bytes + size);
    if (!IsOurs(bytes, size, settings_.deviceId)) return;
    if (size > kRequestSize) {
      Store(bytes, size);
      return;
    }
    if (size != kRequestSize || settings_.silent) return;
    reply = Reply(Decode(bytes[4], bytes[5], settings_.model));
    latency = settings_.replyLatencyMicros;
  }
  if (reply.empty()) return;
  Send send = send_;
  scheduler_.After(latency, [send, reply] { send(reply); });
}

// ---- requests

SynthSim::Request SynthSim::Decode(uint8_t type, uint8_t number, int model) const {
  Request request;
  request.number = number;
  const bool tenBanks = IsTenBankModel(model);
  const int slotType = tenBanks ? 0x0E : 0x0A;
  const int firstBankType = tenBanks ? 0x0F : 0x0B;
  const int programBanks = tenBanks ? kProgramBanks : 4;
  const int performanceBanks = tenBanks ? kPerformanceBanks : 1;
  if (type == kPerformanceRequest) {
    request.kind = Request::kPerformanceEdit;
  } else if (type == slotType && number < kSlots) {
    request.kind = Request::kProgramSlot;
  } else if (type >= firstBankType && type < firstBankType + programBanks && number < kProgramsPerBank) {
    request.kind = Request::kStoredProgram;
    request.bank = type - firstBankType;
  } else if (type >= kStoredPerformanceRequest && type < kStoredPerformanceRequest + performanceBanks &&
             number < kPerformancesPerBank) {
    request.kind = Request::kStoredPerformance;
    request.bank = type - kStoredPerformanceRequest;
  }
  return request;
}

SynthSim::Message SynthSim::Dump(uint8_t type, uint8_t number, const Message& data, int size) const {
  // A faulty unit sends one byte too many for a program, too few for a performance.
  if (settings_.wrongSizeReplies) size += (size == kProgramDumpSize) ? 1 : -5;
  Message dump(size, 0);
  const uint8_t header[kHeaderSize] = {0xF0, kManufacturer, static_cast<uint8_t>(settings_.deviceId),
                                       kModelByte, type, number};
  std::copy(header, header + kHeaderSize, dump.begin());
  const size_t room = size - kHeaderSize - 1;
  std::copy(data.begin(), data.begin() + std::min(room, data.size()), dump.begin() + kHeaderSize);
  dump.back() = 0xF7;
  return dump;
}

SynthSim::Message SynthSim::PerformanceDump(uint8_t type, uint8_t number, const Message& data) const {
  Message dump = Dump(type, number, data, kPerformanceDumpSize);
  // The global channel is the unit's own, whatever performance it sends: an editor
  // loading the dump then keeps addressing this unit.
  if (dump.size() > kGlobalChannelPosition) dump[kGlobalChannelPosition] = static_cast<uint8_t>(settings_.deviceId);
  return dump;
}

SynthSim::Message SynthSim::Reply(const Request& request) const {
  const bool tenBanks = IsTenBankModel(settings_.model);
  const uint8_t number = static_cast<uint8_t>(request.number);
  switch (request.kind) {
    case Request::kPerformanceEdit:
      return PerformanceDump(kPerformanceEditType, 0, performance_);
    case Request::kProgramSlot:
      return Dump(0, number, slots_[request.number], kProgramDumpSize);
    case Request::kStoredProgram:
      return Dump(static_cast<uint8_t>(request.bank + 1), number, programBanks_[request.bank][request.number],
                  kProgramDumpSize);
    case Request::kStoredPerformance:
      return PerformanceDump(static_cast<uint8_t>(kStoredPerformanceType + (tenBanks ? request.bank : 0)), number,
                             performanceBanks_[request.bank][request.number]);
    case Request::kNone:
      break;
  }
  return Message();
}

// ---- dumps

SynthSim::Message* SynthSim::ProgramAt(uint8_t type, uint8_t number) {
  const int banks = IsTenBankModel(settings_.model) ? kProgramBanks : 4;
  if (type == 0) return number < kSlots ? &slots_[number] : nullptr;
  if (type > banks || number >= kProgramsPerBank) return nullptr;
  return &programBanks_[type - 1][number];
}

SynthSim::Message* SynthSim::PerformanceAt(uint8_t type, uint8_t number) {
  if (type == kPerformanceEditType) return &performance_;
  const int banks = IsTenBankModel(settings_.model) ? kPerformanceBanks : 1;
  if (type < kStoredPerformanceType || type >= kStoredPerformanceType + banks) return nullptr;
  if (number >= kPerformancesPerBank) return nullptr;
  return &performanceBanks_[type - kStoredPerformanceType][number];
}

void SynthSim::Store(const uint8_t* bytes, size_t size) {
  const uint8_t type = bytes[4];
  const uint8_t number = bytes[5];
  const uint8_t* data = bytes + kHeaderSize;
  if (size == kProgramDumpSize || size == kNamedProgramDumpSize) {
    if (Message* program = ProgramAt(type, number)) program->assign(data, data + kProgramDataSize);
  } else if (size >= kPerformanceDumpSize && size <= kLongestPerformanceDump) {
    if (Message* performance = PerformanceAt(type, number)) {
      performance->assign(data, data + kPerformanceDataSize);
    }
  }
}

// ---- memory

SynthSim::Message SynthSim::ProgramEditBuffer(int slot) const {
  std::lock_guard<std::mutex> hold(lock_);
  return slot >= 0 && slot < kSlots ? slots_[slot] : Message();
}

SynthSim::Message SynthSim::PerformanceEditBuffer() const {
  std::lock_guard<std::mutex> hold(lock_);
  return performance_;
}

SynthSim::Message SynthSim::StoredProgram(int bank, int number) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (bank < 0 || bank >= kProgramBanks || number < 0 || number >= kProgramsPerBank) return Message();
  return programBanks_[bank][number];
}

SynthSim::Message SynthSim::StoredPerformance(int bank, int number) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (bank < 0 || bank >= kPerformanceBanks || number < 0 || number >= kPerformancesPerBank) return Message();
  return performanceBanks_[bank][number];
}
