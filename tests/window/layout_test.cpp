// The frame in a window of any size, pointer positions back to frame pixels, and
// screenshot names that never overwrite.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sdl/window_layout.h"
#include "support/test_support.h"

namespace tessera {
namespace {

void ExpectRect(const FrameRect& r, int x, int y, int w, int h, bool whole) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.w, w);
  EXPECT_EQ(r.h, h);
  EXPECT_EQ(r.whole, whole);
}

TEST(FitFrame, WholeFactorsWhenTheyFitElseTheLargestSizeThatFits) {
  ExpectRect(FitFrame(800, 600), 0, 0, 800, 600, true);
  ExpectRect(FitFrame(1600, 1200), 0, 0, 1600, 1200, true);
  // A little larger than twice: twice, centred, rather than uneven pixels.
  ExpectRect(FitFrame(1700, 1250), 50, 25, 1600, 1200, true);
  ExpectRect(FitFrame(1000, 600), 100, 0, 800, 600, true);
  // A wide desktop: the full height, bars left and right.
  ExpectRect(FitFrame(1920, 1080), 240, 0, 1440, 1080, false);
  // A tall window: the full width, bars above and below.
  ExpectRect(FitFrame(1000, 1400), 0, 325, 1000, 750, false);
  // Smaller than the frame.
  ExpectRect(FitFrame(400, 300), 0, 0, 400, 300, false);
  ExpectRect(FitFrame(0, -5), 0, 0, 1, 1, false);
}

TEST(MapToFrame, LetterboxedWindowPositionsLandOnFramePixelsAndClampAtItsEdge) {
  const FrameRect r = FitFrame(1920, 1080);  // 1.8 times, 240 pixels of bar each side
  const int in[][2] = {{240, 0}, {241, 1}, {242, 2}, {960, 540}, {1679, 1079}, {100, 500}, {1800, -30}, {5000, 5000}};
  const int out[][2] = {{0, 0}, {0, 0}, {1, 1}, {400, 300}, {799, 599}, {0, 277}, {799, 0}, {799, 599}};
  for (size_t i = 0; i < std::size(in); ++i) {
    int32_t x = -1, y = -1;
    MapToFrame(r, in[i][0], in[i][1], x, y);
    EXPECT_EQ(x, out[i][0]) << i;
    EXPECT_EQ(y, out[i][1]) << i;
  }
}

TEST(ScreenshotPath, NamedByDateAndTimeAndNeverAnExistingFile) {
  test::ScratchDir dir;
  const LocalTime t{2026, 3, 7, 9, 5, 2};
  const auto first = ScreenshotPath(dir.path(), t);
  EXPECT_EQ(first.filename(), "tessera-2026-03-07_09-05-02.png");
  std::ofstream(first).put('x');
  const auto second = ScreenshotPath(dir.path(), t);
  EXPECT_EQ(second.filename(), "tessera-2026-03-07_09-05-02-2.png");
  std::ofstream(second).put('x');
  EXPECT_EQ(ScreenshotPath(dir.path(), t).filename(), "tessera-2026-03-07_09-05-02-3.png");
}

}  // namespace
}  // namespace tessera
