// The screens drawn in memory: positions, colours and hit areas.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/input_state.h"
#include "game/board.h"
#include "game/interface_images.h"
#include "game/level_definition.h"
#include "game/rules.h"
#include "game/save_slots.h"
#include "game/spiders.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "screens/option_menu.h"
#include "screens/play_screen.h"
#include "screens/slot_list.h"
#include "screens/talk_scenes.h"
#include "support/test_support.h"

namespace tessera {
namespace {

ImagePtr Solid(int w, int h, uint16_t colour) {
  ImagePtr image = CreateImage(w, h);
  for (uint16_t& p : image->pixels) p = colour;
  return image;
}

uint16_t Px(int x, int y) { return BackBuffer[y * 800 + x]; }

TEST(ClockTest, TextShowsSecondsUpToAMinuteThenMinutesAndSeconds) {
  char text[32];
  FormatClock(61, text);
  EXPECT_STREQ(text, "1'01");
  FormatClock(60, text);
  EXPECT_STREQ(text, "'60");
  FormatClock(5, text);
  EXPECT_STREQ(text, "'05");
  FormatClock(180, text);
  EXPECT_STREQ(text, "3'00");
}

TEST(ClockTest, SegmentsFillWithinEachMinute) {
  EXPECT_EQ(ClockSegmentCount(180, 1), 0);   // a fresh whole-minute clock
  EXPECT_EQ(ClockSegmentCount(179, 0), 1);
  EXPECT_EQ(ClockSegmentCount(120, 0), 60);  // full at every whole minute after the first tick
  EXPECT_EQ(ClockSegmentCount(119, 0), 1);
  EXPECT_EQ(ClockSegmentCount(-3, 0), 60);   // past the limit the frame stays full, never more
}

TEST(ClockTest, SegmentTableRunsAroundTheBoard) {
  EXPECT_EQ(CLOCK_SEGMENTS[0].x, 240);
  EXPECT_EQ(CLOCK_SEGMENTS[0].y, 12);
  EXPECT_EQ(CLOCK_SEGMENTS[4].picture, 1);
  EXPECT_EQ(CLOCK_SEGMENTS[20].y, 524);
  EXPECT_EQ(CLOCK_SEGMENTS[21].picture, 3);
  EXPECT_EQ(CLOCK_SEGMENTS[37].x, 624);
  EXPECT_EQ(CLOCK_SEGMENTS[54].x, 656);
  EXPECT_EQ(CLOCK_SEGMENTS[54].y, 44);
  EXPECT_EQ(CLOCK_SEGMENTS[54].picture, 6);
  EXPECT_EQ(CLOCK_SEGMENTS[55].picture, 7);
  EXPECT_EQ(CLOCK_SEGMENTS[59].x, 528);
  EXPECT_EQ(CLOCK_SEGMENTS[59].picture, 0);
  for (const ClockSegment& s : CLOCK_SEGMENTS)  // the clock text's gap stays free
    EXPECT_FALSE(s.y == 12 && s.x + 32 > 272 && s.x < 528) << s.x;
}

TEST(OptionMenuTest, SliderValueRunsFromZeroToAHundred) {
  EXPECT_EQ(SliderValue(361), 0);
  EXPECT_EQ(SliderValue(416), 50);
  EXPECT_EQ(SliderValue(471), 100);
  EXPECT_EQ(SliderValue(362), 0);  // truncated toward zero
}

TEST(SlotListTest, LabelAndHitRows) {
  SaveRecord r;
  r.month = 12;
  r.day = 3;
  r.hour = 9;
  r.minute = 5;
  r.second = 7;
  char label[64];
  FormatSlotLabel(r, label);
  EXPECT_STREQ(label, "12-03/09:05:07");
  r.month = 0;
  FormatSlotLabel(r, label);
  EXPECT_STREQ(label, "00-03/09:05:07");

  auto hit = [](int x, int y) {
    InputState.MouseX = x;
    InputState.MouseY = y;
    return HitSlot();
  };
  EXPECT_EQ(hit(257, 142), 0);
  EXPECT_EQ(hit(553, 172), 0);
  EXPECT_EQ(hit(400, 173), -1);  // between two slots
  EXPECT_EQ(hit(400, 178), 1);
  EXPECT_EQ(hit(400, 142 + 36 * 9 + 30), 9);
  EXPECT_EQ(hit(256, 150), -1);
  EXPECT_EQ(hit(554, 150), -1);
}

class PlayScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    red = PackRgb(255, 0, 0);
    InterfaceImages.GameBG = Solid(800, 600, PackRgb(10, 20, 30));
    for (int i = 0; i < 8; ++i) InterfaceImages.ClockBorder[i] = Solid(32, 32, PackRgb(0, 0, 200 + i));
    InterfaceImages.RatioSpot[0] = Solid(8, 7, PackRgb(0, 255, 0));
    InterfaceImages.RatioSpot[1] = Solid(8, 7, PackRgb(0, 0, 255));
    for (int i = 0; i < 4; ++i) InterfaceImages.Direction[i] = Solid(30, 30, PackRgb(100 + 20 * i, 100, 0));
    InterfaceImages.LevelTravelBG = CreateImage(800, 600);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) InterfaceImages.LevelTravelBG->At(x, y) = static_cast<uint16_t>(x + 1);
    LevelDefinition = LevelDefinitionRecord{};
    LevelDefinition.BlendPictureNum = 2;
    LevelDefinition.SplitSize = 50;
    LevelDefinition.LimitedTime = 180;
    LevelDefinition.StoneRation = 0;
    LayerSet layers;
    layers[0] = Solid(500, 500, PackRgb(200, 40, 40));
    layers[1] = Solid(500, 500, PackRgb(40, 200, 40));
    ASSERT_EQ(SetUpLevel(std::move(layers)), 1) << LoadLevelFailure();
    ConfirmState = CONFIRM_CLOSED;
    HoveredPlayButton = -1;
    PointerDirection = DIRECTION_NONE;
    ElapsedSeconds = 0;
    ClockFresh = 1;
  }
  void TearDown() override {
    FreeLevel();
    ReleaseInterfaceImages();
  }
  test::ScopedPlatform platform;
  uint16_t red = 0;
};

TEST_F(PlayScreenTest, GridLinesFrameAndPreviews) {
  Board.HoveredCell = 11;  // row 1, column 1 of a 10 x 10 board
  Board.HoveredPosition = 1;
  DrawPlayScreen(PLAY_MODE_PLAY);
  EXPECT_EQ(Px(150, 320), 0);  // first vertical line
  EXPECT_EQ(Px(151, 320), 0);
  EXPECT_EQ(Px(651, 320), 0);  // last one lies just outside the pieces
  EXPECT_EQ(Px(300, 551), 0);
  EXPECT_NE(Px(152, 320), 0);
  // The hovered cell's frame lies on the grid lines around it.
  EXPECT_EQ(Px(200, 120), red);
  EXPECT_EQ(Px(251, 120), red);
  EXPECT_EQ(Px(220, 100), red);
  EXPECT_EQ(Px(220, 151), red);
  EXPECT_NE(Px(220, 125), red);
  // Two previews, the second framed.
  const uint16_t first = Px(40, 90), second = Px(40, 150);
  EXPECT_TRUE(first == PackRgb(200, 40, 40) || first == PackRgb(40, 200, 40));
  EXPECT_TRUE(second == PackRgb(200, 40, 40) || second == PackRgb(40, 200, 40));
  EXPECT_NE(first, second);
  EXPECT_EQ(Px(31, 136), red);  // frame of the preview at (31, 136)
  EXPECT_EQ(Px(82, 187), red);
  EXPECT_NE(Px(31, 76), red);
}

TEST_F(PlayScreenTest, PictureModeShowsNeitherGridNorCounters) {
  DrawPlayScreen(PLAY_MODE_PICTURE);
  EXPECT_EQ(Px(150, 300), PackRgb(200, 40, 40));
  EXPECT_EQ(Px(694, 229), PackRgb(10, 20, 30));  // no goal spots
  EXPECT_EQ(Px(700, 20), PackRgb(200, 40, 40));  // the thumbnail still shows
}

TEST_F(PlayScreenTest, ClockSegmentsDirectionMarkAndGoalSpots) {
  ElapsedSeconds = 1;
  ClockFresh = 0;
  PointerDirection = DIRECTION_RIGHT;
  Board.CorrectCount = 3;
  DrawPlayScreen(PLAY_MODE_PLAY);
  EXPECT_EQ(Px(240, 12), PackRgb(0, 0, 200));
  EXPECT_EQ(Px(208, 12), PackRgb(10, 20, 30));  // only one segment after the first second
  EXPECT_EQ(Px(69, 429), PackRgb(160, 100, 0));
  EXPECT_EQ(Px(38, 398), PackRgb(10, 20, 30));
  EXPECT_EQ(Px(694, 229), PackRgb(0, 255, 0));
  EXPECT_EQ(Px(714, 229), PackRgb(0, 255, 0));
  EXPECT_EQ(Px(724, 229), PackRgb(0, 0, 255));
  EXPECT_EQ(Px(694 + 90, 229 + 9 * 9), PackRgb(0, 0, 255));  // spot 99 of 100
}

TEST_F(PlayScreenTest, HoveredStoneHasAFrameButNoPreviews) {
  Board.HoveredCell = 0;
  Board.Stone[0] = 1;
  DrawPlayScreen(PLAY_MODE_PLAY);
  EXPECT_EQ(Px(150, 50), red);
  EXPECT_EQ(Px(40, 90), PackRgb(10, 20, 30));
}

// The board is composed in one pass; it must leave exactly what drawing it in
// layers leaves: background, pieces, cobwebs, grid, then stones, over a stale
// frame, for every piece size, whole, smaller and missing stone pictures, cells
// without a layer, in both modes that show the board, with a background of the
// screen's width and a wider one. Each level has pictures of its own and is
// drawn twice, with pieces turned and stones and cobwebs come and gone in
// between, so a cell kept from an earlier frame or level would show; then once
// more unchanged, over a stale frame again, as the board kept from the frame
// before; then in the other mode, the grid come or gone on the same level.
TEST_F(PlayScreenTest, BoardInOnePassEqualsTheBoardDrawnInLayers) {
  auto numbered = [](int w, int h, int seed) {
    ImagePtr image = CreateImage(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image->At(x, y) = static_cast<uint16_t>(seed * 7919 + x * 31 + y * 977 + 1);
    return image;
  };
  std::vector<uint16_t> expected(800 * 600);
  uint32_t seed = 1;
  auto next = [&seed](uint32_t n) { return (seed = seed * 1103515245 + 12345) / 65536 % n; };
  int level = 0;
  for (int split : {25, 50, 100})
    for (int stoneSide : {split, split - 5, 0})
      for (int mode : {PLAY_MODE_PLAY, PLAY_MODE_BOARD_ONLY}) {
        InterfaceImages.GameBG = numbered(split == 50 ? 801 : 800, 600, 9 + level);  // a new one each level
        LevelDefinition.SplitSize = split;
        LayerSet layers;
        ++level;
        layers[0] = numbered(500, 500, 10 * level + 1);
        layers[1] = numbered(500, 500, 10 * level + 2);
        ASSERT_EQ(SetUpLevel(std::move(layers)), 1) << LoadLevelFailure();
        Board.StonePicture = stoneSide > 0 ? numbered(stoneSide, stoneSide, 3) : nullptr;
        Board.CobwebPicture = numbered(split - 3, split, 4);
        Board.CobwebPicture->key = Board.CobwebPicture->At(5, 5);
        for (int y = 0; y < split; y += 2) Board.CobwebPicture->At(y % (split - 3), y) = Board.CobwebPicture->key;
        for (int cell = 0; cell < Board.CellCount; ++cell) {
          Board.Stone[cell] = next(5) == 0;
          Board.Cobweb[cell] = next(3) == 0;
          if (next(7) == 0) Board.CellLayer[cell] = -1;
        }
        Board.HoveredCell = -1;
        DrawPlayScreen(mode);
        for (int cell = 0; cell < Board.CellCount; ++cell) {  // since that frame:
          if (Board.CellLayer[cell] >= 0 && next(4) == 0) Board.CellLayer[cell] ^= 1;  // turned,
          if (next(9) == 0) Board.Stone[cell] ^= 1;                                   // a stone gone or come,
          if (next(9) == 0) Board.Cobweb[cell] ^= 1;                                  // a cobweb too
        }
        std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0x1357);
        DrawPlayScreen(mode);

        auto layered = [&](int shown) {
          uint16_t* out = expected.data();
          std::fill(expected.begin(), expected.end(), 0x1357);
          DrawImage(0, 0, InterfaceImages.GameBG.get(), out);
          for (int cell = 0; cell < Board.CellCount; ++cell) {
            const int x = 150 + cell % Board.BoardSide * split, y = 50 + cell / Board.BoardSide * split;
            if (Board.Stone[cell] == 0 && Board.CellLayer[cell] >= 0)
              DrawImage(x, y, Board.PieceImage[Board.CellLayer[cell]][cell].get(), out);
            if (Board.Cobweb[cell] == 1) DrawImageKeyed(x, y, Board.CobwebPicture.get(), out);
          }
          for (int i = 0; shown == PLAY_MODE_PLAY && i <= Board.BoardSide; ++i) {
            FillRect(150 + i * split, 50, 2, 500, 0, 0, 0, out);
            FillRect(150, 50 + i * split, 500, 2, 0, 0, 0, out);
          }
          for (int cell = 0; cell < Board.CellCount; ++cell)
            if (Board.Stone[cell] == 1)
              DrawImage(150 + cell % Board.BoardSide * split, 50 + cell / Board.BoardSide * split,
                        Board.StonePicture.get(), out);
        };
        // The frame drawn; the same again; then the level in the other mode
        // (with the grid or without), each over a stale frame.
        const int other = mode == PLAY_MODE_PLAY ? PLAY_MODE_BOARD_ONLY : PLAY_MODE_PLAY;
        for (int frame = 0; frame < 3; ++frame) {
          const int shown = frame == 2 ? other : mode;
          layered(shown);
          if (frame > 0) {
            std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0x2468);
            DrawPlayScreen(shown);
          }
          for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
              if (x >= 690 || (y < 40 && x > 250 && x < 550)) continue;  // counters and clock text
              ASSERT_EQ(Px(x, y), expected[y * 800 + x]) << "at " << x << "," << y << ", pieces of " << split
                                                         << ", stones of " << stoneSide << ", mode " << shown
                                                         << ", frame " << frame;
            }
        }
      }
}

TEST_F(PlayScreenTest, BoardOnlyModeHasNoGridAndNoHoverFrame) {
  Board.HoveredCell = 11;
  DrawPlayScreen(PLAY_MODE_BOARD_ONLY);
  EXPECT_NE(Px(150, 320), 0);
  EXPECT_NE(Px(200, 120), red);
}

TEST_F(PlayScreenTest, DropSpidersLetsThemLeaveTheBoard) {
  StaticSpiderNum = 2;
  StaticSpiders[0].cell = 95;  // bottom row
  StaticSpiders[1].cell = -1;
  DynamicSpiderNum = 1;
  DynamicSpiders[0].cell = 3;
  DropSpiders();
  EXPECT_EQ(StaticSpiders[0].cell, -1);
  EXPECT_EQ(StaticSpiders[1].cell, -1);
  EXPECT_EQ(DynamicSpiders[0].cell, 13);
  StaticSpiderNum = DynamicSpiderNum = 0;
}

TEST_F(PlayScreenTest, DoorsSlideApartFromTheMiddle) {
  std::memset(BackBuffer, 0, sizeof BackBuffer);
  DrawDoors(DOORS_TALK);
  // At 288 the halves cover columns 0-111 and 688-799.
  EXPECT_EQ(Px(0, 10), 288 + 1);
  EXPECT_EQ(Px(111, 10), 399 + 1);
  EXPECT_EQ(Px(112, 10), 0);
  EXPECT_EQ(Px(687, 10), 0);
  EXPECT_EQ(Px(688, 10), 400 + 1);
  EXPECT_EQ(Px(799, 599), 511 + 1);
  std::memset(BackBuffer, 0, sizeof BackBuffer);
  DrawDoors(DOORS_OPEN);
  EXPECT_EQ(Px(0, 0), 0);
  DrawDoors(DOORS_CLOSED);
  EXPECT_EQ(Px(0, 0), 1);
  EXPECT_EQ(Px(799, 0), 800);
}

TEST(SweepTest, EndsForEveryPieceSize) {
  EXPECT_EQ(SweepStep(25), 5);
  EXPECT_EQ(SweepStep(50), 2);
  EXPECT_EQ(SweepStep(100), 1);
  EXPECT_GT(SweepStep(40), 0);
}

}  // namespace
}  // namespace tessera
