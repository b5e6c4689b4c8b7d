#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/frame_pump.h"
#include "app/input_state.h"
#include "gfx/present.h"
#include "support/test_support.h"

namespace tessera {
namespace {

std::vector<uint16_t> Gradient() {
  std::vector<uint16_t> frame(800 * 600);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
  return frame;
}

TEST(PresentationTest, RowsLandAtThePitchAndTheRestIsUntouched) {
  std::vector<uint16_t> frame = Gradient();
  const int pitch = 2048;
  std::vector<uint8_t> surface(static_cast<size_t>(pitch) * 600, 0xAB);
  CopyFrameToSurface(frame.data(), surface.data(), pitch);
  for (int y : {0, 1, 299, 599}) {
    EXPECT_EQ(std::memcmp(&surface[static_cast<size_t>(y) * pitch], &frame[static_cast<size_t>(y) * 800], 1600), 0);
    for (int b = 1600; b < pitch; ++b) ASSERT_EQ(surface[static_cast<size_t>(y) * pitch + b], 0xAB) << y << " " << b;
  }
}

class CursorTest : public ::testing::Test {
 protected:
  CursorTest() : surface(1600 * 600, 0) {
    cursor = CreateImage(20, 20, 0x0001);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) cursor->At(x, y) = static_cast<uint16_t>(0x8000 | (y << 5) | x);
    cursor->At(3, 3) = 0x0001;  // transparent
  }
  uint16_t Px(int x, int y) const {
    uint16_t v;
    std::memcpy(&v, &surface[static_cast<size_t>(y) * 1600 + x * 2], 2);
    return v;
  }
  int Count() const {
    int n = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) n += Px(x, y) != 0;
    return n;
  }
  std::vector<uint8_t> surface;
  ImagePtr cursor;
};

TEST_F(CursorTest, HotSpotIsTheTopLeftAndKeyPixelsAreSkipped) {
  StampCursor(cursor.get(), 100, 50, surface.data(), 1600);
  EXPECT_EQ(Px(100, 50), cursor->At(0, 0));
  EXPECT_EQ(Px(119, 69), cursor->At(19, 19));
  EXPECT_EQ(Px(103, 53), 0);
  EXPECT_EQ(Count(), 399);
}

TEST_F(CursorTest, ClippedAtTheRightAndBottomEdges) {
  StampCursor(cursor.get(), 790, 595, surface.data(), 1600);
  EXPECT_EQ(Count(), 10 * 5 - 1);  // less the transparent pixel at (3, 3)
  EXPECT_EQ(Px(799, 599), cursor->At(9, 4));
}

TEST_F(CursorTest, NoCursorPictureDrawsNothing) {
  StampCursor(nullptr, 10, 10, surface.data(), 1600);
  EXPECT_EQ(Count(), 0);
}

TEST(PresentFrameTest, CopiesTheFrameAndStampsTheCursorIntoTheSurfaceOnly) {
  test::ScopedPlatform platform;
  std::vector<uint16_t> frame = Gradient();
  ImagePtr cursor = CreateImage(2, 2, 0);
  cursor->pixels = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  CursorImage = cursor.get();
  InputState = InputStateRecord{};
  InputState.MouseX = 10;
  InputState.MouseY = 20;
  ShowFps = ShowMousePosition = 0;
  PresentFrame(frame.data());
  CursorImage = nullptr;
  const std::vector<uint8_t>& s = platform->Surface();
  uint16_t at;
  std::memcpy(&at, &s[20 * 1600 + 10 * 2], 2);
  EXPECT_EQ(at, 0xFFFF);
  std::memcpy(&at, &s[22 * 1600 + 10 * 2], 2);
  EXPECT_EQ(at, frame[22 * 800 + 10]);
  EXPECT_EQ(platform->FramesShown(), 1u);
  EXPECT_EQ(std::memcmp(frame.data(), Gradient().data(), frame.size() * 2), 0);  // back buffer untouched
}

}  // namespace
}  // namespace tessera
