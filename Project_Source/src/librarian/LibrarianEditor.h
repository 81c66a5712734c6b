#pragma once
// What the librarian reads of and writes into the editor. The editor implements it;
// tests use a fake. The librarian never calls it with its own lock held.

#include <functional>
#include <string>

// A pane's current bank file as the editor keeps it per librarian mode.
struct CurrentFilePair {
  std::string fileName;
  std::string folderName;
};

// Why a path chosen in the save prompt may not be written; "" when it may.
using SaveRefusal = std::function<std::string(const std::string& path)>;

class LibrarianEditor {
public:
  virtual ~LibrarianEditor() = default;

  // The data folder, with its closing "/".
  // threads: main
  virtual std::string getDataFolder() const = 0;

  // True when the editor's log file could be opened at start-up; the librarian
  // writes log lines only then.
  // threads: main
  virtual bool isLogEnabled() const = 0;
  // threads: main
  virtual void printDebugInfo(const std::string& line) = 0;

  // True while the librarian works on performances.
  // threads: main
  virtual bool isLibrarianPerformanceMode() const = 0;

  // The left pane's current-file pair for programs (false) or performances (true).
  // threads: main
  virtual CurrentFilePair getLeftCurrentFile(bool performance) const = 0;
  virtual void setLeftCurrentFile(bool performance, const CurrentFilePair& pair) = 0;

  // The panel's save prompt, allowing the blank-separated `extensions` (the first one
  // is added to a name without one): the chosen full path, or empty when nothing was
  // chosen; then *refusal says why a path given was not taken (a file the user did
  // not let it replace, a name of another form) and stays empty for a cancel.
  // `refuse` says why a chosen path may not be written at all ("" when it may): such a
  // path is refused before the question whether to replace it.
  // threads: main
  virtual std::string promptForSaveFile(const std::string& proposedName, const std::string& startFolder,
                                        const std::string& extensions, const SaveRefusal& refuse,
                                        std::string* refusal) = 0;
};
