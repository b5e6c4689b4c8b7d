// The text renderer with a fake font engine: character boundaries, positions,
// wrapping, the line count, stamping at the edges, and the glyph cache.
#include <gtest/gtest.h>

#include <climits>

#include "app/engine_config.h"
#include "gfx/text.h"
#include "gfx_fixtures.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class Text : public ::testing::Test {
 protected:
  explicit Text(FakeRasterizer::Mode mode = FakeRasterizer::Mode::Signature) : log_(std::make_shared<RasterLog>()) {
    InitTextRenderer(std::make_unique<FakeRasterizer>(log_, mode));
  }
  ~Text() override { ReleaseTextRenderer(); }

  void Render(int size, int x, int y, int spacing, const char* text, int wrapWidth = 800) {
    RenderText(size, 0xFFFF, x, y, spacing, text, screen_.pixels(), wrapWidth, SCREEN_WIDTH, SCREEN_HEIGHT);
  }
  uint16_t At(int x, int y) { return SignatureAt(screen_.pixels(), SCREEN_WIDTH, x, y); }
  size_t Rasterised() const { return log_->calls.size(); }

  std::shared_ptr<RasterLog> log_;
  GuardedScreen screen_;
};

uint16_t One(char c) { return static_cast<uint16_t>(static_cast<unsigned char>(c) << 8); }

TEST_F(Text, OneByteCharactersAdvanceByHalfTheSize) {
  Render(24, 382, 100, 0, "abc");
  EXPECT_EQ(At(382, 100), One('a'));
  EXPECT_EQ(At(394, 100), One('b'));
  EXPECT_EQ(At(406, 100), One('c'));
  EXPECT_EQ(screen_.Count(0xFFFF), 3 + 3 + 3 + 4u);  // three corners plus the bits of 'a', 'b', 'c'
}

TEST_F(Text, SpacingIsAddedToEveryByte) {
  Render(16, 10, 10, 3, "\xB0\xA1xy");
  EXPECT_EQ(At(10, 10), 0xB0A1);
  EXPECT_EQ(At(10 + 2 * 11, 10), One('x'));
  EXPECT_EQ(At(10 + 3 * 11, 10), One('y'));
}

TEST_F(Text, ATwoByteCharacterNeedsALeadByteAndASecondByteOf64OrMore) {
  Render(20, 0, 0, 0, "\xB0\xA1" "A");
  EXPECT_EQ(At(0, 0), 0xB0A1);
  EXPECT_EQ(At(20, 0), One('A'));  // byte index 2, drawn alone

  Render(20, 0, 100, 0, "\xA1\x40");  // the smallest pair
  EXPECT_EQ(At(0, 100), 0xA140);

  Render(20, 0, 200, 0, "\xA1\x3F");  // second byte too small: two characters
  EXPECT_EQ(At(0, 200), 0xA100);
  EXPECT_EQ(At(10, 200), One('\x3F'));

  Render(20, 0, 300, 0, "\xA0\x40");  // lead byte too small: two characters
  EXPECT_EQ(At(0, 300), 0xA000);
  EXPECT_EQ(At(10, 300), One('\x40'));

  Render(20, 0, 400, 0, "x\xB0");  // a lead byte at the end stands alone
  EXPECT_EQ(At(10, 400), 0xB000);
}

TEST_F(Text, OneByteTextWrapsAtByte37OnTheTalkWidth) {
  std::string text;
  for (int i = 0; i < 40; ++i) text.push_back(static_cast<char>('!' + i));
  Render(20, 100, 100, 2, text.c_str(), 440);
  EXPECT_EQ(At(100 + 432, 100), One(text[36]));  // offset 432 stays on the first line
  EXPECT_EQ(At(100, 122), One(text[37]));        // offset 444 starts the second, 22 rows lower
  EXPECT_EQ(At(112, 122), One(text[38]));
  EXPECT_EQ(At(100 + 444, 100), 0);
  EXPECT_EQ(CountTextLines(text.c_str(), 20, 440, 2), 2);
}

TEST_F(Text, TwoByteTextWrapsAtByte38) {
  std::string text;
  for (int i = 0; i < 20; ++i) {
    text.push_back('\xB0');
    text.push_back(static_cast<char>(0xA1 + i));
  }
  Render(20, 100, 100, 2, text.c_str(), 440);
  EXPECT_EQ(At(100 + 432, 100), 0xB0A1 + 18);  // byte 36
  EXPECT_EQ(At(100, 122), 0xB0A1 + 19);        // byte 38, offset 456
}

TEST_F(Text, ACharacterExactlyAtTheWrapWidthIsDrawnAtTheLineStart) {
  // Size 16, width 80: byte 10 has offset 80 and stays on line 0 at x, byte 11 wraps.
  Render(16, 200, 50, 0, "          KL", 80);
  EXPECT_EQ(At(200, 50), One('K'));
  EXPECT_EQ(At(200, 68), One('L'));
  EXPECT_EQ(CountTextLines("          KL", 16, 80, 0), 2);
  EXPECT_EQ(CountTextLines("          K", 16, 80, 0), 1);
}

TEST_F(Text, LineCountMatchesTheLinesDrawn) {
  EXPECT_EQ(CountTextLines("", 16, 80, 0), 1);
  EXPECT_EQ(CountTextLines(nullptr, 16, 80, 0), 1);
  // 25 bytes of 8 pixels on an 80-pixel line: breaks before bytes 11 and 22.
  const char* text = "abcdefghijklmnopqrstuvwxy";
  EXPECT_EQ(CountTextLines(text, 16, 80, 0), 3);
  Render(16, 0, 0, 0, text, 80);
  EXPECT_EQ(At(8, 0), One('b'));
  EXPECT_EQ(At(8, 18), One('m'));  // byte 11 started the second line
  EXPECT_EQ(At(0, 36), One('w'));  // byte 22 the third
  EXPECT_EQ(At(16, 36), One('y'));
  for (int row = 54; row < 80; ++row)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(screen_.At(x, row), 0);
}

TEST_F(Text, WrapWidthOfZeroOrLessKeepsOneLine) {
  for (int wrap : {0, -1, INT_MIN}) {
    SCOPED_TRACE(wrap);
    GuardedScreen screen;
    RenderText(16, 0xFFFF, 0, 0, 0, "abc", screen.pixels(), wrap, SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_EQ(SignatureAt(screen.pixels(), SCREEN_WIDTH, 16, 0), One('c'));
    EXPECT_EQ(CountTextLines("abcdefghijklmnopqrstuvwxyz", 16, wrap, 0), 1);
  }
}

TEST_F(Text, OnlyInkIsWrittenInTheGivenColour) {
  RenderText(16, 0x1234, 5, 5, 0, "A", screen_.pixels(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  EXPECT_EQ(SignatureAt(screen_.pixels(), SCREEN_WIDTH, 5, 5, 0x1234), One('A'));
  EXPECT_EQ(screen_.Count(0x1234) + screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
}

TEST_F(Text, SizesOutsideTheFiveDrawNothing) {
  for (int size : {0, -16, 15, 18, 36, 64, INT_MIN}) Render(size, 10, 10, 0, "abc");
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  EXPECT_EQ(Rasterised(), 0u);
}

TEST_F(Text, BadArgumentsDrawNothing) {
  Render(16, 0, 0, 0, nullptr);
  RenderText(16, 0xFFFF, 0, 0, 0, "abc", nullptr, 800, 800, 600);
  RenderText(16, 0xFFFF, 0, 0, 0, "abc", screen_.pixels(), 800, 0, 600);
  RenderText(16, 0xFFFF, 0, 0, 0, "abc", screen_.pixels(), 800, 800, -1);
  EXPECT_EQ(screen_.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
}

class SolidText : public Text {
 protected:
  SolidText() : Text(FakeRasterizer::Mode::Solid) {}
};

TEST_F(SolidText, OnlyTheSizeBySizeCornerOfTheCellIsStamped) {
  Render(16, 100, 100, 0, "A");
  for (int y = 90; y < 140; ++y)
    for (int x = 90; x < 140; ++x)
      ASSERT_EQ(screen_.At(x, y), (x >= 100 && x < 116 && y >= 100 && y < 116) ? 0xFFFF : 0) << x << "," << y;
}

TEST_F(SolidText, GlyphPixelsOutsideTheDestinationAreDropped) {
  // A small destination, 20 x 10, inside a guarded block.
  const int w = 20, h = 10;
  std::vector<uint16_t> block(w * h + 2 * 64, 0xA5A5);
  uint16_t* dest = block.data() + 64;
  std::fill(dest, dest + w * h, 0);
  auto draw = [&](int x, int y, int size) {
    RenderText(size, 0xFFFF, x, y, 0, "M", dest, 800, w, h);
  };
  draw(-3, -2, 16);  // left and top cut
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(dest[y * w + x], x < 13 && y < 14 ? 0xFFFF : 0) << x << "," << y;
  std::fill(dest, dest + w * h, 0);
  draw(15, 5, 32);  // right and bottom cut
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(dest[y * w + x], x >= 15 && y >= 5 ? 0xFFFF : 0) << x << "," << y;
  draw(INT_MAX, INT_MAX, 32);
  draw(INT_MIN, INT_MIN, 32);
  draw(-32, 0, 32);
  draw(20, 0, 32);
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(block[i], 0xA5A5);
    ASSERT_EQ(block[block.size() - 1 - i], 0xA5A5);
  }
}

TEST_F(SolidText, WrappedLinesArePitchedSizePlusTwo) {
  Render(32, 0, 0, 0, "AB", 10);  // 'B' has offset 16 > 10 and wraps
  EXPECT_EQ(screen_.At(0, 31), 0xFFFF);
  EXPECT_EQ(screen_.At(0, 32), 0);
  EXPECT_EQ(screen_.At(0, 33), 0);
  EXPECT_EQ(screen_.At(0, 34), 0xFFFF);
  EXPECT_EQ(screen_.At(0, 34 + 31), 0xFFFF);
  EXPECT_EQ(screen_.At(0, 34 + 32), 0);
}

TEST_F(Text, EachCharacterIsRasterisedOncePerSize) {
  Render(16, 0, 0, 0, "aab");
  Render(16, 0, 50, 0, "ba");
  Render(24, 0, 100, 0, "a");
  EXPECT_EQ(log_->calls, (std::vector<std::pair<uint16_t, int>>{{One('a'), 16}, {One('b'), 16}, {One('a'), 24}}));
}

// 100 distinct glyphs fill the cache: one-byte codes from '!' upwards at sizes 16 and 20.
std::vector<std::pair<std::string, int>> HundredGlyphs() {
  std::vector<std::pair<std::string, int>> glyphs;
  for (int i = 0; i < 100; ++i) glyphs.push_back({std::string(1, static_cast<char>('!' + i % 50)), i < 50 ? 16 : 20});
  return glyphs;
}

TEST_F(Text, OnceFullEachNewGlyphReplacesTheLastSlot) {
  const auto glyphs = HundredGlyphs();
  for (const auto& [text, size] : glyphs) Render(size, 0, 0, 0, text.c_str());
  ASSERT_EQ(Rasterised(), 100u);
  for (const auto& [text, size] : glyphs) Render(size, 0, 0, 0, text.c_str());
  EXPECT_EQ(Rasterised(), 100u);  // all hits

  Render(24, 0, 0, 0, "x");  // a 101st glyph takes the last slot
  EXPECT_EQ(Rasterised(), 101u);
  Render(24, 0, 0, 0, "y");  // and a 102nd takes it from the 101st
  Render(24, 0, 0, 0, "x");
  EXPECT_EQ(Rasterised(), 103u);
  // With equal counts nothing moved, so the 100th glyph was the one evicted first.
  Render(glyphs[99].second, 0, 0, 0, glyphs[99].first.c_str());
  EXPECT_EQ(Rasterised(), 104u);
  Render(glyphs[98].second, 0, 0, 0, glyphs[98].first.c_str());
  Render(glyphs[0].second, 0, 0, 0, glyphs[0].first.c_str());
  EXPECT_EQ(Rasterised(), 104u);
}

TEST_F(Text, FrequentGlyphsMoveForwardAndTheLeastUsedIsEvicted) {
  const auto glyphs = HundredGlyphs();
  for (const auto& [text, size] : glyphs) Render(size, 0, 0, 0, text.c_str());
  // The glyph in the last slot is used again and moves to the front, so the
  // one before it becomes the least used and goes first.
  Render(glyphs[99].second, 0, 0, 0, glyphs[99].first.c_str());
  Render(24, 0, 0, 0, "x");
  EXPECT_EQ(Rasterised(), 101u);
  Render(glyphs[99].second, 0, 0, 0, glyphs[99].first.c_str());
  EXPECT_EQ(Rasterised(), 101u);
  Render(glyphs[98].second, 0, 0, 0, glyphs[98].first.c_str());
  EXPECT_EQ(Rasterised(), 102u);
}

// A glyph drawn for now (the face that has it still on its way to a web page)
// is drawn, but not kept: it is asked for again until its face gives it.
TEST_F(Text, AGlyphDrawnForNowIsAskedForAgainUntilItIsFinal) {
  log_->forNow = One('z');
  Render(16, 0, 0, 0, "zz");
  EXPECT_EQ(At(8, 0), One('z'));
  Render(16, 0, 50, 0, "z");
  EXPECT_EQ(Rasterised(), 3u);
  log_->forNow = 0;
  Render(16, 0, 100, 0, "z");
  Render(16, 0, 150, 0, "zz");
  EXPECT_EQ(Rasterised(), 4u);
}

TEST_F(Text, ReinitialisingEmptiesTheCache) {
  Render(16, 0, 0, 0, "a");
  auto log = std::make_shared<RasterLog>();
  InitTextRenderer(std::make_unique<FakeRasterizer>(log));
  Render(16, 0, 0, 0, "a");
  EXPECT_EQ(log->calls.size(), 1u);
}

TEST(TextWithoutFontEngine, DrawsNothingAndStillCountsLines) {
  InitTextRenderer(nullptr);
  GuardedScreen screen;
  RenderText(16, 0xFFFF, 0, 0, 0, "abc", screen.pixels(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  EXPECT_EQ(screen.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  EXPECT_EQ(CountTextLines("abcdefghijklmnopqrstuvwxyz", 16, 80, 0), 3);
  ReleaseTextRenderer();
}

// A headless platform that records which character set the renderer asks for.
class CharsetPlatform : public HeadlessPlatform {
 public:
  CharsetPlatform() : HeadlessPlatform(ScopedPlatform::QuietOptions()) {}
  std::unique_ptr<GlyphRasterizer> CreateGlyphRasterizer(Charset charset) override {
    asked.push_back(charset);
    return std::make_unique<FakeRasterizer>(nullptr);
  }
  std::vector<Charset> asked;
};

TEST(TextSetUp, TraditionalChineseAsksForBig5AndEveryOtherLanguageForGb2312) {
  CharsetPlatform platform;
  SetPlatform(&platform);
  const int32_t saved = EngineConfig.Language;
  for (int32_t language : {LANGUAGE_CHINESE_SIMPLIFY, LANGUAGE_CHINESE_TRADITIONAL, LANGUAGE_ENGLISH,
                           LANGUAGE_JAPANESE}) {
    EngineConfig.Language = language;
    EXPECT_TRUE(InitTextRenderer());
  }
  EngineConfig.Language = saved;
  EXPECT_EQ(platform.asked,
            (std::vector<Charset>{Charset::GB2312, Charset::Big5, Charset::GB2312, Charset::GB2312}));
  GuardedScreen screen;
  RenderText(16, 0xFFFF, 0, 0, 0, "Q", screen.pixels(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  EXPECT_EQ(SignatureAt(screen.pixels(), SCREEN_WIDTH, 0, 0), One('Q'));
  ReleaseTextRenderer();
  SetPlatform(nullptr);
}

TEST(TextSetUp, APlatformWithoutFontsLeavesTextBlank) {
  ScopedPlatform platform;  // no real fonts: the platform gives no font engine
  EXPECT_TRUE(InitTextRenderer());
  GuardedScreen screen;
  RenderText(16, 0xFFFF, 0, 0, 0, "abc", screen.pixels(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  EXPECT_EQ(screen.Count(0), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  ReleaseTextRenderer();
}

}  // namespace
}  // namespace tessera::test
