// Board play: hit testing, clicks, stones and their chains, the completion
// test, the clock, the play buttons and the confirmation box.
#include "app/input_state.h"
#include "game/board.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/rules.h"
#include "game/settings.h"
#include "puzzle_fixture.h"

namespace tessera::test {
namespace {

class RulesTest : public PuzzleTest {
 protected:
  void Stone(int cell) {
    Board.Stone[cell] = 1;
    Board.InitialStone[cell] = 1;
  }
};

TEST_F(RulesTest, HitTestCoversTheBoardWithInclusiveEdges) {
  Arrange(25, {0, 1});
  EXPECT_EQ(HitTestBoard(150, 50), 0);
  EXPECT_EQ(HitTestBoard(174, 74), 0);
  EXPECT_EQ(HitTestBoard(175, 50), 1);
  EXPECT_EQ(HitTestBoard(150, 75), 20);
  EXPECT_EQ(HitTestBoard(649, 549), 399);
  EXPECT_EQ(HitTestBoard(650, 300), -1);
  EXPECT_EQ(HitTestBoard(149, 300), -1);
  EXPECT_EQ(HitTestBoard(400, 49), -1);
  EXPECT_EQ(HitTestBoard(400, 550), -1);
  EXPECT_EQ(HitTestBoard(-5, -5), -1);
  Arrange(100, {0, 1});
  EXPECT_EQ(HitTestBoard(649, 549), 24);
  EXPECT_EQ(HitTestBoard(249, 149), 0);
  EXPECT_EQ(HitTestBoard(250, 150), 6);
}

TEST_F(RulesTest, HoverFollowsThePointerAndStaysWhenItLeavesTheBoard) {
  Arrange(50, {1, 0});
  SetCell(23, {1, 0, 2}, 1);
  Board.TouchLatch = 1;
  Hover(23);
  EXPECT_EQ(Board.HoveredCell, 23);
  EXPECT_EQ(Board.HoveredPosition, 1);
  EXPECT_EQ(Board.TouchLatch, 0) << "a new cell clears the latch";
  MoveTo(700, 300);
  EXPECT_EQ(Board.HoveredCell, 23);
  Board.TouchLatch = 1;
  Hover(23);
  EXPECT_EQ(Board.TouchLatch, 1) << "the same cell keeps it";
}

TEST_F(RulesTest, ClickCyclesTheCellAndKeepsTheCountTrue) {
  Arrange(100, {2, 1, 0});
  const int before = Board.CorrectCount;
  Click(12);
  EXPECT_EQ(Board.CellPosition[12], 1);
  EXPECT_EQ(Board.CellLayer[12], 1);
  EXPECT_EQ(Board.CorrectCount, before);
  Click(12);
  EXPECT_EQ(Board.CellLayer[12], 0);
  EXPECT_EQ(Board.CorrectCount, before + 1);
  Click(12);
  EXPECT_EQ(Board.CellPosition[12], 0) << "wraps after the last layer";
  EXPECT_EQ(Board.CellLayer[12], 2);
  EXPECT_EQ(Board.CorrectCount, before) << "leaving the solution layer lowers the count";
  EXPECT_EQ(Count(SOUND_CHANGE_PIECE), 3);
}

TEST_F(RulesTest, WithOneLayerClicksChangeNothingButStillSound) {
  ASSERT_EQ(Build({.layers = 1, .splitSize = 100}), 1);
  Click(3);
  Click(3);
  EXPECT_EQ(Board.CellPosition[3], 0);
  EXPECT_EQ(Board.CellLayer[3], 0);
  EXPECT_EQ(Board.CorrectCount, 25);
  EXPECT_EQ(Count(SOUND_CHANGE_PIECE), 2);
}

TEST_F(RulesTest, OnlyTheLeftButtonReleaseInsideTheBoardActs) {
  Arrange(100, {1, 0});
  Hover(8);
  auto post = [this](MessageKind kind, MouseButton button, int x = 0, int y = 0) {
    WindowMessage m;
    m.kind = kind;
    m.button = button;
    m.x = x;
    m.y = y;
    platform_->Post(m);
    Frame();
  };
  post(MessageKind::ButtonDown, MouseButton::Left);
  post(MessageKind::MouseMove, MouseButton::Left, CellX(8) + 3, CellY(8));  // a drag: the button is held
  ASSERT_EQ(InputState.MouseEvent, MOUSE_LEFT_DRAG);
  post(MessageKind::ButtonDouble, MouseButton::Left);
  post(MessageKind::ButtonDown, MouseButton::Right);
  post(MessageKind::ButtonUp, MouseButton::Right);
  EXPECT_EQ(Board.CellPosition[8], 0);
  // A release off the board does not act on the cell still hovered.
  ClickAt(700, 100);
  EXPECT_EQ(Board.HoveredCell, 8);
  EXPECT_EQ(Board.CellPosition[8], 0);
  EXPECT_EQ(Count(SOUND_CHANGE_PIECE), 0);
  Click(8);
  EXPECT_EQ(Board.CellPosition[8], 1);
}

TEST_F(RulesTest, StoneCellsIgnoreClicks) {
  Arrange(100, {1, 0});
  Stone(6);
  Click(6);
  EXPECT_EQ(Board.CellPosition[6], 0);
  EXPECT_EQ(Board.Stone[6], 1);
  EXPECT_TRUE(Sounds().empty());
}

TEST_F(RulesTest, ClickOnACobwebClearsItSilentlyThenTheNextClickCycles) {
  Arrange(100, {1, 0});
  Board.Cobweb[6] = 1;
  Board.Cobweb[7] = 1;
  Board.CobwebCount = 2;
  Click(6);
  EXPECT_EQ(Board.Cobweb[6], 0);
  EXPECT_EQ(Board.CobwebCount, 1);
  EXPECT_EQ(Board.CellPosition[6], 0);
  EXPECT_TRUE(Sounds().empty());
  Click(6);
  EXPECT_EQ(Board.CellPosition[6], 1);
  EXPECT_EQ(Count(SOUND_CHANGE_PIECE), 1);

  // A webbed stone cell loses the web but keeps the stone.
  Stone(7);
  Click(7);
  EXPECT_EQ(Board.Cobweb[7], 0);
  EXPECT_EQ(Board.Stone[7], 1);
  EXPECT_EQ(Board.CobwebCount, 0);
  Click(7);
  EXPECT_EQ(Board.CellPosition[7], 0);
}

TEST_F(RulesTest, TouchLatchKeepsClicksAwayUntilThePointerLeavesTheCell) {
  Arrange(100, {1, 0});
  Hover(12);
  Board.TouchLatch = 1;
  Click(12);
  Click(12);
  EXPECT_EQ(Board.CellPosition[12], 0);
  Hover(13);
  Hover(12);
  Click(12);
  EXPECT_EQ(Board.CellPosition[12], 1);
}

TEST_F(RulesTest, OneClickBlowsAwayTwoStonesWithTwoSounds) {
  Arrange(100, {1, 0});
  const int centre = Cell(2, 2);
  Stone(Cell(1, 2));
  Stone(Cell(2, 3));
  Stone(Cell(4, 4));  // not a neighbour
  const int before = Board.CorrectCount;
  Click(centre);
  EXPECT_EQ(Board.CorrectCount, before + 1);
  EXPECT_EQ(Board.Stone[Cell(1, 2)], 0);
  EXPECT_EQ(Board.Stone[Cell(2, 3)], 0);
  EXPECT_EQ(Board.Exploding[Cell(1, 2)], 1);
  EXPECT_EQ(Board.Exploding[Cell(2, 3)], 1);
  EXPECT_EQ(Board.Stone[Cell(4, 4)], 1);
  EXPECT_EQ(Count(SOUND_STONE_EXPLODE), 2);
  EXPECT_EQ(Count(SOUND_CHANGE_PIECE), 1);
  EXPECT_EQ(Sounds().back(), SOUND_CHANGE_PIECE) << "the cycle sound comes after the explosions";
}

TEST_F(RulesTest, LeavingTheSolutionLayerBlowsNothing) {
  Arrange(100, {0, 1});
  Stone(Cell(0, 1));
  Click(Cell(0, 0));
  EXPECT_EQ(Board.Stone[Cell(0, 1)], 1);
  EXPECT_EQ(Count(SOUND_STONE_EXPLODE), 0);
}

TEST_F(RulesTest, ChainRunsOnlyThroughStonesThatShowTheSolution) {
  Arrange(100, {1, 0});
  // Row 0: clicked cell, then stones on cells 1 (correct), 2 (correct), 3 (wrong), 4.
  for (int k = 1; k < 5; ++k) Stone(Cell(0, k));
  SetCell(Cell(0, 1), {0, 1});
  SetCell(Cell(0, 2), {0, 1});
  Stone(Cell(1, 2));  // below a correct chain stone: goes too
  Click(Cell(0, 0));
  EXPECT_EQ(Board.Stone[Cell(0, 1)], 0);
  EXPECT_EQ(Board.Stone[Cell(0, 2)], 0);
  EXPECT_EQ(Board.Stone[Cell(1, 2)], 0);
  EXPECT_EQ(Board.Stone[Cell(0, 3)], 0) << "a wrong stone next to a correct one goes";
  EXPECT_EQ(Board.Stone[Cell(0, 4)], 1) << "but the chain does not run through it";
  EXPECT_EQ(Count(SOUND_STONE_EXPLODE), 4);
}

TEST_F(RulesTest, ChainThroughAWholeTwentyByTwentyBoard) {
  Arrange(25, {0, 1});
  // Correct stones on every cell but the clicked corner, which starts wrong:
  // the chain snakes through the whole board.
  for (int c = 0; c < 400; ++c) Stone(c);
  Board.Stone[0] = 0;
  SetCell(0, {1, 0});
  Click(0);
  for (int c = 0; c < 400; ++c) ASSERT_EQ(Board.Stone[c], 0) << "cell " << c;
  EXPECT_EQ(Count(SOUND_STONE_EXPLODE), 399);
  EXPECT_EQ(Board.CorrectCount, 400);
}

TEST_F(RulesTest, ExplodeStonesSkipsTheDirectionItCameFrom) {
  Arrange(100, {0, 1});
  Stone(Cell(1, 2));
  Stone(Cell(3, 2));
  Stone(Cell(2, 1));
  Stone(Cell(2, 3));
  ExplodeStones(Cell(2, 2), DIRECTION_DOWN);
  EXPECT_EQ(Board.Stone[Cell(3, 2)], 1);
  EXPECT_EQ(Board.Stone[Cell(1, 2)], 0);
  EXPECT_EQ(Board.Stone[Cell(2, 1)], 0);
  EXPECT_EQ(Board.Stone[Cell(2, 3)], 0);
  // Edges do not wrap: a corner has two neighbours only.
  Stone(Cell(1, 0));
  Stone(Cell(0, 4));
  ClearSounds();
  ExplodeStones(Cell(0, 0), DIRECTION_NONE);
  EXPECT_EQ(Board.Stone[Cell(0, 4)], 1);
  EXPECT_EQ(Board.Stone[Cell(1, 0)], 0);
}

TEST_F(RulesTest, ExplosionShowsFourFramesOnTheSharedTimer) {
  Arrange(100, {1, 0});
  Stone(Cell(0, 1));
  Click(Cell(0, 0));
  ASSERT_EQ(Board.Exploding[Cell(0, 1)], 1);
  int steps = 0;
  int lastFrame = Board.ExplosionFrame[Cell(0, 1)];
  while (Board.Exploding[Cell(0, 1)] == 1 && steps < 1000) {
    Frame();
    ++steps;
    if (Board.ExplosionFrame[Cell(0, 1)] != lastFrame) {
      EXPECT_EQ(Board.ExplosionFrame[Cell(0, 1)], (lastFrame + 1) % 4);
      lastFrame = Board.ExplosionFrame[Cell(0, 1)];
    }
  }
  EXPECT_EQ(Board.ExplosionFrame[Cell(0, 1)], 0);
  // Four steps of a little over 100 ms at 5 ms a frame.
  EXPECT_GE(steps, 3 * 20);
  EXPECT_LE(steps, 4 * 21 + 1);
}

TEST_F(RulesTest, ThreeQuartersPassWhenAllIsNotRequired) {
  GameSettings.MatchAll = 0;
  Arrange(50, {1, 0});
  for (int c = 0; c < 74; ++c) SetCell(c, {0, 1});
  UpdatePlayRules();
  EXPECT_EQ(GameState, STATE_PLAYING);
  Click(74);
  EXPECT_EQ(Board.CorrectCount, 75);
  EXPECT_EQ(GameState, STATE_LEVEL_PASSED) << "passed in the frame the 75th cell came right";
}

TEST_F(RulesTest, CompletionTestAcrossSettingsAndBoardSizes) {
  struct Case {
    int split, matchAll, correct, cobwebs;
    bool solved;
  };
  const Case cases[] = {
      {50, 0, 74, 0, false}, {50, 0, 75, 0, true},   {50, 0, 75, 1, false},  {100, 0, 18, 0, false},
      {100, 0, 19, 0, true}, {25, 0, 299, 0, false}, {25, 0, 300, 0, true},  {50, 1, 99, 0, false},
      {50, 1, 100, 0, true}, {50, 1, 100, 1, false}, {50, 2, 100, 0, false}, {50, -1, 100, 0, false},
  };
  for (const Case& c : cases) {
    Arrange(c.split, {1, 0});
    GameSettings.MatchAll = c.matchAll;
    Board.CorrectCount = c.correct;
    Board.CobwebCount = c.cobwebs;
    EXPECT_EQ(IsSolved(), c.solved) << "split " << c.split << " MatchAll " << c.matchAll << " correct "
                                    << c.correct << " cobwebs " << c.cobwebs;
  }
}

TEST_F(RulesTest, ClockRunsOutAfterTheLimitWithThirtyOneWarnings) {
  ASSERT_EQ(Build({.layers = 2, .splitSize = 100, .limitedTime = 120}), 1);
  SecondTimer.Restart();
  int firstWarning = -1;
  while (GameState == STATE_PLAYING && platform_->ElapsedMs() < 200000) {
    Frame();
    if (firstWarning < 0 && Count(SOUND_LAST_TIME) == 1) firstWarning = ElapsedSeconds;
  }
  EXPECT_EQ(GameState, STATE_LEVEL_FAILED);
  EXPECT_EQ(ElapsedSeconds, 120);
  EXPECT_EQ(ClockFresh, 0);
  EXPECT_EQ(firstWarning, 90);
  EXPECT_EQ(Count(SOUND_LAST_TIME), 31);
  EXPECT_EQ(Count(SOUND_TIME_OUT), 1);
  EXPECT_EQ(Sounds().back(), SOUND_TIME_OUT);
  // Each tick takes a little over a second of frames.
  EXPECT_GE(platform_->ElapsedMs(), 120u * 1000u);
  EXPECT_LE(platform_->ElapsedMs(), 120u * 1006u);
}

TEST_F(RulesTest, ShortLimitWarnsAtEveryTick) {
  ASSERT_EQ(Build({.layers = 2, .splitSize = 100, .limitedTime = 20}), 1);
  while (GameState == STATE_PLAYING && platform_->ElapsedMs() < 60000) Frame();
  EXPECT_EQ(GameState, STATE_LEVEL_FAILED);
  EXPECT_EQ(Count(SOUND_LAST_TIME), 20);
  EXPECT_EQ(Count(SOUND_TIME_OUT), 1);
}

TEST_F(RulesTest, ASolvedBoardPassesEvenInTheFrameOfTheLastTick) {
  Arrange(100, {0, 1});
  LevelDefinition.LimitedTime = 5;
  ElapsedSeconds = 4;
  Platform& sys = Sys();
  sys.Sleep(2000);  // the tick that would fail the level is due
  UpdatePlayRules();
  EXPECT_EQ(GameState, STATE_LEVEL_PASSED);
  EXPECT_EQ(ElapsedSeconds, 4);
  EXPECT_EQ(Count(SOUND_TIME_OUT), 0);
}

TEST_F(RulesTest, PointerDirectionFollowsTheLongerAxisOfAMove) {
  Arrange(100, {1, 0});
  struct Case {
    int dx, dy, direction;
  };
  const Case cases[] = {{3, -2, DIRECTION_RIGHT}, {-3, 2, DIRECTION_LEFT}, {2, -3, DIRECTION_UP},
                        {-2, 3, DIRECTION_DOWN},  {4, 4, DIRECTION_NONE},  {-4, 4, DIRECTION_NONE}};
  for (const Case& c : cases) {
    MoveTo(400, 300);
    MoveTo(400 + c.dx, 300 + c.dy);
    EXPECT_EQ(PointerDirection, c.direction) << c.dx << "," << c.dy;
  }
  // Off the board as well, and back to none in a frame without a move.
  MoveTo(20, 20);
  MoveTo(23, 18);
  EXPECT_EQ(PointerDirection, DIRECTION_RIGHT);
  Frame();
  EXPECT_EQ(PointerDirection, DIRECTION_NONE);
  // A drag is not a move.
  WindowMessage press;
  press.kind = MessageKind::ButtonDown;
  platform_->Post(press);
  Frame();
  MoveTo(60, 18);
  ASSERT_EQ(InputState.MouseEvent, MOUSE_LEFT_DRAG);
  EXPECT_EQ(PointerDirection, DIRECTION_NONE);
}

TEST_F(RulesTest, PlayButtonsHoverWithOneMoveSoundPerChange) {
  Arrange(100, {1, 0});
  MoveTo(9, 507);
  EXPECT_EQ(HoveredPlayButton, PLAY_BUTTON_BOSS);
  MoveTo(49, 547);
  EXPECT_EQ(HoveredPlayButton, PLAY_BUTTON_BOSS);
  EXPECT_EQ(Count(SOUND_BUTTON_MOVE), 1);
  MoveTo(50, 547);
  EXPECT_EQ(HoveredPlayButton, -1);
  EXPECT_EQ(Count(SOUND_BUTTON_MOVE), 2) << "leaving for empty space sounds too";
  MoveTo(104, 594);
  EXPECT_EQ(HoveredPlayButton, PLAY_BUTTON_OPTIONS);
  MoveTo(64, 554);
  EXPECT_EQ(HoveredPlayButton, PLAY_BUTTON_OPTIONS);
  MoveTo(30, 560);
  EXPECT_EQ(HoveredPlayButton, PLAY_BUTTON_SAVE);
  MoveTo(80, 520);
  EXPECT_EQ(HoveredPlayButton, PLAY_BUTTON_RESTART);
  EXPECT_EQ(Count(SOUND_BUTTON_MOVE), 5);
}

TEST_F(RulesTest, PlayButtonsOpenTheOptionMenuOnTheirPage) {
  struct Case {
    int x, y, page;
  };
  const Case cases[] = {{20, 520, OPTION_PAGE_BOSS}, {20, 570, OPTION_PAGE_SAVE}, {80, 570, OPTION_PAGE_SETTINGS}};
  for (const Case& c : cases) {
    Arrange(100, {1, 0});
    GameState = STATE_PLAYING;
    ClearSounds();
    ClickAt(c.x, c.y);
    EXPECT_EQ(GameState, STATE_OPTION_MENU);
    EXPECT_EQ(OptionPage, c.page);
    EXPECT_EQ(ReturnState, STATE_PLAYING);
    EXPECT_EQ(Count(SOUND_BUTTON_PRESS), 1);
  }
  // A release on no button presses nothing.
  GameState = STATE_PLAYING;
  ClearSounds();
  ClickAt(120, 580);
  EXPECT_EQ(GameState, STATE_PLAYING);
  EXPECT_EQ(Count(SOUND_BUTTON_PRESS), 0);
}

TEST_F(RulesTest, CancelledRestartResumesPlayAndTheClockStoodStill) {
  Arrange(100, {1, 0});
  Board.Exploding[20] = 1;
  SecondTimer.Restart();
  ClickAt(80, 520);
  ASSERT_EQ(ConfirmState, CONFIRM_ASKING);
  EXPECT_EQ(PendingState, STATE_LEVEL_RESTART);
  EXPECT_EQ(ConfirmHover, CONFIRM_HOVER_NONE);
  EXPECT_EQ(Count(SOUND_BUTTON_PRESS), 1);

  // While the box asks, the board and the buttons take nothing and the clock,
  // explosions and spiders stand still.
  Click(Cell(0, 0));
  EXPECT_EQ(Board.CellPosition[0], 0);
  ClickAt(20, 520);
  EXPECT_EQ(GameState, STATE_PLAYING);
  Wait(3000);
  EXPECT_EQ(ElapsedSeconds, 0);
  EXPECT_EQ(Board.ExplosionFrame[20], 0);
  MoveTo(350, 300);
  EXPECT_EQ(ConfirmHover, CONFIRM_HOVER_NO);
  MoveTo(450, 300);
  EXPECT_EQ(ConfirmHover, CONFIRM_HOVER_YES);
  ClickAt(400, 300);  // between the two buttons
  EXPECT_EQ(ConfirmState, CONFIRM_ASKING);

  ClearSounds();
  ClickAt(324, 336);
  EXPECT_EQ(ConfirmState, CONFIRM_CLOSED);
  EXPECT_EQ(Count(SOUND_BUTTON_PRESS), 1);
  // The timer ran on behind the box, so the rules of this very frame tick once.
  EXPECT_EQ(ElapsedSeconds, 1);
  EXPECT_EQ(Board.ExplosionFrame[20], 1);
  Wait(900);
  EXPECT_EQ(ElapsedSeconds, 1);
  EXPECT_EQ(GameState, STATE_PLAYING);
  Click(Cell(0, 0));
  EXPECT_EQ(Board.CellPosition[0], 1);
}

TEST_F(RulesTest, ConfirmedRestartIsEnteredTheNextFrame) {
  Arrange(100, {1, 0});
  ClickAt(64, 507);
  ASSERT_EQ(ConfirmState, CONFIRM_ASKING);
  ClickAt(478, 286);
  EXPECT_EQ(ConfirmState, CONFIRM_CONFIRMED);
  EXPECT_EQ(GameState, STATE_PLAYING);
  Frame();
  EXPECT_EQ(ConfirmState, CONFIRM_CLOSED);
  EXPECT_EQ(GameState, STATE_LEVEL_RESTART);
}

}  // namespace
}  // namespace tessera::test
