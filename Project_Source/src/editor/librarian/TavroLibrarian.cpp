// What the librarian reads of and writes into the editor.

#include "Framework/IGraphicsMac.h"
#include "Kit_String.h"
#include "editor/Tavro.h"

CurrentFilePair Tavro::getLeftCurrentFile(bool performance) const {
  return performance ? leftPerformanceFile : leftProgramFile;
}

void Tavro::setLeftCurrentFile(bool performance, const CurrentFilePair& pair) {
  (performance ? leftPerformanceFile : leftProgramFile) = pair;
}

std::string Tavro::promptForSaveFile(const std::string& proposedName, const std::string& startFolder,
                                     const std::string& extensions, const SaveRefusal& refuse, std::string* refusal) {
  if (!graphics) return "";
  Kit_String fileName(proposedName.c_str());
  Kit_String folder(startFolder.c_str());
  graphics->PromptForFile(&fileName, kFileSave, &folder, extensions.c_str(), refusal, refuse);
  return fileName.Get() ? fileName.Get() : "";
}
