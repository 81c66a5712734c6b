// The CoreFoundation stand-in: counts, ownership by containers, callbacks,
// numbers and formatted strings.

#include <gtest/gtest.h>

#include <string>

#include "CFTestText.h"
#include "CoreFoundation.h"

namespace {

CFStringRef Make(const char* text) { return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8); }

TEST(CoreFoundation, RetainAndReleaseMoveTheCount) {
  CFStringRef s = Make("abc");
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRetain(s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(s);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);
  CFRelease(nullptr);  // ignored
  EXPECT_EQ(CFRetain(nullptr), nullptr);
}

TEST(CoreFoundation, ConstantsAreSharedAndNeverFreed) {
  CFStringRef a = CFSTR("constant");
  EXPECT_EQ(a, CFSTR("constant"));
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(Text(a), "constant");
}

TEST(CoreFoundation, DictionariesRetainWhatTheyHoldAndReleaseWhatTheyDrop) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = Make("key");
  CFStringRef first = Make("first");
  CFStringRef second = Make("second");
  CFDictionarySetValue(dict, key, first);
  EXPECT_EQ(CFGetRetainCount(key), 2);
  EXPECT_EQ(CFGetRetainCount(first), 2);
  CFStringRef sameKey = Make("key");  // equal, not identical
  CFDictionarySetValue(dict, sameKey, second);
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_EQ(CFGetRetainCount(first), 1);
  EXPECT_EQ(CFDictionaryGetValue(dict, sameKey), second);
  CFDictionaryRemoveValue(dict, key);
  EXPECT_EQ(CFDictionaryGetCount(dict), 0);
  EXPECT_EQ(CFGetRetainCount(second), 1);
  CFDictionarySetValue(dict, key, second);
  CFRelease(dict);
  EXPECT_EQ(CFGetRetainCount(key), 1);
  EXPECT_EQ(CFGetRetainCount(second), 1);
  for (CFTypeRef o : {CFTypeRef(key), CFTypeRef(sameKey), CFTypeRef(first), CFTypeRef(second)}) CFRelease(o);
}

struct Counted {
  int retains = 0;
  int releases = 0;
};

const void* CountRetain(CFAllocatorRef, const void* v) {
  ++static_cast<Counted*>(const_cast<void*>(v))->retains;
  return v;
}
void CountRelease(CFAllocatorRef, const void* v) { ++static_cast<Counted*>(const_cast<void*>(v))->releases; }

TEST(CoreFoundation, ArraysCallTheirCallbacks) {
  const CFArrayCallBacks callbacks = {0, CountRetain, CountRelease, nullptr, nullptr};
  Counted a, b;
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &callbacks);
  CFArrayAppendValue(array, &a);
  CFArrayAppendValue(array, &b);
  CFArrayAppendValue(array, &a);
  EXPECT_EQ(a.retains, 2);
  EXPECT_EQ(CFArrayGetCount(array), 3);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 1), &b);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 3), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, -1), nullptr);
  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(a.releases, 1);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 0), &b);
  CFRelease(array);
  EXPECT_EQ(a.releases, 2);
  EXPECT_EQ(b.releases, 1);
}

TEST(CoreFoundation, NumbersConvertOnlyWithoutLoss) {
  SInt32 small = -7;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &small);
  SInt64 wide = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &wide));
  EXPECT_EQ(wide, -7);
  CFRelease(n);
  wide = SInt64(1) << 40;
  n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &wide);
  SInt32 narrow = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &narrow));
  CFRelease(n);
  Float64 real = 2.5;
  n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &real);
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &narrow));
  EXPECT_EQ(narrow, 2);
  EXPECT_TRUE(CFNumberIsFloatType(n));
  CFRelease(n);
  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);
}

TEST(CoreFoundation, FormattedStringsOfTheFormsUsed) {
  CFStringRef name = Make("abc");
  CFStringRef s =
      CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"), 3, name);
  EXPECT_EQ(Text(s), "AUPreset:\npreset number = 3\npreset name = abc");
  CFRelease(s);
  s = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("output %i, %5.2f, %s, %x, %ld%%, %@"), 2, 1.5, "txt", 255,
                               123456789012L, nullptr);
  EXPECT_EQ(Text(s), "output 2,  1.50, txt, ff, 123456789012%, (null)");
  CFRelease(s);
  s = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("trailing %"));
  EXPECT_EQ(Text(s), "trailing %");
  CFRelease(s);
  CFRelease(name);
}

TEST(CoreFoundation, CStringCopiesOnlyWhatFits) {
  CFStringRef s = Make("hello");
  char buffer[6];
  EXPECT_TRUE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "hello");
  char small[5] = "xxxx";
  EXPECT_FALSE(CFStringGetCString(s, small, sizeof small, kCFStringEncodingUTF8));
  EXPECT_STREQ(small, "");
  CFRelease(s);
  CFStringRef accented = Make("\xC3\xA9\xF0\x9F\x8E\xB9");  // é and a four-byte character
  EXPECT_EQ(CFStringGetLength(accented), 3);
  CFRelease(accented);
}

TEST(CoreFoundation, EqualityByValue) {
  const UInt8 bytes[] = {1, 2, 3};
  CFDataRef a = CFDataCreate(nullptr, bytes, 3);
  CFDataRef b = CFDataCreate(nullptr, bytes, 3);
  CFDataRef c = CFDataCreate(nullptr, bytes, 2);
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_FALSE(CFEqual(a, c));
  EXPECT_FALSE(CFEqual(a, CFSTR("x")));
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_EQ(CFDataGetBytePtr(empty), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 5), nullptr);
  for (CFTypeRef o : {CFTypeRef(a), CFTypeRef(b), CFTypeRef(c), CFTypeRef(empty)}) CFRelease(o);
}

}  // namespace
