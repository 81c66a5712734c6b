#pragma once
// Reads a file named by a folder the user fills (the data folder, a chosen path)
// without trusting what stands at the name: it is opened without blocking, so a FIFO
// or a device never holds the caller, only a regular file is read, and no more than
// a given number of bytes, so a link to an endless file ends too.
//
// threads: any.

#include <cstddef>
#include <string>

enum class Kit_FileRead {
  Read,        // the whole file is in the bytes
  Missing,     // nothing stands at the name
  NotRegular,  // a FIFO, a device, a socket or a folder: not opened for reading
  TooLarge,    // more than the most allowed
  Failed,      // could not be opened or read (permission, I/O error)
};

// Reads the regular file at `path` (links followed) into *bytes when it holds at
// most `most` bytes. On anything but Read, *why (when not null) says what stands
// there or what failed, without the path, and *bytes is left empty.
Kit_FileRead Kit_ReadRegularFile(const std::string& path, size_t most, std::string* bytes, std::string* why);

// What stands at a name that is not a regular file ("a FIFO", "a device", ...), for
// the texts that say a file was passed over.
std::string Kit_FileKindName(unsigned int mode);
