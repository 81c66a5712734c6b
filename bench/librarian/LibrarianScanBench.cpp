// The scan of 1,000 bank files beside a plain read of the same bytes (warm cache).

#include "Framework/ByteChunk.h"
#include "librarian/BankImage.h"
#include "librarian/LibrarianDisk.h"
#include "librarian/LibrarianEditor.h"
#include "librarian/PatchLibrarian.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <ftw.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class QuietEditor : public LibrarianEditor {
public:
  std::string getDataFolder() const override { return "/nonexistent/"; }
  bool isLogEnabled() const override { return false; }
  void printDebugInfo(const std::string&) override {}
  bool isLibrarianPerformanceMode() const override { return false; }
  CurrentFilePair getLeftCurrentFile(bool) const override { return {}; }
  void setLeftCurrentFile(bool, const CurrentFilePair&) override {}
  std::string promptForSaveFile(const std::string&, const std::string&, const std::string&, const SaveRefusal&,
                                std::string*) override {
    return "";
  }
};

std::vector<uint8_t> Message(int seed, int length, uint8_t type, const char* name) {
  std::vector<uint8_t> m = {0xF0, 0x33, 0x00, 0x04, type, 0x00};
  const int nameLength = name ? 10 : 0;
  for (int i = 6; i < length - 1 - nameLength; ++i) m.push_back(uint8_t((seed + i * 31) % 128));
  for (int i = 0; i < nameLength; ++i) m.push_back(uint8_t(name[i]));
  m.push_back(0xF7);
  return m;
}

void Write(const std::string& path, const ByteChunk& bytes) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  if (fd < 0 || ::write(fd, bytes.GetBytes(), size_t(bytes.Size())) != bytes.Size()) std::abort();
  ::close(fd);
}

// 10 folders of 100 files: raw, named and .mid program banks, every tenth a performance bank.
struct Library {
  std::string root;
  std::vector<std::string> files;
  int64_t bytes = 0;

  Library() {
    char pattern[] = "/tmp/tavro-librarian-bench-XXXXXX";
    root = std::string(::mkdtemp(pattern)) + "/Patches";
    ::mkdir(root.c_str(), 0755);
    for (int f = 0; f < 1000; ++f) {
      const std::string folder = root + "/Folder " + std::to_string(f / 100);
      ::mkdir(folder.c_str(), 0755);
      const bool performance = f % 10 == 9;
      const int form = f % 3;  // raw, named, midi
      PatchFile bank;
      bank.type = performance ? 1 : 0;
      for (int k = 0; k < (performance ? 100 : 99); ++k) {
        LibrarianPatch patch;
        patch.messages.push_back({Message(f * 100 + k, performance ? (form == 1 ? 765 : 715) : (form == 1 ? 149 : 139),
                                          performance ? 0x1E : 0x00, form == 1 ? "Bench Name" : nullptr)});
        bank.patches.push_back(patch);
      }
      ByteChunk image;
      bankImage(bank, form == 2, MidiHead::Rewrite, &image);
      const std::string path = folder + "/Bank " + std::to_string(f) +
                               (form == 2   ? ".mid"
                                : form == 1 ? ".nl2"
                                            : ".syx");
      Write(path, image);
      files.push_back(path);
      bytes += image.Size();
    }
  }
  ~Library() {
    ::nftw(
        folderOfPath(root).c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p), 0; }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
};

Library& Shared() {
  static Library library;
  return library;
}

void BM_PlainRead(benchmark::State& state) {
  Library& library = Shared();
  std::vector<uint8_t> buffer(1 << 20);
  for (auto _ : state) {
    int64_t total = 0;
    for (const std::string& path : library.files) {
      const int fd = ::open(path.c_str(), O_RDONLY);
      for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;) total += got;
      ::close(fd);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() * library.bytes);
}

// A first scan into an empty librarian; releasing the library afterwards is not timed.
// Whether the heap gives the released library's pages back to the system before the
// next scan (which then takes fresh pages) depends on where its last blocks happened to
// lie; BM_ScanFreshPages always gives them back, as a scan at start-up finds none to reuse.
void Scan(benchmark::State& state, bool freshPages) {
  Library& library = Shared();
  QuietEditor editor;
  size_t files = 0;
  for (auto _ : state) {
    auto librarian = std::make_unique<PatchLibrarian>(&editor);
    librarian->loadPatchesFromFilesystem(library.root);
    state.PauseTiming();
    librarian->inspect([&](const PatchLibrary& l) { files = l.programFiles.size() + l.performanceFiles.size(); });
    librarian.reset();
    if (freshPages) ::malloc_trim(0);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * library.bytes);
  state.counters["files"] = double(files);
}

void BM_Scan(benchmark::State& state) { Scan(state, false); }
void BM_ScanFreshPages(benchmark::State& state) { Scan(state, true); }

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFreshPages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
