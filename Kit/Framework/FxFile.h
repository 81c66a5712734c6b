#pragma once
// Program and bank files in the VST 2 layout: a big-endian header round either the
// plug-in's state chunk ('FPCh', 'FBCh') or plain lists of normalised parameter values
// ('FxCk', 'FxBk').
//
// Program file: 'CcnK', byte size (what follows this field), 'FxCk' or 'FPCh', format
// version 1, plug-in id, plug-in version, parameter count, 28-byte zero-padded name, then
// the values as 32-bit floats or the chunk size and chunk.
// Bank file: 'CcnK', byte size, 'FxBk' or 'FBCh', format version 2, plug-in id, plug-in
// version, program count, current program, 124 reserved bytes, then that many whole
// program files ('FxCk') or the chunk size and chunk.
//
// Pure functions over bytes. threads: any

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FxProgram {
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  // Written cut to 27 bytes on a character boundary.
  std::string name;
  // A state chunk ('FPCh') or values ('FxCk').
  bool isChunk = false;
  // Of an 'FPCh' program, the parameter count the header carries.
  int32_t paramCount = 0;
  std::vector<float> values;
  std::vector<uint8_t> chunk;
};

struct FxBank {
  int32_t pluginId = 0;
  int32_t pluginVersion = 0;
  int32_t currentProgram = 0;
  // A state chunk ('FBCh') or value programs ('FxBk').
  bool isChunk = false;
  // Of an 'FBCh' bank, the program count the header carries.
  int32_t programCount = 0;
  std::vector<FxProgram> programs;
  std::vector<uint8_t> chunk;
};

std::vector<uint8_t> FxWriteProgram(const FxProgram& program);
std::vector<uint8_t> FxWriteBank(const FxBank& bank);

// True when the bytes are exactly one whole file of that kind: every size field agrees
// with the bytes there are, so a cut or padded file is refused. *out is only set on success.
bool FxReadProgram(const uint8_t* bytes, size_t size, FxProgram* out);
bool FxReadBank(const uint8_t* bytes, size_t size, FxBank* out);
