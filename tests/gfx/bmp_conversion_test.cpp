// 24-bit rows are converted several pixels at a time; every pixel must come
// out exactly as PackRgb packs it, in every display layout, at every row
// length (whole groups, remainders, rows shorter than a group) and across the
// blocks a large picture is read in.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "app/engine_config.h"
#include "gfx/bmp.h"
#include "gfx/pixel_format.h"
#include "gfx_fixtures.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

// Colours with every bit in use, so the bits each layout drops are exercised.
Colours Noise(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  Colours colours(static_cast<size_t>(width) * height);
  for (uint32_t& c : colours) c = random() & 0xFFFFFF;
  return colours;
}

uint16_t Packed(uint32_t rgb) { return PackRgb(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void ExpectPacked(const Image& image, int width, int height, const Colours& colours) {
  ASSERT_EQ(image.width, width);
  ASSERT_EQ(image.height, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(image.At(x, y), Packed(colours[static_cast<size_t>(y) * width + x]))
          << "pixel " << x << "," << y << " of " << width << "x" << height;
}

class BmpConversion : public ::testing::TestWithParam<ChannelMasks> {
 protected:
  void SetUp() override { SetPixelFormat(GetParam()); }
  void TearDown() override { SetPixelFormat({0xF800, 0x07E0, 0x001F}); }
};

TEST_P(BmpConversion, EveryRowLengthMatchesThePackingOfEachPixel) {
  for (int width : {1, 2, 5, 7, 8, 9, 15, 16, 17, 23, 24, 25, 31, 32, 33, 40, 47, 48, 49, 100, 501}) {
    const int height = 3;
    const Colours colours = Noise(width, height, static_cast<uint32_t>(width));
    BmpHeaderFields f;
    f.width = width;
    f.height = height;
    const auto file = MakeBmpFile(f, EncodeRows(width, height, colours, 24, false, 0xA5));
    ImagePtr image;
    ASSERT_EQ(DecodeBmp(file.data(), file.size(), image), BmpStatus::Ok) << width;
    ExpectPacked(*image, width, height, colours);
  }
}

TEST_P(BmpConversion, ThirtyTwoBitRowsStillMatch) {
  const Colours colours = Noise(13, 4, 99);
  BmpHeaderFields f;
  f.width = 13;
  f.height = 4;
  f.bitsPerPixel = 32;
  const auto file = MakeBmpFile(f, EncodeRows(13, 4, colours, 32));
  ImagePtr image;
  ASSERT_EQ(DecodeBmp(file.data(), file.size(), image), BmpStatus::Ok);
  ExpectPacked(*image, 13, 4, colours);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpConversion,
                         ::testing::Values(ChannelMasks{0xF800, 0x07E0, 0x001F},  // 565
                                           ChannelMasks{0x7C00, 0x03E0, 0x001F},  // 555
                                           ChannelMasks{0x001F, 0x07E0, 0xF800}));  // blue and red swapped

// A level picture is read from its file a block of rows at a time; the rows
// must land in their places whichever way the file stores them, loose or
// inside an archive.
class BmpBlocks : public ::testing::Test {
 protected:
  BmpBlocks() : work_(dir_.path()) {}
  ~BmpBlocks() override { EngineConfig.Packaged = savedPackaged_; }

  int32_t savedPackaged_ = EngineConfig.Packaged;
  ScopedPlatform platform_;
  ScratchDir dir_;
  ScopedWorkDir work_;
};

TEST_F(BmpBlocks, LargePicturesLoadWholeInBothRowOrders) {
  // 700 pixels make rows of 2100 bytes: 700 rows are several blocks.
  const int width = 700, height = 700;
  const Colours colours = Noise(width, height, 7);
  for (bool topDown : {false, true}) {
    BmpHeaderFields f;
    f.width = width;
    f.height = topDown ? -height : height;
    const auto file = MakeBmpFile(f, EncodeRows(width, height, colours, 24, topDown));
    dir_.Write("big.bmp", file);
    dir_.Write("Picture.dat", MakeArchive({{"small.bmp", MakePatternBmp(3, 3)}, {"big.bmp", file}}));

    EngineConfig.Packaged = 0;
    ImagePtr loose;
    ASSERT_EQ(LoadBmpImage("big.bmp", loose, 1), 1) << topDown;
    ExpectPacked(*loose, width, height, colours);

    EngineConfig.Packaged = 1;
    ImagePtr packed;
    ASSERT_EQ(LoadBmpImage("Picture\\big.bmp", packed, 0), 1) << topDown;
    ExpectPacked(*packed, width, height, colours);
  }
}

TEST_F(BmpBlocks, APictureCutShortInALaterBlockFailsAndKeepsTheSlot) {
  const int width = 700, height = 700;
  BmpHeaderFields f;
  f.width = width;
  f.height = height;
  auto file = MakeBmpFile(f, EncodeRows(width, height, Noise(width, height, 3), 24));
  file.resize(file.size() - 5000);  // the last rows are missing
  dir_.Write("cut.bmp", file);
  EngineConfig.Packaged = 0;
  ImagePtr slot = CreateImage(2, 2);
  slot->At(0, 0) = 0x1234;
  EXPECT_EQ(LoadBmpImage("cut.bmp", slot, 1), 0);
  ASSERT_TRUE(slot);
  EXPECT_EQ(slot->width, 2);
  EXPECT_EQ(slot->At(0, 0), 0x1234);
}

}  // namespace
}  // namespace tessera::test
