#include "Kit_AtomicFile.h"

#include "Kit_RegularFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <random>
#include <system_error>

namespace {

int OpenFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const Kit_AtomicFileCalls kSystemCalls = {OpenFile, ::write, ::fchmod, ::fsync, ::close, ::rename, ::unlink};
std::atomic<const Kit_AtomicFileCalls*> gCalls{&kSystemCalls};

// Links followed before giving up, as the system does for a path.
constexpr int kMaxLinkHops = 40;
// Room left in a folder entry for the temporary's dot, ".tmp-" and its suffix.
constexpr size_t kMaxNameInTemporary = 200;
constexpr int kTemporaryAttempts = 100;

bool Fail(std::string* error, const std::string& path, const char* what, int code) {
  if (error) {
    *error = path + ": " + what + ": " + std::error_code(code, std::generic_category()).message();
  }
  return false;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at; the path itself when it is no link
// (or does not exist yet). Returns false on a loop or an unreadable link.
bool FollowLinks(std::string& path, int& code) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    char target[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    if (length < 0 || size_t(length) >= sizeof target) {
      code = length < 0 ? errno : ENAMETOOLONG;
      return false;
    }
    const std::string next(target, size_t(length));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
  }
  code = ELOOP;
  return false;
}

std::string RandomSuffix() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, int(sizeof kAlphabet) - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kAlphabet[pick(generator)];
  return suffix;
}

// Creates the temporary next to `target`; returns its descriptor, or -1 with `code`.
int CreateTemporary(const Kit_AtomicFileCalls& calls, const std::string& target, std::string& temporary, int& code) {
  const size_t slash = target.rfind('/');
  const std::string folderPrefix = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = target.substr(folderPrefix.size()).substr(0, kMaxNameInTemporary);
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temporary = folderPrefix + "." + name + ".tmp-" + RandomSuffix();
    const int fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      code = errno;
      return fd;
    }
  }
  code = EEXIST;
  return -1;
}

bool WriteAll(const Kit_AtomicFileCalls& calls, int fd, const void* bytes, size_t size, int& code) {
  const char* at = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t written = calls.write(fd, at, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      code = written < 0 ? errno : EIO;
      return false;
    }
    at += written;
    size -= size_t(written);
  }
  return true;
}

// Writes and closes the temporary; false with `what` and `code` on the first failure.
bool FillTemporary(const Kit_AtomicFileCalls& calls, int fd, const std::string& target, const void* bytes, size_t size,
                   const char*& what, int& code) {
  struct stat old {};
  bool ok = false;
  const bool replaces = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  // The owner where this writer may give it (root, or a group of its own); before the
  // permission bits, which a change of owner may clear.
  if (replaces && (old.st_uid != geteuid() || old.st_gid != getegid())) (void)!::fchown(fd, old.st_uid, old.st_gid);
  if (replaces && calls.fchmod(fd, old.st_mode & 07777) != 0) {
    what = "could not keep the file's permissions";
    code = errno;
  } else if (!WriteAll(calls, fd, bytes, size, code)) {
    what = "could not write";
  } else if (calls.fsync(fd) != 0) {
    what = "could not flush to disk";
    code = errno;
  } else {
    ok = true;
  }
  if (calls.close(fd) != 0 && ok) {
    what = "could not finish writing";
    code = errno;
    ok = false;
  }
  return ok;
}

// The temporary stays locked until it is renamed or removed: a scan that finds it
// locked leaves it alone, while one a killed writer left is unlocked. The lock is
// held through a second descriptor, as the first one is closed before the rename.
class TemporaryLock {
public:
  explicit TemporaryLock(int fd) : held_(::flock(fd, LOCK_EX) == 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1) {}
  TemporaryLock(const TemporaryLock&) = delete;
  TemporaryLock& operator=(const TemporaryLock&) = delete;
  ~TemporaryLock() {
    if (held_ >= 0) ::close(held_);
  }

private:
  int held_;
};

constexpr char kTemporaryMark[] = ".tmp-";
constexpr size_t kSuffixLength = 6;

bool SyncFolder(const Kit_AtomicFileCalls& calls, const std::string& folder, int& code) {
  const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return code = errno, false;
  const bool synced = calls.fsync(fd) == 0;
  if (!synced) code = errno;
  calls.close(fd);
  return synced;
}

// The writer behind both entries; `expected` null: whatever stands there is replaced.
bool WriteChecked(const std::string& path, const void* bytes, size_t size, std::string* error,
                  const Kit_FileIdentity* expected) {
  const Kit_AtomicFileCalls& calls = Kit_AtomicFileSystem();
  if (path.empty() || path.back() == '/') return Fail(error, path, "not a file name", EINVAL);
  std::string target = path;
  int code = 0;
  if (!FollowLinks(target, code)) return Fail(error, path, "could not follow the link", code);
  // Only a file is replaced: a FIFO or a device standing at the name (or at the end
  // of its links) stays as it is, and nothing is written in the folder it is in.
  struct stat standing {};
  const bool exists = stat(target.c_str(), &standing) == 0;
  if (exists && !S_ISREG(standing.st_mode))
    return Fail(error, path, (Kit_FileKindName(standing.st_mode) + " stands there, not a file").c_str(), EEXIST);
  // A file made read-only is kept so, as writing it in place would be refused: the
  // folder's permission alone would let the rename replace it.
  const bool writeBits = (standing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  if (exists && (!writeBits || access(target.c_str(), W_OK) != 0))
    return Fail(error, path, "the file is read-only", EACCES);

  std::string temporary;
  const int fd = CreateTemporary(calls, target, temporary, code);
  if (fd < 0) return Fail(error, path, "could not create a temporary file", code);
  const TemporaryLock lock(fd);
  const char* what = nullptr;
  if (!FillTemporary(calls, fd, target, bytes, size, what, code)) {
    calls.unlink(temporary.c_str());
    return Fail(error, path, what, code);
  }
  // As late as can be: what another writer put there since it was read stays.
  const std::string change = expected ? Kit_FileChange(*expected, Kit_FileIdentityAt(target)) : std::string();
  if (!change.empty()) {
    calls.unlink(temporary.c_str());
    if (error) *error = path + ": changed since it was read (" + change + "): not written over";
    return false;
  }
  if (calls.rename(temporary.c_str(), target.c_str()) != 0) {
    code = errno;
    calls.unlink(temporary.c_str());
    return Fail(error, path, "could not replace the file", code);
  }
  if (!SyncFolder(calls, FolderOf(target), code)) {
    return Fail(error, path, "written, but the folder could not be flushed to disk", code);
  }
  return true;
}

}  // namespace

const Kit_AtomicFileCalls& Kit_AtomicFileSystem() { return *gCalls.load(std::memory_order_acquire); }

void Kit_SetAtomicFileCalls(const Kit_AtomicFileCalls* calls) {
  gCalls.store(calls ? calls : &kSystemCalls, std::memory_order_release);
}

bool Kit_WriteFileAtomically(const std::string& path, const void* bytes, size_t size, std::string* error) {
  return WriteChecked(path, bytes, size, error, nullptr);
}

bool Kit_WriteFileAtomically(const std::string& path, const void* bytes, size_t size, std::string* error,
                             const Kit_FileIdentity& expected) {
  return WriteChecked(path, bytes, size, error, &expected);
}

std::string Kit_AtomicTemporaryTarget(const std::string& name) {
  const size_t mark = sizeof kTemporaryMark - 1;
  if (name.size() < 2 + mark + kSuffixLength || name[0] != '.') return "";
  const size_t at = name.size() - kSuffixLength - mark;
  if (name.compare(at, mark, kTemporaryMark) != 0) return "";
  for (size_t i = at + mark; i < name.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return "";
  return name.substr(1, at - 1);
}

bool Kit_RemoveAbandonedTemporary(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat opened {
  }, named{};
  // Unlocked: no writer holds it. The name must still be the file locked.
  const bool removed = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                       ::lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
                       named.st_ino == opened.st_ino && ::unlink(path.c_str()) == 0;
  ::close(fd);
  return removed;
}
