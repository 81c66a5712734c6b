#include "messaging/LibrarianDumpForm.h"

#include "messaging/DumpNames.h"

namespace {
// Bytes before the name in the named form, and the named form's size.
std::vector<uint8_t> Named(const uint8_t* bytes, size_t size, size_t body, const std::string& name) {
  std::vector<uint8_t> named(body + kDumpNameSize + 1, 0);
  // The end byte of a message cut short stays behind as a zero.
  const size_t kept = size - 1 < body ? size - 1 : body;
  std::copy(bytes, bytes + kept, named.begin());
  WriteDumpName(name, &named[body]);
  named.back() = 0xF7;
  return named;
}
}  // namespace

std::vector<uint8_t> LibrarianProgramForm(const uint8_t* bytes, size_t size, const std::string& name) {
  if (!bytes) return {};
  if (size == 149) return std::vector<uint8_t>(bytes, bytes + size);
  if (size == 139) return Named(bytes, size, 138, name);
  return {};
}

std::vector<uint8_t> LibrarianPerformanceForm(const uint8_t* bytes, size_t size, const std::string& name) {
  if (!bytes) return {};
  if (size == 725 || size == 765) return std::vector<uint8_t>(bytes, bytes + size);
  if (size >= 711 && size <= 715) return Named(bytes, size, 714, name);
  return {};
}
