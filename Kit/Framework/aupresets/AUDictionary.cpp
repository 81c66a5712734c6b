#include "Framework/aupresets/AUDictionary.h"
#include "Kit_Utf8.h"

#include <climits>
#include <cstring>

namespace {

// A new key string; the dictionary retains its own reference.
CFStringRef Key(const char* key) { return CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8); }

void Put(CFMutableDictionaryRef dict, const char* key, CFTypeRef value) {
  CFStringRef k = Key(key);
  CFDictionarySetValue(dict, k, value);
  CFRelease(k);
  CFRelease(value);
}

CFTypeRef Find(CFDictionaryRef dict, const char* key, CFTypeID type) {
  if (!dict || CFGetTypeID(dict) != CFDictionaryGetTypeID()) return nullptr;
  CFStringRef k = Key(key);
  CFTypeRef value = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return (value && CFGetTypeID(value) == type) ? value : nullptr;
}

}  // namespace

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value) {
  Put(dict, key, CFStringCreateWithCString(kCFAllocatorDefault, value ? value : "", kCFStringEncodingUTF8));
}

void PutSInt32InDict(CFMutableDictionaryRef dict, const char* key, SInt32 value) {
  Put(dict, key, CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value));
}

void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const ByteChunk& chunk) {
  Put(dict, key, CFDataCreate(kCFAllocatorDefault, chunk.GetBytes(), CFIndex(chunk.Size())));
}

bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* value, size_t bufferSize) {
  if (!value || bufferSize == 0) return false;
  value[0] = 0;
  auto text = static_cast<CFStringRef>(Find(dict, key, CFStringGetTypeID()));
  if (!text) return false;
  const char* utf8 = CFStringGetCStringPtr(text, kCFStringEncodingUTF8);
  Kit_CopyCut(value, bufferSize, utf8);
  return true;
}

bool GetSInt32FromDict(CFDictionaryRef dict, const char* key, SInt32* value) {
  auto number = static_cast<CFNumberRef>(Find(dict, key, CFNumberGetTypeID()));
  SInt32 v = 0;
  if (!number || !CFNumberGetValue(number, kCFNumberSInt32Type, &v)) return false;
  if (value) *value = v;
  return true;
}

bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* chunk) {
  auto data = static_cast<CFDataRef>(Find(dict, key, CFDataGetTypeID()));
  if (!data || !chunk) return false;
  const CFIndex length = CFDataGetLength(data);
  if (length < 0 || length > CFIndex(INT_MAX)) return false;
  if (chunk->Resize(int(length)) != int(length)) return false;
  if (length > 0) std::memcpy(chunk->GetBytes(), CFDataGetBytePtr(data), size_t(length));
  return true;
}
