#include "editor/sha1.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "RunProgram.h"

namespace {

// Debian's own python3, as apt installs it, is the reference.
const char kPython[] = "/usr/bin/python3";

std::string HexDigest(const void* data, int length) {
  unsigned char hash[sha1::kDigestBytes];
  EXPECT_TRUE(sha1::calc(data, length, hash));
  char hex[sha1::kHexStringBytes];
  sha1::toHexString(hash, hex);
  return hex;
}

std::string HexDigest(const std::string& text) { return HexDigest(text.data(), int(text.size())); }

// Runs a python program with `arguments` (its sys.argv[1:]) and returns its output lines.
std::vector<std::string> PythonLines(const std::string& program, const std::vector<std::string>& arguments = {}) {
  std::vector<std::string> command{kPython, "-c", program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::string output, errors;
  EXPECT_EQ(RunProgram(command, &output, &errors), 0) << errors;
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Hex(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

}  // namespace

TEST(Sha1, PublishedVectors) {
  EXPECT_EQ(HexDigest("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(HexDigest(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(HexDigest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(HexDigest(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, EmptyInputMayBeNull) { EXPECT_EQ(HexDigest(nullptr, 0), "da39a3ee5e6b4b0d3255bfef95601890afd80709"); }

TEST(Sha1, RandomLengthsMatchPythonHashlib) {
  ASSERT_EQ(access(kPython, X_OK), 0) << "needs Debian's python3";
  std::mt19937 random(124);
  std::vector<std::vector<unsigned char>> messages;
  // Every length 0..300 covers the one- and two-block tails (55, 56, 63, 64, 65 ...).
  for (int length = 0; length <= 300; ++length) {
    std::vector<unsigned char> message(static_cast<size_t>(length));
    for (unsigned char& b : message) b = static_cast<unsigned char>(random());
    messages.push_back(message);
  }
  char path[] = "/tmp/tavro-sha1-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    std::ofstream out(path);
    for (const auto& message : messages) out << Hex(message) << "\n";
  }
  const std::vector<std::string> expected = PythonLines(
      "import hashlib, sys\nfor line in open(sys.argv[1]): "
      "print(hashlib.sha1(bytes.fromhex(line.strip())).hexdigest())",
      {path});
  std::remove(path);
  ASSERT_EQ(expected.size(), messages.size());
  for (size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(HexDigest(messages[i].data(), int(messages[i].size())), expected[i]) << "length " << i;
  }
}

TEST(Sha1, UnalignedInputGivesTheSameDigest) {
  std::vector<unsigned char> storage(300);
  for (size_t i = 0; i < storage.size(); ++i) storage[i] = static_cast<unsigned char>(i * 7 + 3);
  for (int shift = 1; shift < 8; ++shift) {
    std::vector<unsigned char> aligned(storage.begin() + shift, storage.begin() + shift + 200);
    EXPECT_EQ(HexDigest(storage.data() + shift, 200), HexDigest(aligned.data(), 200)) << shift;
  }
}

TEST(Sha1, BadArgumentsAreRefusedAndLeaveTheHash) {
  unsigned char hash[sha1::kDigestBytes];
  std::memset(hash, 0x5A, sizeof hash);
  EXPECT_FALSE(sha1::calc("abc", -1, hash));
  EXPECT_FALSE(sha1::calc(nullptr, 3, hash));
  for (unsigned char b : hash) EXPECT_EQ(b, 0x5A);
}

TEST(Sha1, HexTextIsLowerCaseHighNibbleFirst) {
  unsigned char hash[sha1::kDigestBytes] = {0x0A, 0xFF, 0x10};
  char hex[sha1::kHexStringBytes];
  std::memset(hex, '#', sizeof hex);
  sha1::toHexString(hash, hex);
  EXPECT_STREQ(hex, "0aff100000000000000000000000000000000000");
}

TEST(Sha1, LengthsBeyond512MegabytesUseTheWholeLengthField) {
  // 2^29 + 3 bytes: the bit length needs more than 32 bits. Zero pages from an
  // anonymous mapping cost no memory.
  const size_t length = (size_t(1) << 29) + 3;
  void* zeros = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(zeros, MAP_FAILED);
  const std::string digest = HexDigest(zeros, int(length));
  munmap(zeros, length);
  const std::vector<std::string> expected = PythonLines(
      "import hashlib\nh = hashlib.sha1()\nchunk = bytes(1 << 20)\n"
      "for _ in range(512): h.update(chunk)\nh.update(bytes(3))\nprint(h.hexdigest())");
  ASSERT_EQ(expected.size(), 1u);
  EXPECT_EQ(digest, expected[0]);
}
