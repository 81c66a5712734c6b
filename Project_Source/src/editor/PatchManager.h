#pragma once
// The keeper of what the host state chunk carries beside the parameters: the names
// of the performance, the four parts and the two MIDI ports, and a snapshot of the
// editor's state taken at construction (a recall replaces it; nothing reads it back
// into the parameters).
//
// threads: main (construction, host state calls under the plug-in mutex)

#include <string>
#include <vector>

#include "Framework/ByteChunk.h"
#include "librarian/TavroParams.h"

class IModuleBase;

class Patch {
public:
  static constexpr int kNameCount = 7;  // performance, parts A-D, MIDI in, MIDI out

  Patch();
  virtual ~Patch() = default;

  ByteChunk snapshot{4096};
  std::vector<std::string> names;
};

class PatchManager : public Patch {
public:
  static constexpr int32_t kShortFormTag = 0x01000000;
  // Parameters 0 to this one (inclusive) are in the short form.
  static constexpr int kLastSnapshotParam = kTempoInformation;

  explicit PatchManager(IModuleBase* plug) : plug_(plug) {}

  // Empties the snapshot and fills it with the short form of the plug-in's state.
  void init();
  // The short form: the tag, the values of the slot tab and the model, then the
  // values of parameters 0-620, each a double (4988 bytes in all).
  static void writeShortForm(IModuleBase* plug, ByteChunk* chunk);

  // The block inside the host state chunk: two tags, the snapshot's length (big
  // endian) and bytes, then the seven names (five of at most 10 characters, the
  // port names whole: the int32 length carries any, and a name cut at 32 characters
  // by an older save still finds its port by prefix).
  // False when the block or the chunk could not grow to take all of it.
  bool saveAllToChunk(ByteChunk* chunk) const;
  // The position after a block at startPos that lies whole in the chunk (the
  // snapshot and every name within the bytes left, no negative length); -1 otherwise.
  static int blockEnd(const ByteChunk* chunk, int startPos);
  // Reads the block at startPos into the snapshot and the names; the position after
  // it, or -1 when the chunk ends early (what could be read is kept).
  int loadAllFromChunk(const ByteChunk* chunk, int startPos);
  // An int32 length (the text up to its first NUL, at most maxLength) and the characters.
  static bool putStringToChunk(ByteChunk* chunk, const std::string& text, int maxLength);

private:
  IModuleBase* plug_;
};
