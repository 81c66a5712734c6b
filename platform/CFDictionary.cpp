#include "CFObjects.h"

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, CFTypeRetainCallBack, CFTypeReleaseCallBack, CFCopyDescription, CFEqual, CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, CFTypeRetainCallBack, CFTypeReleaseCallBack,
                                                                    CFCopyDescription, CFEqual};

CFDictionaryObject::CFDictionaryObject(const CFDictionaryKeyCallBacks* k, const CFDictionaryValueCallBacks* v)
    : CFObject(kCFKindDictionary) {
  if (k) keyCallBacks = *k;
  if (v) valueCallBacks = *v;
}

CFDictionaryObject::~CFDictionaryObject() {
  for (auto& [key, value] : entries) {
    if (valueCallBacks.release) valueCallBacks.release(kCFAllocatorDefault, value);
    if (keyCallBacks.release) keyCallBacks.release(kCFAllocatorDefault, key);
  }
}

int CFDictionaryObject::Find(const void* key) const {
  for (size_t i = 0; i < entries.size(); ++i) {
    const void* k = entries[i].first;
    if (k == key || (keyCallBacks.equal && keyCallBacks.equal(k, key))) return int(i);
  }
  return -1;
}

bool CFDictionaryObject::Equals(const CFObject& other) const {
  const auto& o = static_cast<const CFDictionaryObject&>(other);
  if (o.entries.size() != entries.size()) return false;
  for (auto& [key, value] : entries) {
    int j = o.Find(key);
    if (j < 0) return false;
    const void* theirs = o.entries[size_t(j)].second;
    bool same = value == theirs || (valueCallBacks.equal && valueCallBacks.equal(value, theirs));
    if (!same) return false;
  }
  return true;
}

std::string CFDictionaryObject::Describe() const {
  std::string out = "{";
  for (auto& [key, value] : entries) {
    out += (out.size() > 1 ? ", " : "") + CFDescribe(key) + " = ";
    out += valueCallBacks.copyDescription ? CFDescribe(value) : "<value>";
  }
  return out + "}";
}

CFTypeID CFDictionaryGetTypeID() { return kCFKindDictionary; }

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  return new CFDictionaryObject(keyCallBacks, valueCallBacks);
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary) {
  return dictionary ? CFIndex(dictionary->entries.size()) : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key) {
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(dictionary, key, &value);
  return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key, const void** value) {
  if (!dictionary) return false;
  int i = dictionary->Find(key);
  if (i < 0) return false;
  if (value) *value = dictionary->entries[size_t(i)].second;
  return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values) {
  if (!dictionary) return;
  for (size_t i = 0; i < dictionary->entries.size(); ++i) {
    if (keys) keys[i] = dictionary->entries[i].first;
    if (values) values[i] = dictionary->entries[i].second;
  }
}

void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value) {
  if (!dictionary) return;
  auto& vcb = dictionary->valueCallBacks;
  if (vcb.retain) value = vcb.retain(kCFAllocatorDefault, value);
  int i = dictionary->Find(key);
  if (i >= 0) {
    const void* old = dictionary->entries[size_t(i)].second;
    dictionary->entries[size_t(i)].second = value;
    if (vcb.release) vcb.release(kCFAllocatorDefault, old);
    return;
  }
  auto& kcb = dictionary->keyCallBacks;
  if (kcb.retain) key = kcb.retain(kCFAllocatorDefault, key);
  dictionary->entries.emplace_back(key, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key) {
  if (!dictionary) return;
  int i = dictionary->Find(key);
  if (i < 0) return;
  auto [k, v] = dictionary->entries[size_t(i)];
  dictionary->entries.erase(dictionary->entries.begin() + i);
  if (dictionary->valueCallBacks.release) dictionary->valueCallBacks.release(kCFAllocatorDefault, v);
  if (dictionary->keyCallBacks.release) dictionary->keyCallBacks.release(kCFAllocatorDefault, k);
}
