#pragma once
// Paths as the platform stand-ins compare them.
//
// threads: any

#include <string>

// The path without its trailing "/"s; "/" itself stays.
inline std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}
