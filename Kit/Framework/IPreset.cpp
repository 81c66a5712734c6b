// Presets of the plug-in base: the bank chunk and the operations that create, restore
// and rename presets. Callers hold the plug-in mutex.

#include "Framework/IPreset.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Framework/IModuleBase.h"

namespace {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Digit(char c) {
  const char* found = c ? std::strchr(kBase64Alphabet, c) : nullptr;
  return found ? int(found - kBase64Alphabet) : -1;
}

// Decodes into exactly `size` bytes (zero where the text runs out); stops at the first
// character outside the alphabet, such as the padding "=".
std::vector<uint8_t> DecodeBase64(const char* text, int size) {
  std::vector<uint8_t> bytes(size_t(size), 0);
  uint32_t bits = 0;
  int nBits = 0;
  size_t written = 0;
  for (const char* c = text; c && written < bytes.size(); ++c) {
    const int digit = Base64Digit(*c);
    if (digit < 0) break;
    bits = (bits << 6) | uint32_t(digit);
    nBits += 6;
    if (nBits >= 8) {
      nBits -= 8;
      bytes[written++] = uint8_t(bits >> nBits);
      bits &= (1u << nBits) - 1;
    }
  }
  return bytes;
}

std::string EncodeBase64(const uint8_t* bytes, int size) {
  std::string text;
  for (int i = 0; i < size; i += 3) {
    const int n = std::min(3, size - i);
    uint32_t group = uint32_t(bytes[i]) << 16;
    if (n > 1) group |= uint32_t(bytes[i + 1]) << 8;
    if (n > 2) group |= uint32_t(bytes[i + 2]);
    for (int k = 0; k < 4; ++k) {
      text += k <= n ? kBase64Alphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return text;
}

// The next variable argument as the parameter's value: an int for whole-numbered
// parameters, else a double.
double NextPresetValue(va_list* args, const IParam* param) {
  switch (param->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return double(va_arg(*args, int));
    default: return va_arg(*args, double);
  }
}

}  // namespace

IPreset::IPreset() { SetName("empty"); }

void IPreset::SetName(const char* name) { std::snprintf(mName, sizeof mName, "%s", name ? name : ""); }

IPreset* IModuleBase::TakeFreePreset(const char* name) {
  for (int i = 0, n = NPresets(); i < n; ++i) {
    IPreset* preset = mPresets.Get(i);
    if (preset->mInitialized) continue;
    preset->mInitialized = true;
    preset->SetName(name);
    preset->mChunk.Clear();
    return preset;
  }
  return nullptr;
}

bool IModuleBase::RestorePreset(int idx) {
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;
  if (preset->mInitialized) {
    if (UnserializeState(&preset->mChunk, 0) < 1) return false;
  } else {
    int nUserPresets = 0;
    for (int i = 0, n = NPresets(); i < n; ++i) {
      const IPreset* other = mPresets.Get(i);
      if (other && std::strstr(other->mName, "user preset")) ++nUserPresets;
    }
    preset->mInitialized = true;
    std::snprintf(preset->mName, sizeof preset->mName, "user preset %d", nUserPresets + 1);
    preset->mChunk.Clear();
    if (!SerializeState(&preset->mChunk)) return false;
  }
  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IModuleBase::RestorePreset(const char* name) {
  if (!name || !name[0]) return false;
  for (int i = 0, n = NPresets(); i < n; ++i) {
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  }
  return false;
}

const char* IModuleBase::GetPresetName(int idx) const {
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IModuleBase::ModifyCurrentPreset(const char* name) {
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SerializeState(&preset->mChunk);
  if (name && name[0]) preset->SetName(name);
}

void IModuleBase::MakeDefaultPreset(const char* name, int nPresets) {
  for (int round = 0; round < nPresets; ++round) {
    IPreset* preset = TakeFreePreset(name ? name : "Empty");
    if (!preset) return;
    SerializeState(&preset->mChunk);
  }
}

void IModuleBase::EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }

void IModuleBase::PruneUninitializedPresets() {
  for (int i = NPresets() - 1; i >= 0; --i) {
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
  }
}

bool IModuleBase::SerializePresets(ByteChunk* chunk) {
  int64_t expected = chunk->Size();
  for (int i = 0, n = NPresets(); i < n; ++i) {
    const IPreset* preset = mPresets.Get(i);
    chunk->PutStr(preset->mName);
    chunk->PutBool(preset->mInitialized);
    if (preset->mInitialized) chunk->PutChunk(&preset->mChunk);
    expected += 4 + int64_t(std::strlen(preset->mName)) + 1 + (preset->mInitialized ? preset->mChunk.Size() : 0);
  }
  // A chunk that could not grow must not pass for a saved bank.
  return chunk->Size() == expected;
}

int IModuleBase::UnserializePresets(ByteChunk* chunk, int startPos) {
  int pos = startPos;
  for (int i = 0, n = NPresets(); i < n && pos >= 0; ++i) {
    IPreset* preset = mPresets.Get(i);
    // One per preset: an empty stored name must not keep the previous preset's name.
    Kit_String name;
    pos = chunk->GetStr(&name, pos);
    if (pos < 0) break;
    preset->SetName(name.Get());
    bool initialized = false;
    pos = chunk->GetBool(&initialized, pos);
    if (pos < 0) break;
    preset->mInitialized = initialized;
    if (initialized) {
      pos = UnserializeState(chunk, pos);
      if (pos > 0) {
        preset->mChunk.Clear();
        SerializeState(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

void IModuleBase::MakePreset(const char* name, ...) {
  IPreset* preset = TakeFreePreset(name);
  if (!preset) return;
  va_list values;
  va_start(values, name);
  for (int i = 0, n = NAutomatedParams(); i < n; ++i) {
    preset->mChunk.PutDouble(NextPresetValue(&values, GetParam(i)));
  }
  va_end(values);
}

void IModuleBase::MakePresetFromNamedParams(const char* name, int nNamed, ...) {
  IPreset* preset = TakeFreePreset(name);
  if (!preset) return;

  // Marks a parameter that no pair names.
  constexpr double kUnnamed = 9.999e-08;
  const int nAutomated = NAutomatedParams();
  std::vector<double> values(size_t(std::max(nAutomated, 0)), kUnnamed);
  va_list pairs;
  va_start(pairs, nNamed);
  for (int k = 0; k < nNamed; ++k) {
    const int paramIdx = va_arg(pairs, int);
    // The value's type follows from the parameter; past the list nothing more can be read.
    if (paramIdx < 0 || paramIdx >= nAutomated) break;
    values[size_t(paramIdx)] = NextPresetValue(&pairs, GetParam(paramIdx));
  }
  va_end(pairs);
  for (int i = 0; i < nAutomated; ++i) {
    const double value = values[size_t(i)] == kUnnamed ? GetParam(i)->Value() : values[size_t(i)];
    preset->mChunk.PutDouble(value);
  }
}

void IModuleBase::MakePresetFromChunk(const char* name, ByteChunk* chunk) {
  IPreset* preset = TakeFreePreset(name);
  if (!preset) return;
  preset->mChunk.PutChunk(chunk);
}

void IModuleBase::MakePresetFromBlob(const char* name, const char* base64, int size) {
  if (size < 0) return;
  ByteChunk chunk;
  const std::vector<uint8_t> bytes = DecodeBase64(base64, size);
  chunk.PutBytes(bytes.data(), int(bytes.size()));
  MakePresetFromChunk(name, &chunk);
}

bool IModuleBase::DumpPresetSrcCode(const char* path, const char* const* paramEnumNames) {
  if (!path || !paramEnumNames) return false;
  FILE* file = std::fopen(path, "w");
  if (!file) return false;
  const int n = NAutomatedParams();
  std::fprintf(file, "  MakePresetFromNamedParams(\"name\", %d", n);
  for (int i = 0; i < n; ++i) {
    const IParam* param = GetParam(i);
    const char* enumName = paramEnumNames[i] ? paramEnumNames[i] : "";
    switch (param->Type()) {
      case IParam::kTypeBool:
        std::fprintf(file, ",\n    %s, %s", enumName, param->Value() >= 0.5 ? "true" : "false");
        break;
      case IParam::kTypeInt:
      case IParam::kTypeEnum: std::fprintf(file, ",\n    %s, %d", enumName, param->Int()); break;
      default: std::fprintf(file, ",\n    %s, %.6f", enumName, param->Value()); break;
    }
  }
  std::fprintf(file, ");\n");
  return std::fclose(file) == 0;
}

bool IModuleBase::DumpPresetBlob(const char* path) {
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!path || !preset) return false;
  FILE* file = std::fopen(path, "w");
  if (!file) return false;
  const int size = preset->mChunk.Size();
  const std::string text = EncodeBase64(preset->mChunk.GetBytes(), size);
  std::fprintf(file, "  MakePresetFromBlob(\"name\", \"%s\", %d);\n", text.c_str(), size);
  return std::fclose(file) == 0;
}
