#pragma once
// A test's clean-up of a folder it made.
// threads: any

#include <filesystem>
#include <string>
#include <system_error>

// Removes `path` with everything in it; nothing when it is not there. Never throws,
// so destructors may call it.
inline void RemoveTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}
