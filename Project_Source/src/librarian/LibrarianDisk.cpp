#include "librarian/LibrarianDisk.h"

#include "Framework/ByteChunk.h"
#include "Kit_AsciiCase.h"
#include "Kit_AtomicFile.h"
#include "Kit_RegularFile.h"

#include <Poco/DirectoryIterator.h>
#include <Poco/Exception.h>
#include <Poco/File.h>
#include <Poco/Path.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <utility>

namespace {

constexpr int kMostNameTries = 10000;

std::string SystemError(const std::string& what, const std::string& path) {
  // strerror's "Too many levels of symbolic links" hides the plain cause.
  if (errno == ELOOP) return what + " " + path + ": a link loop (a link that leads back to itself)";
  return what + " " + path + ": " + std::strerror(errno);
}

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::string folderOfPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string lastComponent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stemOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string lowerExtensionOf(const std::string& name) {
  std::string extension;
  try {
    extension = Poco::Path(name, Poco::Path::PATH_UNIX).getExtension();
  } catch (const std::exception&) {
    return std::string();  // a name Poco cannot take as a path has no extension it knows
  }
  return Kit_AsciiLower(extension);
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::string freeFilePath(const std::string& folder, const std::string& stem, const std::string& extension) {
  struct stat st;
  for (int n = 1; n < kMostNameTries; ++n) {
    const std::string name = n == 1 ? stem + extension : stem + " (" + std::to_string(n) + ")" + extension;
    const std::string path = folder + "/" + name;
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return path;
  }
  return std::string();
}

std::string bankFileSizeRefusal(int64_t size) {
  if (size < kSmallestBankFile) return "smaller than " + std::to_string(kSmallestBankFile) + " bytes";
  if (size > kLargestBankFile) return "larger than 16 MiB";
  return std::string();
}

BankFileRead readBankFile(const std::string& path, ByteChunk* out, std::string* error, Kit_FileIdentity* identity) {
  // Non-blocking: a FIFO or device named like a bank must not hang the scan.
  Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
  if (file.fd < 0) {
    *error = SystemError("cannot open", path);
    return BankFileRead::Failed;
  }
  struct stat st;
  if (::fstat(file.fd, &st) != 0) {
    *error = SystemError("cannot examine", path);
    return BankFileRead::Failed;
  }
  if (!S_ISREG(st.st_mode)) return BankFileRead::NotABankFile;
  if (identity) *identity = Kit_FileIdentityOf(st);
  *error = bankFileSizeRefusal(st.st_size);
  if (st.st_size < kSmallestBankFile) return BankFileRead::TooSmall;
  if (st.st_size > kLargestBankFile) return BankFileRead::TooLarge;
  if (out->Resize(int(st.st_size)) != int(st.st_size)) {
    *error = "no memory for " + path;
    return BankFileRead::Failed;
  }
  size_t done = 0;
  while (done < size_t(st.st_size)) {
    const ssize_t got = ::read(file.fd, out->GetBytes() + done, size_t(st.st_size) - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = SystemError("cannot read", path);
      return BankFileRead::Failed;
    }
    if (got == 0) break;  // the file shrank meanwhile
    done += size_t(got);
  }
  out->Resize(int(done));
  return BankFileRead::Read;
}

bool ensureFolder(const std::string& folder, std::string* error) {
  try {
    Poco::File made(folder);
    made.createDirectory();  // false when it is there already
    if (made.isDirectory()) return true;
    *error = "not a folder: " + folder;
  } catch (const Poco::Exception& e) {
    *error = "cannot create " + folder + ": " + e.displayText();
  } catch (const std::exception& e) {
    *error = "cannot create " + folder + ": " + e.what();
  }
  return false;
}

namespace {

// Copies, flushes, then unlinks the source; if the source stays, so does nothing else.
bool CopyAcross(const std::string& from, const std::string& to, std::string* error) {
  // A bank file is never larger; what stands in its place (a FIFO) is not waited on.
  std::string bytes, why;
  if (Kit_ReadRegularFile(from, size_t(kLargestBankFile), &bytes, &why) != Kit_FileRead::Read) {
    *error = from + ": " + why;
    return false;
  }
  if (!Kit_WriteFileAtomically(to, bytes.data(), bytes.size(), error, Kit_FileIdentity{})) return false;
  if (::unlink(from.c_str()) != 0) {
    *error = SystemError("cannot remove", from);
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

}  // namespace

namespace {

// The name's extension with its ".", as freeFilePath puts it back.
std::string DottedExtension(const std::string& name) {
  const size_t stem = stemOf(name).size();
  return name.size() > stem ? name.substr(stem) : std::string();
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= size_t(put);
  }
  return ::fsync(fd) == 0;
}

}  // namespace

bool writeNewFile(const std::string& folder, const std::string& name, const uint8_t* bytes, size_t size,
                  std::string* writtenTo, std::string* error) {
  const std::string stem = stemOf(name), extension = DottedExtension(name);
  for (int tries = 0; tries < kMostNameTries; ++tries) {
    const std::string to = freeFilePath(folder, stem, extension);
    if (to.empty()) break;
    Descriptor file{::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)};
    if (file.fd < 0 && errno == EEXIST) continue;  // taken since we looked
    if (file.fd < 0) {
      *error = SystemError("cannot create", to);
      return false;
    }
    if (!WriteAll(file.fd, bytes, size)) {
      *error = SystemError("cannot write", to);
      ::unlink(to.c_str());  // our own half-written file
      return false;
    }
    *writtenTo = to;
    return true;
  }
  *error = "no free name for " + name + " in " + folder;
  return false;
}

bool moveWithoutOverwrite(const std::string& from, const std::string& folder, std::string* movedTo,
                          std::string* error) {
  const std::string name = lastComponent(from);
  const std::string stem = stemOf(name), extension = DottedExtension(name);
  for (int tries = 0; tries < kMostNameTries; ++tries) {
    const std::string to = freeFilePath(folder, stem, extension);
    if (to.empty()) break;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
      *movedTo = to;
      return true;
    }
    if (errno == EEXIST) continue;  // taken since we looked
    if (errno != EXDEV) {
      *error = SystemError("cannot move", from);
      return false;
    }
    if (!CopyAcross(from, to, error)) return false;
    *movedTo = to;
    return true;
  }
  *error = "no free name for " + name + " in " + folder;
  return false;
}

bool isBankFileName(const std::string& name) {
  const std::string extension = lowerExtensionOf(name);
  return extension == "mid" || extension == "syx" || extension == "nl2";
}

namespace {

enum class EntryKind { Other, Folder, BankFile };

// One question to the file system per entry. Poco throws where a link dangles or
// access is denied: such a bank file is kept, so reading it says why it fails.
EntryKind KindOf(const Poco::File& entry, bool bankName) {
  try {
    if (bankName && entry.isFile()) return EntryKind::BankFile;
    return entry.isDirectory() ? EntryKind::Folder : bankName ? EntryKind::BankFile : EntryKind::Other;
  } catch (const std::exception&) {
    return bankName ? EntryKind::BankFile : EntryKind::Other;
  }
}

// Fills the folder's bank files and gives the names of its folders, both sorted, so a
// folder reached by two ways is entered by the same one on every scan.
std::vector<std::string> ListFolder(ScannedFolder* folder) {
  std::vector<std::string> subFolders;
  try {
    for (Poco::DirectoryIterator entry(folder->path), end; entry != end; ++entry) {
      switch (KindOf(*entry, isBankFileName(entry.name()))) {
        case EntryKind::Folder: subFolders.push_back(entry.name()); break;
        case EntryKind::BankFile: folder->bankFiles.push_back(entry.name()); break;
        case EntryKind::Other:
          if (isBankFileName(Kit_AtomicTemporaryTarget(entry.name()))) folder->leftovers.push_back(entry.name());
          break;
      }
    }
  } catch (const std::exception&) {
    // denied or gone: what was found so far
  }
  std::sort(subFolders.begin(), subFolders.end());
  std::sort(folder->bankFiles.begin(), folder->bankFiles.end());
  return subFolders;
}

}  // namespace

std::vector<ScannedFolder> buildFolderStructure(const std::string& root) {
  // Poco tells no file's identity; device and inode do, so a linked folder (a loop
  // too) is entered once.
  std::set<std::pair<dev_t, ino_t>> entered;
  const auto firstVisit = [&entered](const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && entered.insert({st.st_dev, st.st_ino}).second;
  };
  firstVisit(root);
  std::vector<ScannedFolder> found{{root, {lastComponent(root)}, {}, {}}};
  for (size_t next = 0; next < found.size(); ++next) {
    for (const std::string& name : ListFolder(&found[next])) {
      const std::string path = found[next].path + "/" + name;
      if (!firstVisit(path)) continue;
      std::vector<std::string> chain = found[next].chain;
      chain.push_back(name);
      found.push_back({path, std::move(chain), {}, {}});
    }
  }
  return found;
}
