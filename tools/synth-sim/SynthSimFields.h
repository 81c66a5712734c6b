#pragma once
// The unit's own map of its dumps: where each parameter's value lies and how it is
// coded, found by parameter name. Kept apart from the editor's tables on purpose, so
// a fault in either shows up as a disagreement.

#include <cstdint>
#include <string>

namespace SynthSimFields {

enum class Coding { kByte, kPair, kSignedPair, kNotePair, kChannelPair, kTunePair };

struct Field {
  int position;  // in the dump: program 6..137, performance 534..713
  Coding coding;
  bool perPart;  // in a part block: the position is the program dump's
};

// The field `name` names for `slot` (0..3; performance fields of one parameter take
// slot 0). NL1 twins name the position of their plain field. False for no field.
bool Find(const std::string& name, int slot, Field* field);

int Width(Coding coding);
int Read(Coding coding, const uint8_t* bytes);
void Write(Coding coding, int value, uint8_t* bytes);

}  // namespace SynthSimFields
