#pragma once
// What tells a file from another, and from itself as it was, so that a writer that read
// a file first can find whether anyone changed it since.
//
// threads: any

#include <sys/stat.h>
#include <sys/types.h>
#include <ctime>
#include <string>

// Device, inode, size, modification time and status-change time (which no program can
// set back, so a rewrite that restores the modification time still shows). `exists`
// false: nothing stood at the name.
struct Kit_FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec statusChanged{};
};
Kit_FileIdentity Kit_FileIdentityOf(const struct stat& st);
// What stands at `path` now, links followed.
Kit_FileIdentity Kit_FileIdentityAt(const std::string& path);
// What changed from `before` to `now`, as a person reads it ("replaced by another
// file, 14751 -> 72952 bytes, modified 12:04:31"); "" when nothing did.
std::string Kit_FileChange(const Kit_FileIdentity& before, const Kit_FileIdentity& now);
