#pragma once
// Which dump answers which request. A request is live from its first send until its
// wait ends; one that ended unanswered is owed a reply for a while, and a dump that
// answers an owed request is late: it is loaded nowhere, however much it looks like
// the answer of the request now live. The unit answers in order, so a dump that
// answers the live request as the family whose form it was asked in, and an owed one
// as that same family, is taken for the owed one's, and the live request is asked
// again: its own answer follows either way. (Read as the other family, the dump may
// answer an owed request the unit never understood: the other-model check asks in the
// other family's form right after a request of this family went unanswered.)
//
// While a request is live, a dump is its answer only when it is of the type the
// panel's model answers it with; the other family's answer, or a dump nobody asked
// for, is not loaded.
//
// Every copy sent is owed its own answer: a request probed at the unit's id is
// answered twice, and the answer that did not end the wait comes later, perhaps during
// the next request, which it must not end.
//
// threads: worker (sent, ended, takeAskAgain; offer for the editor's own dumps),
// midi-in (late, offer), main (offer for the editor's own dumps). A leaf lock guards it.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// The dump type `model`'s units answer request type `requestType` with (the ten-bank
// model is model 2); kNoReplyType when that family does not know the request.
constexpr uint8_t kNoReplyType = 0xFF;
uint8_t ReplyType(uint8_t requestType, int model);

class RequestLedger {
public:
  // Long past any unit's answer: an owed request is forgotten after this.
  static constexpr uint64_t kOwedMicros = 30 * 1000 * 1000;

  struct Request {
    uint8_t deviceId = 0;
    uint8_t type = 0;
    uint8_t number = 0;
    int family = 0;  // the model whose form the request was asked in
    uint64_t endedMicros = 0;
    bool paid = false;  // an answer to this copy came while it was live
  };
  enum class Verdict {
    kNoRequest,   // nothing is live: the dispatch decides as before
    kAnswer,      // of the type the live request awaits
    kOtherModel,  // the other family's answer to the live request: not loaded
    kUnasked,     // answers nothing live: not loaded
  };

  // True when this send began a new request (none was live). `family`: the model whose
  // form the request is in.
  bool sent(int deviceId, uint8_t type, uint8_t number, int family);
  // The live request's wait ended; unless an answer came, it is owed one.
  void ended(uint64_t nowMicros);
  // A dump from unit `deviceId` arriving at `nowMicros` answers a request owed an
  // answer (the oldest such is then paid): true, and it is late.
  bool late(uint8_t deviceId, uint8_t type, uint8_t number, uint64_t nowMicros);
  // What a dump of `type` and `number` from unit `deviceId` is to the live request, for
  // a panel of `model`. An answer pays the oldest copy it answers.
  Verdict offer(uint8_t deviceId, uint8_t type, uint8_t number, int model);
  // A late dump that could also have answered the live request: that request is to be
  // sent again (`request`, once).
  bool takeAskAgain(Request* request);
  size_t owed() const;

private:
  // Drops the owed answers past their time; with lock_ held.
  void forget(uint64_t nowMicros);

  mutable std::mutex lock_;
  std::vector<Request> live_;  // guarded by lock_
  std::vector<Request> owed_;  // guarded by lock_, oldest first
  bool askAgain_ = false;      // guarded by lock_
  Request again_;              // guarded by lock_
};
