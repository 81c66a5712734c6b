#include "LibrarianFixtures.h"

#include "Framework/ByteChunk.h"
#include "librarian/LibrarianDisk.h"
#include "librarian/PatchLibrarian.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

bool FakeEditor::Logged(const std::string& part) const {
  for (const std::string& line : logLines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

TempFolder::TempFolder(const char* base) {
  std::string pattern = std::string(base) + "/tavro-librarian-XXXXXX";
  if (::mkdtemp(pattern.data())) path_ = pattern;
  EXPECT_FALSE(path_.empty());
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  ::nftw(
      path_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p), 0; }, 16,
      FTW_DEPTH | FTW_PHYS);
}

Bytes Program(int seed, int slot, const std::string& name) {
  Bytes bytes = {0xF0, 0x33, 0x00, 0x04, 0x00, uint8_t(slot)};
  for (int i = 6; i < 138; ++i) bytes.push_back(uint8_t((seed * 7 + i * 13) % 128));
  bytes.insert(bytes.end(), name.begin(), name.end());
  bytes.push_back(0xF7);
  return bytes;
}

Bytes Performance(int seed, int length, int slot) {
  Bytes bytes = {0xF0, 0x33, 0x00, 0x04, 0x1E, uint8_t(slot)};
  for (int i = 6; i < length - 1; ++i) bytes.push_back(uint8_t((seed * 5 + i * 11) % 128));
  bytes.push_back(0xF7);
  return bytes;
}

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Programs(int count, int firstSeed) {
  std::vector<Bytes> parts;
  for (int i = 0; i < count; ++i) parts.push_back(Program(firstSeed + i, i % 100));
  return Join(parts);
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

PatchFile Read(const Bytes& image) {
  ByteChunk chunk;
  chunk.PutBytes(image.data(), int(image.size()));
  PatchFile file;
  PatchLibrarian::loadFromChunk(&chunk, chunk.Size(), &file, 0);
  return file;
}

std::vector<std::string> PatchNames(const PatchFile& file) {
  std::vector<std::string> names;
  for (const LibrarianPatch& patch : file.patches) names.push_back(patch.name);
  return names;
}
