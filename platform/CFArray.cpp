#include "CFObjects.h"

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, CFTypeRetainCallBack, CFTypeReleaseCallBack, CFCopyDescription,
                                                CFEqual};

CFArrayObject::CFArrayObject(const CFArrayCallBacks* c) : CFObject(kCFKindArray) {
  if (c) callBacks = *c;
}

CFArrayObject::~CFArrayObject() {
  if (callBacks.release)
    for (const void* value : values) callBacks.release(kCFAllocatorDefault, value);
}

bool CFArrayObject::Equals(const CFObject& other) const {
  const auto& o = static_cast<const CFArrayObject&>(other);
  if (o.values.size() != values.size()) return false;
  for (size_t i = 0; i < values.size(); ++i) {
    bool same = values[i] == o.values[i] || (callBacks.equal && callBacks.equal(values[i], o.values[i]));
    if (!same) return false;
  }
  return true;
}

std::string CFArrayObject::Describe() const {
  std::string out = "(";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ", ";
    if (callBacks.copyDescription) {
      CFStringRef d = callBacks.copyDescription(values[i]);
      out += CFDescribe(d);
      CFRelease(d);
    } else {
      out += "<value>";
    }
  }
  return out + ")";
}

CFTypeID CFArrayGetTypeID() { return kCFKindArray; }

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex, const CFArrayCallBacks* callBacks) {
  return new CFArrayObject(callBacks);
}

CFIndex CFArrayGetCount(CFArrayRef array) { return array ? CFIndex(array->values.size()) : 0; }

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
  if (!array || index < 0 || size_t(index) >= array->values.size()) return nullptr;
  return array->values[size_t(index)];
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
  if (!array) return;
  if (array->callBacks.retain) value = array->callBacks.retain(kCFAllocatorDefault, value);
  array->values.push_back(value);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index) {
  if (!array || index < 0 || size_t(index) >= array->values.size()) return;
  const void* value = array->values[size_t(index)];
  array->values.erase(array->values.begin() + index);
  if (array->callBacks.release) array->callBacks.release(kCFAllocatorDefault, value);
}
