// Opening the editor (every start-up stage on the built bundle's authored panel,
// headless, fake ports) beside deciphering and parsing its layout alone.
//   Arguments: panel size (0 normal, 1 large), bank files in the patch folder.

#include <benchmark/benchmark.h>

#include "CipherBlocks.h"
#include "EditorTestSupport.h"
#include "ResourceKey.h"
#include "layout/LayoutResource.h"

namespace {

void WriteBanks(const TempDataRoot& data, int count) {
  std::system(("mkdir -p '" + data.folder() + "Patches'").c_str());
  for (int b = 0; b < count; ++b) {
    std::string bank;
    for (int p = 0; p < 99; ++p) {
      bank += std::string{char(0xF0), 0x33, 0x00, 0x04, 0x00, char(p)};
      for (int i = 6; i < 138; ++i) bank += char(((b * 99 + p) * 7 + i * 13) % 128);
      bank += char(0xF7);
    }
    data.write("Patches/Bench Bank " + std::to_string(b) + ".syx", bank);
  }
}

void BM_OpenEditor(benchmark::State& state) {
  RegisterBuiltBundle();
  TempDataRoot data;
  data.write("Tavro Editor UI.txt", state.range(0) ? "\nlarge\nyes\n" : "\nnormal\nyes\n");
  WriteBanks(data, int(state.range(1)));
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  for (auto _ : state) {
    auto plug = std::make_unique<Tavro>(info, std::make_shared<MidiPortFake>());
    state.PauseTiming();
    plug.reset();
    state.ResumeTiming();
  }
}

void BM_ParseAuthoredLayout(benchmark::State& state) {
  std::ifstream in(std::string(TAVRO_BINARY_DIR) + "/Tavro.component/Resources/uiconfig.tea", std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(bytes.size() + 8, 0);
  for (auto _ : state) {
    const std::string text = DecipherResourceText(bytes.data(), int(bytes.size() - 8), kResourceKey);
    benchmark::DoNotOptimize(ParseLayoutText(text));
  }
}

}  // namespace

BENCHMARK(BM_OpenEditor)->Args({0, 0})->Args({1, 0})->Args({0, 20})->Args({1, 20})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAuthoredLayout)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
