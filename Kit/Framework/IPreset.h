#pragma once
// One preset of the plug-in base: a name and the state that SerializeState wrote.

#include "Framework/ByteChunk.h"

struct IPreset {
  // A name holds at most this many characters; longer names are cut.
  static constexpr int kMaxNameLength = 255;

  IPreset();
  // Copies at most kMaxNameLength characters of name.
  void SetName(const char* name);

  bool mInitialized = false;
  char mName[kMaxNameLength + 1];
  ByteChunk mChunk;
};
