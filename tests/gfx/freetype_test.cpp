// The real font engine: the system's Chinese faces through FreeType.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gfx/text.h"
#include "gfx_fixtures.h"
#include "platform/backends.h"

namespace tessera::test {
namespace {

struct Ink {
  int pixels = 0;
  int top = 32, bottom = -1, left = 32, right = -1;
};

Ink Rasterize(GlyphRasterizer& font, uint16_t code, int size) {
  uint32_t rows[32] = {};
  font.Rasterize(code, size, rows);
  Ink ink;
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 32; ++c)
      if (rows[r] & (0x80000000u >> c)) {
        ++ink.pixels;
        ink.top = std::min(ink.top, r);
        ink.bottom = std::max(ink.bottom, r);
        ink.left = std::min(ink.left, c);
        ink.right = std::max(ink.right, c);
      }
  return ink;
}

TEST(FreeTypeGlyphs, ChineseCharactersOfBothCharacterSetsLeaveInkInsideTheirCell) {
  struct Case {
    Charset charset;
    uint16_t code;
    const char* what;
  };
  for (const Case& c : {Case{Charset::GB2312, 0xB9FA, "GB2312 guo"}, Case{Charset::GB2312, 0xD6D0, "GB2312 zhong"},
                        Case{Charset::Big5, 0xA4A4, "Big5 zhong"}, Case{Charset::Big5, 0xB0EA, "Big5 guo"}}) {
    SCOPED_TRACE(c.what);
    auto font = CreateFreeTypeRasterizer(c.charset);
    ASSERT_NE(font, nullptr);
    for (int size : {16, 20, 24, 28, 32}) {
      SCOPED_TRACE(size);
      const Ink ink = Rasterize(*font, c.code, size);
      EXPECT_GT(ink.pixels, size);
      // The character keeps to the size x size corner that gets stamped.
      EXPECT_GE(ink.top, 0);
      EXPECT_LT(ink.bottom, size);
      EXPECT_LT(ink.right, size);
      // And fills a good part of it.
      EXPECT_GE(ink.bottom - ink.top + 1, size / 2);
      EXPECT_GE(ink.right - ink.left + 1, size / 2);
    }
  }
}

TEST(FreeTypeGlyphs, LatinLettersAreHalfWidthAndSitOnOneBaseline) {
  auto font = CreateFreeTypeRasterizer(Charset::GB2312);
  ASSERT_NE(font, nullptr);
  for (int size : {16, 24, 32}) {
    SCOPED_TRACE(size);
    const Ink a = Rasterize(*font, 'A' << 8, size);
    const Ink x = Rasterize(*font, 'x' << 8, size);
    const Ink g = Rasterize(*font, 'g' << 8, size);
    EXPECT_GT(a.pixels, 0);
    EXPECT_LE(a.right, size / 2 + 1);
    EXPECT_EQ(a.bottom, x.bottom);  // both end on the baseline
    EXPECT_GT(g.bottom, x.bottom);  // the descender goes below it
    EXPECT_LT(g.bottom, size);
    EXPECT_LT(a.top, x.top);        // capitals are taller than lower case
  }
}

// Text advances half the size per byte: a face whose letters are set in
// half-width cells keeps every letter inside its own, with the narrow ones in
// the middle of it rather than against the left (no "Gat e", no "m" running
// into the next letter).
TEST(FreeTypeGlyphs, EveryLatinLetterKeepsToItsHalfWidthCell) {
  for (Charset charset : {Charset::GB2312, Charset::Big5}) {
    auto font = CreateFreeTypeRasterizer(charset);
    ASSERT_NE(font, nullptr);
    for (int size : {16, 20, 24, 28, 32}) {
      SCOPED_TRACE(size);
      const int cell = size / 2;
      for (char c = '!'; c <= '~'; ++c) {
        SCOPED_TRACE(c);
        const Ink ink = Rasterize(*font, static_cast<uint16_t>(c << 8), size);
        ASSERT_GT(ink.pixels, 0);
        EXPECT_GE(ink.left, 0);
        EXPECT_LE(ink.right, cell);  // at most one column into the next cell
      }
      for (char c : {'i', 'l', 'I', '!', '.'}) {
        SCOPED_TRACE(c);
        const Ink ink = Rasterize(*font, static_cast<uint16_t>(c << 8), size);
        // Centred: as much room on its left as on its right, give or take two columns.
        EXPECT_LE(std::abs(ink.left - (cell - 1 - ink.right)), 2);
      }
    }
  }
}

TEST(FreeTypeGlyphs, BlanksAndUnknownBytesDrawNothingAndNeverCrash) {
  for (Charset charset : {Charset::GB2312, Charset::Big5}) {
    auto font = CreateFreeTypeRasterizer(charset);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(Rasterize(*font, ' ' << 8, 16).pixels, 0);
    EXPECT_EQ(Rasterize(*font, '\n' << 8, 16).pixels, 0);
    // A lone lead byte, an invalid pair, odd sizes: no crash, nothing outside the cell.
    for (uint16_t code : {0xB000, 0xFFFF, 0xA13F, 0x8000, 0xFF00, 0x0100})
      for (int size : {-1, 0, 1, 16, 33, 1000}) Rasterize(*font, code, size);
    EXPECT_EQ(Rasterize(*font, 0xB0A1, 0).pixels, 0);
    EXPECT_EQ(Rasterize(*font, 0xB0A1, 33).pixels, 0);
  }
}

TEST(FreeTypeGlyphs, RenderedTextLeavesInkOnTheScreen) {
  InitTextRenderer(CreateFreeTypeRasterizer(Charset::GB2312));
  GuardedScreen screen;
  RenderText(24, 0xFFFF, 100, 100, 0, "\xD6\xD0\xCE\xC4 Text", screen.pixels(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  size_t inkLeft = 0, inkRight = 0;
  for (int y = 100; y < 124; ++y) {
    for (int x = 100; x < 124; ++x) inkLeft += screen.At(x, y) == 0xFFFF;
    for (int x = 160; x < 208; ++x) inkRight += screen.At(x, y) == 0xFFFF;
  }
  EXPECT_GT(inkLeft, 24u);
  EXPECT_GT(inkRight, 24u);
  EXPECT_EQ(screen.Count(0xFFFF) + screen.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  ReleaseTextRenderer();
}

}  // namespace
}  // namespace tessera::test
