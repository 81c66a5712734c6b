#pragma once
// The librarian's dealings with the file system, none of which throws: path pieces,
// free names, reading a bank file, moving a file without overwriting, walking folders.
//
// Paths split at "/" only ("\" is a name character); names compare byte-wise and
// only extensions ignore case.
//
// threads: any (no shared state).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteChunk;
struct Kit_FileIdentity;

// Before the last "/" (empty when there is none), and after it (all when there is none).
std::string folderOfPath(const std::string& path);
std::string lastComponent(const std::string& path);
// A name before its last "." (all of it when there is none), and after it in lower case.
std::string stemOf(const std::string& name);
std::string lowerExtensionOf(const std::string& name);

// Whether both paths name one existing file (links and other spellings included).
bool sameFile(const std::string& a, const std::string& b);

// `folder` + "/" + stem + extension, or with " (2)", " (3)", ... after the stem: the
// first that names nothing yet, not even a dangling link.
std::string freeFilePath(const std::string& folder, const std::string& stem, const std::string& extension);

constexpr int64_t kSmallestBankFile = 4501;
constexpr int64_t kLargestBankFile = 16 * 1024 * 1024;

// Why a file of `size` bytes is no bank file the library reads ("smaller than 4501
// bytes", "larger than 16 MiB"); "" when its size is fine.
std::string bankFileSizeRefusal(int64_t size);

enum class BankFileRead { Read, NotABankFile, TooSmall, TooLarge, Failed };
// Reads a bank file through one descriptor, opened without blocking: only a regular
// file of 4501 bytes up to 16 MiB is read (a larger one is never allocated); `out`
// holds the bytes actually read (its room is reused from file to file). `error` says
// why on Failed, TooSmall and TooLarge. `identity`, when given, takes the file's as read.
BankFileRead readBankFile(const std::string& path, ByteChunk* out, std::string* error,
                          Kit_FileIdentity* identity = nullptr);

// Moves `from` into `folder` under its own name, or a free one; across file systems
// the bytes are copied and flushed before the source is unlinked. Fills `movedTo`.
bool moveWithoutOverwrite(const std::string& from, const std::string& folder, std::string* movedTo, std::string* error);

// Writes `bytes` into a new file of `folder` named `name`, or a free name beside it
// (" (2)", ...): an existing file is never replaced. Fills `writtenTo`.
bool writeNewFile(const std::string& folder, const std::string& name, const uint8_t* bytes, size_t size,
                  std::string* writtenTo, std::string* error);

// Creates `folder` unless it is one already.
bool ensureFolder(const std::string& folder, std::string* error);

// Whether the name has a bank file's extension: "mid", "syx" or "nl2" in any case.
bool isBankFileName(const std::string& name);

struct ScannedFolder {
  std::string path;
  std::vector<std::string> chain;      // folder names from the root down, root first
  std::vector<std::string> bankFiles;  // names with a bank file's extension that are no folder, sorted
  std::vector<std::string> leftovers;  // temporaries a save of a bank file made (".NAME.tmp-XXXXXX")
};
// The root, first, and every folder below it, each entered once by device and inode
// (a linked folder included), each with its bank files; a folder that cannot be
// listed holds what was found. Nothing throws.
std::vector<ScannedFolder> buildFolderStructure(const std::string& root);
