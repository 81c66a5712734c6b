#include "CFObjects.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

bool CFStringObject::Equals(const CFObject& other) const {
  return text == static_cast<const CFStringObject&>(other).text;
}

CFHashCode CFStringObject::Hash() const { return CFHashCode(std::hash<std::string>()(text)); }

CFTypeID CFStringGetTypeID() { return kCFKindString; }

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* text, CFStringEncoding) {
  if (!text) return nullptr;
  return new CFStringObject(text);
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef text) {
  if (!text) return nullptr;
  return new CFStringObject(text->text);
}

CFIndex CFStringGetLength(CFStringRef text) {
  if (!text) return 0;
  CFIndex units = 0;
  for (unsigned char c : text->text) {
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    units += (c >= 0xF0) ? 2 : 1;      // four-byte sequences need a surrogate pair
  }
  return units;
}

Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding) {
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  if (!text || CFIndex(text->text.size()) >= bufferSize) return false;
  std::memcpy(buffer, text->text.c_str(), text->text.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef text, CFStringEncoding) { return text ? text->text.c_str() : nullptr; }

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding) { return length * 3; }

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags) {
  int c = (a ? a->text : std::string()).compare(b ? b->text : std::string());
  return c < 0 ? kCFCompareLessThan : c > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo;
}

CFStringRef CFStringMakeConstantString(const char* text) {
  static std::mutex lock;
  static std::map<std::string, std::unique_ptr<CFStringObject>> constants;
  std::lock_guard<std::mutex> guard(lock);
  auto& slot = constants[text ? text : ""];
  if (!slot) {
    slot = std::make_unique<CFStringObject>(text ? text : "");
    slot->immortal = true;
  }
  return slot.get();
}

namespace {

// Appends one printf conversion (`directive` holds it from '%' to the conversion
// character) taking its argument from `args`.
void AppendConversion(std::string& out, const std::string& directive, va_list& args) {
  char conversion = directive.back();
  bool isLong = directive.find('l') != std::string::npos || directive.find('z') != std::string::npos;
  char buffer[512];
  int n = 0;
  switch (conversion) {
    case 'd':
    case 'i':
    case 'c':
      n = isLong ? std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, long long))
                 : std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, int));
      break;
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      n = isLong ? std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, unsigned long long))
                 : std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, unsigned));
      break;
    case 'f':
    case 'e':
    case 'g':
    case 'F':
    case 'E':
    case 'G': n = std::snprintf(buffer, sizeof buffer, directive.c_str(), va_arg(args, double)); break;
    case 'p': n = std::snprintf(buffer, sizeof buffer, "%p", va_arg(args, void*)); break;
    case 's': {
      const char* s = va_arg(args, const char*);
      out += s ? s : "(null)";
      return;
    }
    case '@': out += CFDescribe(va_arg(args, CFTypeRef)); return;
    default:
      out += directive;  // not a conversion we know: keep the text as it stands
      return;
  }
  if (n > 0) out.append(buffer, size_t(std::min<int>(n, int(sizeof buffer) - 1)));
}

// Rewrites the l/ll/z modifiers as ll so that a 64-bit argument is read whole.
std::string NormaliseLength(const std::string& directive) {
  std::string flags;
  for (char c : directive.substr(0, directive.size() - 1))
    if (c != 'l' && c != 'z' && c != 'h') flags += c;
  bool isLong = directive.find_first_of("lz") != std::string::npos;
  char conversion = directive.back();
  bool integer = std::strchr("diuxXoc", conversion) != nullptr && conversion != 'c';
  return flags + (isLong && integer ? "ll" : "") + conversion;
}

}  // namespace

CFStringRef CFStringCreateWithFormat(CFAllocatorRef, CFDictionaryRef, CFStringRef format, ...) {
  if (!format) return nullptr;
  const std::string& f = format->text;
  std::string out;
  va_list args;
  va_start(args, format);
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') {
      out += f[i];
      continue;
    }
    if (i + 1 < f.size() && f[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (end < f.size() && std::strchr("-+ #0123456789.*lhz", f[end])) ++end;
    if (end >= f.size()) {
      out += f.substr(i);
      break;
    }
    std::string directive = f.substr(i, end - i + 1);
    if (directive.find('*') != std::string::npos) {
      out += directive;  // a '*' width would take an argument the callers never pass
    } else {
      AppendConversion(out, directive.back() == '@' ? directive : NormaliseLength(directive), args);
    }
    i = end;
  }
  va_end(args);
  return new CFStringObject(out);
}
