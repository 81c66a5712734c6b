#include "CipherBlocks.h"

#include "tea.h"

#include <cstddef>

namespace {

using BlockFunction = void (*)(unsigned char*, const uint32_t*);

std::vector<unsigned char> CipherEachBlock(std::vector<unsigned char> data, std::size_t paddedSize,
                                           const uint32_t key[4], BlockFunction cipher) {
  data.resize(paddedSize, 0);
  for (std::size_t offset = 0; offset < data.size(); offset += Tea::kBlockBytes) cipher(data.data() + offset, key);
  return data;
}

}  // namespace

std::vector<unsigned char> EncipherPadded(std::vector<unsigned char> plain, const uint32_t key[4]) {
  const std::size_t padded = (plain.size() / Tea::kBlockBytes + 1) * Tea::kBlockBytes;
  return CipherEachBlock(std::move(plain), padded, key, Tea::simpleencrypt);
}

std::vector<unsigned char> DecipherBlocks(std::vector<unsigned char> cipher, const uint32_t key[4]) {
  const std::size_t padded = (cipher.size() + Tea::kBlockBytes - 1) / Tea::kBlockBytes * Tea::kBlockBytes;
  return CipherEachBlock(std::move(cipher), padded, key, Tea::simpledecrypt);
}
