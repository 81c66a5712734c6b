#pragma once
// A zero-terminated text kept in a Kit_HeapBuf of granularity 128.
//
// Not thread-safe: owners lock around it.

#include "Kit_HeapBuf.h"

class Kit_String {
public:
  explicit Kit_String(const char* text = nullptr);
  Kit_String(const Kit_String& other) = default;
  Kit_String& operator=(const Kit_String& other) = default;

  // The text; an empty text when nothing was set. Never null.
  const char* Get() const;
  int GetLength() const;

  // Copies at most maxLength characters of text (all when maxLength <= 0),
  // stopping at a zero byte, and terminates the copy. Returns false when the
  // buffer could not grow; the old text is then kept.
  bool Set(const char* text, int maxLength = 0);
  // Appends at most maxLength characters of text (all when maxLength <= 0).
  bool Append(const char* text, int maxLength = 0);
  // Formats like printf; a result longer than maxLength characters is cut there.
  bool SetFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
  Kit_HeapBuf buf_;
};
