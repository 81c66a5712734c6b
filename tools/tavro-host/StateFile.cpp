#include "StateFile.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "Kit_AtomicFile.h"

bool WriteStateFile(const std::string& path, CFPropertyListRef state, std::string& error) {
  CFErrorRef cfError = nullptr;
  CFDataRef xml = CFPropertyListCreateData(kCFAllocatorDefault, state, kCFPropertyListXMLFormat_v1_0, 0, &cfError);
  if (!xml) {
    CFStringRef text = CFErrorCopyDescription(cfError);
    error = text ? CFStringGetCStringPtr(text, kCFStringEncodingUTF8) : "cannot write the state as XML";
    CFRelease(text);
    CFRelease(cfError);
    return false;
  }
  std::string reason;
  const bool written = Kit_WriteFileAtomically(path, CFDataGetBytePtr(xml), size_t(CFDataGetLength(xml)), &reason);
  CFRelease(xml);
  if (!written) error = "cannot write " + path + ": " + reason;
  return written;
}

CFDictionaryRef ReadStateFile(const std::string& path, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path;
    return nullptr;
  }
  std::vector<UInt8> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes.data(), CFIndex(bytes.size()));
  CFErrorRef cfError = nullptr;
  CFPropertyListRef list = CFPropertyListCreateWithData(kCFAllocatorDefault, data, 0, nullptr, &cfError);
  CFRelease(data);
  if (!list) {
    CFStringRef text = CFErrorCopyDescription(cfError);
    error = path + ": " + (text ? CFStringGetCStringPtr(text, kCFStringEncodingUTF8) : "not a property list");
    CFRelease(text);
    CFRelease(cfError);
    return nullptr;
  }
  if (CFGetTypeID(list) != CFDictionaryGetTypeID()) {
    CFRelease(list);
    error = path + ": not a dictionary";
    return nullptr;
  }
  return static_cast<CFDictionaryRef>(list);
}
