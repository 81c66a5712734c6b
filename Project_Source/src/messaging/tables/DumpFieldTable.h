#pragma once
// Where every value of the program and performance dumps lies, how it is coded and
// which parameter holds it: the one description the dump coder, the dump parsers
// and the layout lint share.
//
// Program dump: header 0..5, the 132-byte part block 6..137, 0xF7 (139 bytes), or a
// ten-byte name before the 0xF7 (149). Performance dump: header 0..5, part blocks of
// slots A..D at 6, 138, 270 and 402, the performance block 534..713, 0xF7 (715),
// then optional names (725, 765).
//
// The unit sends every value as one 8-bit number in two nybbles, low first. The part
// block keeps its single-byte fields as a byte and a kept byte (their values stay
// below 16); the performance block's fields that reach 16 and more (trigger channels,
// aftertouch, bend range, sync) are unsigned pairs, and so is every other one-value
// field there. Below 16 both readings give the same bytes.
//
// threads: any (constant data, pure functions).

#include <array>
#include <cstdint>

enum class DumpCoding {
  kUnsignedPair,  // low nibble, high nibble: 0..255
  kSignedPair,    // two's complement s of -128..127 as the value s + 128
  kByte,          // one data byte 0..127
  kKeptByte,      // one byte held unchanged in a kMDB parameter
  kNotePair,      // an unsigned pair holding note + 23
  kChannelPair,   // channel - 1 and 0; channel 0 as 15, 15
  kTunePair,      // master tune -99..99 as the value 0..198
};

// One field of the part block. The parameter of slot s is the named index + s; on
// the first-generation model (NL1) the field belongs to nl1Param when one is named.
struct PartBlockField {
  int offset;  // within the part block; the program dump's position is 6 + offset
  const char* param;
  const char* nl1Param;  // or nullptr
  DumpCoding coding;
  const char* lock;  // the group lock the parser honours, or nullptr
};

// One field of the performance block: the parameter is the named index + slot.
struct PerformanceField {
  int position;  // absolute position in the performance dump
  const char* param;
  int slot;  // 0 for single parameters
  DumpCoding coding;
};

constexpr int kPartBlockSize = 132;
constexpr int kProgramDumpSize = 139;
constexpr int kPerformanceDumpSize = 715;
constexpr std::array<int, 4> kPartBlockStart = {6, 138, 270, 402};
constexpr int kPerformanceBlockStart = 534;
constexpr int kPerformanceBlockEnd = 713;

extern const PartBlockField kPartBlockFields[];
extern const int kPartBlockFieldCount;
extern const PerformanceField kPerformanceFields[];
extern const int kPerformanceFieldCount;
// Parameters a parser also sets from a part-block byte, beside the field's own:
// kLFO2Hold from the LFO 2 destination byte.
extern const char* const kPartBlockSideParams[];
extern const int kPartBlockSideParamCount;

// The constant INIT program, and the INIT performance's 715 bytes. Every value lies
// within its panel control's range (the mod envelope decay at 127, its knob's top), so
// INIT loaded into the panel and sent again is INIT.
extern const uint8_t kInitProgram[kProgramDumpSize];
std::array<uint8_t, kPerformanceDumpSize> InitPerformance();

// Bytes a field takes: 2 for pairs, 1 otherwise.
int FieldWidth(DumpCoding coding);
// Writes value (truncated to an int by the caller) at bytes[0..width-1].
void EncodeField(DumpCoding coding, int value, uint8_t* bytes);
// The value the bytes carry.
int DecodeField(DumpCoding coding, const uint8_t* bytes);
// The parameter values a field's coding can carry: 0..max.
int FieldMaximum(DumpCoding coding);
