// Runs the built tavro-cipher program on files, as the resource builder will.

#include "RemoveTree.h"
#include "RunProgram.h"
#include "tea.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kZeroKeyText(32, '0');

class CipherTool : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavro-cipher-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { RemoveTree(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs the tool with `args`; its exit status, and its error output in errors_.
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), TAVRO_CIPHER_TOOL);
    std::string output;
    return RunProgram(args, &output, &errors_);
  }

  static void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

  std::string dir_;
  std::string errors_;
};

std::string KeyText(std::mt19937& random) {
  static const char kHex[] = "0123456789abcdefABCDEF";
  std::string text;
  for (int i = 0; i < 32; ++i) text += kHex[random() % 22];
  return text;
}

}  // namespace

TEST_F(CipherTool, FilesOfAnyLengthRoundTrip) {
  std::mt19937 random(7);
  for (size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 100u, 4097u}) {
    SCOPED_TRACE(length);
    Bytes plain(length);
    for (unsigned char& b : plain) b = static_cast<unsigned char>(random());
    const std::string key = KeyText(random);
    Write(Path("plain"), plain);
    ASSERT_EQ(Run({"encrypt", key, Path("plain"), Path("cipher")}), 0) << errors_;
    const Bytes cipher = Read(Path("cipher"));
    // Padded with zeros to whole blocks, always at least one zero byte.
    EXPECT_EQ(cipher.size(), (length / 8 + 1) * 8);
    ASSERT_EQ(Run({"decrypt", key, Path("cipher"), Path("back")}), 0) << errors_;
    Bytes back = Read(Path("back"));
    ASSERT_EQ(back.size(), cipher.size());
    EXPECT_TRUE(std::all_of(back.begin() + long(length), back.end(), [](unsigned char b) { return b == 0; }));
    back.resize(length);
    EXPECT_EQ(back, plain);
  }
}

TEST_F(CipherTool, EncipheredBlocksMatchTheKnownZeroKeyVectors) {
  Write(Path("plain"), {1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_EQ(Run({"encrypt", kZeroKeyText, Path("plain"), Path("cipher")}), 0) << errors_;
  // The data block, then the padding block of eight zeros.
  EXPECT_EQ(Read(Path("cipher")),
            (Bytes{0x6A, 0x2F, 0x9C, 0xF3, 0xFC, 0xCF, 0x3C, 0x55, 0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40}));
}

TEST_F(CipherTool, KeyDigitsAreFourBigEndianWords) {
  Bytes plain{'<', 'u', 'i', '>', 'k', 'e', 'y', '!'};
  Write(Path("plain"), plain);
  ASSERT_EQ(Run({"encrypt", "0A0B0C0D00000002f00000031234abcd", Path("plain"), Path("cipher")}), 0) << errors_;
  const uint32_t key[4] = {0x0A0B0C0D, 0x00000002, 0xF0000003, 0x1234ABCD};
  Tea::simpleencrypt(plain.data(), key);
  const Bytes cipher = Read(Path("cipher"));
  ASSERT_EQ(cipher.size(), 16u);
  EXPECT_EQ(Bytes(cipher.begin(), cipher.begin() + 8), plain);
}

TEST_F(CipherTool, DecryptOfAPartialLastBlockUsesZeroFill) {
  Bytes cipher{9, 8, 7, 6, 5, 4, 3, 2, 0xAA, 0xBB, 0xCC};
  Write(Path("cipher"), cipher);
  ASSERT_EQ(Run({"decrypt", kZeroKeyText, Path("cipher"), Path("plain")}), 0) << errors_;
  cipher.resize(16, 0);
  const uint32_t zeroKey[4] = {0, 0, 0, 0};
  Tea::simpledecrypt(cipher.data(), zeroKey);
  Tea::simpledecrypt(cipher.data() + 8, zeroKey);
  EXPECT_EQ(Read(Path("plain")), cipher);
}

TEST_F(CipherTool, BadArgumentsFailWithAMessage) {
  Write(Path("in"), {1, 2, 3});
  const std::string in = Path("in");
  const std::string out = Path("out");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"encrypt", kZeroKeyText, in},
                                             {"scramble", kZeroKeyText, in, out},
                                             {"encrypt", "1234", in, out},
                                             {"encrypt", std::string(31, '0') + "g", in, out},
                                             {"decrypt", std::string(33, '0'), in, out},
                                             {"encrypt", kZeroKeyText, in, out, "extra"}}) {
    std::string trace;
    for (const std::string& arg : args) trace += arg + " ";
    SCOPED_TRACE(trace);
    EXPECT_NE(Run(args), 0);
    EXPECT_NE(errors_.find("tavro-cipher: "), std::string::npos);
    EXPECT_NE(errors_.find("usage:"), std::string::npos);
    EXPECT_FALSE(Exists(out));
  }
}

TEST_F(CipherTool, UnreadableInputFailsAndLeavesTheOutputAlone) {
  Write(Path("out"), {42});
  for (const std::string& in : {Path("missing"), dir_}) {
    SCOPED_TRACE(in);
    EXPECT_NE(Run({"encrypt", kZeroKeyText, in, Path("out")}), 0);
    EXPECT_NE(errors_.find("cannot read " + in), std::string::npos) << errors_;
    EXPECT_EQ(Read(Path("out")), Bytes{42});
  }
}

TEST_F(CipherTool, UnwritableOutputFailsWithAMessage) {
  Write(Path("in"), {1, 2, 3});
  EXPECT_NE(Run({"encrypt", kZeroKeyText, Path("in"), Path("no-such-dir/out")}), 0);
  EXPECT_NE(errors_.find("cannot write"), std::string::npos) << errors_;
}
