#include "DataFolderInstall.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "Kit_AtomicFile.h"
#include "librarian/InitBanks.h"

namespace {

constexpr const char* kEditorFolder = "Orvane/Vudidi Tavro Editor/";
constexpr const char* kSettingsFile = "Tavro Editor UI.txt";
// Lines: kept for the editor, panel size, welcome notice shown ("no").
constexpr const char* kFirstSettings = "\nnormal\nno\n";

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes `path` and the folders on the way; false with `error` set.
bool MakeFolders(const std::string& path, std::string& error) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      error = "cannot make " + part + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace

std::string EditorDataFolder(const std::string& root) { return root + "/" + kEditorFolder; }

bool InstallEditorDataFolder(const std::string& root, bool& installed, std::string& error) {
  installed = false;
  const std::string folder = EditorDataFolder(root);
  if (IsFolder(folder)) return true;
  const std::string settings = std::string(kFirstSettings);
  if (!MakeFolders(folder + "Patches/", error) || !writeInitBanks(folder + "Patches/", &error) ||
      !Kit_WriteFileAtomically(folder + kSettingsFile, settings.data(), settings.size(), &error))
    return false;
  installed = true;
  return true;
}
