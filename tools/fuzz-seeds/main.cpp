// Writes fuzz seeds made by the project's own code: the base plug-in's parameter and
// preset chunks, the simulator's replies to the requests it answers (sent back as
// stores), its dumps in every reply length for the dump parsers, and the host names
// the records know. scripts/make-fuzz-seeds runs it.
//
// Usage: tavro-fuzz-seeds FUZZDIR   (writes FUZZDIR/<target>/seeds/*)

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BaseTestPlug.h"
#include "Framework/ByteChunk.h"
#include "Framework/Hosts.h"
#include "Kit_TimeSource.h"
#include "SynthSim.h"
#include "SynthSimScheduler.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Write(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

Bytes ChunkBytes(const ByteChunk& chunk) {
  const uint8_t* data = chunk.GetBytes();
  return Bytes(data, data + chunk.Size());
}

// A parameter block and a preset bank of a small plug-in on the base.
bool WriteChunkSeeds(const std::string& dir) {
  BaseTestPlug plug(5, 3, "2-2", 2);
  plug.GetParam(0)->InitDouble("level", 0.25, -1.0, 1.0, 0.001);
  plug.GetParam(1)->InitInt("mode", 5, 0, 7);
  plug.GetParam(2)->InitBool("on", true);
  plug.GetParam(3)->InitEnum("port", 0, 1);
  plug.GetParam(4)->InitText();
  plug.GetParam(4)->SetDisplayText(0, "name");
  ByteChunk params, presets;
  return plug.SerializeParams(&params) && plug.SerializePresets(&presets) &&
         Write(dir + "/params.chunk", ChunkBytes(params)) && Write(dir + "/presets.chunk", ChunkBytes(presets));
}

// The length code SynthSimFuzz.cpp reads before each message: the length itself,
// or 0xF0 + the index of a dump size.
bool LengthCode(size_t size, uint8_t* code) {
  static const size_t kDumpSizes[] = {7, 139, 149, 711, 714, 715, 725, 765, 766};
  if (size < 0xF0) {
    *code = uint8_t(size);
    return true;
  }
  for (size_t i = 0; i < sizeof kDumpSizes / sizeof kDumpSizes[0]; ++i) {
    if (kDumpSizes[i] != size) continue;
    *code = uint8_t(0xF0 + i);
    return true;
  }
  return false;
}

// For each model, every request type the simulator answers: the request for
// number 0, then its reply sent back as a store.
bool WriteSynthSimSeeds(const std::string& dir) {
  int written = 0;
  for (int model : {1, 2}) {
    for (int type = 0; type < 0x80; ++type) {
      Kit_VirtualClock clock(0);
      SynthSimVirtualScheduler scheduler(clock);
      SynthSimSettings settings;
      settings.model = model;
      std::vector<SynthSim::Message> replies;
      SynthSim sim(settings, scheduler, [&](const SynthSim::Message& m) { replies.push_back(m); });
      const Bytes request = {0xF0, 0x33, 0x00, 0x04, uint8_t(type), 0x00, 0xF7};
      sim.Receive(request.data(), request.size());
      clock.Advance(1000000);
      if (replies.size() != 1) continue;
      uint8_t code = 0;
      if (!LengthCode(replies[0].size(), &code)) return false;
      // Model, then settings of a unit that always answers in the usual lengths.
      Bytes seed = {uint8_t(model), 0xE0, uint8_t(request.size())};
      seed.insert(seed.end(), request.begin(), request.end());
      seed.push_back(code);
      seed.insert(seed.end(), replies[0].begin(), replies[0].end());
      char name[32];
      std::snprintf(name, sizeof name, "/model%d-type%02x", model, type);
      if (!Write(dir + name, seed)) return false;
      ++written;
    }
  }
  return written > 0;
}

// The simulator's edit-buffer dumps in each reply length, each after a flags byte
// giving the model (the dump parsers' target; no locks).
bool WriteDumpSeeds(const std::string& dir) {
  for (int length : {0, 149, 711, 712, 720, 725, 765}) {
    for (uint8_t request : {0x0A, 0x28}) {
      Kit_VirtualClock clock(0);
      SynthSimVirtualScheduler scheduler(clock);
      SynthSimSettings settings;
      settings.replyLength = length;
      std::vector<SynthSim::Message> replies;
      SynthSim sim(settings, scheduler, [&](const SynthSim::Message& m) { replies.push_back(m); });
      const Bytes ask = {0xF0, 0x33, 0x00, 0x04, request, 0x01, 0xF7};
      sim.Receive(ask.data(), ask.size());
      clock.Advance(1000000);
      if (replies.size() != 1) return false;
      Bytes seed = {uint8_t(length % 3)};
      seed.insert(seed.end(), replies[0].begin(), replies[0].end());
      char name[32];
      std::snprintf(name, sizeof name, "/reply-%zu", replies[0].size());
      if (!Write(dir + name, seed)) return false;
    }
  }
  return true;
}

// Every host's name as the records show it, and a build stamp in the compiler's
// __DATE__ __TIME__ form (fixed, so the seeds do not change with each build).
bool WriteRecordSeeds(const std::string& dir) {
  for (int host = kHostUnknown; host <= kHostArdour; ++host) {
    char name[kHostNameBufferSize];
    GetHostNameStr(EHost(host), name);
    if (!Write(dir + "/host-" + std::to_string(host), Bytes(name, name + std::strlen(name)))) return false;
  }
  const std::string stamp = "Dec  6 202620:44:16";
  return Write(dir + "/build-stamp", Bytes(stamp.begin(), stamp.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tavro-fuzz-seeds FUZZDIR\n");
    return 2;
  }
  const std::string fuzz = argv[1];
  if (!WriteChunkSeeds(fuzz + "/chunks/seeds") || !WriteSynthSimSeeds(fuzz + "/synthsim/seeds") ||
      !WriteRecordSeeds(fuzz + "/records/seeds") || !WriteDumpSeeds(fuzz + "/dumps/seeds")) {
    std::fprintf(stderr, "tavro-fuzz-seeds: could not write the seeds under %s\n", fuzz.c_str());
    return 1;
  }
  return 0;
}
