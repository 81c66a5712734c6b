// Saving the left pane's bank: the whole file is built in memory first and then
// replaces the target in one atomic step, so a failure leaves the old file whole.

#include "BankImage.h"
#include "ByteChunk.h"
#include "Kit_AtomicFile.h"
#include "LibrarianDisk.h"
#include "LibrarianEditor.h"
#include "PatchLibrarian.h"
#include "PatchTemplates.h"

namespace {

const char* const kRootFolderName = "Patches";

bool WriteBank(const PatchFile& bank, const std::string& path, bool midiForm, MidiHead head, std::string* error) {
  ByteChunk image(4096);
  if (!bankImage(bank, midiForm, head, &image)) {
    *error = "no memory for the bank";
    return false;
  }
  return Kit_WriteFileAtomically(path, image.GetBytes(), size_t(image.Size()), error);
}

}  // namespace

std::unique_ptr<PatchFile> PatchLibrarian::leftBankToSave(bool* incomplete, std::string* error) const {
  error->clear();
  std::unique_ptr<PatchFile> bank = cloneLeftBank(incomplete);
  if (!bank) *error = "there is no bank to save";
  return bank;
}

void PatchLibrarian::fillUncompletedBankFiles(PatchFile* bank) {
  if (bank->patches.empty() || bank->patches.front().messages.empty()) return;
  const std::vector<uint8_t>& first = bank->patches.front().messages.front().bytes;
  if (first.size() <= size_t(kTypeByteAt)) return;
  const bool performance = first[kTypeByteAt] != 0;
  const size_t full = size_t(performance ? kPerformanceBankSize : kProgramBankSize);
  while (bank->patches.size() < full) {
    LibrarianPatch padding;
    if (performance)
      padding.messages.push_back({{initSinglePerformance().begin(), initSinglePerformance().end()}});
    else
      padding.messages.push_back({{initSinglePatch().begin(), initSinglePatch().end()}});
    bank->patches.push_back(std::move(padding));
  }
}

bool PatchLibrarian::savePatchAs(const char* proposedName, const std::string& startFolder, bool midiForm,
                                 std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  bool incomplete = false;
  const std::unique_ptr<PatchFile> bank = leftBankToSave(&incomplete, error);
  if (!bank) return false;
  const std::string path =
      editor_->promptForSaveFile(proposedName ? proposedName : "", startFolder, midiForm ? "mid" : "nl2");
  if (path.empty()) return false;
  std::string folderName = lastComponent(folderOfPath(path));
  removeCharsFromString(folderName, "/");
  if (!WriteBank(*bank, path, midiForm, MidiHead::Rewrite, error)) return false;
  const bool performance = bank->type == kPerformanceKind;
  editor_->setLeftCurrentFile(performance, {lastComponent(path), folderName.empty() ? kRootFolderName : folderName});
  return true;
}

bool PatchLibrarian::saveEditedPatch(const std::string& targetPath, const std::string& fileName, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  bool incomplete = false;
  const std::unique_ptr<PatchFile> bank = leftBankToSave(&incomplete, error);
  if (!bank) return false;
  if (incomplete) {
    // Writing what the list shows would lose what the reader could not keep.
    *error = bank->fileName + " is incomplete (" + bank->incompleteReason() + "); use Save As";
    return false;
  }
  const std::string extension = lowerExtensionOf(fileName);
  const bool midiForm = extension == "mid";
  std::string path = targetPath;
  std::string name = fileName;
  if (extension == "syx") {
    // The raw form with names is an "nl2" bank; it goes beside the source, never over another bank.
    path = freeFilePath(folderOfPath(targetPath), stemOf(fileName), ".nl2");
    if (path.empty()) {
      *error = "no free name for " + stemOf(fileName) + ".nl2";
      return false;
    }
    name = lastComponent(path);
  }
  if (!WriteBank(*bank, path, midiForm, MidiHead::Keep, error)) return false;
  const bool performance = bank->type == kPerformanceKind;
  CurrentFilePair pair = editor_->getLeftCurrentFile(performance);
  pair.fileName = name;
  editor_->setLeftCurrentFile(performance, pair);
  return true;
}
