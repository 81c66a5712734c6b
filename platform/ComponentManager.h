#pragma once
// Stand-in for the Component Manager: component records, open instances with
// their storage word, and the parameter block through which every call reaches a
// component's entry.
//
// A call's arguments travel as pointer-sized words, stored last argument first,
// the way a component entry expects them. The instance record is plain data, so
// the host and the plug-in library may each carry a copy of these functions.

#include "MacTypes.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

using ComponentResult = SInt32;

struct ComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};

enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
};

constexpr ComponentResult badComponentInstance = ComponentResult(0x80008001u);
constexpr ComponentResult badComponentSelector = ComponentResult(0x80008002u);

constexpr int kComponentMaxArguments = 8;

struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize;                           // bytes of argument words in use
  SInt16 what;                               // the selector
  uintptr_t params[kComponentMaxArguments];  // last argument first
};

// The entry receives the call and the instance's storage word.
using ComponentEntryProc = ComponentResult (*)(ComponentParameters* params, void* storage);

struct ComponentRecord {
  ComponentDescription description;
  ComponentEntryProc entry;
};
using Component = const ComponentRecord*;

struct ComponentInstanceRecord {
  Component component;
  void* storage;
};
using ComponentInstance = ComponentInstanceRecord*;

// Opens an instance: calls the entry's open selector with the new instance as
// its argument. On failure *out is null and the entry's code is returned.
OSStatus OpenAComponent(Component component, ComponentInstance* out);
// Calls the close selector and frees the record. Null: badComponentInstance.
OSStatus CloseComponent(ComponentInstance instance);

void SetComponentInstanceStorage(ComponentInstance instance, void* storage);
void* GetComponentInstanceStorage(ComponentInstance instance);
// The description of the instance's component; invalidComponentID for null.
OSStatus GetComponentInfo(ComponentInstance instance, ComponentDescription* out);

// --- argument words -------------------------------------------------------

template <typename T>
uintptr_t ToArgumentWord(T value) {
  static_assert(sizeof(T) <= sizeof(uintptr_t), "one word per argument");
  if constexpr (std::is_floating_point_v<T>) {
    static_assert(sizeof(T) == sizeof(UInt32), "only Float32 travels in a word");
    UInt32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<uintptr_t>(value);
  } else if constexpr (std::is_null_pointer_v<T>) {
    return 0;
  } else {
    return static_cast<uintptr_t>(static_cast<intptr_t>(value));
  }
}

template <typename T>
T FromArgumentWord(uintptr_t word) {
  if constexpr (std::is_floating_point_v<T>) {
    UInt32 bits = static_cast<UInt32>(word);
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(word);
  } else {
    return static_cast<T>(word);
  }
}

inline int ComponentArgumentCount(const ComponentParameters& p) { return p.paramSize / int(sizeof(uintptr_t)); }

// Argument `index` (0 = first) as T; zero when the caller passed fewer words.
template <typename T>
T ComponentArgument(const ComponentParameters& p, int index) {
  int count = ComponentArgumentCount(p);
  if (index < 0 || index >= count || count > kComponentMaxArguments) return FromArgumentWord<T>(0);
  return FromArgumentWord<T>(p.params[count - 1 - index]);
}

// Builds the parameter block for `what` with `args` and calls the instance's entry.
template <typename... Args>
ComponentResult CallComponent(ComponentInstance instance, SInt16 what, Args... args) {
  static_assert(sizeof...(Args) <= kComponentMaxArguments, "too many arguments");
  if (!instance || !instance->component || !instance->component->entry) return badComponentInstance;
  ComponentParameters block{};
  block.what = what;
  constexpr int count = int(sizeof...(Args));
  block.paramSize = UInt8(count * sizeof(uintptr_t));
  const uintptr_t words[count + 1] = {ToArgumentWord(args)..., 0};
  for (int i = 0; i < count; ++i) block.params[count - 1 - i] = words[i];
  return instance->component->entry(&block, instance->storage);
}
