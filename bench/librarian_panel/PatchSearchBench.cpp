// Search over 100,000 program names in 1,011 banks beside a plain substring loop
// over the same names: a text matching 1 % of them, and one matching all.

#include <benchmark/benchmark.h>

#include <random>

#include "librarian/panel/PatchSearch.h"

namespace {

constexpr int kPatches = 100000;
constexpr int kBankSize = 99;

// Names "P" + nine letters; every hundredth holds "Qx".
const PatchFileList& Library() {
  static const PatchFileList library = [] {
    PatchFileList banks;
    std::mt19937 random(7);
    for (int i = 0; i < kPatches; ++i) {
      if (i % kBankSize == 0) banks.push_back(std::make_unique<PatchFile>());
      std::string name = "P";
      for (int c = 0; c < 9; ++c) name += char('a' + random() % 26);
      if (i % 100 == 0) name.replace(4, 2, "Qx");
      LibrarianPatch patch;
      patch.name = name;
      patch.messages.push_back(PatchSysexMessage{std::vector<uint8_t>(149, 0x10)});
      banks.back()->patches.push_back(std::move(patch));
    }
    return banks;
  }();
  return library;
}

void Search(benchmark::State& state, const char* text) {
  const PatchFileList& library = Library();
  for (auto _ : state) {
    PatchFileList found = collectSearchBanks(library, text);
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["banks"] = double(library.size());
}

void PlainLoop(benchmark::State& state, const char* text) {
  const PatchFileList& library = Library();
  for (auto _ : state) {
    int matches = 0;
    for (const auto& bank : library)
      for (const LibrarianPatch& patch : bank->patches) matches += patch.name.find(text) != std::string::npos;
    benchmark::DoNotOptimize(matches);
  }
}

}  // namespace

BENCHMARK_CAPTURE(Search, OnePercent, "Qx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainLoop, OnePercent, "Qx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, AllMatch, "P")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainLoop, AllMatch, "P")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
