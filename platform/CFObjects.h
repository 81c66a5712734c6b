#pragma once
// The objects behind the CoreFoundation stand-in's references. Private to the
// platform library.

#include "CoreFoundation.h"

#include <atomic>
#include <string>
#include <vector>

enum : CFTypeID {
  kCFKindString = 7,
  kCFKindDictionary = 18,
  kCFKindArray = 19,
  kCFKindData = 20,
  kCFKindBoolean = 21,
  kCFKindNumber = 22,
  kCFKindURL = 29,
  kCFKindBundle = 31,
  kCFKindError = 36,
};

struct CFObject {
  explicit CFObject(CFTypeID kind) : typeID(kind) {}
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;
  virtual ~CFObject() = default;
  virtual bool Equals(const CFObject& other) const { return this == &other; }
  virtual CFHashCode Hash() const { return CFHashCode(reinterpret_cast<uintptr_t>(this)); }
  virtual std::string Describe() const = 0;

  const CFTypeID typeID;
  std::atomic<CFIndex> retainCount{1};
  bool immortal = false;  // constants: retain and release do nothing
};

struct CFStringObject : CFObject {
  explicit CFStringObject(std::string t) : CFObject(kCFKindString), text(std::move(t)) {}
  bool Equals(const CFObject& other) const override;
  CFHashCode Hash() const override;
  std::string Describe() const override { return text; }
  std::string text;  // UTF-8
};

struct CFNumberObject : CFObject {
  CFNumberObject(CFNumberType t, SInt64 i, Float64 f) : CFObject(kCFKindNumber), type(t), integer(i), real(f) {}
  bool Equals(const CFObject& other) const override;
  CFHashCode Hash() const override { return CFHashCode(integer); }
  std::string Describe() const override;
  bool IsFloat() const { return type == kCFNumberFloat64Type || type == kCFNumberDoubleType; }
  CFNumberType type;
  SInt64 integer;  // valid for integer types
  Float64 real;    // valid for float types
};

struct CFBooleanObject : CFObject {
  explicit CFBooleanObject(bool v) : CFObject(kCFKindBoolean), value(v) { immortal = true; }
  std::string Describe() const override { return value ? "true" : "false"; }
  bool value;
};

struct CFDataObject : CFObject {
  explicit CFDataObject(std::vector<UInt8> b) : CFObject(kCFKindData), bytes(std::move(b)) {}
  bool Equals(const CFObject& other) const override;
  std::string Describe() const override;
  std::vector<UInt8> bytes;
};

struct CFDictionaryObject : CFObject {
  CFDictionaryObject(const CFDictionaryKeyCallBacks* k, const CFDictionaryValueCallBacks* v);
  ~CFDictionaryObject() override;
  bool Equals(const CFObject& other) const override;
  std::string Describe() const override;
  int Find(const void* key) const;  // index or -1
  CFDictionaryKeyCallBacks keyCallBacks{};
  CFDictionaryValueCallBacks valueCallBacks{};
  std::vector<std::pair<const void*, const void*>> entries;  // insertion order
};

struct CFArrayObject : CFObject {
  explicit CFArrayObject(const CFArrayCallBacks* c);
  ~CFArrayObject() override;
  bool Equals(const CFObject& other) const override;
  std::string Describe() const override;
  CFArrayCallBacks callBacks{};
  std::vector<const void*> values;
};

struct CFURLObject : CFObject {
  explicit CFURLObject(std::string p) : CFObject(kCFKindURL), path(std::move(p)) {}
  bool Equals(const CFObject& other) const override;
  std::string Describe() const override { return "file://" + path; }
  std::string path;
};

struct CFErrorObject : CFObject {
  explicit CFErrorObject(std::string d) : CFObject(kCFKindError), description(std::move(d)) {}
  std::string Describe() const override { return description; }
  std::string description;
};

// The object behind a reference, or null when it is not of that kind.
template <typename T>
const T* CFObjectAs(CFTypeRef ref, CFTypeID kind) {
  if (!ref) return nullptr;
  const auto* object = static_cast<const CFObject*>(ref);
  return object->typeID == kind ? static_cast<const T*>(object) : nullptr;
}

std::string CFDescribe(CFTypeRef ref);  // "(null)" for null

// The retain and release callbacks of the collections that hold CF objects.
inline const void* CFTypeRetainCallBack(CFAllocatorRef, const void* value) { return CFRetain(value); }
inline void CFTypeReleaseCallBack(CFAllocatorRef, const void* value) { CFRelease(value); }
