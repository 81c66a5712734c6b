#include "Kit_FileIdentity.h"

namespace {

// "12:04:31", local time.
std::string ClockTime(const timespec& when) {
  char text[16] = "";
  struct tm local {};
  const time_t seconds = when.tv_sec;
  if (localtime_r(&seconds, &local)) strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

}  // namespace

Kit_FileIdentity Kit_FileIdentityOf(const struct stat& st) {
  return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

Kit_FileIdentity Kit_FileIdentityAt(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? Kit_FileIdentityOf(st) : Kit_FileIdentity{};
}

std::string Kit_FileChange(const Kit_FileIdentity& before, const Kit_FileIdentity& now) {
  if (!before.exists && !now.exists) return "";
  if (!before.exists) return "a file of " + std::to_string(now.size) + " bytes was put there";
  if (!now.exists) return "it was removed";
  std::string change;
  const auto add = [&change](const std::string& part) { change += (change.empty() ? "" : ", ") + part; };
  if (before.device != now.device || before.inode != now.inode) add("replaced by another file");
  if (before.size != now.size) add(std::to_string(before.size) + " -> " + std::to_string(now.size) + " bytes");
  if (!SameTime(before.modified, now.modified)) {
    add("modified " + ClockTime(now.modified));
  } else if (!SameTime(before.statusChanged, now.statusChanged)) {
    add("changed in place " + ClockTime(now.statusChanged));
  }
  return change;
}
