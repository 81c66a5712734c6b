// Program and bank files of the plug-in base. Callers hold the plug-in mutex.

#include <cmath>
#include <string>
#include <vector>

#include "Framework/FxFile.h"
#include "Framework/IModuleBase.h"
#include "Kit_AtomicFile.h"
#include "Kit_RegularFile.h"

namespace {

// Far above any bank of this plug-in; a larger file is refused.
constexpr long kMaxFileBytes = 64L << 20;

// Only a regular file, opened without blocking: a FIFO or a device chosen as a
// program file is refused rather than waited on or read without end.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  if (!path || !path[0]) return false;
  std::string read;
  if (Kit_ReadRegularFile(path, size_t(kMaxFileBytes), &read, nullptr) != Kit_FileRead::Read) return false;
  bytes->assign(read.begin(), read.end());
  return true;
}

// A state chunk from a file: the framework's version header, then the state.
bool ChunkAfterHeader(const std::vector<uint8_t>& bytes, ByteChunk* chunk, int* pos) {
  if (bytes.size() > size_t(kMaxFileBytes)) return false;
  chunk->PutBytes(bytes.data(), int(bytes.size()));
  *pos = 0;
  return chunk->Size() == int(bytes.size()) && GetIModuleVerFromChunk(chunk, pos) > 0;
}

std::vector<uint8_t> ChunkBytes(const ByteChunk& chunk) {
  const uint8_t* bytes = chunk.GetBytes();
  return bytes ? std::vector<uint8_t>(bytes, bytes + chunk.Size()) : std::vector<uint8_t>();
}

bool AllNormalised(const std::vector<float>& values) {
  for (float value : values) {
    if (!(value >= 0.0f && value <= 1.0f)) return false;
  }
  return true;
}

}  // namespace

bool IModuleBase::LoadWholeOrNothing(const std::function<bool()>& load) {
  ByteChunk state;
  if (!SerializeState(&state)) return false;
  std::vector<IPreset> presets;
  for (int i = 0, n = NPresets(); i < n; ++i) presets.push_back(*mPresets.Get(i));
  const int currentPreset = mCurrentPresetIdx;
  if (load()) return true;
  for (int i = 0, n = NPresets(); i < n; ++i) *mPresets.Get(i) = presets[size_t(i)];
  mCurrentPresetIdx = currentPreset;
  UnserializeState(&state, 0);
  RedrawParamControls();
  return false;
}

bool IModuleBase::SaveProgramAsFXP(const char* path) {
  if (!path || !path[0]) return false;
  FxProgram program;
  program.pluginId = mUniqueID;
  program.pluginVersion = mVersion;
  program.name = GetPresetName(mCurrentPresetIdx);
  program.isChunk = DoesStateChunks();
  if (program.isChunk) {
    ByteChunk chunk;
    InitChunkWithIModuleVer(&chunk);
    if (!SerializeState(&chunk)) return false;
    program.paramCount = NAutomatedParams();
    program.chunk = ChunkBytes(chunk);
  } else {
    for (int i = 0, n = NAutomatedParams(); i < n; ++i) {
      program.values.push_back(float(GetParam(i)->GetNormalized()));
    }
  }
  const std::vector<uint8_t> bytes = FxWriteProgram(program);
  if (!Kit_WriteFileAtomically(path, bytes.data(), bytes.size(), nullptr)) return false;
  mProgramFilePath.Set(path);
  return true;
}

bool IModuleBase::SaveBankAsFXB(const char* path) {
  if (!path || !path[0]) return false;
  FxBank bank;
  bank.pluginId = mUniqueID;
  bank.pluginVersion = mVersion;
  bank.currentProgram = mCurrentPresetIdx;
  bank.isChunk = DoesStateChunks();
  if (bank.isChunk) {
    ByteChunk chunk;
    InitChunkWithIModuleVer(&chunk);
    if (!SerializePresets(&chunk)) return false;
    bank.programCount = NPresets();
    bank.chunk = ChunkBytes(chunk);
  } else {
    // Without chunks a preset holds what SerializeParams wrote: one plain value per
    // automated parameter. A preset never filled is written with the defaults.
    for (int p = 0, nPresets = NPresets(); p < nPresets; ++p) {
      const IPreset* preset = mPresets.Get(p);
      FxProgram program;
      program.pluginId = mUniqueID;
      program.pluginVersion = mVersion;
      program.name = preset->mName;
      for (int i = 0, n = NAutomatedParams(); i < n; ++i) {
        double plain = GetParam(i)->GetDefault();
        if (preset->mInitialized) preset->mChunk.GetDouble(&plain, 8 * i);
        program.values.push_back(float(GetParam(i)->GetNormalized(plain)));
      }
      bank.programs.push_back(std::move(program));
    }
  }
  const std::vector<uint8_t> bytes = FxWriteBank(bank);
  if (!Kit_WriteFileAtomically(path, bytes.data(), bytes.size(), nullptr)) return false;
  mProgramFilePath.Set(path);
  return true;
}

bool IModuleBase::LoadProgramFromFXP(const char* path) {
  std::vector<uint8_t> bytes;
  FxProgram program;
  if (!ReadWholeFile(path, &bytes) || !FxReadProgram(bytes.data(), bytes.size(), &program) ||
      program.pluginId != mUniqueID) {
    return false;
  }
  bool loaded = false;
  if (program.isChunk) {
    ByteChunk chunk;
    int pos = 0;
    loaded = ChunkAfterHeader(program.chunk, &chunk, &pos) &&
             LoadWholeOrNothing([&] { return UnserializeState(&chunk, pos) > 0; });
  } else if (int(program.values.size()) == NAutomatedParams() && AllNormalised(program.values)) {
    for (int i = 0, n = NAutomatedParams(); i < n; ++i) {
      GetParam(i)->SetNormalized(program.values[size_t(i)]);
    }
    loaded = true;
  }
  if (!loaded) return false;
  ModifyCurrentPreset(program.name.c_str());
  mProgramFilePath.Set(path);
  RedrawParamControls();
  InformHostOfProgramChange();
  return true;
}

bool IModuleBase::LoadBankFromFXB(const char* path) {
  std::vector<uint8_t> bytes;
  FxBank bank;
  if (!ReadWholeFile(path, &bytes) || !FxReadBank(bytes.data(), bytes.size(), &bank) || bank.pluginId != mUniqueID) {
    return false;
  }
  const int nPresets = NPresets();
  const int current =
      bank.currentProgram >= 0 && bank.currentProgram < nPresets ? bank.currentProgram : mCurrentPresetIdx;
  bool loaded = false;
  if (bank.isChunk) {
    ByteChunk chunk;
    int pos = 0;
    loaded = bank.programCount == nPresets && ChunkAfterHeader(bank.chunk, &chunk, &pos) && LoadWholeOrNothing([&] {
               mCurrentPresetIdx = current;
               return UnserializePresets(&chunk, pos) > 0;
             });
  } else if (int(bank.programs.size()) == nPresets) {
    bool fits = true;
    for (const FxProgram& program : bank.programs) {
      fits &= int(program.values.size()) == NAutomatedParams() && AllNormalised(program.values);
    }
    // Each preset takes what SerializeState writes for the program's values. A value
    // bank holds what a value program holds, so a plug-in that saves chunks takes it
    // as it takes a value program.
    loaded = fits && LoadWholeOrNothing([&] {
               for (int p = 0; p < nPresets; ++p) {
                 const FxProgram& program = bank.programs[size_t(p)];
                 for (int i = 0, n = NAutomatedParams(); i < n; ++i) {
                   GetParam(i)->SetNormalized(program.values[size_t(i)]);
                 }
                 IPreset* preset = mPresets.Get(p);
                 preset->mInitialized = true;
                 preset->SetName(program.name.c_str());
                 preset->mChunk.Clear();
                 if (!SerializeState(&preset->mChunk)) return false;
               }
               mCurrentPresetIdx = current;
               return nPresets == 0 || RestorePreset(current);
             });
  }
  if (!loaded) return false;
  mProgramFilePath.Set(path);
  InformHostOfProgramChange();
  return true;
}
