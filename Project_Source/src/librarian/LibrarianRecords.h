#pragma once
// The librarian's records: one stored message, one slot, one bank file, and the
// three levels of the folder tree over the bank files.
//
// threads: any (plain values; the librarian's lock guards the ones it shares).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Kit_FileIdentity.h"

class ByteChunk;

// One complete SysEx message of a slot, from F0 to F7 inclusive.
struct PatchSysexMessage {
  std::vector<uint8_t> bytes;

  // Appends the message to `target`: whole in the raw form; in the midi-file form
  // without its F0 (the event's status) and, after the first patch of a bank, behind
  // the event prefix of a further event.
  void save(ByteChunk* target, bool midiForm, int index, bool performance) const;
};

// One slot of a bank; empty when it holds no message.
struct LibrarianPatch {
  std::string name;
  std::vector<PatchSysexMessage> messages;
  // An init message holds the row of a message that could not be read: the list shows
  // it as kStandInRowName, not by the default name its bytes carry.
  bool standsIn = false;

  bool empty() const { return messages.empty(); }
};

constexpr const char* kStandInRowName = "INIT";

// What a record does not show as its file holds it. Any of it makes a save in place
// lose data, so that save refuses and the panel says why.
struct ReadLosses {
  int repaired = 0;              // messages kept after their missing F7 (and names) were added
  int oddLength = 0;             // messages of a length the unit does not send, kept as read
  int unknownType = 0;           // dumps of the unit's length with a type byte of no dump, kept as that kind
  int unreadable = 0;            // messages that could not be read; an init message holds each one's row
  int leftOut = 0;               // messages of the other kind, or past the bank's last row
  int strayBytes = 0;            // bytes read over between the dumps: no row holds them
  bool damagedMidiFile = false;  // its structure breaks off: read byte by byte, split dumps not joined
  int unconverted = 0;           // programs past the 99th of a file that could not be split: only the first bank shows

  bool any() const {
    return repaired || oddLength || unknownType || unreadable || leftOut || strayBytes || damagedMidiFile ||
           unconverted;
  }
};

// One bank file as the scan loaded it, a bank the librarian made, or a search bank.
struct PatchFile {
  int type = 0;       // 0 programs, 1 performances
  int generated = 0;  // 1 for banks the librarian made itself
  std::vector<LibrarianPatch> patches;
  std::string fileName;
  std::string folderName;
  std::vector<std::string> folderChain;  // from the scanned root down, root first
  std::string reservedPath;              // the file's full path; a save in place writes there
  Kit_FileIdentity readIdentity;         // the file as it was read: a save finds whether it changed since
  int bankIndex = 0;
  ReadLosses losses;

  bool incomplete() const { return losses.any(); }
  // Why the record is incomplete, for the panel ("" when it is not).
  std::string incompleteReason() const;

  // A copy for the writers: patches, file name and losses only, type and flag made 0 or 1.
  std::unique_ptr<PatchFile> clone() const;
};

// The key by which the menus tell a bank's folder: the folder names from the scanned
// root down, joined by "/" ("Patches", "Patches/A/Sub"). No two folders share one, so
// a sub-folder named like the root keeps its own. `chain` is root first; an empty
// chain gives "".
std::string folderKeyOfChain(const std::vector<std::string>& chain);

// The folder trees hold three levels from the scanned root down; a bank deeper sits in
// its third-level folder.
constexpr size_t kFolderTreeLevels = 3;

struct SubFolderFiles2 {
  std::string name;
  std::vector<PatchFile*> files;  // not owned: the file lists own the records
};

struct SubFolderFiles {
  std::string name;
  std::vector<SubFolderFiles2> subFolders;
  std::vector<PatchFile*> files;
};

struct FolderFiles {
  std::string name;
  std::vector<SubFolderFiles> subFolders;
  std::vector<PatchFile*> files;
};

using FolderTree = std::vector<std::unique_ptr<FolderFiles>>;
using PatchFileList = std::vector<std::unique_ptr<PatchFile>>;

// Everything a scan makes: the flat lists own the records, the trees point into them.
struct PatchLibrary {
  std::vector<std::string> folderList;
  std::vector<std::string> skippedFiles;  // "name (why)" of each bank file the last scan could not read
  PatchFileList programFiles;
  PatchFileList performanceFiles;
  PatchFileList searchFiles;
  FolderTree programTree;
  FolderTree performanceTree;
  FolderTree searchTree;

  PatchFileList& filesOfType(int type) { return type == 0 ? programFiles : performanceFiles; }
  const PatchFileList& filesOfType(int type) const { return type == 0 ? programFiles : performanceFiles; }

  // Place a record into the program or the performance tree by its folder chain.
  void createSingleFolderFilesStructure(PatchFile* record);
  void createMultiFolderFilesStructure(PatchFile* record);
  // Empties the program tree (0), the performance tree (1) or the search tree (3);
  // other codes do nothing. The records stay in their lists.
  void clearDataStructures(int code);
};
