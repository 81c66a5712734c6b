#include "SynthSim.h"

#include <algorithm>

#include "Kit_TimeSource.h"
#include "SynthSimFields.h"
#include "SynthSimPatches.h"

namespace {
constexpr uint8_t kPerformanceRequest = 0x28;
constexpr uint8_t kStoredPerformanceRequest = 0x29;
constexpr int kRequestSize = 7;
// The data bytes before the settings.
constexpr int kPartBlocksSize = SynthSimLayout::kSlots * SynthSimLayout::kProgramDataSize;
constexpr uint64_t kMicrosPerByte = 320;  // ten bits at 31,250 baud
constexpr int kNameSize = 10;
const char kReplyName[] = "Sim Reply ";

bool IsOurs(const uint8_t* bytes, size_t size, int deviceId) {
  return size >= kRequestSize && bytes[0] == 0xF0 && bytes[1] == SynthSimLayout::kManufacturer &&
         bytes[2] == deviceId && bytes[3] == SynthSimLayout::kModelByte && bytes[size - 1] == 0xF7;
}

bool IsTenBankModel(int model) { return model == 2; }

// A dump in another of its forms: cut short, or named (up to `size`).
SynthSim::Message Reshaped(const SynthSim::Message& dump, int size) {
  SynthSim::Message reshaped(dump.begin(), dump.end() - 1);
  reshaped.resize(size - 1, 0);
  for (size_t i = dump.size() - 1, k = 0; i < reshaped.size(); ++i, ++k) reshaped[i] = kReplyName[k % kNameSize];
  reshaped.push_back(0xF7);
  return reshaped;
}
}  // namespace

SynthSim::SynthSim(SynthSimSettings settings, SynthSimScheduler& scheduler, Send send)
    : settings_(settings),
      scheduler_(scheduler),
      send_(std::move(send)),
      slots_(SynthSimLayout::kSlots),
      programBanks_(SynthSimLayout::kProgramBanks),
      performanceBanks_(SynthSimLayout::kPerformanceBanks,
                        std::vector<Message>(SynthSimLayout::kPerformancesPerBank, SynthSimInitPerformanceData())) {
  for (int bank = 0; bank < SynthSimLayout::kProgramBanks; ++bank)
    for (int number = 0; number < SynthSimLayout::kProgramsPerBank; ++number)
      programBanks_[bank].push_back(SynthSimStoredProgramData(bank, number));
  SetEditPerformance(SynthSimInitPerformanceData().data());
}

SynthSimSettings SynthSim::Settings() const {
  std::lock_guard<std::mutex> hold(lock_);
  return settings_;
}

void SynthSim::SetSettings(const SynthSimSettings& settings) {
  std::lock_guard<std::mutex> hold(lock_);
  settings_ = settings;
}

std::vector<SynthSim::Arrival> SynthSim::Arrivals() const {
  std::lock_guard<std::mutex> hold(lock_);
  return received_;
}

std::vector<SynthSim::Message> SynthSim::Received() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<Message> messages;
  for (const Arrival& arrival : received_) messages.push_back(arrival.message);
  return messages;
}

size_t SynthSim::ReceivedCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return received_.size();
}

int SynthSim::LostStores() const {
  std::lock_guard<std::mutex> hold(lock_);
  return lostStores_;
}

void SynthSim::Receive(const uint8_t* bytes, size_t size) {
  if (!bytes || size == 0) return;
  std::lock_guard<std::mutex> hold(lock_);
  received_.push_back({Kit_Time().NowMicros(), Message(bytes, bytes + size)});
  if (!IsOurs(bytes, size, settings_.deviceId)) return;
  if (size > kRequestSize) {
    Store(bytes, size);
    return;
  }
  if (size != kRequestSize || settings_.silent) return;
  if (settings_.silentAfterRequests >= 0 && requestsAnswered_ >= settings_.silentAfterRequests) return;
  Message reply = Reply(Decode(bytes[4], bytes[5], settings_.model));
  if (reply.empty()) return;
  ++requestsAnswered_;
  Transmit(std::move(reply));
}

void SynthSim::SendProgramUnasked(int slot) {
  std::lock_guard<std::mutex> hold(lock_);
  if (slot < 0 || slot >= SynthSimLayout::kSlots) return;
  Request request;
  request.kind = Request::kProgramSlot;
  request.number = slot;
  Transmit(Reply(request));
}

void SynthSim::SendPerformanceUnasked() {
  std::lock_guard<std::mutex> hold(lock_);
  Request request;
  request.kind = Request::kPerformanceEdit;
  Transmit(Reply(request));
}

// Under lock_. With wire time a reply starts once the one before has left and
// arrives when its last byte has.
void SynthSim::Transmit(Message reply) { Transmit(std::move(reply), settings_.replyLatencyMicros); }

void SynthSim::Transmit(Message reply, uint64_t delay) {
  if (settings_.wireTime) {
    const uint64_t now = Kit_Time().NowMicros();
    const uint64_t start = std::max(now + delay, wireFreeMicros_);
    wireFreeMicros_ = start + kMicrosPerByte * reply.size();
    delay = wireFreeMicros_ - now;
  }
  Send send = send_;
  scheduler_.After(delay, [send, reply] { send(reply); });
}

// ---- front panel

void SynthSim::PlayControlChange(uint64_t afterMicros, int channel, int cc, int value) {
  Play(afterMicros, {uint8_t(0xB0 | (channel & 0x0F)), uint8_t(cc & 0x7F), uint8_t(value & 0x7F)}, -1);
}

void SynthSim::PlayNote(uint64_t afterMicros, int channel, int note, int velocity) {
  Play(afterMicros, {uint8_t(0x90 | (channel & 0x0F)), uint8_t(note & 0x7F), uint8_t(velocity & 0x7F)}, -1);
}

void SynthSim::PlayProgramChange(uint64_t afterMicros, int channel, int program) {
  Play(afterMicros, {uint8_t(0xC0 | (channel & 0x0F)), uint8_t(program & 0x7F)}, program & 0x7F);
}

// The front panel shares the wire with the replies: with wire time a message starts
// once the one before has left, so knobs played together leave at the wire's full rate.
void SynthSim::Play(uint64_t afterMicros, Message message, int loadProgram) {
  scheduler_.After(afterMicros, [this, message, loadProgram] {
    Send send;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (loadProgram >= 0) LoadProgram(message[0] & 0x0F, loadProgram);
      if (settings_.wireTime) return Transmit(message, 0);
      send = send_;
    }
    send(message);
  });
}

void SynthSim::LoadProgram(int channel, int program) {
  if (channel == settings_.deviceId) {
    if (program < SynthSimLayout::kPerformancesPerBank) SetEditPerformance(performanceBanks_[0][program].data());
    return;
  }
  for (int slot = 0; slot < SynthSimLayout::kSlots; ++slot) {
    if (FieldValue("kPartMidiChannel", slot) != channel + 1) continue;
    const int bank = std::clamp(FieldValue("kCurrentBank", slot), 0, SynthSimLayout::kProgramBanks - 1);
    if (program < SynthSimLayout::kProgramsPerBank) slots_[slot] = programBanks_[bank][program];
    return;
  }
}

// ---- requests

SynthSim::Request SynthSim::Decode(uint8_t type, uint8_t number, int model) const {
  Request request;
  request.number = number;
  const bool tenBanks = IsTenBankModel(model);
  const int slotType = tenBanks ? 0x0E : 0x0A;
  const int firstBankType = tenBanks ? 0x0F : 0x0B;
  const int programBanks = tenBanks ? SynthSimLayout::kProgramBanks : 4;
  const int performanceBanks = tenBanks ? SynthSimLayout::kPerformanceBanks : 1;
  if (type == kPerformanceRequest) {
    request.kind = Request::kPerformanceEdit;
  } else if (type == slotType && number < SynthSimLayout::kSlots) {
    request.kind = Request::kProgramSlot;
  } else if (type >= firstBankType && type < firstBankType + programBanks &&
             number < SynthSimLayout::kProgramsPerBank) {
    request.kind = Request::kStoredProgram;
    request.bank = type - firstBankType;
  } else if (type >= kStoredPerformanceRequest && type < kStoredPerformanceRequest + performanceBanks &&
             number < SynthSimLayout::kPerformancesPerBank) {
    request.kind = Request::kStoredPerformance;
    request.bank = type - kStoredPerformanceRequest;
  }
  return request;
}

SynthSim::Message SynthSim::Dump(uint8_t type, uint8_t number, const Message& data, int size) const {
  Message dump(size, 0);
  const uint8_t header[SynthSimLayout::kHeaderSize] = {
      0xF0,  SynthSimLayout::kManufacturer, static_cast<uint8_t>(settings_.deviceId), SynthSimLayout::kModelByte, type,
      number};
  std::copy(header, header + SynthSimLayout::kHeaderSize, dump.begin());
  std::copy(data.begin(), data.end(), dump.begin() + SynthSimLayout::kHeaderSize);
  dump.back() = 0xF7;
  // A faulty unit sends one byte too many for a program, too few for a performance.
  if (settings_.wrongSizeReplies) return Reshaped(dump, size == SynthSimLayout::kProgramDumpSize ? size + 1 : size - 5);
  const int length = settings_.replyLength;
  if (size == SynthSimLayout::kProgramDumpSize && length == SynthSimLayout::kNamedProgramDumpSize)
    return Reshaped(dump, length);
  if (size == SynthSimLayout::kPerformanceDumpSize && length >= 711 &&
      length <= SynthSimLayout::kLongestPerformanceDump) {
    return Reshaped(dump, length);
  }
  return dump;
}

SynthSim::Message SynthSim::PerformanceDump(uint8_t type, uint8_t number, const Message& data) const {
  Message withOwnChannel = data;
  // The global channel is the unit's own, whatever performance it sends: an editor
  // loading the dump then keeps addressing this unit.
  SynthSimFields::Field field;
  if (SynthSimFields::Find("kDeviceID", 0, &field)) {
    SynthSimFields::Write(field.coding, settings_.deviceId,
                          &withOwnChannel[size_t(field.position - SynthSimLayout::kHeaderSize)]);
  }
  return Dump(type, number, withOwnChannel, SynthSimLayout::kPerformanceDumpSize);
}

SynthSim::Message SynthSim::Reply(const Request& request) const {
  const bool tenBanks = IsTenBankModel(settings_.model);
  const uint8_t number = static_cast<uint8_t>(request.number);
  switch (request.kind) {
    case Request::kPerformanceEdit: return PerformanceDump(SynthSimLayout::kPerformanceEditType, 0, EditPerformance());
    case Request::kProgramSlot: {
      const uint8_t slotByte =
          static_cast<uint8_t>(settings_.slotByteOutOfRange ? number + SynthSimLayout::kSlots : number);
      return Dump(0, slotByte, slots_[request.number], SynthSimLayout::kProgramDumpSize);
    }
    case Request::kStoredProgram:
      return Dump(static_cast<uint8_t>(request.bank + 1), number, programBanks_[request.bank][request.number],
                  SynthSimLayout::kProgramDumpSize);
    case Request::kStoredPerformance:
      return PerformanceDump(
          static_cast<uint8_t>(SynthSimLayout::kStoredPerformanceType + (tenBanks ? request.bank : 0)), number,
          performanceBanks_[request.bank][request.number]);
    case Request::kNone: break;
  }
  return Message();
}

// ---- dumps

SynthSim::Message* SynthSim::ProgramAt(uint8_t type, uint8_t number) {
  const int banks = IsTenBankModel(settings_.model) ? SynthSimLayout::kProgramBanks : 4;
  if (type == 0) return number < SynthSimLayout::kSlots ? &slots_[number] : nullptr;
  if (type > banks || number >= SynthSimLayout::kProgramsPerBank) return nullptr;
  return &programBanks_[type - 1][number];
}

SynthSim::Message* SynthSim::PerformanceAt(uint8_t type, uint8_t number) {
  const int banks = IsTenBankModel(settings_.model) ? SynthSimLayout::kPerformanceBanks : 1;
  if (type < SynthSimLayout::kStoredPerformanceType || type >= SynthSimLayout::kStoredPerformanceType + banks)
    return nullptr;
  if (number >= SynthSimLayout::kPerformancesPerBank) return nullptr;
  return &performanceBanks_[type - SynthSimLayout::kStoredPerformanceType][number];
}

void SynthSim::Store(const uint8_t* bytes, size_t size) {
  const uint8_t type = bytes[4];
  const uint8_t number = bytes[5];
  const uint8_t* data = bytes + SynthSimLayout::kHeaderSize;
  if (size == SynthSimLayout::kProgramDumpSize || size == SynthSimLayout::kNamedProgramDumpSize) {
    Message* program = ProgramAt(type, number);
    if (!program) return;
    if (type == 0) {
      program->assign(data, data + SynthSimLayout::kProgramDataSize);
    } else {
      StoreInBank(program, data, SynthSimLayout::kProgramDataSize);
    }
  } else if (size >= SynthSimLayout::kPerformanceDumpSize && size <= SynthSimLayout::kLongestPerformanceDump) {
    if (type == SynthSimLayout::kPerformanceEditType) {
      SetEditPerformance(data);
    } else if (Message* performance = PerformanceAt(type, number)) {
      StoreInBank(performance, data, SynthSimLayout::kPerformanceDataSize);
    }
  }
}

// Under lock_.
void SynthSim::StoreInBank(Message* place, const uint8_t* data, int size) {
  const uint64_t now = Kit_Time().NowMicros();
  if (now < memoryFreeMicros_) {
    ++lostStores_;
    return;
  }
  memoryFreeMicros_ = now + settings_.memoryWriteMicros;
  place->assign(data, data + size);
}

// ---- memory

SynthSim::Message SynthSim::EditPerformance() const {
  Message data;
  for (const Message& slot : slots_) data.insert(data.end(), slot.begin(), slot.end());
  data.insert(data.end(), performanceBlock_.begin(), performanceBlock_.end());
  return data;
}

void SynthSim::SetEditPerformance(const uint8_t* data) {
  for (int slot = 0; slot < SynthSimLayout::kSlots; ++slot) {
    slots_[slot].assign(data + SynthSimLayout::kProgramDataSize * slot,
                        data + SynthSimLayout::kProgramDataSize * (slot + 1));
  }
  performanceBlock_.assign(data + kPartBlocksSize, data + SynthSimLayout::kPerformanceDataSize);
}

bool SynthSim::SetValue(const std::string& name, int slot, int value) {
  SynthSimFields::Field field;
  if (!SynthSimFields::Find(name, slot, &field)) return false;
  std::lock_guard<std::mutex> hold(lock_);
  uint8_t* at = field.perPart ? &slots_[slot][field.position - SynthSimLayout::kHeaderSize]
                              : &performanceBlock_[field.position - SynthSimLayout::kHeaderSize - kPartBlocksSize];
  SynthSimFields::Write(field.coding, value, at);
  return true;
}

int SynthSim::Value(const std::string& name, int slot) const {
  std::lock_guard<std::mutex> hold(lock_);
  return FieldValue(name, slot);
}

int SynthSim::FieldValue(const std::string& name, int slot) const {
  SynthSimFields::Field field;
  if (!SynthSimFields::Find(name, slot, &field)) return -1;
  const uint8_t* at = field.perPart
                          ? &slots_[slot][field.position - SynthSimLayout::kHeaderSize]
                          : &performanceBlock_[field.position - SynthSimLayout::kHeaderSize - kPartBlocksSize];
  return SynthSimFields::Read(field.coding, at);
}

SynthSim::Message SynthSim::ProgramEditBuffer(int slot) const {
  std::lock_guard<std::mutex> hold(lock_);
  return slot >= 0 && slot < SynthSimLayout::kSlots ? slots_[slot] : Message();
}

SynthSim::Message SynthSim::PerformanceEditBuffer() const {
  std::lock_guard<std::mutex> hold(lock_);
  return EditPerformance();
}

SynthSim::Message SynthSim::StoredProgram(int bank, int number) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (bank < 0 || bank >= SynthSimLayout::kProgramBanks || number < 0 || number >= SynthSimLayout::kProgramsPerBank)
    return Message();
  return programBanks_[bank][number];
}

SynthSim::Message SynthSim::StoredPerformance(int bank, int number) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (bank < 0 || bank >= SynthSimLayout::kPerformanceBanks || number < 0 ||
      number >= SynthSimLayout::kPerformancesPerBank)
    return Message();
  return performanceBanks_[bank][number];
}
