#pragma once
// Host state files: the class-info dictionary as an XML property list.

#include <string>

#include "CoreFoundation.h"

// False with `error` set when the list cannot be written as XML or the file not
// written; the file is replaced whole or left as it was.
bool WriteStateFile(const std::string& path, CFPropertyListRef state, std::string& error);
// A new dictionary, or null with `error` set (unreadable file, malformed XML,
// not a dictionary).
CFDictionaryRef ReadStateFile(const std::string& path, std::string& error);
