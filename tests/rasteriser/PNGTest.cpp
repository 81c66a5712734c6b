// Raster_LoadPNG against images written by an independent encoder (Python's zlib
// and struct), and against broken files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Kit_ProcessStatus.h"
#include "RemoveTree.h"
#include "RunProgram.h"
#include "rasteriser/Raster.h"

namespace {

constexpr int kW = 13, kH = 11;

// Mirrors make_pngs.py.
int Sample(int x, int y, int c, int depth) {
  if (depth == 16) return (x * 3001 + y * 977 + c * 12345 + x * y * 7) % 65536;
  return (x * 37 + y * 11 + c * 71 + x * y) % (1 << depth);
}
int PaletteIndex(int x, int y, int depth) { return (x + 3 * y) % std::min(1 << depth, 40); }

// A sample of `depth` bits as 8 bits: exact scaling below 8, rounded from 16.
uint32_t To8(int v, int depth) {
  if (depth == 16) return static_cast<uint32_t>((v * 255L + 32767) / 65535);
  return static_cast<uint32_t>(v * 255 / ((1 << depth) - 1));
}

uint32_t Expected(int ctype, int depth, bool trns, int x, int y) {
  auto s = [&](int c) { return Sample(x, y, c, depth); };
  switch (ctype) {
    case 0: {
      const uint32_t g = To8(s(0), depth);
      const bool keyed = trns && s(0) == Sample(0, 0, 0, depth);
      return Raster_Pixel(keyed ? 0 : 255, g, g, g);
    }
    case 2: {
      const bool keyed =
          trns && s(0) == Sample(0, 0, 0, depth) && s(1) == Sample(0, 0, 1, depth) && s(2) == Sample(0, 0, 2, depth);
      return Raster_Pixel(keyed ? 0 : 255, To8(s(0), depth), To8(s(1), depth), To8(s(2), depth));
    }
    case 3: {
      const int i = PaletteIndex(x, y, depth);
      const int count = std::min(1 << depth, 40);
      const uint32_t a = (trns && i < count / 2) ? static_cast<uint32_t>((i * 29) % 256) : 255;
      return Raster_Pixel(a, (i * 17) % 256, (i * 53) % 256, (i * 101) % 256);
    }
    case 4: {
      const uint32_t g = To8(s(0), depth);
      return Raster_Pixel(To8(s(1), depth), g, g, g);
    }
    default: return Raster_Pixel(To8(s(3), depth), To8(s(0), depth), To8(s(1), depth), To8(s(2), depth));
  }
}

class PNGFiles : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/raster_png_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::string output;
    ASSERT_EQ(RunProgram({"python3", TAVRO_TEST_DATA_DIR "/make_pngs.py", dir_}, &output), 0) << output;
  }
  static void TearDownTestSuite() { RemoveTree(dir_); }
  static std::string Path(const std::string& name) { return dir_ + "/" + name; }
  static std::string dir_;
};
std::string PNGFiles::dir_;

struct Case {
  int ctype;
  int depth;
};
const Case kCases[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                       {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

void CheckImage(const std::string& path, int ctype, int depth, bool trns) {
  std::unique_ptr<Raster_IBitmap> bm(Raster_LoadPNG(path.c_str(), nullptr));
  ASSERT_NE(bm, nullptr) << path;
  ASSERT_EQ(bm->getWidth(), kW);
  ASSERT_EQ(bm->getHeight(), kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(Raster_GetPixel(bm.get(), x, y), Expected(ctype, depth, trns, x, y)) << path << " at " << x << "," << y;
    }
  }
}

TEST_F(PNGFiles, EveryColourTypeAndDepthDecodesToTheExpectedWords) {
  for (const Case& c : kCases) {
    for (int interlace : {0, 1}) {
      CheckImage(Path("c" + std::to_string(c.ctype) + "_d" + std::to_string(c.depth) + "_i" +
                      std::to_string(interlace) + ".png"),
                 c.ctype, c.depth, false);
    }
  }
}

TEST_F(PNGFiles, TransparencyChunksBecomeAlpha) {
  for (const Case& c : kCases) {
    if (c.ctype == 0 || c.ctype == 2 || c.ctype == 3) {
      CheckImage(Path("c" + std::to_string(c.ctype) + "_d" + std::to_string(c.depth) + "_i0_t.png"), c.ctype, c.depth,
                 true);
    }
  }
}

TEST_F(PNGFiles, DecodesIntoAGivenBitmap) {
  Raster_SysBitmap target(3, 3);
  Raster_IBitmap* result = Raster_LoadPNG(Path("c6_d8_i0.png").c_str(), &target);
  ASSERT_EQ(result, &target);
  EXPECT_EQ(target.getWidth(), kW);
  EXPECT_EQ(Raster_GetPixel(&target, 5, 7), Expected(6, 8, false, 5, 7));
}

TEST_F(PNGFiles, BrokenTruncatedAndMissingFilesGiveNull) {
  for (const char* name : {"bad_empty.png", "bad_signature_only.png", "bad_partial_signature.png", "bad_after_ihdr.png",
                           "bad_half.png", "bad_no_iend.png", "bad_crc.png", "bad_zlib.png", "bad_zero_width.png",
                           "bad_huge.png", "bad_depth.png", "bad_text.png", "does_not_exist.png"}) {
    EXPECT_EQ(Raster_LoadPNG(Path(name).c_str(), nullptr), nullptr) << name;
  }
  EXPECT_EQ(Raster_LoadPNG(nullptr, nullptr), nullptr);
  EXPECT_EQ(Raster_LoadPNG(dir_.c_str(), nullptr), nullptr);  // a folder
}

TEST_F(PNGFiles, EveryTruncationOfAGoodFileGivesNull) {
  std::ifstream in(Path("c3_d4_i1.png"), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 60u);
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_EQ(Raster_LoadPNGFromMemory(bytes.data(), cut, nullptr), nullptr) << cut;
  }
  std::unique_ptr<Raster_IBitmap> whole(Raster_LoadPNGFromMemory(bytes.data(), bytes.size(), nullptr));
  EXPECT_NE(whole, nullptr);
}

// The most this process's resident memory has reached since ResetPeakMemory, in kB.
long PeakMemoryKB() { return Kit_ProcessStatusField("VmHWM"); }
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

TEST_F(PNGFiles, AChunkLongerThanTheFileIsRefusedWithoutReservingIt) {
  std::ifstream in(Path("c3_d4_i1.png"), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 33u);
  // After IHDR, a palette suggestion declaring 1.9 GB, of which the file has none.
  const char header[] = {0x73, 0x73, 0x73, 0x73, 's', 'P', 'L', 'T'};
  bytes.insert(bytes.begin() + 33, header, header + sizeof header);
  ResetPeakMemory();
  const long before = PeakMemoryKB();
  ASSERT_GT(before, 0);
  EXPECT_EQ(Raster_LoadPNGFromMemory(bytes.data(), bytes.size(), nullptr), nullptr);
  EXPECT_LT(PeakMemoryKB() - before, 64 * 1024);
}

}  // namespace

TEST(PNGSave, RoundTripsEveryPixelWithAlphaAndGivesTheSameBytesTwice) {
  Raster_MemBitmap bitmap(kW, kH, 4);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      bitmap.getBits()[y * bitmap.getRowSpan() + x] =
          Raster_Pixel(uint32_t(x * 19 + y), uint32_t(x * 7), uint32_t(y * 23), uint32_t(x * y));
  std::vector<unsigned char> first, second;
  ASSERT_TRUE(Raster_SavePNGToMemory(&bitmap, &first));
  ASSERT_TRUE(Raster_SavePNGToMemory(&bitmap, &second));
  EXPECT_EQ(first, second);
  std::unique_ptr<Raster_IBitmap> back(Raster_LoadPNGFromMemory(first.data(), first.size(), nullptr));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->getWidth(), kW);
  ASSERT_EQ(back->getHeight(), kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      EXPECT_EQ(back->getBits()[y * back->getRowSpan() + x], bitmap.getBits()[y * bitmap.getRowSpan() + x]);
}

TEST(PNGSave, EmptyBitmapsAndUnwritablePathsFail) {
  Raster_MemBitmap empty(0, 0, 4);
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(Raster_SavePNGToMemory(&empty, &bytes));
  EXPECT_FALSE(Raster_SavePNGToMemory(nullptr, &bytes));
  Raster_MemBitmap one(1, 1, 4);
  EXPECT_FALSE(Raster_SavePNG("/nonexistent-folder/x.png", &one));
  const std::string path = "/tmp/tavro-png-save-" + std::to_string(getpid()) + ".png";
  ASSERT_TRUE(Raster_SavePNG(path.c_str(), &one));
  std::unique_ptr<Raster_IBitmap> back(Raster_LoadPNG(path.c_str(), nullptr));
  std::remove(path.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->getWidth(), 1);
}
