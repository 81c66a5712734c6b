#include "messaging/RequestLedger.h"

#include <algorithm>

#include "librarian/PatchTemplates.h"

namespace {
// The first-generation family's slot and four bank requests, the ten-bank model's
// slot and ten bank requests; both answer the performance requests alike.
constexpr uint8_t kFourBankSlot = 0x0A, kFourBankLast = 0x0E;
constexpr uint8_t kTenBankSlot = 0x0E, kTenBankLast = 0x18;
constexpr uint8_t kEditPerformance = 0x28, kLastPerformance = 0x32;
constexpr uint8_t kPerformanceReplyOffset = 0x0A;  // 0x28 -> 0x1E, 0x29 + b -> 0x1F + b

// Whether a unit of either family could send this dump in answer to `request`.
bool EitherFamilyAnswers(const RequestLedger::Request& request, uint8_t type, uint8_t number) {
  return request.number == number &&
         (ReplyType(request.type, 0) == type || ReplyType(request.type, kTenBankModel) == type);
}
}  // namespace

uint8_t ReplyType(uint8_t requestType, int model) {
  if (requestType >= kEditPerformance && requestType <= kLastPerformance)
    return uint8_t(requestType - kPerformanceReplyOffset);
  const bool tenBanks = model == kTenBankModel;
  const uint8_t first = tenBanks ? kTenBankSlot : kFourBankSlot;
  const uint8_t last = tenBanks ? kTenBankLast : kFourBankLast;
  return requestType >= first && requestType <= last ? uint8_t(requestType - first) : kNoReplyType;
}

bool RequestLedger::sent(int deviceId, uint8_t type, uint8_t number, int family) {
  std::lock_guard<std::mutex> hold(lock_);
  const bool first = live_.empty();
  live_.push_back(Request{uint8_t(deviceId & 0x0F), type, number, family, 0});
  return first;
}

void RequestLedger::ended(uint64_t nowMicros) {
  std::lock_guard<std::mutex> hold(lock_);
  forget(nowMicros);
  for (Request request : live_) {
    if (request.paid) continue;
    request.endedMicros = nowMicros;
    owed_.push_back(request);
  }
  live_.clear();
  askAgain_ = false;
}

bool RequestLedger::late(uint8_t deviceId, uint8_t type, uint8_t number, uint64_t nowMicros) {
  std::lock_guard<std::mutex> hold(lock_);
  forget(nowMicros);
  const auto fromUnit = [&](const Request& r) { return r.deviceId == deviceId && r.number == number; };
  // The live request's own answer, read as the family it was asked as: late only when
  // that family would answer an owed request so too.
  const auto live = std::find_if(live_.begin(), live_.end(),
                                 [&](const Request& r) { return fromUnit(r) && ReplyType(r.type, r.family) == type; });
  const auto owed = std::find_if(owed_.begin(), owed_.end(), [&](const Request& r) {
    if (!fromUnit(r)) return false;
    return live == live_.end() ? EitherFamilyAnswers(r, type, number) : ReplyType(r.type, live->family) == type;
  });
  if (owed == owed_.end()) return false;
  owed_.erase(owed);
  if (live != live_.end()) {
    askAgain_ = true;
    again_ = *live;
  }
  return true;
}

RequestLedger::Verdict RequestLedger::offer(uint8_t deviceId, uint8_t type, uint8_t number, int model) {
  std::lock_guard<std::mutex> hold(lock_);
  if (live_.empty()) return Verdict::kNoRequest;
  // The number is the dispatch's to judge (a second reply to an earlier request of a
  // bank is passed over); only an answer of the right number answers the request.
  const bool own =
      std::any_of(live_.begin(), live_.end(), [&](const Request& r) { return ReplyType(r.type, model) == type; });
  const bool answers =
      std::any_of(live_.begin(), live_.end(), [&](const Request& r) { return EitherFamilyAnswers(r, type, number); });
  const auto copy = std::find_if(live_.begin(), live_.end(), [&](const Request& r) {
    return !r.paid && r.deviceId == deviceId && EitherFamilyAnswers(r, type, number);
  });
  if (copy != live_.end()) copy->paid = true;
  return own ? Verdict::kAnswer : answers ? Verdict::kOtherModel : Verdict::kUnasked;
}

void RequestLedger::forget(uint64_t nowMicros) {
  owed_.erase(std::remove_if(owed_.begin(), owed_.end(),
                             [nowMicros](const Request& r) { return nowMicros - r.endedMicros > kOwedMicros; }),
              owed_.end());
}

bool RequestLedger::takeAskAgain(Request* request) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!askAgain_) return false;
  askAgain_ = false;
  *request = again_;
  return true;
}

size_t RequestLedger::owed() const {
  std::lock_guard<std::mutex> hold(lock_);
  return owed_.size();
}
