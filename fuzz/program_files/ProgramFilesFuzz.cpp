// The program and bank file loaders over arbitrary files. The first byte chooses whether
// the rest is the whole file or is wrapped in a well-formed container (a state chunk after
// the version header, or a list of values), so the state readers behind the container
// are reached too. A load either succeeds or leaves the plug-in exactly as it was.

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BaseTestPlug.h"
#include "Framework/FxFile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Two automated parameters, one that is not, and two presets.
struct FuzzPlug : BaseTestPlug {
  explicit FuzzPlug(bool chunks) : BaseTestPlug(3, 2, "2-2", 2, "Tavro Editor", chunks) {
    GetParam(0)->InitDouble("level", 0.5, -1.0, 1.0, 0.001);
    GetParam(1)->InitInt("mode", 2, 0, 7);
    GetParam(2)->InitBool("on", false);
  }
  // Nothing recorded: the plug-in lives for the whole run.
  void PresetsChangedByHost() override {}
  // The state and every preset, to see that a refused load changed nothing.
  std::vector<uint8_t> Everything() {
    ByteChunk chunk;
    chunk.PutInt32(GetCurrentPresetIdx());
    SerializeState(&chunk);
    SerializePresets(&chunk);
    return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
  }
};

std::vector<uint8_t> HeaderThen(const uint8_t* data, size_t size) {
  ByteChunk header;
  InitChunkWithIModuleVer(&header);
  std::vector<uint8_t> bytes(header.GetBytes(), header.GetBytes() + header.Size());
  bytes.insert(bytes.end(), data, data + size);
  return bytes;
}

std::vector<float> Floats(const uint8_t* data, size_t size, size_t count) {
  std::vector<float> values(count, 0.0f);
  std::memcpy(values.data(), data, std::min(size, count * sizeof(float)));
  return values;
}

std::vector<uint8_t> MakeFile(uint8_t mode, const uint8_t* data, size_t size) {
  const int32_t id = FourCharCode("tvrq");
  FxProgram program;
  program.pluginId = id;
  FxBank bank;
  bank.pluginId = id;
  bank.currentProgram = size ? data[0] % 3 : 0;
  switch (mode % 5) {
    case 1:
      program.isChunk = true;
      program.chunk = HeaderThen(data, size);
      return FxWriteProgram(program);
    case 2:
      bank.isChunk = true;
      bank.programCount = 2;
      bank.chunk = HeaderThen(data, size);
      return FxWriteBank(bank);
    case 3: program.values = Floats(data, size, 2); return FxWriteProgram(program);
    case 4:
      program.values = Floats(data, size, 2);
      bank.programs = {program, program};
      bank.programs[1].values = Floats(data + size / 2, size - size / 2, 2);
      return FxWriteBank(bank);
    default: return std::vector<uint8_t>(data, data + size);
  }
}

// Every codec read that succeeds survives a write and a second read.
void CheckCodec(const std::vector<uint8_t>& file) {
  FxProgram program;
  if (FxReadProgram(file.data(), file.size(), &program)) {
    const std::vector<uint8_t> again = FxWriteProgram(program);
    FxProgram back;
    Check(FxReadProgram(again.data(), again.size(), &back));
    Check(back.values.size() == program.values.size() && back.chunk == program.chunk);
  }
  FxBank bank;
  if (FxReadBank(file.data(), file.size(), &bank)) {
    const std::vector<uint8_t> again = FxWriteBank(bank);
    FxBank back;
    Check(FxReadBank(again.data(), again.size(), &back));
    Check(back.programs.size() == bank.programs.size() && back.chunk == bank.chunk);
  }
}

const std::string& FilePath() {
  static const std::string path = "/tmp/tavro-program-files-fuzz-" + std::to_string(getpid());
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::vector<uint8_t> file = MakeFile(data[0], data + 1, size - 1);
  CheckCodec(file);
  FILE* out = std::fopen(FilePath().c_str(), "wb");
  if (!out) return 0;
  std::fwrite(file.data(), 1, file.size(), out);
  std::fclose(out);

  // One plug-in of each kind for the whole run: each owns a port closer thread, too dear
  // to start for every input. What one input loaded is the next one's starting point.
  static FuzzPlug* plugs[] = {new FuzzPlug(true), new FuzzPlug(false)};
  for (FuzzPlug* plugPointer : plugs) {
    for (const bool bank : {false, true}) {
      FuzzPlug& plug = *plugPointer;
      const std::vector<uint8_t> before = plug.Everything();
      const bool loaded = bank ? plug.LoadBankFromFXB(FilePath().c_str()) : plug.LoadProgramFromFXP(FilePath().c_str());
      if (!loaded) Check(plug.Everything() == before);
      for (int i = 0; i < plug.NParams(); ++i) {
        const IParam* param = plug.GetParam(i);
        Check(param->Value() >= param->GetMin() && param->Value() <= param->GetMax());
      }
    }
  }
  return 0;
}
