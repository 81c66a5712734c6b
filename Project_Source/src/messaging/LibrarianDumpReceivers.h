#pragma once
// The librarian's dump receivers, one for requested programs and one for requested
// performances (no bank-store receiver: nothing would ever arm it). One is armed before a librarian request goes out;
// the dispatch offers it the next accepted message from the synthesizer, and it keeps
// that message as a named librarian patch and disarms itself.
//
// Only whole dumps are kept: messages from F0 to F7 with only data bytes between, of
// 139 or 149 bytes for programs, of 711..715 (zero-filled to 714, the end byte zeroed),
// 725 or 765 for performances. Anything else is refused: nothing is kept and the
// receiver stays armed for the next message.
//
// A bank request names the number each reply must carry (byte 5): a port may deliver
// a request twice, and the second reply to an earlier request, coming while the next
// is awaited, would otherwise land in the next slot and shift the bank by one.
//
// threads: main (arm, disarm), worker (arm, disarm, offer messages), midi-in (offer
// messages). `armed` and `patch` change together under the receiver's lock (a leaf).

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "librarian/LibrarianRecords.h"

class LibrarianDumpReceiver {
public:
  enum class Kind { kProgram, kPerformance };
  enum class Outcome { kNotArmed, kRefused, kOtherNumber, kTaken };
  static constexpr int kAnyNumber = -1;

  // The ten characters that name a dump received without a name.
  static constexpr const char* kRequestedName = "Requested ";

  explicit LibrarianDumpReceiver(Kind kind) : kind_(kind) {}
  LibrarianDumpReceiver(const LibrarianDumpReceiver&) = delete;
  LibrarianDumpReceiver& operator=(const LibrarianDumpReceiver&) = delete;

  // Empties the patch (no messages, empty name) and arms for a dump of any number.
  void arm();
  // Until the next arm, takes only a whole dump numbered `number` (a negative one:
  // any); one numbered otherwise is kOtherNumber: not kept, the receiver stays armed.
  void expectNumber(int number);
  void disarm();
  bool isArmed() const;
  // Offers one message. kTaken: the patch holds it in its named form, the receiver is
  // disarmed and `taken` (when given) gets a copy of the patch.
  Outcome addMessageData(const uint8_t* bytes, size_t size, LibrarianPatch* taken);
  // A copy of what was collected last.
  LibrarianPatch patch() const;

private:
  const Kind kind_;
  mutable std::mutex lock_;
  bool armed_ = false;       // guarded by lock_
  int number_ = kAnyNumber;  // guarded by lock_
  LibrarianPatch patch_;     // guarded by lock_
};

// The receiver of a requested program dump.
class LibraryPatchRequest : public LibrarianDumpReceiver {
public:
  LibraryPatchRequest() : LibrarianDumpReceiver(Kind::kProgram) {}
};

// The receiver of a requested performance dump.
class LibraryPerformanceRequest : public LibrarianDumpReceiver {
public:
  LibraryPerformanceRequest() : LibrarianDumpReceiver(Kind::kPerformance) {}
};
