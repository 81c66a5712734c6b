#include "Kit_RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

class Descriptor {
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

private:
  int fd_;
};

Kit_FileRead Say(std::string* why, Kit_FileRead outcome, const std::string& text) {
  if (why) *why = text;
  return outcome;
}

}  // namespace

std::string Kit_FileKindName(unsigned int mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISREG(mode)) return "a file";
  return "not a file";
}

Kit_FileRead Kit_ReadRegularFile(const std::string& path, size_t most, std::string* bytes, std::string* why) {
  bytes->clear();
  // Non-blocking: opening a FIFO for reading would wait for a writer.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) {
    const int code = errno;
    if (code == ENOENT) return Say(why, Kit_FileRead::Missing, "missing");
    return Say(why, Kit_FileRead::Failed, std::string("cannot be opened: ") + std::strerror(code));
  }
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) return Say(why, Kit_FileRead::Failed, "cannot be examined");
  if (!S_ISREG(st.st_mode)) return Say(why, Kit_FileRead::NotRegular, Kit_FileKindName(st.st_mode) + ", not a file");
  // The size told is not trusted: a file may grow while it is read, and some report 0.
  std::string read;
  char block[65536];
  for (;;) {
    const ssize_t got = ::read(file.get(), block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Say(why, Kit_FileRead::Failed, std::string("cannot be read: ") + std::strerror(errno));
    if (got == 0) break;
    if (read.size() + size_t(got) > most)
      return Say(why, Kit_FileRead::TooLarge, "larger than " + std::to_string(most) + " bytes");
    read.append(block, size_t(got));
  }
  *bytes = std::move(read);
  return Kit_FileRead::Read;
}
