// The drawing operations: exact pixels for the cases the screens rely on, and
// the guarantee that no call writes outside the screen or reads outside its picture.
#include <gtest/gtest.h>

#include <climits>

#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx_fixtures.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class Draw : public ::testing::Test {
 protected:
  ScopedPlatform platform_;  // 5-6-5 layout
  GuardedScreen screen_;

  // Every pixel of the screen for which inside(x, y) holds equals `colour`, all
  // others are still 0.
  template <typename Inside>
  void ExpectOnly(Inside inside, uint16_t colour) {
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 0; x < SCREEN_WIDTH; ++x)
        ASSERT_EQ(screen_.At(x, y), inside(x, y) ? colour : 0) << "at " << x << "," << y;
    EXPECT_TRUE(screen_.GuardsIntact());
  }
};

const uint16_t kRed565 = 0xF800;

TEST_F(Draw, FillRectClipsToTheScreen) {
  FillRect(-10, 100, 20, 5, 255, 0, 0, screen_.pixels());
  ExpectOnly([](int x, int y) { return x <= 9 && y >= 100 && y <= 104; }, kRed565);
}

TEST_F(Draw, FillRectOutsideOrEmptyDrawsNothing) {
  FillRect(800, 0, 10, 10, 255, 0, 0, screen_.pixels());
  FillRect(0, 600, 10, 10, 255, 0, 0, screen_.pixels());
  FillRect(-10, 0, 10, 10, 255, 0, 0, screen_.pixels());
  FillRect(0, -10, 10, 10, 255, 0, 0, screen_.pixels());
  FillRect(5, 5, 0, 10, 255, 0, 0, screen_.pixels());
  FillRect(5, 5, 10, -1, 255, 0, 0, screen_.pixels());
  FillRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX, 255, 0, 0, screen_.pixels());
  FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 255, 0, 0, screen_.pixels());
  FillRect(1, 1, 1, 1, 255, 0, 0, nullptr);
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  EXPECT_TRUE(screen_.GuardsIntact());
}

TEST_F(Draw, FillRectCoveringMoreThanTheScreenFillsExactlyTheScreen) {
  FillRect(-1000000, -1000000, INT_MAX, INT_MAX, 0, 255, 0, screen_.pixels());
  ExpectOnly([](int, int) { return true; }, 0x07E0);
}

TEST_F(Draw, FillRectPacksChannelsFromTheirLowByte) {
  FillRect(0, 0, 1, 1, 256 + 255, 0x100, 0, screen_.pixels());
  EXPECT_EQ(screen_.At(0, 0), kRed565);
}

TEST_F(Draw, FrameRectDrawsItsBandsInsideTheRectangle) {
  FrameRect(31, 76, 52, 52, 2, 255, 0, 0, screen_.pixels());
  ExpectOnly(
      [](int x, int y) {
        const bool inRect = x >= 31 && x <= 82 && y >= 76 && y <= 127;
        const bool band = y <= 77 || y >= 126 || x <= 32 || x >= 81;
        return inRect && band;
      },
      kRed565);
}

TEST_F(Draw, FrameRectLowerThanTwoBandsDrawsOnlyTopAndBottom) {
  FrameRect(10, 10, 20, 3, 2, 255, 0, 0, screen_.pixels());
  ExpectOnly([](int x, int y) { return x >= 10 && x <= 29 && y >= 10 && y <= 12; }, kRed565);
}

TEST_F(Draw, FrameRectClipsEachBand) {
  FrameRect(790, 590, 20, 20, 3, 255, 0, 0, screen_.pixels());
  ExpectOnly(
      [](int x, int y) {
        // Top band rows 590-592, left band columns 790-792; the right and bottom bands are off screen.
        return x >= 790 && ((y >= 590 && y <= 592) || (x <= 792 && y >= 593));
      },
      kRed565);
  // Entirely off screen, and bands whose arithmetic would overflow.
  FrameRect(800, 0, 10, 10, 1, 255, 255, 255, screen_.pixels());
  FrameRect(0, 0, INT_MAX, INT_MAX, INT_MAX, 255, 255, 255, screen_.pixels());
  FrameRect(INT_MIN + 1, INT_MIN + 1, INT_MAX, INT_MAX, INT_MIN, 255, 255, 255, screen_.pixels());
  EXPECT_TRUE(screen_.GuardsIntact());
}

TEST_F(Draw, OpaqueCopyWritesEveryPixelKeyIncluded) {
  ImagePtr image = NumberedImage(7, 4, /*key*/ 1);
  DrawImage(100, 200, image.get(), screen_.pixels());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(screen_.At(100 + x, 200 + y), image->At(x, y));
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 28);
}

TEST_F(Draw, KeyedCopySkipsTheWholeKeyValueOnly) {
  ImagePtr image = CreateImage(4, 1, 0x1234);
  image->pixels = {0xFFFF, 0x1234, 0x0000, 0x1235};
  GuardedScreen screen(0x7777);
  DrawImageKeyed(10, 10, image.get(), screen.pixels());
  EXPECT_EQ(screen.At(10, 10), 0xFFFF);
  EXPECT_EQ(screen.At(11, 10), 0x7777);  // right after an opaque pixel, still untouched
  EXPECT_EQ(screen.At(12, 10), 0x0000);  // black is not transparent when the key is not black
  EXPECT_EQ(screen.At(13, 10), 0x1235);
  EXPECT_EQ(screen.At(14, 10), 0x7777);
  EXPECT_EQ(screen.Count(0x7777), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 3);
}

TEST_F(Draw, ClippedKeyedCopyShowsTheVisiblePartOfThePicture) {
  ImagePtr image = NumberedImage(20, 3, /*key*/ 0xFFFF);
  image->At(2, 1) = 0xFFFF;
  DrawImageKeyedClipped(790, 100, image.get(), screen_.pixels());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(screen_.At(790 + x, 100 + y), (x == 2 && y == 1) ? 0 : image->At(x, y));

  GuardedScreen left;
  DrawImageKeyedClipped(-5, -1, image.get(), left.pixels());
  EXPECT_EQ(left.At(0, 0), image->At(5, 1));
  EXPECT_EQ(left.At(14, 1), image->At(19, 2));
  EXPECT_EQ(left.At(15, 0), 0);
  EXPECT_EQ(left.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 30);

  GuardedScreen none;
  for (auto [x, y] : {std::pair{-20, 0}, {800, 0}, {0, -3}, {0, 600}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}})
    DrawImageKeyedClipped(x, y, image.get(), none.pixels());
  EXPECT_EQ(none.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  EXPECT_TRUE(screen_.GuardsIntact() && left.GuardsIntact() && none.GuardsIntact());
}

TEST_F(Draw, GreyUsesTruncatedWeights) {
  ImagePtr image = CreateImage(5, 1);
  image->pixels = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000};
  DrawImageGrey(0, 0, image.get(), screen_.pixels());
  EXPECT_EQ(screen_.At(0, 0), 0xFFDF);
  EXPECT_EQ(screen_.At(1, 0), 0x4A49);
  EXPECT_EQ(screen_.At(2, 0), 0x94B2);
  EXPECT_EQ(screen_.At(3, 0), 0x18C3);
  EXPECT_EQ(screen_.At(4, 0), 0x0000);
}

TEST(DrawGrey, FiveFiveFiveWhiteBecomesItsGrey) {
  HeadlessOptions options = ScopedPlatform::QuietOptions();
  options.pixel555 = true;
  ScopedPlatform platform(options);
  ImagePtr image = CreateImage(1, 1);
  image->pixels = {0x7FFF};  // (248, 248, 248): s = 74 + 146 + 27 = 247
  GuardedScreen screen;
  DrawImageGrey(3, 4, image.get(), screen.pixels());
  EXPECT_EQ(screen.At(3, 4), 0x7BDE);
}

TEST_F(Draw, PartCopiesASubRectangleWithTheImagesStride) {
  ImagePtr image = NumberedImage(30, 20);
  DrawImagePart(image.get(), screen_.pixels(), 5, 7, 4, 3, 400, 300);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(screen_.At(400 + x, 300 + y), image->At(5 + x, 7 + y));
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 12);
}

TEST_F(Draw, ScaledDownTakesEveryTenthPixel) {
  ImagePtr image = NumberedImage(500, 500);
  DrawImageScaled(image.get(), 50, 50, screen_.pixels(), 150, 50);
  EXPECT_EQ(screen_.At(150, 50), image->At(0, 0));
  EXPECT_EQ(screen_.At(151, 50), image->At(10, 0));
  EXPECT_EQ(screen_.At(152, 50), image->At(20, 0));
  EXPECT_EQ(screen_.At(199, 99), image->At(490, 490));
  EXPECT_EQ(screen_.At(153, 57), image->At(30, 70));
  EXPECT_EQ(screen_.At(200, 50), 0);
  EXPECT_EQ(screen_.At(150, 100), 0);
}

TEST_F(Draw, ScaledUpDoublesEveryPixel) {
  ImagePtr image = NumberedImage(25, 25);
  DrawImageScaled(image.get(), 50, 50, screen_.pixels(), 0, 0);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_EQ(screen_.At(x, y), image->At(x / 2, y / 2));
  // Cut at the left edge after an odd number of columns, and at the right edge.
  ImagePtr wide = NumberedImage(60, 2);
  DrawImageScaled(wide.get(), 120, 4, screen_.pixels(), -37, 100);
  DrawImageScaled(wide.get(), 120, 4, screen_.pixels(), 717, 200);
  for (int x = 0; x < 83; ++x) {
    ASSERT_EQ(screen_.At(x, 103), wide->At((x + 37) / 2, 1)) << x;
    ASSERT_EQ(screen_.At(717 + x, 200), wide->At(x / 2, 0)) << x;
  }
  EXPECT_TRUE(screen_.GuardsIntact());
}

TEST_F(Draw, ScaledFormsProductsBeforeDividing) {
  ImagePtr image = NumberedImage(3, 1);
  DrawImageScaled(image.get(), 7, 1, screen_.pixels(), 0, 0);
  const int expected[7] = {0, 0, 0, 1, 1, 2, 2};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(screen_.At(i, 0), image->At(expected[i], 0)) << i;
}

TEST_F(Draw, ScaledOffTheScreenDrawsOnlyTheVisiblePart) {
  ImagePtr image = NumberedImage(10, 10);
  DrawImageScaled(image.get(), 40, 40, screen_.pixels(), 780, -20);
  EXPECT_EQ(screen_.At(780, 0), image->At(0, 5));
  EXPECT_EQ(screen_.At(799, 19), image->At(4, 9));
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 20 * 20);
  DrawImageScaled(image.get(), 0, 10, screen_.pixels(), 0, 0);
  DrawImageScaled(image.get(), 10, -1, screen_.pixels(), 0, 0);
  DrawImageScaled(image.get(), INT_MAX, INT_MAX, screen_.pixels(), INT_MIN, INT_MIN);
  DrawImageScaled(image.get(), 100000, 100000, screen_.pixels(), -99990, -99990);
  EXPECT_EQ(screen_.At(0, 0), image->At(9, 9));
  EXPECT_TRUE(screen_.GuardsIntact());
}

TEST_F(Draw, UnclippedOperationsNeverWriteOutsideTheScreen) {
  ImagePtr image = NumberedImage(20, 20, 0);
  for (auto [x, y] : {std::pair{790, 595}, {-10, -10}, {-19, 599}, {799, -19}, {INT_MIN, 0}, {0, INT_MAX}}) {
    DrawImage(x, y, image.get(), screen_.pixels());
    DrawImageKeyed(x, y, image.get(), screen_.pixels());
    DrawImageGrey(x, y, image.get(), screen_.pixels());
    DrawImagePart(image.get(), screen_.pixels(), 0, 0, 20, 20, x, y);
  }
  EXPECT_TRUE(screen_.GuardsIntact());
  // The corner cases land their visible part.
  EXPECT_NE(screen_.At(799, 599), 0);
  EXPECT_NE(screen_.At(0, 0), 0);
}

TEST_F(Draw, PartNeverReadsOutsideThePicture) {
  ImagePtr image = NumberedImage(10, 10);
  DrawImagePart(image.get(), screen_.pixels(), -5, -5, 100, 100, 0, 0);
  // Only the source pixels that exist were copied, each to where it belongs.
  EXPECT_EQ(screen_.At(5, 5), image->At(0, 0));
  EXPECT_EQ(screen_.At(14, 14), image->At(9, 9));
  EXPECT_EQ(screen_.At(15, 5), 0);
  EXPECT_EQ(screen_.At(4, 4), 0);
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 100);
  DrawImagePart(image.get(), screen_.pixels(), INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0);
  DrawImagePart(image.get(), screen_.pixels(), 2, 2, -4, 3, 0, 0);
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT - 100);
}

TEST_F(Draw, NullPicturesDrawNothing) {
  DrawImage(0, 0, nullptr, screen_.pixels());
  DrawImageKeyed(0, 0, nullptr, screen_.pixels());
  DrawImageKeyedClipped(0, 0, nullptr, screen_.pixels());
  DrawImageGrey(0, 0, nullptr, screen_.pixels());
  DrawImagePart(nullptr, screen_.pixels(), 0, 0, 5, 5, 0, 0);
  DrawImageScaled(nullptr, 5, 5, screen_.pixels(), 0, 0);
  ImagePtr target = CreateImage(2, 2);
  target->pixels = {1, 2, 3, 4};
  ScaleImage(nullptr, target.get());
  CutImage(nullptr, target.get(), 0, 0);
  ImagePtr image = NumberedImage(4, 4);
  ScaleImage(image.get(), nullptr);
  CutImage(image.get(), nullptr, 0, 0);
  DrawImage(0, 0, image.get(), nullptr);
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  EXPECT_EQ(target->pixels, (PixelVector{1, 2, 3, 4}));
}

TEST_F(Draw, PicturesWhosePixelsDoNotCoverTheirSidesAreNotRead) {
  ImagePtr image = NumberedImage(4, 4);
  image->width = 400;  // a record damaged by its owner
  DrawImage(0, 0, image.get(), screen_.pixels());
  DrawImageKeyed(0, 0, image.get(), screen_.pixels());
  DrawImageScaled(image.get(), 50, 50, screen_.pixels(), 0, 0);
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
}

TEST(ImageToImage, ScaleImageTakesEveryFifthPixel) {
  ImagePtr source = NumberedImage(500, 500);
  ImagePtr thumbnail = CreateImage(100, 100);
  ScaleImage(source.get(), thumbnail.get());
  ASSERT_EQ(thumbnail->width, 100);
  for (int j = 0; j < 100; ++j)
    for (int i = 0; i < 100; ++i) ASSERT_EQ(thumbnail->At(i, j), source->At(5 * i, 5 * j));
}

TEST(ImageToImage, ScaleImageKeepsTheTargetsSides) {
  ImagePtr source = NumberedImage(3, 2);
  Image target;
  target.width = 6;
  target.height = 1;  // sides set, pixels not yet
  ScaleImage(source.get(), &target);
  ASSERT_EQ(target.pixels.size(), 6u);
  EXPECT_EQ(target.width, 6);
  EXPECT_EQ(target.pixels, (PixelVector{source->At(0, 0), source->At(0, 0), source->At(1, 0),
                                                   source->At(1, 0), source->At(2, 0), source->At(2, 0)}));
}

TEST(ImageToImage, ScaleImageIntoAVeryWideTargetKeepsEveryColumnRight) {
  ImagePtr source = NumberedImage(7, 2);
  ImagePtr target = CreateImage(2100, 3);
  ScaleImage(source.get(), target.get());
  // Every 300 target columns show one source column; the last row repeats row 1.
  for (int i = 0; i < 2100; i += 150) {
    ASSERT_EQ(target->At(i, 0), source->At(i / 300, 0)) << i;
    ASSERT_EQ(target->At(i, 2), source->At(i / 300, 1)) << i;
  }
  EXPECT_EQ(target->At(2099, 1), source->At(6, 0));
  EXPECT_EQ(target->At(1199, 0), source->At(3, 0));
  EXPECT_EQ(target->At(1200, 0), source->At(4, 0));
}

TEST(ImageToImage, CutImageCopiesOnePiece) {
  ImagePtr source = NumberedImage(100, 100);
  ImagePtr piece = CreateImage(25, 25);
  CutImage(source.get(), piece.get(), 50, 25);
  for (int j = 0; j < 25; ++j)
    for (int i = 0; i < 25; ++i) ASSERT_EQ(piece->At(i, j), source->At(50 + i, 25 + j));
}

TEST(ImageToImage, CutImageOverTheEdgeCopiesOnlyWhatExists) {
  ImagePtr source = NumberedImage(10, 10);
  ImagePtr piece = CreateImage(6, 6);
  CutImage(source.get(), piece.get(), 7, -2);
  EXPECT_EQ(piece->At(0, 2), source->At(7, 0));
  EXPECT_EQ(piece->At(2, 5), source->At(9, 3));
  EXPECT_EQ(piece->At(3, 2), 0);  // column 10 of the source does not exist
  EXPECT_EQ(piece->At(0, 1), 0);  // row -1 neither
  CutImage(source.get(), piece.get(), INT_MAX, INT_MIN);
  EXPECT_EQ(piece->At(0, 2), source->At(7, 0));
}

// Every width from 1 to 70 (the narrow sprite paths, their overlapping last
// block, and the wide rows) and a clip at each edge, against the pixel rule.
TEST_F(Draw, OpaqueAndKeyedCopiesOfEveryWidthMatchThePixelRule) {
  for (int w = 1; w <= 70; ++w) {
    ImagePtr image = NumberedImage(w, 3, /*key*/ 0);
    for (int x = 0; x < w; ++x) image->At(x, x % 3) = 0;  // transparent pixels in every block position
    image->key = image->At(w / 2, 1);                      // a key that is also a colour
    for (auto [x, y] : {std::pair{100, 50}, {SCREEN_WIDTH - w / 2 - 1, 598}, {-w / 2, -1}}) {
      GuardedScreen keyed(0x7777), opaque(0x7777);
      DrawImageKeyed(x, y, image.get(), keyed.pixels());
      DrawImage(x, y, image.get(), opaque.pixels());
      for (int j = 0; j < 3; ++j)
        for (int i = 0; i < w; ++i) {
          if (x + i < 0 || x + i >= SCREEN_WIDTH || y + j < 0 || y + j >= SCREEN_HEIGHT) continue;
          const uint16_t p = image->At(i, j);
          ASSERT_EQ(keyed.At(x + i, y + j), p == image->key ? 0x7777 : p) << w << " " << i << "," << j;
          ASSERT_EQ(opaque.At(x + i, y + j), p) << w << " " << i << "," << j;
        }
      ASSERT_TRUE(keyed.GuardsIntact() && opaque.GuardsIntact());
    }
  }
}

// The grid of copies draws what its copies drawn one by one in order draw,
// overlapping and clipped copies included.
TEST_F(Draw, KeyedGridEqualsItsCopiesInOrder) {
  for (int w : {3, 9, 17, 70}) {
    ImagePtr image = NumberedImage(w, 5, /*key*/ 0);
    for (int x = 0; x < w; x += 2) image->At(x, 2) = 0;
    struct Layout {
      int x, y, dx, dy, columns, first, last;
    };
    for (Layout l : {Layout{694, 229, 10, 9, 10, 0, 400}, Layout{700, 20, 6, 4, 7, 3, 30},
                     Layout{-8, 590, 10, 3, 90, 0, 200}, Layout{400, 300, -4, -2, 5, -3, 12}}) {
      GuardedScreen grid(0x7777), single(0x7777);
      DrawImageKeyedGrid(image.get(), l.x, l.y, l.dx, l.dy, l.columns, l.first, l.last, grid.pixels());
      for (int i = std::max(l.first, 0); i < l.last; ++i)
        DrawImageKeyed(l.x + l.dx * (i % l.columns), l.y + l.dy * (i / l.columns), image.get(), single.pixels());
      ASSERT_TRUE(grid.memory == single.memory) << w << " at " << l.x << "," << l.y;
    }
  }
}

}  // namespace
}  // namespace tessera::test
