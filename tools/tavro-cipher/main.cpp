// tavro-cipher encrypt|decrypt KEY IN OUT: enciphers or deciphers a layout resource.

#include "CipherBlocks.h"
#include "CipherKey.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFile = 1;

int Usage(const char* problem) {
  std::fprintf(stderr,
               "tavro-cipher: %s\n"
               "usage: tavro-cipher encrypt|decrypt KEY IN OUT\n"
               "  KEY  32 hex digits: the key words k0..k3, 8 digits each, most significant first\n",
               problem);
  return kExitUsage;
}

bool ReadFile(const char* path, std::vector<unsigned char>& bytes) {
  std::FILE* in = std::fopen(path, "rb");
  if (!in) return false;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  const bool failed = std::ferror(in) != 0;
  const int readError = errno;
  std::fclose(in);
  errno = readError;
  return !failed;
}

// Writes beside the target first, so a failed write never spoils an existing OUT.
bool WriteFile(const char* path, const std::vector<unsigned char>& bytes) {
  const std::string partial = std::string(path) + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
      std::remove(partial.c_str());
      return false;
    }
  }
  if (std::rename(partial.c_str(), path) != 0) {
    std::remove(partial.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Usage("expected 4 arguments");
  const std::string mode = argv[1];
  if (mode != "encrypt" && mode != "decrypt") return Usage("the first argument must be encrypt or decrypt");
  uint32_t key[4];
  if (!ParseCipherKey(argv[2], key)) return Usage("KEY must be exactly 32 hex digits");

  std::vector<unsigned char> input;
  if (!ReadFile(argv[3], input)) {
    std::fprintf(stderr, "tavro-cipher: cannot read %s: %s\n", argv[3], std::strerror(errno));
    return kExitFile;
  }
  const std::vector<unsigned char> output =
      mode == "encrypt" ? EncipherPadded(std::move(input), key) : DecipherBlocks(std::move(input), key);
  if (!WriteFile(argv[4], output)) {
    std::fprintf(stderr, "tavro-cipher: cannot write %s: %s\n", argv[4], std::strerror(errno));
    return kExitFile;
  }
  return 0;
}
