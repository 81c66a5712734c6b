#pragma once
// Typed access to the values of a host state dictionary. Every getter checks
// the value's type: a value of another type counts as missing.

#include <cstddef>

#include "CoreFoundation.h"
#include "Framework/ByteChunk.h"

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value);
void PutSInt32InDict(CFMutableDictionaryRef dict, const char* key, SInt32 value);
// The bytes as data; zero-length data for an empty chunk.
void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const ByteChunk& chunk);

// Copies the string as UTF-8 into value (bufferSize bytes, terminator
// included), cut on a character boundary when it does not fit. Absent or not a
// string: an empty text and false.
bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* value, size_t bufferSize);
// False when absent, not a number, or not a whole 32-bit value.
bool GetSInt32FromDict(CFDictionaryRef dict, const char* key, SInt32* value);
// Resizes the chunk to the data's length and copies the bytes. False (chunk
// unchanged) when absent, not data, or too long for a chunk.
bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* chunk);
