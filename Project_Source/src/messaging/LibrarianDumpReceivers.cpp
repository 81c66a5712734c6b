#include "LibrarianDumpReceivers.h"

#include "DumpNames.h"
#include "LibrarianDumpForm.h"
#include "tables/DumpFieldTable.h"

namespace {
// Where the name stands in the named forms.
constexpr size_t kProgramNameAt = kProgramDumpSize - 1;
constexpr size_t kPerformanceNameAt = kPerformanceDumpSize - 1;
}  // namespace

void LibrarianDumpReceiver::arm() {
  std::lock_guard<std::mutex> hold(lock_);
  patch_ = LibrarianPatch();
  armed_ = true;
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
  // Built before the lock is taken: the named form is a pure function of the bytes.
  PatchSysexMessage named{program ? LibrarianProgramForm(bytes, size, kRequestedName)
                                  : LibrarianPerformanceForm(bytes, size, kRequestedName)};
  std::lock_guard<std::mutex> hold(lock_);
  if (!armed_) return Outcome::kNotArmed;
  if (named.bytes.empty()) return Outcome::kRefused;
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
