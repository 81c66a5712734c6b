#pragma once
// Small shared helpers of the framework: an interval timer, character routines,
// time stamps, and the trace hooks of the Audio Unit layer (switched off).

#include "Kit_String.h"

#include <cstdint>
#include <ctime>

// Tells when an interval of the process's own processor time has passed.
class Timer {
public:
  Timer();
  // True when more than `seconds` have passed since the recorded time, and then
  // records the current time; false otherwise.
  bool Every(double seconds);

private:
  std::clock_t start_;
};

// Tab, line feed, carriage return and space; not vertical tab or form feed.
bool IsWhitespace(char c);

// Writes the lower-case form of src into dest (room for strlen(src) + 1) and terminates it.
void ToLower(char* dest, const char* src);

// The local time as "YYYYmmdd HH:MM +hhmm" (offset from UTC last). The text lives
// in a buffer of the calling thread, valid until its next call.
// threads: any
const char* CurrentTime();

// "[Mmmdd hh:mm]" from a date "Mmm dd yyyy" and a time "hh:mm:ss" (as the
// compiler's __DATE__ and __TIME__ give them). Shorter inputs give what they hold.
void CompileTimestamp(const char* date, const char* time, Kit_String* out);

// text, a space and CompileTimestamp(date, time). The text lives in a buffer of
// the calling thread, valid until its next call.
// threads: any
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Tracing is switched off: these do nothing and name nothing.
void Trace(const char* function, int line, const char* format, ...);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propertyID);
const char* AUScopeStr(int scope);
const char* VSTOpcodeStr(int opcode);
