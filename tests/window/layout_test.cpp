// The frame in a window of any size, pointer positions back to frame pixels, and
// screenshot names that never overwrite.
#include <gtest/gtest.h>

#include <fstream>

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
  int32_t x = -1, y = -1;
  MapToFrame(r, 240, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  MapToFrame(r, 960, 540, x, y);
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 300);
  MapToFrame(r, 1679, 1079, x, y);
  EXPECT_EQ(x, 799);
  EXPECT_EQ(y, 599);
  MapToFrame(r, 241, 1, x, y);  // still inside the first frame pixel
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  MapToFrame(r, 242, 2, x, y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 1);
  // On the bars and outside the window: the nearest edge pixel.
  MapToFrame(r, 100, 500, x, y);
  EXPECT_EQ(x, 0);
  MapToFrame(r, 1800, 500, x, y);
  EXPECT_EQ(x, 799);
  MapToFrame(r, -30, -30, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  MapToFrame(r, 5000, 5000, x, y);
  EXPECT_EQ(x, 799);
  EXPECT_EQ(y, 599);
  // Twice the size: every frame pixel two window pixels wide.
  MapToFrame(FitFrame(1600, 1200), 1599, 3, x, y);
  EXPECT_EQ(x, 799);
  EXPECT_EQ(y, 1);
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
