// XML property-list writer: the format the platform writes for host state
// files, readable by any plist reader (Python's plistlib among them).

#include "Base64.h"
#include "CFObjects.h"
#include "XmlText.h"

#include <algorithm>
#include <cstdio>

namespace {

// False when the text holds a character an XML reader would refuse. A carriage
// return goes as a reference, since readers turn a literal one into a newline.
bool AppendEscaped(std::string& out, const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = XmlCharacterLength(text.data() + i, text.data() + text.size());
    if (length == 0) return false;
    switch (text[i]) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\r': out += "&#13;"; break;
      default: out.append(text, i, length);
    }
    i += length;
  }
  return true;
}

class Writer {
public:
  bool Write(CFTypeRef value, int depth);
  std::string out;
  std::string error;

private:
  void Indent(int depth) { out.append(size_t(depth), '\t'); }
  bool WriteString(CFStringRef string);
  void WriteNumber(CFNumberRef number);
  void WriteData(CFDataRef data, int depth);
  bool WriteArray(CFArrayRef array, int depth);
  bool WriteDictionary(CFDictionaryRef dictionary, int depth);
};

bool Writer::Write(CFTypeRef value, int depth) {
  if (depth > 64) {
    error = "property list nested deeper than 64";
    return false;
  }
  Indent(depth);
  switch (CFGetTypeID(value)) {
    case kCFKindString: return WriteString(static_cast<CFStringRef>(value));
    case kCFKindNumber: WriteNumber(static_cast<CFNumberRef>(value)); return true;
    case kCFKindBoolean:
      out += CFBooleanGetValue(static_cast<CFBooleanRef>(value)) ? "<true/>\n" : "<false/>\n";
      return true;
    case kCFKindData: WriteData(static_cast<CFDataRef>(value), depth); return true;
    case kCFKindArray: return WriteArray(static_cast<CFArrayRef>(value), depth);
    case kCFKindDictionary: return WriteDictionary(static_cast<CFDictionaryRef>(value), depth);
    default: error = "value of a type a property list cannot hold"; return false;
  }
}

bool Writer::WriteString(CFStringRef string) {
  out += "<string>";
  if (!AppendEscaped(out, string->text)) {
    error = "string holds bytes that are not UTF-8 text an XML property list can carry";
    return false;
  }
  out += "</string>\n";
  return true;
}

void Writer::WriteNumber(CFNumberRef number) {
  out += number->IsFloat() ? "<real>" : "<integer>";
  out += number->Describe();
  out += number->IsFloat() ? "</real>\n" : "</integer>\n";
}

void Writer::WriteData(CFDataRef data, int depth) {
  out += "<data>\n";
  const std::string encoded = Base64Encode(data->bytes.data(), data->bytes.size());
  for (size_t i = 0; i < encoded.size(); i += 68) {
    Indent(depth);
    out += encoded.substr(i, 68);
    out += '\n';
  }
  Indent(depth);
  out += "</data>\n";
}

bool Writer::WriteArray(CFArrayRef array, int depth) {
  out += "<array>\n";
  for (const void* item : array->values)
    if (!Write(item, depth + 1)) return false;
  Indent(depth);
  out += "</array>\n";
  return true;
}

// Keys in sorted order, as plist writers give them.
bool Writer::WriteDictionary(CFDictionaryRef dictionary, int depth) {
  std::vector<std::pair<std::string, const void*>> sorted;
  for (auto& [key, item] : dictionary->entries) {
    auto name = CFObjectAs<CFStringObject>(key, kCFKindString);
    if (!name) {
      error = "dictionary key is not a string";
      return false;
    }
    sorted.emplace_back(name->text, item);
  }
  std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.first < b.first; });
  out += "<dict>\n";
  for (auto& [name, item] : sorted) {
    Indent(depth + 1);
    out += "<key>";
    if (!AppendEscaped(out, name)) {
      error = "dictionary key holds bytes that are not UTF-8 text an XML property list can carry";
      return false;
    }
    out += "</key>\n";
    if (!Write(item, depth + 1)) return false;
  }
  Indent(depth);
  out += "</dict>\n";
  return true;
}

}  // namespace

CFDataRef CFPropertyListCreateData(CFAllocatorRef, CFPropertyListRef list, CFPropertyListFormat format, CFOptionFlags,
                                   CFErrorRef* error) {
  if (error) *error = nullptr;
  Writer writer;
  writer.out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
  if (format != kCFPropertyListXMLFormat_v1_0) writer.error = "only the XML format is written";
  if (!writer.error.empty() || !writer.Write(list, 0)) {
    if (error) *error = CFErrorCreateWithText(writer.error.c_str());
    return nullptr;
  }
  writer.out += "</plist>\n";
  return new CFDataObject(std::vector<UInt8>(writer.out.begin(), writer.out.end()));
}
