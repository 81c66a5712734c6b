#include "StateFile.h"

#include "Kit_AtomicFile.h"
#include "Kit_RegularFile.h"

namespace {

// Far above any saved state: the panel's values and a few banks.
constexpr size_t kMostStateFileBytes = 64u << 20;

}  // namespace

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
  // Only a regular file, opened without blocking and read up to a bound: a FIFO or
  // a link to an endless device given as the state is refused, not waited on.
  std::string bytes, why;
  if (Kit_ReadRegularFile(path, kMostStateFileBytes, &bytes, &why) != Kit_FileRead::Read) {
    error = "cannot read " + path + ": " + why;
    return nullptr;
  }
  CFDataRef data =
      CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
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
