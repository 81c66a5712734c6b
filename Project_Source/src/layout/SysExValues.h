#pragma once
// The SysEx value resource ("sysexlist" of "sysex" elements of "values") and the
// message templates the SysEx controls are built from: one message per control
// value, the value written into the changing byte.
//
// threads: main.

#include <string>
#include <vector>

#include <tinyxml2.h>

class ConfigLog;
struct ControlActionSysExMessage;

using Values = std::vector<std::string>;

struct SysExContainer {
  std::vector<Values> singleValues;
  std::vector<std::vector<Values>> multiValues;
  bool hasMulti = false;
};

// Caps that keep a hostile resource from growing the reader without bound.
constexpr int kMaxSysExMessages = 256;

// The containers of a "sysexlist" root, in element order.
std::vector<SysExContainer> ReadSysExContainers(const tinyxml2::XMLElement* sysexlist);

// Appends the tokens of text between runs of delimiter characters.
void Tokenize(const std::string& text, std::vector<std::string>& tokens, const std::string& delimiters);

// Each blank-separated token read as a hexadecimal number (0 when it has no digit).
std::vector<int> convertStringSysextoVector(const std::string& text);

// Replaces record->messages with count messages of the template, value start + k
// (128 wrapping to 0) written at the 1-based position, and the part at element 6
// when part >= 0. start -1 makes the first message the template unchanged and goes
// on from the template's own value. The caller checks the inputs (SysExTemplateProblem).
void calculateSysexWithChangingByte(const std::string& sysexTemplate, int position, int count,
                                    ControlActionSysExMessage* record, int start, int part);

// Why a template cannot make messages for these arguments, or "" when it can.
std::string SysExTemplateProblem(const std::vector<int>& templateBytes, int position, int part);

// The template of container index: its first single value's first text; false when
// there is none.
bool SysExTemplateOf(const std::vector<SysExContainer>& containers, int index, std::string* sysexTemplate);
