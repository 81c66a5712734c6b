#include "CFObjects.h"

#include <cstdlib>

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags) {
  return size > 0 ? std::malloc(size_t(size)) : nullptr;
}

void CFAllocatorDeallocate(CFAllocatorRef, void* block) { std::free(block); }

CFTypeRef CFRetain(CFTypeRef ref) {
  if (!ref) return nullptr;
  auto* object = const_cast<CFObject*>(static_cast<const CFObject*>(ref));
  if (!object->immortal) object->retainCount.fetch_add(1, std::memory_order_relaxed);
  return ref;
}

void CFRelease(CFTypeRef ref) {
  if (!ref) return;
  auto* object = const_cast<CFObject*>(static_cast<const CFObject*>(ref));
  if (object->immortal) return;
  if (object->retainCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

CFIndex CFGetRetainCount(CFTypeRef ref) {
  if (!ref) return 0;
  return static_cast<const CFObject*>(ref)->retainCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef ref) { return ref ? static_cast<const CFObject*>(ref)->typeID : 0; }

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (!a || !b) return false;
  const auto* x = static_cast<const CFObject*>(a);
  const auto* y = static_cast<const CFObject*>(b);
  return x->typeID == y->typeID && x->Equals(*y);
}

CFHashCode CFHash(CFTypeRef ref) { return ref ? static_cast<const CFObject*>(ref)->Hash() : 0; }

std::string CFDescribe(CFTypeRef ref) { return ref ? static_cast<const CFObject*>(ref)->Describe() : "(null)"; }

CFStringRef CFCopyDescription(CFTypeRef ref) {
  if (!ref) return nullptr;
  return new CFStringObject(CFDescribe(ref));
}

CFTypeID CFErrorGetTypeID() { return kCFKindError; }

CFErrorRef CFErrorCreateWithText(const char* description) { return new CFErrorObject(description ? description : ""); }

CFStringRef CFErrorCopyDescription(CFErrorRef error) {
  return error ? new CFStringObject(error->description) : nullptr;
}
