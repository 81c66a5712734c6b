#pragma once
// The fixed facts of the bank formats: message sizes and name places, the two init
// messages that pad short banks, the Standard MIDI File blocks and the default names.
//
// threads: any (constants only).

#include <array>
#include <cstdint>
#include <string>

constexpr int kProgramBankSize = 99;
constexpr int kPerformanceBankSize = 100;
// Every loaded bank shows this many rows; a program bank's last one stays empty.
constexpr int kBankRows = 100;

constexpr int kPatchNameLength = 10;
constexpr int kProgramLength = 139;       // without a name
constexpr int kNamedProgramLength = 149;  // name at 138..147
constexpr int kProgramNameAt = 138;
constexpr int kPerformanceLength = 715;
constexpr int kFullPerformanceLength = 765;  // name at 714..723, part names at 724..763
constexpr int kPerformanceNameAt = 714;

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;
constexpr uint8_t kMakerId = 0x33;
constexpr uint8_t kModelByte = 0x04;
constexpr int kTypeByteAt = 4;
constexpr int kNumberByteAt = 5;
constexpr uint8_t kStoredProgramType = 0x00;
constexpr uint8_t kLoadedPerformanceType = 0x1F;

// The model of the units with ten program banks: 0 is the NL1, 1 the NL2, 2 the NL2x.
constexpr int kTenBankModel = 2;

enum PatchKind { kNoPatchKind = -1, kProgramKind = 0, kPerformanceKind = 1 };

// Types 0..10 mark a program, 30..34 a performance.
PatchKind patchKindOfType(int typeByte);
// The kind of a message by its type byte; none for a message shorter than its head.
PatchKind patchKindOfMessage(const uint8_t* bytes, size_t size);
// 99 for programs, 100 for performances.
int bankSizeOfKind(int kind);

// "Sound   01".."Sound   99", "Sound  100"; "Perform 01".."Perform 99", "Perform100":
// always 10 characters, for slot 0..99.
std::string defaultPatchName(int kind, int slot);

const std::array<uint8_t, kProgramLength>& initSinglePatch();
const std::array<uint8_t, kPerformanceLength>& initSinglePerformance();

// The 53 bytes before the first event's data, and the prefix of every further event.
extern const std::array<uint8_t, 53> midiSingleStartHeader_NL99;
extern const std::array<uint8_t, 53> midiPerfStartHeader_NL100;
extern const std::array<uint8_t, 5> midiSingleInBetweenHeader_NL99;
extern const std::array<uint8_t, 5> midiSingleInBetweenHeader_NL100;
extern const std::array<uint8_t, 4> midiEndOfTrack;
