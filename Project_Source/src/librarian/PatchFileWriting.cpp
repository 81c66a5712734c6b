// Saving the left pane's bank: the whole file is built in memory first and then
// replaces the target in one atomic step, so a failure leaves the old file whole.

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "Framework/ByteChunk.h"
#include "Kit_AtomicFile.h"
#include "librarian/BankImage.h"
#include "librarian/LibrarianDisk.h"
#include "librarian/LibrarianEditor.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

namespace {

const char* const kRootFolderName = "Patches";

// Paths inside the data folder are shown from it, as the folder menus show them. Only
// where a path begins (the text's start, or after a blank, quote or bracket): the same
// letters further on in a path are folders of that path.
std::string FromDataFolder(std::string text, const std::string& dataFolder) {
  if (dataFolder.empty()) return text;
  for (size_t at = text.find(dataFolder); at != std::string::npos; at = text.find(dataFolder, at)) {
    if (at == 0 || std::string(" \"'(").find(text[at - 1]) != std::string::npos)
      text.erase(at, dataFolder.size());
    else
      at += dataFolder.size();
  }
  return text;
}

// Writes over `path` only while it is the file `expected` describes (nothing, for a new
// name): what another program or instance wrote there since is kept.
bool WriteBank(const PatchFile& bank, const std::string& path, const Kit_FileIdentity& expected, bool midiForm,
               MidiHead head, const std::string& dataFolder, std::string* error) {
  ByteChunk image(4096);
  if (!bankImage(bank, midiForm, head, &image)) {
    *error = "no memory for the bank";
    return false;
  }
  if (Kit_WriteFileAtomically(path, image.GetBytes(), size_t(image.Size()), error, expected)) return true;
  *error = FromDataFolder(*error, dataFolder);
  if (Kit_FileChange(expected, Kit_FileIdentityAt(path)) != "") *error += "; use Save As to keep both";
  return false;
}

// What a save may write over at `path`: the bank's own file only as it was read; any
// other file as it is now, the one the user chose (and the prompt let it replace).
Kit_FileIdentity ExpectedAt(const std::string& path, const PatchFile& bank) {
  const bool own = !bank.reservedPath.empty() && (path == bank.reservedPath || sameFile(path, bank.reservedPath));
  return own ? bank.readIdentity : Kit_FileIdentityAt(path);
}

// The MIDI file at `path` holds more than a bank of `kind` as the writer lays it out,
// or cannot be read to tell; only a missing file loses nothing.
bool holdsMoreThanBank(const std::string& path, int kind) {
  ByteChunk image(4096);
  std::string ignored;
  if (readBankFile(path, &image, &ignored) == BankFileRead::Read)
    return !isPlainMidiBank(image.GetBytes(), size_t(image.Size()), kind);
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// The name offered for the chosen form: the source's own when its extension is one
// of the form's, else its stem with the form's extension; a free name beside the source
// when that would name an incomplete source itself, which Save As does not replace.
std::string OfferedName(const std::string& source, bool midiForm, const PatchFile& bank) {
  if (source.empty()) return source;
  const std::string extension = lowerExtensionOf(source);
  const bool formsOwn = midiForm ? extension == "mid" : extension == "nl2" || extension == "syx";
  const std::string offered = formsOwn ? source : stemOf(source) + (midiForm ? ".mid" : ".nl2");
  if (!bank.incomplete() || offered != lastComponent(bank.reservedPath)) return offered;
  const std::string free =
      freeFilePath(folderOfPath(bank.reservedPath), stemOf(offered), "." + lowerExtensionOf(offered));
  return free.empty() ? offered : lastComponent(free);
}

}  // namespace

std::string PatchLibrarian::savedFolderKey(const std::string& folder) const {
  // Inside the data folder's bank folder the key is the one the scan will give the file.
  const std::string root = editor_->getDataFolder() + kRootFolderName;
  if (folder == root || folder.rfind(root + "/", 0) == 0) {
    std::vector<std::string> chain{kRootFolderName};
    for (size_t at = root.size(); at < folder.size();) {
      const size_t next = std::min(folder.find('/', at + 1), folder.size());
      if (next > at + 1) chain.push_back(folder.substr(at + 1, next - at - 1));
      at = next;
    }
    return folderKeyOfChain(chain);
  }
  // Outside it the folder's own path: no folder of the library has that key, so a
  // folder elsewhere named like one of them never stands for it.
  return folder.empty() ? std::string(kRootFolderName) : folder;
}

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

bool PatchLibrarian::keepUnsavedBank(std::string* keptAt, std::string* error) const {
  bool incomplete = false;  // a new file: the source, whole or not, is not touched
  const std::unique_ptr<PatchFile> bank = leftBankToSave(&incomplete, error);
  if (!bank) return false;
  ByteChunk image(4096);
  if (!bankImage(*bank, false, MidiHead::Keep, &image)) {
    *error = "no memory for the bank";
    return false;
  }
  const std::string folder =
      bank->reservedPath.empty() ? editor_->getDataFolder() + kRootFolderName : folderOfPath(bank->reservedPath);
  return writeNewFile(folder, stemOf(bank->fileName) + " (unsaved).nl2", image.GetBytes(), size_t(image.Size()), keptAt,
                      error);
}

bool PatchLibrarian::savePatchAs(const char* proposedName, const std::string& startFolder, bool midiForm,
                                 std::string* error, int* namesLeftOut) {
  std::string ignored;
  if (!error) error = &ignored;
  bool incomplete = false;
  const std::unique_ptr<PatchFile> bank = leftBankToSave(&incomplete, error);
  if (!bank) return false;
  // Written from the rows, the incomplete source would lose what the reader could not
  // keep: refused before the prompt asks whether to replace it.
  const SaveRefusal keepsSource = [&](const std::string& chosen) {
    if (!incomplete || !sameFile(chosen, bank->reservedPath)) return std::string();
    return bank->fileName + " is incomplete (" + bank->incompleteReason() + "): kept, save under another name";
  };
  // The raw form is a SysEx bank under either of its names; "nl2" is the one added.
  std::string refusal;
  const std::string path = editor_->promptForSaveFile(OfferedName(proposedName ? proposedName : "", midiForm, *bank),
                                                      startFolder, midiForm ? "mid" : "nl2 syx", keepsSource, &refusal);
  if (path.empty()) {
    *error = FromDataFolder(refusal, editor_->getDataFolder());
    return false;
  }
  // A prompt that took the path without asking is held to the same.
  if (!(*error = keepsSource(path)).empty()) return false;
  if (!WriteBank(*bank, path, ExpectedAt(path, *bank), midiForm, MidiHead::Rewrite, editor_->getDataFolder(), error))
    return false;
  if (namesLeftOut) *namesLeftOut = midiForm ? namesMidiFormDrops(*bank) : 0;
  const bool performance = bank->type == kPerformanceKind;
  editor_->setLeftCurrentFile(performance, {lastComponent(path), savedFolderKey(folderOfPath(path))});
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
  // A MIDI file keeps no names: a bank that carries some is saved in the named form.
  const bool namesOutOfMidi = extension == "mid" && namesMidiFormDrops(*bank) > 0;
  const bool midiForm = extension == "mid" && !namesOutOfMidi;
  std::string path = targetPath;
  std::string name = fileName;
  // The raw form with names is an "nl2" bank; a MIDI file holding more than the bank's
  // dumps would lose the rest. Either goes beside the source, never over another file.
  const bool besideSource =
      extension == "syx" || namesOutOfMidi || (midiForm && holdsMoreThanBank(targetPath, bank->type));
  if (besideSource) {
    const std::string newExtension = midiForm ? ".mid" : ".nl2";
    path = freeFilePath(folderOfPath(targetPath), stemOf(fileName), newExtension);
    if (path.empty()) {
      *error = "no free name for " + stemOf(fileName) + newExtension;
      return false;
    }
    name = lastComponent(path);
  }
  const Kit_FileIdentity expected = besideSource ? Kit_FileIdentity{} : ExpectedAt(path, *bank);
  if (!WriteBank(*bank, path, expected, midiForm, MidiHead::Keep, editor_->getDataFolder(), error)) return false;
  // The pane's bank is known by where it was written, whatever the pane last named.
  const bool performance = bank->type == kPerformanceKind;
  editor_->setLeftCurrentFile(performance, {name, savedFolderKey(folderOfPath(path))});
  return true;
}
