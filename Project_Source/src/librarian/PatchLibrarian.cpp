#include "librarian/PatchLibrarian.h"

#include "librarian/LibraryScan.h"
#include "librarian/PatchTemplates.h"

PatchLibrarian::PatchLibrarian(LibrarianEditor* editor) : editor_(editor) {}

void PatchLibrarian::loadPatchesFromFilesystem(const std::string& root) {
  PatchLibrary found;
  if (!LibraryScan(editor_, &found).loadPatchesFromFilesystem(root)) return;
  // A scan adds to what is there; the lists hold the records in the order they were placed.
  std::lock_guard<std::mutex> hold(lock_);
  library_.folderList = std::move(found.folderList);
  library_.skippedFiles = std::move(found.skippedFiles);
  for (auto& record : found.programFiles) {
    library_.createSingleFolderFilesStructure(record.get());
    library_.programFiles.push_back(std::move(record));
  }
  for (auto& record : found.performanceFiles) {
    library_.createMultiFolderFilesStructure(record.get());
    library_.performanceFiles.push_back(std::move(record));
  }
}

void PatchLibrarian::initBankFilesOnDiscard(const std::string& root) {
  PatchLibrary found;
  LibraryScan(editor_, &found).loadPatchesFromFilesystem(root);
  {
    std::lock_guard<std::mutex> hold(lock_);
    std::swap(library_, found);
  }
  // The old library is released here, off the lock.
}

void PatchLibrarian::clearDataStructures(int code) {
  std::lock_guard<std::mutex> hold(lock_);
  library_.clearDataStructures(code);
}

std::string PatchLibrarian::noBankText(const std::string& outcome) const {
  const int kind = patchType.load();
  bool none = false;
  inspect([&](const PatchLibrary& library) { none = (kind == 0 || kind == 1) && library.filesOfType(kind).empty(); });
  if (!none) return outcome + ": no bank of this kind open";
  return outcome + ": no " + (kind == 1 ? "performance" : "program") + " bank yet; Import Bank... adds one";
}

std::string PatchLibrarian::storeRefusal(SlotStore result, const std::string& outcome) const {
  switch (result) {
    case SlotStore::kNoBankOfKind: return noBankText(outcome);
    case SlotStore::kRowOutsideBank: return outcome + ": selected row is outside the bank";
    case SlotStore::kOtherKind:
      return outcome + (patchType.load() == kPerformanceKind ? ": a program does not go into a performance bank"
                                                             : ": a performance does not go into a program bank");
    case SlotStore::kStored: break;
  }
  return "";
}

// Under lock_: the left pane's bank when it is of `kind`, else null.
PatchFile* PatchLibrarian::leftBankOfKind(int kind) const {
  if (kind == kNoPatchKind || kind != patchType.load()) return nullptr;
  const PatchFileList& files = library_.filesOfType(kind);
  const int fileIndex = upperFileIndex.load();
  if (fileIndex < 0 || size_t(fileIndex) >= files.size() || !files[size_t(fileIndex)]) return nullptr;
  PatchFile* bank = files[size_t(fileIndex)].get();
  return bank->type == kind ? bank : nullptr;
}

// Under lock_: why the left pane has no bank for a dump of `kind`.
SlotStore PatchLibrarian::noBankFor(int kind) const {
  const int shown = patchType.load();
  return kind != kNoPatchKind && kind != shown && leftBankOfKind(shown) ? SlotStore::kOtherKind
                                                                        : SlotStore::kNoBankOfKind;
}

SlotStore PatchLibrarian::canStoreInSelectedSlot(PatchKind kind) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (!leftBankOfKind(kind)) return noBankFor(kind);
  const int slot = selectedSlot.load();
  return slot >= 0 && slot < bankSizeOfKind(kind) ? SlotStore::kStored : SlotStore::kRowOutsideBank;
}

SlotStore PatchLibrarian::setSysexDatatoSelectedSlot(const LibrarianPatch* received) {
  if (!received || received->messages.empty()) return SlotStore::kNoBankOfKind;
  const std::vector<uint8_t>& first = received->messages.front().bytes;
  const PatchKind kind = patchKindOfMessage(first.data(), first.size());
  LibrarianPatch copy = *received;  // made before the lock is taken
  std::lock_guard<std::mutex> hold(lock_);
  PatchFile* bank = leftBankOfKind(kind);
  if (!bank) return noBankFor(kind);
  const int slot = selectedSlot.load();
  const int size = bankSizeOfKind(kind);
  if (slot < 0 || slot >= size) return SlotStore::kRowOutsideBank;
  bank->patches.resize(size_t(size));
  bank->patches[size_t(slot)] = std::move(copy);
  return SlotStore::kStored;
}

bool PatchLibrarian::copyPatch(int type, int fileIndex, int slot, LibrarianPatch* out) const {
  std::lock_guard<std::mutex> hold(lock_);
  const PatchFileList& files = library_.filesOfType(type);
  if (fileIndex < 0 || size_t(fileIndex) >= files.size() || !files[size_t(fileIndex)]) return false;
  const PatchFile& bank = *files[size_t(fileIndex)];
  if (slot < 0 || size_t(slot) >= bank.patches.size()) return false;
  *out = bank.patches[size_t(slot)];
  return true;
}

std::unique_ptr<PatchFile> PatchLibrarian::copyBank(int type, int fileIndex) const {
  std::lock_guard<std::mutex> hold(lock_);
  const PatchFileList& files = library_.filesOfType(type);
  if (fileIndex < 0 || size_t(fileIndex) >= files.size() || !files[size_t(fileIndex)]) return nullptr;
  return files[size_t(fileIndex)]->clone();
}

std::unique_ptr<PatchFile> PatchLibrarian::cloneLeftBank(bool* incomplete) const {
  std::lock_guard<std::mutex> hold(lock_);
  const PatchFile* bank = leftBankOfKind(patchType.load());
  if (!bank) return nullptr;
  *incomplete = bank->incomplete();
  std::unique_ptr<PatchFile> copy = bank->clone();
  // Save As compares its target with the file the bank was read from; a save, the file
  // on disk with the one read.
  if (copy) {
    copy->reservedPath = bank->reservedPath;
    copy->readIdentity = bank->readIdentity;
  }
  return copy;
}

std::string PatchLibrarian::paneNotice(bool withSkipped) const {
  std::string notice;
  std::lock_guard<std::mutex> hold(lock_);
  if (withSkipped) {
    for (const std::string& skipped : library_.skippedFiles) notice += (notice.empty() ? "Not read: " : ", ") + skipped;
  }
  const PatchFile* bank = leftBankOfKind(patchType.load());
  if (bank && bank->incomplete()) {
    notice += (notice.empty() ? "" : "; ") + bank->fileName + " is incomplete (" + bank->incompleteReason() +
              "): Save in place is off, use Save As";
  }
  return notice;
}

void PatchLibrarian::inspect(const std::function<void(const PatchLibrary&)>& reader) const {
  std::lock_guard<std::mutex> hold(lock_);
  reader(library_);
}

void PatchLibrarian::modify(const std::function<void(PatchLibrary&)>& writer) {
  std::lock_guard<std::mutex> hold(lock_);
  writer(library_);
}
