// Cold load of the 70 panel images at size large through the layout reader, beside
// decoding the 68 PNG files alone, in one run. Counters give the images' pixels at
// scale 1 and their bytes at 1.25.

#include <benchmark/benchmark.h>

#include <memory>

#include "Framework/IGraphicsMac.h"
#include "LintPanel.h"
#include "LintTestSupport.h"
#include "layout/tables/ImageTable.h"
#include "rasteriser/Raster_PNG.h"

namespace {

std::vector<std::string> PngFiles() {
  std::vector<std::string> files;
  for (const std::string& name : FilesIn(BuiltBundle() + "/Resources")) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0)
      files.push_back(BuiltBundle() + "/Resources/" + name);
  }
  return files;
}

// The reader with the images alone: no layout texts, so nothing but images is built.
void BM_ReaderLoadsImagesCold(benchmark::State& state) {
  TempBundle bundle("", "");
  const double scale = 1.25;
  long pixels = 0;
  for (auto _ : state) {
    LintPanel panel(bundle.path(), scale);
    state.PauseTiming();
    pixels = 0;
    for (int i = 0; i < kImageTableSize; ++i) {
      IBitmap bm = panel.graphics().getImageById(kImageTable[i].id, kImageTable[i].frames, kImageTable[i].horizontal);
      pixels += long(bm.W) * bm.H;
    }
    state.ResumeTiming();
  }
  state.counters["pixels_at_1.25"] = double(pixels);
  state.counters["MB_at_1.25"] = double(pixels) * 4 / 1e6;
}
BENCHMARK(BM_ReaderLoadsImagesCold)->Unit(benchmark::kMillisecond);

// The same panel without image files: what the reader's load costs beside the images.
void BM_ReaderWithoutImages(benchmark::State& state) {
  TempBundle bundle("", "", false);
  for (auto _ : state) LintPanel panel(bundle.path(), 1.25);
}
BENCHMARK(BM_ReaderWithoutImages)->Unit(benchmark::kMillisecond);

void BM_DecodeTheFilesAlone(benchmark::State& state) {
  const std::vector<std::string> files = PngFiles();
  long pixels = 0;
  for (auto _ : state) {
    pixels = 0;
    for (const std::string& file : files) {
      std::unique_ptr<Raster_IBitmap> bm(Raster_LoadPNG(file.c_str(), nullptr));
      pixels += long(bm->getWidth()) * bm->getHeight();
    }
  }
  state.counters["files"] = double(files.size());
  state.counters["pixels_at_1"] = double(pixels);
}
BENCHMARK(BM_DecodeTheFilesAlone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
