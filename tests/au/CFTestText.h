#pragma once
// The text of a CoreFoundation string, for a test's comparisons.
// threads: any

#include <string>

#include "CoreFoundation.h"

// `s`'s characters; "(null)" for none.
inline std::string Text(CFStringRef s) { return s ? CFStringGetCStringPtr(s, kCFStringEncodingUTF8) : "(null)"; }
