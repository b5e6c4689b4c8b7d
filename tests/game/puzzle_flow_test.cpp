// A level from its files, played frame by frame as the play loop runs it:
// solved by scripted clicks, or left alone until its time runs out and then
// reset to the very board it started with.
#include <vector>

#include "game/board.h"
#include "game/game_state.h"
#include "game/random.h"
#include "game/rules.h"
#include "game/spiders.h"
#include "puzzle_fixture.h"

namespace tessera::test {
namespace {

struct BoardSnapshot {
  std::vector<int32_t> layers, positions, stones, occupied, orders;
  int32_t correct = 0;
  bool operator==(const BoardSnapshot&) const = default;
};

BoardSnapshot Snapshot() {
  BoardSnapshot s;
  s.layers.assign(Board.CellLayer, Board.CellLayer + MAX_CELLS);
  s.positions.assign(Board.CellPosition, Board.CellPosition + MAX_CELLS);
  s.stones.assign(Board.Stone, Board.Stone + MAX_CELLS);
  s.occupied.assign(Board.SpiderOccupied, Board.SpiderOccupied + MAX_CELLS);
  for (const auto& order : Board.LayerOrder) s.orders.insert(s.orders.end(), order, order + MAX_LAYERS);
  s.correct = Board.CorrectCount;
  return s;
}

class PuzzleFlowTest : public PuzzleTest {
 protected:
  PuzzleFlowTest() : workDir_(dir_.path()) {
    dir_.Write("Script/ScriptEntry.txt",
               "[Garden]\r\nLevelName=Garden\r\nBlendPictureNum=3\r\nBlendPicture00=rose\r\n"
               "BlendPicture01=fern\r\nBlendPicture02=moss\r\nSplitSize=100\r\nLimitedTime=45\r\n"
               "StoneRation=100\r\nTalkerHeadNum=0\r\n");
    WriteGreyBmp(dir_, "Picture/rose.bmp", 500, 500, 230);
    WriteGreyBmp(dir_, "Picture/fern.bmp", 500, 500, 120);
    WriteGreyBmp(dir_, "Picture/moss.bmp", 500, 500, 40);
    SetCurrentLevelName("Garden");
  }

  // What a player would do next: put a wrong free cell right, or, when every
  // free cell is right, turn a right cell next to a stone away so that turning
  // it back blows the stone. -1 when nothing is left to do.
  int NextClick() const {
    for (int c = 0; c < Board.CellCount; ++c)
      if (!Board.Stone[c] && !IsOnTarget(c)) return c;
    const int side = Board.BoardSide;
    for (int c = 0; c < Board.CellCount; ++c) {
      if (!Board.Stone[c]) continue;
      const int row = c / side, column = c % side;
      const int neighbours[] = {row > 0 ? c - side : -1, row < side - 1 ? c + side : -1, column > 0 ? c - 1 : -1,
                                column < side - 1 ? c + 1 : -1};
      for (int n : neighbours)
        if (n >= 0 && !Board.Stone[n]) return n;
    }
    return -1;
  }

  ScratchDir dir_;
  ScopedWorkDir workDir_;
};

TEST_F(PuzzleFlowTest, ScriptedClicksSolveTheLevel) {
  ASSERT_EQ(LoadLevel(), 1) << LoadLevelFailure();
  ASSERT_EQ(Board.CellCount, 25);
  int stones = 0;
  for (int c = 0; c < 25; ++c) stones += Board.Stone[c];
  ASSERT_GT(stones, 0) << "the level should have stones to blow away";

  int clicks = 0;
  while (GameState == STATE_PLAYING && clicks < 500) {
    const int cell = NextClick();
    ASSERT_GE(cell, 0) << "stuck with the level unsolved";
    Click(cell);
    ++clicks;
  }
  EXPECT_EQ(GameState, STATE_LEVEL_PASSED);
  EXPECT_EQ(Board.CorrectCount, 25);
  for (int c = 0; c < 25; ++c) EXPECT_EQ(Board.Stone[c], 0);
  EXPECT_EQ(Count(SOUND_STONE_EXPLODE), stones);
  EXPECT_EQ(Count(SOUND_CHANGE_PIECE), clicks);
  EXPECT_LT(ElapsedSeconds, 45);
}

TEST_F(PuzzleFlowTest, LeftAloneTheLevelFailsAndComesBackTheSame) {
  ASSERT_EQ(LoadLevel(), 1) << LoadLevelFailure();
  const BoardSnapshot atStart = Snapshot();
  const uint32_t generator = RandState();

  // Some play first, so that the reset has something to undo.
  for (int i = 0; i < 6; ++i) {
    const int cell = NextClick();
    ASSERT_GE(cell, 0);
    Click(cell);
  }
  ASSERT_FALSE(Snapshot() == atStart);

  MoveTo(700, 560);
  while (GameState == STATE_PLAYING && platform_->ElapsedMs() < 100000) Frame();
  ASSERT_EQ(GameState, STATE_LEVEL_FAILED);
  EXPECT_EQ(ElapsedSeconds, 45);
  EXPECT_EQ(Count(SOUND_TIME_OUT), 1);

  ResetLevel();
  EXPECT_TRUE(Snapshot() == atStart);
  EXPECT_EQ(RandState(), generator) << "failing deals nothing new";
  EXPECT_EQ(ElapsedSeconds, 0);

  // And the same board can be played to the end again.
  GameState = STATE_PLAYING;
  SecondTimer.Restart();
  for (int clicks = 0; GameState == STATE_PLAYING && clicks < 500; ++clicks) {
    const int cell = NextClick();
    ASSERT_GE(cell, 0);
    Click(cell);
  }
  EXPECT_EQ(GameState, STATE_LEVEL_PASSED);
}

TEST_F(PuzzleFlowTest, TheSameLevelAfterStartUpDealsTheSameBoard) {
  ASSERT_EQ(LoadLevel(), 1);
  const BoardSnapshot first = Snapshot();
  ASSERT_EQ(LoadLevel(), 1);
  EXPECT_FALSE(Snapshot() == first) << "a second set-up in the same run draws on";
  ResetRand();
  ASSERT_EQ(LoadLevel(), 1);
  EXPECT_TRUE(Snapshot() == first);
}

}  // namespace
}  // namespace tessera::test
