#include "messaging/LibrarianDumpReceivers.h"

#include <algorithm>

#include "librarian/PatchTemplates.h"
#include "messaging/DumpNames.h"
#include "messaging/LibrarianDumpForm.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {

// One SysEx message from F0 to F7 with only data bytes before its names: the names of
// a named form may hold latin-1 letters, which bank files of other tools keep and the
// bank reader reads to the F7 at the named length.
bool IsWholeSysEx(const uint8_t* bytes, size_t size, bool program) {
  const bool named =
      program ? size == kProgramDumpSize + kDumpNameSize
              : size == kPerformanceDumpSize + kDumpNameSize || size == kPerformanceDumpSize + 5 * kDumpNameSize;
  const size_t dataEnd = named ? size_t(program ? kProgramNameAt : kPerformanceNameAt) : size - 1;
  return bytes && size >= 2 && bytes[0] == 0xF0 && bytes[size - 1] == 0xF7 &&
         std::all_of(bytes + 1, bytes + dataEnd, [](uint8_t b) { return b < 0x80; });
}
}  // namespace

void LibrarianDumpReceiver::arm() {
  std::lock_guard<std::mutex> hold(lock_);
  patch_ = LibrarianPatch();
  armed_ = true;
  number_ = kAnyNumber;
}

void LibrarianDumpReceiver::expectNumber(int number) {
  std::lock_guard<std::mutex> hold(lock_);
  number_ = number >= 0 ? number : kAnyNumber;
}

void LibrarianDumpReceiver::disarm() {
  std::lock_guard<std::mutex> hold(lock_);
  armed_ = false;
}

bool LibrarianDumpReceiver::isArmed() const {
  std::lock_guard<std::mutex> hold(lock_);
  return armed_;
}

LibrarianDumpReceiver::Outcome LibrarianDumpReceiver::addMessageData(const uint8_t* bytes, size_t size,
                                                                     LibrarianPatch* taken) {
  const bool program = kind_ == Kind::kProgram;
  std::lock_guard<std::mutex> hold(lock_);
  if (!armed_) return Outcome::kNotArmed;
  PatchSysexMessage named;
  if (IsWholeSysEx(bytes, size, program))
    named.bytes = program ? LibrarianProgramForm(bytes, size, kRequestedName)
                          : LibrarianPerformanceForm(bytes, size, kRequestedName);
  if (named.bytes.empty()) return Outcome::kRefused;
  if (number_ != kAnyNumber && bytes[kNumberByteAt] != number_) return Outcome::kOtherNumber;
  patch_.name = ReadDumpName(&named.bytes[program ? kProgramNameAt : kPerformanceNameAt]);
  patch_.messages.assign(1, std::move(named));
  armed_ = false;
  if (taken) *taken = patch_;
  return Outcome::kTaken;
}

LibrarianPatch LibrarianDumpReceiver::patch() const {
  std::lock_guard<std::mutex> hold(lock_);
  return patch_;
}
