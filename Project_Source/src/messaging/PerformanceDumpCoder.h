#pragma once
// The performance dump: the four part blocks and the performance settings, 715 bytes
// to and from the synthesizer, 725 and 765 with names; the parser takes 711..765.
//
// threads: any; a coder is read only after construction.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "messaging/DumpFieldIndices.h"

class PerformanceDumpCoder {
public:
  // Null when a parameter of the field table has no index.
  static std::unique_ptr<PerformanceDumpCoder> Create(const ParamIndexOf& indexOf);

  // The 715 bytes for the edit buffer. Master tune is never sent (0, 0); 650 carries
  // `activeSlot`; the bank bytes `kCurrentBank2x` on model 2, else `kCurrentBank`.
  // Every value is held to its field, the device id to 0..15, the slot to 0..3.
  std::vector<uint8_t> Build(const DumpParameters& params, int deviceId, int activeSlot) const;
  // Writes the performance's own device id (its global channel, one value at
  // 636/637), held to 0..15; a dump too short to hold it is left alone.
  static void SetOwnDeviceId(std::vector<uint8_t>& dump, int deviceId);
  // The 765-byte librarian form of a 715-byte dump.
  static std::vector<uint8_t> WithNames(const std::vector<uint8_t>& dump, const std::string& performanceName,
                                        const std::array<std::string, 4>& partNames);

  // 711..765 bytes, manufacturer 0x33, model byte 4.
  static bool Accepts(const uint8_t* bytes, size_t size);
  // Reads an accepted dump into the panel: part blocks under their slots' locks, the
  // performance block under `kGlobalLock` (programs and banks always),
  // the names or "Perf Req." and "PerfFromHW". The end byte and fields past it are
  // never read; 650 is taken only as 0..3. False when not accepted; nothing changed.
  bool Parse(const uint8_t* bytes, size_t size, DumpParameters& params) const;

  // The variant of exactly 765 bytes with part blocks 142 bytes apart (6, 148, 290,
  // 432, slot D only to offset 111), the performance block at 574..680 and 691..763,
  // a nine-byte name at 715 and every part named "PerfFromHW". The unit never sends it
  // and no reply is read this way: a 765-byte reply is the named public form.
  static bool AcceptsSpaced(const uint8_t* bytes, size_t size);
  bool ParseSpaced(const uint8_t* bytes, size_t size, DumpParameters& params) const;

private:
  struct Layout;
  explicit PerformanceDumpCoder(std::shared_ptr<const DumpFieldIndices> indices) : indices_(std::move(indices)) {}
  void Decode(const Layout& layout, const uint8_t* bytes, size_t size, DumpParameters& params) const;
  void DecodePerformanceField(const ResolvedPerformanceField& f, const uint8_t* bytes, bool globalLock,
                              DumpParameters& params) const;

  std::shared_ptr<const DumpFieldIndices> indices_;
};
