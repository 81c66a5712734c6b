#pragma once
// Writes a whole file so that a reader, or the disk after a power cut, sees either
// the old file or the new one and never a part: the bytes go to a temporary in the
// target's folder, are flushed, and the temporary is renamed over the target.
// Only a regular file (or nothing) is replaced: a FIFO, a device or a folder at the
// name is refused and left as it is.
//
// The temporary is named ".<name>.tmp-XXXXXX": hidden, and never ending in an
// extension a folder scan picks up. It stays locked (flock) until it is renamed or
// removed, so a leftover of a killed writer can be told from one being written.
// A target that is a symbolic link is followed, so the file it points to is
// replaced and the link stays a link. A replaced file keeps its permission bits.
//
// A writer that read the file first passes what it read (its identity): a file changed
// since, by another program or another instance, is then not written over.
//
// threads: any. Two writers of one path race as rename does: the last one wins.

#include <sys/types.h>
#include <cstddef>
#include <string>

#include "Kit_FileIdentity.h"

// Returns true once the new contents are in place and flushed. On failure returns
// false with the reason in *error (when not null), removes the temporary and leaves
// the target as it was; only a failed flush of the folder comes after the rename, and
// is reported even though the new contents are already visible.
bool Kit_WriteFileAtomically(const std::string& path, const void* bytes, size_t size, std::string* error);
// The same, only while what stands at the name is still what `expected` describes
// (nothing, when it says so): checked just before the new file takes the name. A file
// changed since is left as it is, and *error says "changed since it was read" and what
// changed. A replaced file keeps its owner too, where the writer may give it.
bool Kit_WriteFileAtomically(const std::string& path, const void* bytes, size_t size, std::string* error,
                             const Kit_FileIdentity& expected);

// The target name a temporary of this routine was made for ("Bank.nl2" for
// ".Bank.nl2.tmp-a1B2c3"); "" for any other name.
std::string Kit_AtomicTemporaryTarget(const std::string& name);
// Removes the temporary at `path` when no writer holds it any more (one a killed
// writer left behind); a temporary being written stays. True when removed.
bool Kit_RemoveAbandonedTemporary(const std::string& path);

// The system calls the routine makes. Tests install a table that fails one step.
struct Kit_AtomicFileCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* bytes, size_t size);
  int (*fchmod)(int fd, mode_t mode);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};

// The calls in force: the system's unless a test installed others.
const Kit_AtomicFileCalls& Kit_AtomicFileSystem();
// Installs `calls` (not owned); nullptr restores the system's.
// threads: any (install or remove only while no file is written).
void Kit_SetAtomicFileCalls(const Kit_AtomicFileCalls* calls);
