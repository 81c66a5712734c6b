#pragma once
// What the librarian tests share: a fake editor, real temporary folders, bank bytes.

#include "librarian/LibrarianEditor.h"
#include "librarian/LibrarianRecords.h"

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The Python the tests run the reference tools with.
constexpr const char* kPython = "/usr/bin/python3";

class FakeEditor : public LibrarianEditor {
public:
  std::string dataFolder;  // with the closing "/"
  bool performanceMode = false;
  std::vector<std::string> logLines;
  CurrentFilePair pairs[2];
  std::string promptAnswer;  // what the save prompt returns; empty is a cancel
  int prompts = 0;

  std::string getDataFolder() const override { return dataFolder; }
  bool isLogEnabled() const override { return true; }
  void printDebugInfo(const std::string& line) override { logLines.push_back(line); }
  bool isLibrarianPerformanceMode() const override { return performanceMode; }
  CurrentFilePair getLeftCurrentFile(bool performance) const override { return pairs[performance]; }
  void setLeftCurrentFile(bool performance, const CurrentFilePair& pair) override { pairs[performance] = pair; }
  std::string promptForSaveFile(const std::string&, const std::string&, const std::string&, const SaveRefusal&,
                                std::string*) override {
    ++prompts;
    return promptAnswer;
  }
  bool Logged(const std::string& part) const;
};

// A fresh folder under /tmp (or under `base`), removed with everything in it.
class TempFolder {
public:
  explicit TempFolder(const char* base = "/tmp");
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

// Dumps as the synthesizer sends them; `seed` varies the data bytes (all below 80 hex).
Bytes Program(int seed, int slot = 0, const std::string& name = "");
Bytes Performance(int seed, int length = 715, int slot = 0);
Bytes Join(const std::vector<Bytes>& parts);
Bytes Programs(int count, int firstSeed = 0);

void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);  // empty when the file cannot be read
bool Exists(const std::string& path);
std::vector<std::string> Names(const std::string& folder);  // sorted, hidden ones included

// The record the reader makes of an image.
PatchFile Read(const Bytes& image);
std::vector<std::string> PatchNames(const PatchFile& file);
