#include "tea.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace {

using Block = std::array<unsigned char, 8>;

Block Deciphered(Block block, const uint32_t* key) {
  Tea::simpledecrypt(block.data(), key);
  return block;
}

Block Enciphered(Block block, const uint32_t* key) {
  Tea::simpleencrypt(block.data(), key);
  return block;
}

const uint32_t kZeroKey[4] = {0, 0, 0, 0};

} // namespace

TEST(Tea, ZeroKeyVectorsDecipher) {
  EXPECT_EQ(Deciphered({0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40}, kZeroKey), (Block{}));
  EXPECT_EQ(Deciphered({0x6A, 0x2F, 0x9C, 0xF3, 0xFC, 0xCF, 0x3C, 0x55}, kZeroKey),
            (Block{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Tea, ZeroKeyVectorsEncipher) {
  EXPECT_EQ(Enciphered(Block{}, kZeroKey), (Block{0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40}));
  EXPECT_EQ(Enciphered({1, 2, 3, 4, 5, 6, 7, 8}, kZeroKey),
            (Block{0x6A, 0x2F, 0x9C, 0xF3, 0xFC, 0xCF, 0x3C, 0x55}));
}

TEST(Tea, RandomBlocksRoundTripUnderRandomKeys) {
  std::mt19937 random(20260101);
  for (int round = 0; round < 2000; ++round) {
    const uint32_t key[4] = {uint32_t(random()), uint32_t(random()), uint32_t(random()), uint32_t(random())};
    Block plain;
    for (unsigned char& b : plain) b = static_cast<unsigned char>(random());
    const Block cipher = Enciphered(plain, key);
    EXPECT_NE(cipher, plain);
    EXPECT_EQ(Deciphered(cipher, key), plain);
  }
}

TEST(Tea, EveryKeyWordMatters) {
  const Block plain{1, 2, 3, 4, 5, 6, 7, 8};
  const Block base = Enciphered(plain, kZeroKey);
  for (int word = 0; word < 4; ++word) {
    uint32_t key[4] = {0, 0, 0, 0};
    key[word] = 1;
    EXPECT_NE(Enciphered(plain, key), base) << "key word " << word;
  }
}
