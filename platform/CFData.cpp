#include "CFObjects.h"

bool CFDataObject::Equals(const CFObject& other) const {
  return bytes == static_cast<const CFDataObject&>(other).bytes;
}

std::string CFDataObject::Describe() const { return "<data of " + std::to_string(bytes.size()) + " bytes>"; }

CFTypeID CFDataGetTypeID() { return kCFKindData; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  return new CFDataObject(std::vector<UInt8>(bytes, bytes + length));
}

CFIndex CFDataGetLength(CFDataRef data) { return data ? CFIndex(data->bytes.size()) : 0; }

const UInt8* CFDataGetBytePtr(CFDataRef data) { return data && !data->bytes.empty() ? data->bytes.data() : nullptr; }
