// The data folder in the system's viewer, importing a bank into "Patches", and the
// help pages.

#include <sys/stat.h>

#include <cerrno>
#include <iterator>
#include <string>
#include <vector>

#include "Framework/ByteChunk.h"
#include "Framework/IGraphicsMac.h"
#include "Kit_RegularFile.h"
#include "Kit_String.h"
#include "editor/Tavro.h"
#include "editor/librarian/TavroLibrarianCommands.h"
#include "librarian/LibrarianDisk.h"
#include "librarian/PatchLibrarian.h"

namespace {

constexpr const char* kManualName = "Vudidi-Tavro-User-Manual.pdf";
// Larger files are no bank of this synthesizer.
constexpr size_t kLargestImport = 16 * 1024 * 1024;

// The pages of topics 0 (support requests), 1 (downloads) and 2 (help articles).
const char* const kHelpPages[] = {
    "https://tavro-editor.org/support",
    "https://tavro-editor.org/downloads",
    "https://tavro-editor.org/help",
};

bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

// Reads a whole file of at most kLargestImport bytes; the reason on failure. Only a
// regular file, opened without blocking: a FIFO or a device chosen is not waited on.
bool ReadImport(const std::string& path, std::vector<char>* bytes, std::string* reason) {
  std::string read, why;
  switch (Kit_ReadRegularFile(path, kLargestImport, &read, &why)) {
    case Kit_FileRead::Read: bytes->assign(read.begin(), read.end()); return true;
    case Kit_FileRead::NotRegular: *reason = "Import failed: " + lastComponent(path) + " is not a file"; return false;
    case Kit_FileRead::TooLarge: *reason = "Import failed: file larger than 16 MB"; return false;
    case Kit_FileRead::Missing:
    case Kit_FileRead::Failed: break;
  }
  *reason = "Import failed: file cannot be read (" + lastComponent(path) + ": " + why + ")";
  return false;
}

// Whether the librarian's reader finds one program or performance in the bytes.
bool HoldsPatches(const std::vector<char>& bytes) {
  ByteChunk image(4096);
  image.PutBytes(bytes.data(), int(bytes.size()));
  PatchFile read;
  PatchLibrarian::loadFromChunk(&image, image.Size(), &read, 0);
  return !read.patches.empty();
}

}  // namespace

void Tavro::OpenDataDirectory(bool manual) {
  if (!graphics) return;
  const std::string path = getDataFolder() + (manual ? kManualName : "");
  const std::string failure = manual ? "User manual not found in the data folder" : "Data folder cannot be opened";
  if (!graphics->OpenURL(path.c_str(), nullptr, nullptr, failure.c_str())) showStatus(failure);
}

bool Tavro::saveImportedFile(bool midiFile) {
  // The import ends in a rescan: unsaved changes are settled before anything is chosen.
  if (!graphics || !mayChangeShownBank(true)) return false;
  Kit_String chosen("");
  // The prompt opens where the last bank file came from.
  const std::string last = GetProgramFilePath();
  Kit_String folder(last.substr(0, last.rfind('/') + 1).c_str());
  std::string refusal;
  graphics->PromptForFile(&chosen, kFileOpen, &folder, midiFile ? "mid" : "syx nl2", &refusal);
  const std::string source = chosen.Get() ? chosen.Get() : "";
  if (source.empty()) {
    // A cancel is quiet; a path the prompt would not take says why.
    if (!refusal.empty()) showStatus("Import failed: " + refusal);
    return false;
  }
  const size_t slash = source.rfind('/');
  SetProgramFilePath(source.c_str());
  std::vector<char> bytes;
  std::string reason;
  if (!ReadImport(source, &bytes, &reason)) {
    showStatus(reason);
    return false;
  }
  if (!HoldsPatches(bytes)) {
    showStatus("Import failed: no program or performance in the file");
    return false;
  }
  // The scan reads no smaller bank file: a copy would never be listed.
  if (int64_t(bytes.size()) < kSmallestBankFile) {
    showStatus("Import failed: file " + bankFileSizeRefusal(int64_t(bytes.size())));
    return false;
  }
  // A bank of the same name stays: the copy takes a free name beside it.
  const std::string name = source.substr(slash + 1);
  std::string target, error;
  if (!MakeFolders(getPatchesFolderStr()) ||
      !writeNewFile(getPatchesFolderStr(), name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &target,
                    &error)) {
    showStatus("Import failed: Patches folder cannot be written");
    return false;
  }
  if (debugEnabled) printDebugInfo("FILE IMPORTER: patch file copied to " + target);
  if (librarian) librarian_commands::rescan(*this);
  showStatus("Imported as " + lastComponent(target));
  return true;
}

const char* Tavro::getPanelString(int slot, std::string text) {
  static const char* const kPrefixes[] = {"Slot A ", "Slot B ", "Slot C ", "Slot D "};
  panelString = (slot >= 0 && slot < int(std::size(kPrefixes)) ? kPrefixes[slot] : "") + text;
  return panelString.c_str();
}

void Tavro::OpenHelpTopics(int topic) {
  if (!graphics || topic < 0 || topic >= int(std::size(kHelpPages))) return;
  graphics->OpenURL(kHelpPages[topic], nullptr, nullptr, nullptr);
}
