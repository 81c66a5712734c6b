#include "CFObjects.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

bool CFNumberObject::Equals(const CFObject& other) const {
  const auto& o = static_cast<const CFNumberObject&>(other);
  if (IsFloat() || o.IsFloat()) {
    double a = IsFloat() ? real : double(integer);
    double b = o.IsFloat() ? o.real : double(o.integer);
    return a == b;
  }
  return integer == o.integer;
}

std::string CFNumberObject::Describe() const {
  if (IsFloat()) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", real);
    return buffer;
  }
  return std::to_string(integer);
}

CFTypeID CFNumberGetTypeID() { return kCFKindNumber; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value) {
  if (!value) return nullptr;
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType: {
      SInt32 v;
      std::memcpy(&v, value, sizeof v);
      return new CFNumberObject(kCFNumberSInt32Type, v, 0);
    }
    case kCFNumberSInt64Type: {
      SInt64 v;
      std::memcpy(&v, value, sizeof v);
      return new CFNumberObject(kCFNumberSInt64Type, v, 0);
    }
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType: {
      Float64 v;
      std::memcpy(&v, value, sizeof v);
      return new CFNumberObject(kCFNumberFloat64Type, 0, v);
    }
  }
  return nullptr;
}

CFNumberType CFNumberGetType(CFNumberRef number) { return number ? number->type : kCFNumberSInt32Type; }

Boolean CFNumberIsFloatType(CFNumberRef number) { return number && number->IsFloat(); }

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value) {
  if (!number || !value) return false;
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType: {
      SInt64 wide = number->integer;
      bool exact = true;
      if (number->IsFloat()) {
        double r = number->real;
        exact = std::isfinite(r) && std::trunc(r) == r;
        wide = std::isfinite(r) ? SInt64(std::fmax(std::fmin(r, 2147483647.0), -2147483648.0)) : 0;
      }
      SInt32 v = SInt32(std::max<SInt64>(std::min<SInt64>(wide, INT32_MAX), INT32_MIN));
      std::memcpy(value, &v, sizeof v);
      return exact && SInt64(v) == wide;
    }
    case kCFNumberSInt64Type: {
      SInt64 v = number->integer;
      bool exact = true;
      if (number->IsFloat()) {
        double r = number->real;
        exact = std::isfinite(r) && std::trunc(r) == r && std::fabs(r) < 9.2e18;
        v = exact ? SInt64(r) : 0;
      }
      std::memcpy(value, &v, sizeof v);
      return exact;
    }
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType: {
      Float64 v = number->IsFloat() ? number->real : Float64(number->integer);
      std::memcpy(value, &v, sizeof v);
      return number->IsFloat() || SInt64(v) == number->integer;
    }
  }
  return false;
}

namespace {
CFBooleanObject trueObject(true);
CFBooleanObject falseObject(false);
}  // namespace

const CFBooleanRef kCFBooleanTrue = &trueObject;
const CFBooleanRef kCFBooleanFalse = &falseObject;

CFTypeID CFBooleanGetTypeID() { return kCFKindBoolean; }

Boolean CFBooleanGetValue(CFBooleanRef value) { return value && value->value; }
