#include "tea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

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

}  // namespace

TEST(Tea, ZeroKeyVectorsDecipher) {
  EXPECT_EQ(Deciphered({0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40}, kZeroKey), (Block{}));
  EXPECT_EQ(Deciphered({0x6A, 0x2F, 0x9C, 0xF3, 0xFC, 0xCF, 0x3C, 0x55}, kZeroKey), (Block{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(Tea, ZeroKeyVectorsEncipher) {
  EXPECT_EQ(Enciphered(Block{}, kZeroKey), (Block{0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40}));
  EXPECT_EQ(Enciphered({1, 2, 3, 4, 5, 6, 7, 8}, kZeroKey), (Block{0x6A, 0x2F, 0x9C, 0xF3, 0xFC, 0xCF, 0x3C, 0x55}));
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

TEST(Tea, NativeWordBlocksMatchTheByteBlocksOnBigEndianWords) {
  const uint32_t key[4] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210};
  uint32_t words[2] = {0x01020304, 0x05060708};
  Tea::encryptTea(words, key);
  const Block bytes = Enciphered({1, 2, 3, 4, 5, 6, 7, 8}, key);
  EXPECT_EQ(words[0], uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3]);
  Tea::decryptTea(words, key);
  EXPECT_EQ(words[0], 0x01020304u);
  EXPECT_EQ(words[1], 0x05060708u);
}

TEST(Tea, LengthTrailerBuffersRoundTripAndDamagedTrailersStayInside) {
  const uint32_t key[4] = {5, 6, 7, 8};
  for (uint32_t length : {0u, 1u, 7u, 8u, 9u, 30u}) {
    SCOPED_TRACE(length);
    std::vector<unsigned char> data((length + 7) / 8 * 8 + 8, 0);
    for (uint32_t i = 0; i < length; ++i) data[i] = static_cast<unsigned char>(i * 7 + 1);
    const std::vector<unsigned char> plain = data;
    uint32_t n = length;
    Tea::encryptBlock(data.data(), &n, key);
    EXPECT_EQ(n, data.size());
    Tea::decryptBlock(data.data(), &n, key);
    EXPECT_EQ(n, length);
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + length, data.begin()));
  }
  // A trailer that claims more than the buffer holds, and a buffer without a block.
  std::vector<unsigned char> data(16, 0);
  uint32_t n = 8;
  Tea::encryptBlock(data.data(), &n, key);
  std::vector<unsigned char> forged(16, 0xFF);
  uint32_t forgedLength = 16;
  Tea::decryptBlock(forged.data(), &forgedLength, key);
  EXPECT_LE(forgedLength, 8u);
  uint32_t tiny = 5;
  Tea::decryptBlock(forged.data(), &tiny, key);
  EXPECT_EQ(tiny, 0u);
}

TEST(Tea, PrintBufferWritesTheBytesAndANewline) {
  const unsigned char bytes[] = {'a', 0, 'b'};
  testing::internal::CaptureStdout();
  Tea::printBuffer(bytes, 3);
  Tea::printBuffer(nullptr, 4);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("a\0b\n\n", 5));
}

TEST(Tea, ManyBlocksAtOnceMatchOneBlockAfterAnother) {
  std::mt19937 random(99);
  const uint32_t key[4] = {uint32_t(random()), uint32_t(random()), uint32_t(random()), uint32_t(random())};
  for (size_t blocks : {0u, 1u, 7u, 8u, 9u, 17u, 100u}) {
    std::vector<unsigned char> data(blocks * 8);
    for (unsigned char& b : data) b = static_cast<unsigned char>(random());
    std::vector<unsigned char> reference = data;
    for (size_t i = 0; i < blocks; ++i) Tea::simpledecrypt(reference.data() + i * 8, key);
    Tea::simpledecryptBlocks(data.data(), blocks, key);
    EXPECT_EQ(data, reference) << blocks;
  }
}
