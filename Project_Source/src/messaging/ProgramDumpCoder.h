#pragma once
// The program dump: one part slot's sound, 139 bytes to and from the synthesizer,
// 149 with a ten-byte name in the librarian.
//
// threads: any; a coder is read only after construction.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "messaging/DumpFieldIndices.h"

class ProgramDumpCoder {
public:
  // Null when a parameter of the field table has no index.
  static std::unique_ptr<ProgramDumpCoder> Create(const ParamIndexOf& indexOf);

  // The 139 bytes for the edit buffer of `slot` (0..3) from that slot's parameters;
  // empty for another slot. The device id is held to 0..15.
  std::vector<uint8_t> Build(const DumpParameters& params, int slot, int deviceId) const;
  // The 149-byte librarian form of a 139-byte dump.
  static std::vector<uint8_t> WithName(const std::vector<uint8_t>& dump, const std::string& name);

  // A program dump the parser takes: 139 or 149 bytes, manufacturer 0x33, model byte
  // 4, byte 5 a slot 0..3 (a stored program's number would write other parameters).
  static bool Accepts(const uint8_t* bytes, size_t size);
  // Reads an accepted dump into its slot's parameters under the slot's locks, and its
  // name ("Requested" for 139 bytes) into `kPatchName` + slot. Returns the slot, or -1
  // when the dump was not accepted and nothing changed.
  int Parse(const uint8_t* bytes, size_t size, DumpParameters& params) const;

private:
  explicit ProgramDumpCoder(std::shared_ptr<const DumpFieldIndices> indices) : indices_(std::move(indices)) {}
  std::shared_ptr<const DumpFieldIndices> indices_;
};
