#include "librarian/LibraryScan.h"

#include "Framework/ByteChunk.h"
#include "Kit_AtomicFile.h"
#include "librarian/BankImage.h"
#include "librarian/LibrarianDisk.h"
#include "librarian/LibrarianEditor.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <Poco/File.h>

#include <unistd.h>
#include <algorithm>

namespace {

const char* const kLogPrefix = "PATCH LIBRARIAN: ";
const char* const kConvertedBanksFolder = "Converted Banks";
// The images' room grows by at least this and gives room back only past four times
// it: a program bank read after a performance bank keeps the room, instead of giving
// it back and taking it again (fresh pages) every few files.
constexpr int kImageGrowth = 32 * 1024;

bool IsFolder(const std::string& path) {
  try {
    const Poco::File folder(path);
    return folder.exists() && folder.isDirectory();
  } catch (const std::exception&) {
    return false;  // a dangling link, or a path we may not look into
  }
}

}  // namespace

LibraryScan::LibraryScan(LibrarianEditor* editor, PatchLibrary* library)
    : editor_(editor),
      library_(library),
      logging_(editor->isLogEnabled()),
      image_(kImageGrowth),
      events_(kImageGrowth) {}

void LibraryScan::log(const std::string& line) {
  if (logging_) editor_->printDebugInfo(line);
}

bool LibraryScan::loadPatchesFromFilesystem(const std::string& root) {
  if (!IsFolder(root)) {
    log("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER...");
    return false;
  }
  // Sub-folders before the root, each before its own sub-folders.
  std::vector<ScannedFolder> folders = buildFolderStructure(root);
  std::rotate(folders.begin(), folders.begin() + 1, folders.end());
  std::sort(folders.begin(), folders.end() - 1,
            [](const ScannedFolder& a, const ScannedFolder& b) { return a.path < b.path; });
  library_->folderList.clear();
  for (const ScannedFolder& folder : folders) library_->folderList.push_back(folder.path);

  for (const ScannedFolder& folder : folders) {
    // What a save cut short left behind (a killed host) is ours to clear.
    for (const std::string& name : folder.leftovers) {
      if (Kit_RemoveAbandonedTemporary(folder.path + "/" + name))
        log(kLogPrefix + std::string("removed leftover ") + folder.path + "/" + name);
    }
    // Banks written by a conversion land in a folder already listed: the next scan loads them.
    for (const std::string& name : folder.bankFiles) {
      PatchFile* record = parseFolderFiles(folder.path + "/" + name, folder.chain, 0, lowerExtensionOf(name));
      if (!record) continue;
      if (record->type == kProgramKind)
        library_->createSingleFolderFilesStructure(record);
      else
        library_->createMultiFolderFilesStructure(record);
    }
  }
  return true;
}

PatchFile* LibraryScan::parseFolderFiles(const std::string& path, const std::vector<std::string>& chain, int value,
                                         const std::string& extension) {
  // Opened and checked first: what is no file (a FIFO, a folder) passes silently; a
  // bank file too small or too large to be read is named.
  std::string error;
  Kit_FileIdentity identity;
  const BankFileRead read = readBankFile(path, &image_, &error, &identity);
  if (read == BankFileRead::NotABankFile) return nullptr;
  log(kLogPrefix + std::string("loading file ") + path);
  if (read != BankFileRead::Read) {
    skip(path, chain, error);
    return nullptr;
  }
  auto record = std::make_unique<PatchFile>();
  record->fileName = lastComponent(path);
  record->folderName = chain.back();
  record->folderChain = chain;
  record->reservedPath = path;
  record->readIdentity = identity;
  record->bankIndex = value;
  log(kLogPrefix + std::string("loaded file ") + path);
  PatchLibrarian::loadFromChunk(&image_, image_.Size(), record.get(), extension == "mid" ? 1 : 0, &events_);
  if (record->patches.empty()) {
    skip(path, chain, "no program or performance in it");
    return nullptr;
  }
  if (record->type == kProgramKind && record->patches.size() >= size_t(kBankRows)) {
    // Split banks would carry the losses in their bytes while the source went away.
    if (!record->incomplete() && convertProgramFile(*record, path)) return nullptr;
    // Listed unconverted: it shows only its first bank.
    record->losses.unconverted = int(record->patches.size()) - kProgramBankSize;
  }
  PatchLibrarian::fillUncompletedBankFiles(record.get());
  record->patches.resize(size_t(bankSizeOfKind(record->type)));
  record->patches.resize(size_t(kBankRows));
  PatchFile* listed = record.get();
  library_->filesOfType(listed->type).push_back(std::move(record));
  return listed;
}

void LibraryScan::skip(const std::string& path, const std::vector<std::string>& chain, const std::string& why) {
  log(kLogPrefix + std::string("skipped file ") + path + ": " + why);
  // Named from below the patches folder, as the folder menus show it.
  std::string name;
  for (size_t i = 1; i < chain.size(); ++i) name += chain[i] + "/";
  name += lastComponent(path);
  // The reason names the file as the notice does, not by its full path.
  std::string reason = why;
  for (size_t at = reason.find(path); at != std::string::npos; at = reason.find(path, at + name.size()))
    reason.replace(at, path.size(), name);
  library_->skippedFiles.push_back(name + " (" + reason + ")");
}

bool LibraryScan::convertProgramFile(const PatchFile& source, const std::string& path) {
  std::string error = "no data folder";
  const std::string dataFolder = editor_->getDataFolder();
  const std::string converted = dataFolder + kConvertedBanksFolder;
  std::vector<std::unique_ptr<PatchFile>> banks;
  bool done = !dataFolder.empty() && ensureFolder(converted, &error);
  const int bankCount = int((source.patches.size() + kProgramBankSize - 1) / kProgramBankSize);
  for (int i = 0; done && i < bankCount; ++i) {
    banks.push_back(createNewPatchFile(source, path, i, &error));
    done = banks.back() != nullptr;
  }
  std::string movedTo;
  done = done && moveWithoutOverwrite(path, converted, &movedTo, &error);
  if (!done) {
    for (const auto& bank : banks) {
      if (bank) ::unlink(bank->reservedPath.c_str());
    }
    log(kLogPrefix + std::string("could not convert file ") + path + ": " + error);
    return false;
  }
  for (auto& bank : banks) {
    library_->createSingleFolderFilesStructure(bank.get());
    library_->programFiles.push_back(std::move(bank));
  }
  log(kLogPrefix + std::string("moved file ") + movedTo + " due to mismatching data in package!");
  return true;
}

std::unique_ptr<PatchFile> LibraryScan::createNewPatchFile(const PatchFile& source, const std::string& sourcePath,
                                                           int bankIndex, std::string* error) {
  auto bank = std::make_unique<PatchFile>();
  bank->type = kProgramKind;
  bank->generated = 1;
  const size_t from = size_t(bankIndex) * kProgramBankSize;
  const size_t to = std::min(source.patches.size(), from + kProgramBankSize);
  bank->patches.assign(source.patches.begin() + long(from), source.patches.begin() + long(to));
  PatchLibrarian::fillUncompletedBankFiles(bank.get());
  const std::string stem = stemOf(source.fileName) + " Singles " + std::to_string(bankIndex + 1);
  bank->reservedPath = freeFilePath(folderOfPath(sourcePath), stem, ".nl2");
  bank->fileName = lastComponent(bank->reservedPath);
  bank->folderName = source.folderName;
  bank->folderChain = source.folderChain;
  ByteChunk image(4096);
  if (bank->reservedPath.empty()) {
    *error = "no free name for " + stem;
    return nullptr;
  }
  if (!bankImage(*bank, false, MidiHead::Keep, &image)) {
    *error = "no memory for " + bank->fileName;
    return nullptr;
  }
  // A free name: a file put there meanwhile is not written over.
  if (!Kit_WriteFileAtomically(bank->reservedPath, image.GetBytes(), size_t(image.Size()), error, Kit_FileIdentity{}))
    return nullptr;
  bank->readIdentity = Kit_FileIdentityAt(bank->reservedPath);
  bank->patches.resize(size_t(kBankRows));
  return bank;
}
