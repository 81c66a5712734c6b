#pragma once
// Stand-in for the part of CoreFoundation the plug-in and its host use:
// reference-counted strings (UTF-8), numbers, booleans, data, mutable
// dictionaries and arrays with callbacks, file URLs, bundles and errors.
//
// threads: any. Retain and release are atomic; one object is not otherwise
// safe to mutate from two threads at once (as on the platform).

#include "MacTypes.h"

#include <cstddef>

using CFIndex = long;
using CFTypeID = unsigned long;
using CFHashCode = unsigned long;
using CFOptionFlags = unsigned long;
using CFTypeRef = const void*;

struct CFObject;
struct CFStringObject;
struct CFNumberObject;
struct CFBooleanObject;
struct CFDataObject;
struct CFDictionaryObject;
struct CFArrayObject;
struct CFURLObject;
struct CFBundleObject;
struct CFErrorObject;
struct CFAllocatorObject;

using CFStringRef = const CFStringObject*;
using CFMutableStringRef = CFStringObject*;
using CFNumberRef = const CFNumberObject*;
using CFBooleanRef = const CFBooleanObject*;
using CFDataRef = const CFDataObject*;
using CFDictionaryRef = const CFDictionaryObject*;
using CFMutableDictionaryRef = CFDictionaryObject*;
using CFArrayRef = const CFArrayObject*;
using CFMutableArrayRef = CFArrayObject*;
using CFURLRef = const CFURLObject*;
using CFBundleRef = CFBundleObject*;
using CFErrorRef = CFErrorObject*;
using CFAllocatorRef = const CFAllocatorObject*;
using CFPropertyListRef = CFTypeRef;

// Only the default allocator exists.
constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* block);

enum CFComparisonResult : CFIndex { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };

// --- every object ----------------------------------------------------------

CFTypeRef CFRetain(CFTypeRef object);
// Frees the object when the count reaches 0. Null is a programming error on the
// platform; here it is ignored.
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);
CFTypeID CFGetTypeID(CFTypeRef object);
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
CFHashCode CFHash(CFTypeRef object);
// A new string describing the object (a string describes itself).
CFStringRef CFCopyDescription(CFTypeRef object);

// --- strings ---------------------------------------------------------------

using CFStringEncoding = UInt32;
constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;

CFTypeID CFStringGetTypeID();
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef text);
// printf forms with %@ for an object's description. Supported conversions:
// d i u x X o c s f e g p %@ %% with flags, width, precision and the l/ll/z
// length modifiers.
CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFDictionaryRef formatOptions, CFStringRef format, ...);
// Length in UTF-16 units, as on the platform.
CFIndex CFStringGetLength(CFStringRef text);
// Copies the text and its terminator; false (buffer emptied) when it does not fit.
Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The text's own UTF-8 bytes, valid while the string lives.
const char* CFStringGetCStringPtr(CFStringRef text, CFStringEncoding encoding);
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFOptionFlags options);

// A string constant that lives for the whole process (retain and release do nothing).
CFStringRef CFStringMakeConstantString(const char* text);
#define CFSTR(text) CFStringMakeConstantString("" text "")

// --- numbers and booleans -----------------------------------------------------

enum CFNumberType : CFIndex {
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat64Type = 6,
  kCFNumberIntType = 9,
  kCFNumberDoubleType = 13,
};

CFTypeID CFNumberGetTypeID();
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* value);
CFNumberType CFNumberGetType(CFNumberRef number);
Boolean CFNumberIsFloatType(CFNumberRef number);
// Converts to the asked type; false when the conversion lost information.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);

CFTypeID CFBooleanGetTypeID();
extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;
Boolean CFBooleanGetValue(CFBooleanRef value);

// --- data --------------------------------------------------------------------

CFTypeID CFDataGetTypeID();
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef data);
// Null for empty data.
const UInt8* CFDataGetBytePtr(CFDataRef data);

// --- dictionaries --------------------------------------------------------------

using CFDictionaryRetainCallBack = const void* (*)(CFAllocatorRef allocator, const void* value);
using CFDictionaryReleaseCallBack = void (*)(CFAllocatorRef allocator, const void* value);
using CFDictionaryCopyDescriptionCallBack = CFStringRef (*)(const void* value);
using CFDictionaryEqualCallBack = Boolean (*)(const void* a, const void* b);
using CFDictionaryHashCallBack = CFHashCode (*)(const void* value);

struct CFDictionaryKeyCallBacks {
  CFIndex version;
  CFDictionaryRetainCallBack retain;
  CFDictionaryReleaseCallBack release;
  CFDictionaryCopyDescriptionCallBack copyDescription;
  CFDictionaryEqualCallBack equal;
  CFDictionaryHashCallBack hash;
};
struct CFDictionaryValueCallBacks {
  CFIndex version;
  CFDictionaryRetainCallBack retain;
  CFDictionaryReleaseCallBack release;
  CFDictionaryCopyDescriptionCallBack copyDescription;
  CFDictionaryEqualCallBack equal;
};
// Keys and values that are objects: retained, released, compared with CFEqual.
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

CFTypeID CFDictionaryGetTypeID();
// Null callbacks: entries are neither retained nor released, keys compared by address.
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary);
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);
Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key, const void** value);
// Keys and values in insertion order; either array may be null.
void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values);
void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value);
void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key);

// --- arrays ----------------------------------------------------------------------

using CFArrayRetainCallBack = const void* (*)(CFAllocatorRef allocator, const void* value);
using CFArrayReleaseCallBack = void (*)(CFAllocatorRef allocator, const void* value);
using CFArrayCopyDescriptionCallBack = CFStringRef (*)(const void* value);
using CFArrayEqualCallBack = Boolean (*)(const void* a, const void* b);

struct CFArrayCallBacks {
  CFIndex version;
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

CFTypeID CFArrayGetTypeID();
// The callbacks are copied; null means values are neither retained nor released.
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
// Null for an index outside the array.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index);

// --- file URLs and bundles -------------------------------------------------------

enum CFURLPathStyle : CFIndex { kCFURLPOSIXPathStyle = 0 };

CFTypeID CFURLGetTypeID();
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory);
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);

// A bundle is a folder with an Info.plist (XML) at its top and a Resources/
// folder. Bundles live for the whole process, one per folder, and are found
// again by their CFBundleIdentifier.
CFTypeID CFBundleGetTypeID();
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);
// The bundle of the running program's folder; its identifier is null when the
// folder has no Info.plist.
CFBundleRef CFBundleGetMainBundle();
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);

// --- errors ------------------------------------------------------------------------

CFTypeID CFErrorGetTypeID();
CFErrorRef CFErrorCreateWithText(const char* description);  // stand-in's own maker
CFStringRef CFErrorCopyDescription(CFErrorRef error);

// --- property lists ----------------------------------------------------------------

enum CFPropertyListFormat : CFIndex { kCFPropertyListXMLFormat_v1_0 = 100 };
enum : CFOptionFlags { kCFPropertyListImmutable = 0 };

// XML property list of a tree of dictionaries (string keys), arrays, strings,
// numbers, booleans and data. Null with *error set for anything else.
CFDataRef CFPropertyListCreateData(CFAllocatorRef allocator, CFPropertyListRef list, CFPropertyListFormat format,
                                   CFOptionFlags options, CFErrorRef* error);
// Reads an XML property list. Null with *error set (never a partial tree) for
// malformed text, unsupported elements, nesting deeper than 64 or duplicate keys.
CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef allocator, CFDataRef data, CFOptionFlags options,
                                               CFPropertyListFormat* format, CFErrorRef* error);
