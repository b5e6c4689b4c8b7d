// The debug overlays drawn while presenting: frames per second and the pointer position.
#include <gtest/gtest.h>

#include "app/frame_pump.h"
#include "app/input_state.h"
#include "gfx/present.h"
#include "gfx/text.h"
#include "gfx_fixtures.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class Overlays : public ::testing::Test {
 protected:
  Overlays() {
    InitTextRenderer(std::make_unique<FakeRasterizer>(nullptr));
    ResetFpsCounter();
    std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0);
  }
  ~Overlays() override {
    ShowFps = 0;
    ShowMousePosition = 0;
    FrameClock = 0;
    InputState = InputStateRecord{};
    ResetFpsCounter();
    ReleaseTextRenderer();
  }
  std::string Line(int x, int y, int chars) { return ReadSignatures(BackBuffer, SCREEN_WIDTH, x, y, 8, chars); }
  // The presented surface shows the back buffer's overlay too.
  uint16_t SurfaceAt(int x, int y) {
    const auto& s = platform_->Surface();
    return reinterpret_cast<const uint16_t*>(s.data() + static_cast<size_t>(y) * platform_->Pitch())[x];
  }

  ScopedPlatform platform_;
};

TEST_F(Overlays, FramesPerSecondStartsAtZeroAndMeasuresJustOverASecond) {
  ShowFps = 1;
  FrameClock = 5000;
  PresentFrame(BackBuffer);
  EXPECT_EQ(Line(10, 10, 6), "FPS= 0");
  EXPECT_EQ(SurfaceAt(10, 10), 0xFFFF);
  // 60 more frames, the last one 1001 ms after the first: 61 * 1000 / 1001.
  for (int frame = 1; frame <= 60; ++frame) {
    FrameClock = 5000 + (frame == 60 ? 1001 : frame * 16);
    std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0);
    PresentFrame(BackBuffer);
  }
  EXPECT_EQ(Line(10, 10, 7), "FPS= 60");
  // Exactly 1000 ms later is not yet a measurement.
  for (int frame = 0; frame <= 10; ++frame) {
    FrameClock = 7000 + frame * 100;
    std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0);
    PresentFrame(BackBuffer);
  }
  EXPECT_EQ(Line(10, 10, 7), "FPS= 60");
  FrameClock = 8001;
  std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0);
  PresentFrame(BackBuffer);
  EXPECT_EQ(Line(10, 10, 7), "FPS= 11");  // 12 frames over 1001 ms
}

TEST_F(Overlays, PointerPositionIsDrawnOnTwoLines) {
  ShowMousePosition = 1;
  InputState.MouseX = 123;
  InputState.MouseY = 45;
  PresentFrame(BackBuffer);
  EXPECT_EQ(Line(50, 10, 7), "X = 123");
  EXPECT_EQ(Line(10, 40, 6), "Y = 45");
  EXPECT_EQ(Line(10, 10, 5), "     ");  // nothing else on the top line
  EXPECT_EQ(SurfaceAt(10, 40), 0xFFFF);
}

TEST_F(Overlays, BothOverlaysShareTheTopLine) {
  ShowFps = 1;
  ShowMousePosition = 1;
  InputState.MouseX = 7;
  InputState.MouseY = 799;
  PresentFrame(BackBuffer);
  EXPECT_EQ(Line(10, 10, 5), "FPS= ");
  EXPECT_EQ(Line(58, 10, 5), " = 7 ");  // "X" shares its cell with the rate's digit
  EXPECT_EQ(Line(10, 40, 7), "Y = 799");
}

TEST_F(Overlays, OverlaysOffDrawNoText) {
  PresentFrame(BackBuffer);
  EXPECT_EQ(std::count(std::begin(BackBuffer), std::end(BackBuffer), 0), SCREEN_WIDTH * SCREEN_HEIGHT);
}

}  // namespace
}  // namespace tessera::test
