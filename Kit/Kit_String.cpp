#include "Kit_String.h"

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kStringGranularity = 128;

// Length of text up to its first zero byte, reading at most maxLength bytes
// (all when maxLength <= 0).
int BoundedLength(const char* text, int maxLength) {
  if (!text) return 0;
  if (maxLength <= 0) return int(std::min<size_t>(std::strlen(text), INT32_MAX - 1));
  const void* zero = std::memchr(text, 0, size_t(maxLength));
  return zero ? int(static_cast<const char*>(zero) - text) : maxLength;
}

}  // namespace

Kit_String::Kit_String(const char* text) : buf_(kStringGranularity) {
  if (text) Set(text);
}

const char* Kit_String::Get() const {
  const char* text = static_cast<const char*>(buf_.Get());
  return (text && buf_.GetSize() > 0) ? text : "";
}

int Kit_String::GetLength() const { return int(std::strlen(Get())); }

bool Kit_String::Set(const char* text, int maxLength) {
  const int length = BoundedLength(text, maxLength);
  // An empty text on an empty buffer needs no storage: Get() already reads "".
  if (length == 0 && buf_.GetSize() < 2) return true;
  char* own = static_cast<char*>(buf_.Get());
  if (own && text >= own && text < own + buf_.GetSize()) {
    // A part of this very text: move it down before the block may shrink.
    std::memmove(own, text, size_t(length));
    own[length] = 0;
    buf_.Resize(length + 1);
    return true;
  }
  char* dest = static_cast<char*>(buf_.Resize(length + 1));
  if (!dest) return false;
  std::memcpy(dest, text, size_t(length));
  dest[length] = 0;
  return true;
}

bool Kit_String::Append(const char* text, int maxLength) {
  const int length = BoundedLength(text, maxLength);
  if (length == 0) return true;
  const int oldLength = GetLength();
  if (int64_t(oldLength) + length + 1 > INT32_MAX) return false;
  // text may point into this string: remember its offset across the move.
  const char* base = static_cast<const char*>(buf_.Get());
  const bool inside = base && text >= base && text < base + buf_.GetSize();
  const std::ptrdiff_t offset = inside ? text - base : 0;
  char* dest = static_cast<char*>(buf_.Resize(oldLength + length + 1, false));
  if (!dest) return false;
  if (inside) text = dest + offset;
  std::memmove(dest + oldLength, text, size_t(length));
  dest[oldLength + length] = 0;
  return true;
}

bool Kit_String::SetFormatted(int maxLength, const char* format, ...) {
  if (maxLength < 0 || maxLength >= INT32_MAX) return false;
  char* dest = static_cast<char*>(buf_.Resize(maxLength + 1, false));
  if (!dest) return false;
  va_list args;
  va_start(args, format);
  const int full = std::vsnprintf(dest, size_t(maxLength) + 1, format, args);
  va_end(args);
  if (full < 0) {
    dest[0] = 0;
    buf_.Resize(1, false);
    return false;
  }
  buf_.Resize(std::min(full, maxLength) + 1, false);
  return true;
}
