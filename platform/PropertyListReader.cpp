// XML property-list reader for host state files and bundle Info.plist files.
// Reads the element set the writer produces (dict, array, string, integer,
// real, data, true, false); anything else is refused with a message, never
// half-read.

#include "Base64.h"
#include "CFObjects.h"
#include "XmlText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kMaxNesting = 64;

struct Releaser {
  void operator()(const void* object) const { CFRelease(object); }
};
using Held = std::unique_ptr<const void, Releaser>;

class Reader {
public:
  Reader(const char* text, size_t size) : begin_(text), p_(text), end_(text + size) {}
  Held ReadDocument();
  std::string error;

private:
  struct Tag {
    std::string name;
    bool closing = false;
    bool empty = false;  // <name/>
  };

  bool Fail(const std::string& message) {
    if (error.empty()) error = message + " at byte " + std::to_string(offset());
    return false;
  }
  Held Refuse(const std::string& message) {
    Fail(message);
    return nullptr;
  }
  size_t offset() const { return size_t(p_ - begin_); }
  void Advance(size_t n) { p_ += n; }
  bool StartsWith(const char* s) const {
    size_t n = std::strlen(s);
    return size_t(end_ - p_) >= n && std::memcmp(p_, s, n) == 0;
  }
  void SkipSpace() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) Advance(1);
  }
  bool SkipPast(const char* terminator) {
    const char* found = static_cast<const char*>(memmem(p_, size_t(end_ - p_), terminator, std::strlen(terminator)));
    if (!found) return Fail(std::string("missing ") + terminator);
    Advance(size_t(found - p_) + std::strlen(terminator));
    return true;
  }
  bool SkipMisc();  // space, comments, processing instructions, DOCTYPE
  bool ReadTag(Tag& tag);
  bool ReadText(std::string& text);  // up to the next '<', entities decoded
  bool ExpectClose(const std::string& name);
  Held ReadValue(const Tag& open, int depth);
  bool ReadScalarText(const Tag& open, std::string& text);
  Held ReadDict(int depth);
  Held ReadArray(int depth);

  const char* begin_;
  const char* p_;
  const char* end_;
};

bool Reader::SkipMisc() {
  for (;;) {
    SkipSpace();
    if (StartsWith("<!--")) {
      if (!SkipPast("-->")) return false;
    } else if (StartsWith("<?")) {
      if (!SkipPast("?>")) return false;
    } else if (StartsWith("<!DOCTYPE")) {
      if (!SkipPast(">")) return false;
    } else {
      return true;
    }
  }
}

bool Reader::ReadTag(Tag& tag) {
  if (!SkipMisc()) return false;
  if (p_ >= end_ || *p_ != '<') return Fail("expected an element");
  Advance(1);
  tag = Tag();
  if (p_ < end_ && *p_ == '/') {
    tag.closing = true;
    Advance(1);
  }
  while (p_ < end_ && (std::isalnum(static_cast<unsigned char>(*p_)))) {
    tag.name += *p_;
    Advance(1);
  }
  if (tag.name.empty()) return Fail("element without a name");
  // Attributes are skipped (only <plist version="1.0"> carries one).
  while (p_ < end_ && *p_ != '>') {
    if (*p_ == '/' && p_ + 1 < end_ && p_[1] == '>') {
      tag.empty = true;
      Advance(1);
      break;
    }
    if (*p_ == '<') return Fail("'<' inside a tag");
    Advance(1);
  }
  if (p_ >= end_) return Fail("unterminated tag");
  Advance(1);
  if (tag.closing && tag.empty) return Fail("malformed closing tag");
  return true;
}

bool Reader::ReadText(std::string& text) {
  text.clear();
  while (p_ < end_ && *p_ != '<') {
    if (*p_ != '&') {
      const size_t length = XmlCharacterLength(p_, end_);
      if (length == 0) return Fail("text that is not UTF-8 or holds a character XML cannot carry");
      text.append(p_, length);
      Advance(length);
      continue;
    }
    const char* semi = static_cast<const char*>(std::memchr(p_, ';', size_t(std::min<ptrdiff_t>(end_ - p_, 12))));
    if (!semi) return Fail("unterminated entity");
    std::string entity(p_ + 1, semi);
    if (entity == "amp")
      text += '&';
    else if (entity == "lt")
      text += '<';
    else if (entity == "gt")
      text += '>';
    else if (entity == "quot")
      text += '"';
    else if (entity == "apos")
      text += '\'';
    else if (entity.size() > 1 && entity[0] == '#') {
      bool hex = entity[1] == 'x' || entity[1] == 'X';
      const char* digits = entity.c_str() + (hex ? 2 : 1);
      char* stop = nullptr;
      errno = 0;
      unsigned long code = std::strtoul(digits, &stop, hex ? 16 : 10);
      if (!*digits || *stop || errno || code > 0x10FFFF || !IsXmlCharacter(char32_t(code)))
        return Fail("bad character reference");
      if (code < 0x80) {
        text += char(code);
      } else if (code < 0x800) {
        text += char(0xC0 | (code >> 6));
        text += char(0x80 | (code & 0x3F));
      } else if (code < 0x10000) {
        text += char(0xE0 | (code >> 12));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
      } else {
        text += char(0xF0 | (code >> 18));
        text += char(0x80 | ((code >> 12) & 0x3F));
        text += char(0x80 | ((code >> 6) & 0x3F));
        text += char(0x80 | (code & 0x3F));
      }
    } else {
      return Fail("unknown entity &" + entity + ";");
    }
    Advance(size_t(semi - p_) + 1);
  }
  return true;
}

bool Reader::ExpectClose(const std::string& name) {
  Tag tag;
  if (!ReadTag(tag)) return false;
  if (!tag.closing || tag.name != name) return Fail("expected </" + name + ">");
  return true;
}

bool Reader::ReadScalarText(const Tag& open, std::string& text) {
  text.clear();
  if (open.empty) return true;
  return ReadText(text) && ExpectClose(open.name);
}

Held Reader::ReadDict(int depth) {
  Held dictHolder(CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks));
  auto dict = static_cast<CFMutableDictionaryRef>(const_cast<void*>(dictHolder.get()));
  for (;;) {
    Tag tag;
    if (!ReadTag(tag)) return nullptr;
    if (tag.closing) {
      if (tag.name != "dict") return Refuse("expected </dict>");
      return dictHolder;
    }
    if (tag.name != "key") return Refuse("expected <key>");
    std::string name;
    if (!ReadScalarText(tag, name)) return nullptr;
    Held key(new CFStringObject(name));
    if (dict->Find(key.get()) >= 0) return Refuse("duplicate key '" + name + "'");
    Tag valueTag;
    if (!ReadTag(valueTag)) return nullptr;
    if (valueTag.closing) return Refuse("key '" + name + "' has no value");
    Held value = ReadValue(valueTag, depth + 1);
    if (!value) return nullptr;
    CFDictionarySetValue(dict, key.get(), value.get());
  }
}

Held Reader::ReadArray(int depth) {
  Held arrayHolder(CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks));
  auto array = static_cast<CFMutableArrayRef>(const_cast<void*>(arrayHolder.get()));
  for (;;) {
    Tag tag;
    if (!ReadTag(tag)) return nullptr;
    if (tag.closing) {
      if (tag.name != "array") return Refuse("expected </array>");
      return arrayHolder;
    }
    Held value = ReadValue(tag, depth + 1);
    if (!value) return nullptr;
    CFArrayAppendValue(array, value.get());
  }
}

Held Reader::ReadValue(const Tag& open, int depth) {
  if (depth > kMaxNesting) return Refuse("property list nested deeper than 64");
  const std::string& n = open.name;
  if (n == "dict") {
    if (open.empty)
      return Held(CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                            &kCFTypeDictionaryValueCallBacks));
    return ReadDict(depth);
  }
  if (n == "array") {
    if (open.empty) return Held(CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks));
    return ReadArray(depth);
  }
  if (n == "true" || n == "false") {
    if (!open.empty && !ExpectClose(n)) return nullptr;
    return Held(n == "true" ? kCFBooleanTrue : kCFBooleanFalse);
  }
  std::string text;
  if (n == "string") {
    if (!ReadScalarText(open, text)) return nullptr;
    return Held(new CFStringObject(text));
  }
  if (n == "integer") {
    if (!ReadScalarText(open, text)) return nullptr;
    char* stop = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &stop, 10);
    if (text.empty() || *stop || errno || std::isspace(static_cast<unsigned char>(text[0])))
      return Refuse("bad integer '" + text.substr(0, 32) + "'");
    SInt64 wide = v;
    if (wide >= INT32_MIN && wide <= INT32_MAX) {
      SInt32 narrow = SInt32(wide);
      return Held(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &narrow));
    }
    return Held(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &wide));
  }
  if (n == "real") {
    if (!ReadScalarText(open, text)) return nullptr;
    char* stop = nullptr;
    double v = std::strtod(text.c_str(), &stop);
    if (text.empty() || *stop || std::isspace(static_cast<unsigned char>(text[0])))
      return Refuse("bad real '" + text.substr(0, 32) + "'");
    return Held(CFNumberCreate(kCFAllocatorDefault, kCFNumberFloat64Type, &v));
  }
  if (n == "data") {
    if (!ReadScalarText(open, text)) return nullptr;
    std::vector<uint8_t> bytes;
    if (!Base64Decode(text, bytes)) return Refuse("bad base64 data");
    return Held(new CFDataObject(std::move(bytes)));
  }
  return Refuse("unsupported element <" + n + ">");
}

Held Reader::ReadDocument() {
  Tag root;
  if (!ReadTag(root)) return nullptr;
  if (root.closing || root.name != "plist") return Refuse("expected <plist>");
  if (root.empty) return Refuse("empty <plist>");
  Tag tag;
  if (!ReadTag(tag)) return nullptr;
  if (tag.closing) return Refuse("empty <plist>");
  Held value = ReadValue(tag, 0);
  if (!value || !ExpectClose("plist")) return nullptr;
  if (!SkipMisc()) return nullptr;
  if (p_ != end_) return Refuse("text after </plist>");
  return value;
}

}  // namespace

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags,
                                               CFPropertyListFormat* format, CFErrorRef* error) {
  if (error) *error = nullptr;
  if (!data) {
    if (error) *error = CFErrorCreateWithText("no data");
    return nullptr;
  }
  Reader reader(reinterpret_cast<const char*>(data->bytes.data()), data->bytes.size());
  Held list = reader.ReadDocument();
  if (!list) {
    if (error) *error = CFErrorCreateWithText(reader.error.c_str());
    return nullptr;
  }
  if (format) *format = kCFPropertyListXMLFormat_v1_0;
  return list.release();
}
