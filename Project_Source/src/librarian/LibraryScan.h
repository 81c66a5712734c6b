#pragma once
// One scan of the patches folder into a library of its own: every bank file loaded,
// program files of 100 programs or more converted into banks of 99, the trees built.
// The librarian swaps the result in; the scan itself touches nothing shared.
//
// threads: main (it logs through the editor).

#include "Framework/ByteChunk.h"
#include "librarian/LibrarianRecords.h"

#include <memory>
#include <string>

class LibrarianEditor;

class LibraryScan {
public:
  LibraryScan(LibrarianEditor* editor, PatchLibrary* library);

  // False, after a log line, when `root` is no folder; the library is then untouched.
  bool loadPatchesFromFilesystem(const std::string& root);

private:
  // Loads one bank file (`extension` in lower case); the record goes into its list.
  // Null when the file was skipped or converted.
  PatchFile* parseFolderFiles(const std::string& path, const std::vector<std::string>& chain, int value,
                              const std::string& extension);
  // Logs a bank file the scan could not read and lists it for the panel.
  void skip(const std::string& path, const std::vector<std::string>& chain, const std::string& why);
  // Splits a program file into banks of 99 beside it and moves it into "Converted
  // Banks". On any failure nothing new is left and the file stays where it was.
  bool convertProgramFile(const PatchFile& source, const std::string& path);
  // Writes bank `bankIndex` (0, 1, ...) of the split under a free name beside the source.
  std::unique_ptr<PatchFile> createNewPatchFile(const PatchFile& source, const std::string& sourcePath, int bankIndex,
                                                std::string* error);
  void log(const std::string& line);

  LibrarianEditor* editor_;
  PatchLibrary* library_;
  bool logging_;
  ByteChunk image_;   // the file being read; its room serves every file of the scan
  ByteChunk events_;  // a MIDI file's events, likewise
};
