#include "gfx/pixel_format.h"

#include <gtest/gtest.h>

namespace tessera {
namespace {

const ChannelMasks k565{0xF800, 0x07E0, 0x001F};
const ChannelMasks k555{0x7C00, 0x03E0, 0x001F};

TEST(PixelFormatTest, AnalysesShiftsAndWidths) {
  SetPixelFormat(k565);
  EXPECT_EQ(PixelFormat.red.shift, 11);
  EXPECT_EQ(PixelFormat.red.narrow, 1);
  EXPECT_EQ(PixelFormat.green.shift, 5);
  EXPECT_EQ(PixelFormat.green.narrow, 0);
  EXPECT_EQ(PixelFormat.blue.shift, 0);
  EXPECT_EQ(PixelFormat.blue.narrow, 1);
  SetPixelFormat(k555);
  EXPECT_EQ(PixelFormat.red.shift, 10);
  EXPECT_EQ(PixelFormat.green.narrow, 1);
  SetPixelFormat(ChannelMasks{0, 0, 0});
  EXPECT_EQ(PixelFormat.red.shift, 0);
}

TEST(PixelFormatTest, Packs565) {
  SetPixelFormat(k565);
  EXPECT_EQ(PackRgb(255, 255, 255), 0xFFFF);
  EXPECT_EQ(PackRgb(255, 0, 0), 0xF800);
  EXPECT_EQ(PackRgb(0, 255, 0), 0x07E0);
  EXPECT_EQ(PackRgb(110, 235, 220), 0x6F5B);
  EXPECT_EQ(PackRgb(7, 3, 7), 0);
  EXPECT_EQ(PackRgb(256 + 255, 0, 0), PackRgb(255, 0, 0));
  EXPECT_EQ(UnpackPixel(0xFFFF), (Rgb{248, 252, 248}));
}

TEST(PixelFormatTest, Packs555) {
  SetPixelFormat(k555);
  EXPECT_EQ(PackRgb(255, 255, 255), 0x7FFF);
  EXPECT_EQ(PackRgb(110, 235, 220), 0x37BB);
  EXPECT_EQ(PackRgb(7, 7, 7), 0);
  EXPECT_EQ(UnpackPixel(0x7FFF), (Rgb{248, 248, 248}));
  SetPixelFormat(k565);
}

TEST(PixelFormatTest, FallbackMasksPackLikeTheDisplaysOwn) {
  SetPixelFormat(k565);
  uint16_t expected[64];
  for (int i = 0; i < 64; ++i) expected[i] = PackRgb(i * 37, i * 91, i * 13);
  UseFallbackMasks();
  for (int i = 0; i < 64; ++i) EXPECT_EQ(PackRgb(i * 37, i * 91, i * 13), expected[i]) << i;
  SetPixelFormat(k565);
}

TEST(PixelFormatTest, UnpackThenPackIsStableInBothLayouts) {
  for (const ChannelMasks& masks : {k565, k555}) {
    SetPixelFormat(masks);
    for (uint32_t p = 0; p < 0x10000; p += 7) {
      uint16_t pixel = static_cast<uint16_t>(p) & static_cast<uint16_t>(masks.red | masks.green | masks.blue);
      Rgb c = UnpackPixel(pixel);
      ASSERT_EQ(PackRgb(c.r, c.g, c.b), pixel) << p;
    }
  }
  SetPixelFormat(k565);
}

}  // namespace
}  // namespace tessera
