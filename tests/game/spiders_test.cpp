// Spiders: placement, sleep, sight, the staircase path, stones and other
// spiders in the way, webbing the hovered cell.
#include <vector>

#include "game/board.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/random.h"
#include "game/rules.h"
#include "game/spiders.h"
#include "puzzle_fixture.h"

namespace tessera::test {
namespace {

class SpidersTest : public PuzzleTest {
 protected:
  // A spider put on `cell` by hand, awake unless asked otherwise, its timers
  // starting now.
  Spider& Add(int kind, int cell, bool awake = true) {
    Spider& s = kind == SPIDER_KIND_DYNAMIC ? DynamicSpiders[DynamicSpiderNum++] : StaticSpiders[StaticSpiderNum++];
    s = Spider{};
    s.kind = kind;
    s.cell = cell;
    s.awake = awake ? 1 : 0;
    s.wakeCountdown = awake ? 0 : SPIDER_WAKE_TICKS;
    s.stepTimer.Start(SPIDER_STEP_MS);
    s.frameTimer.Start(SPIDER_FRAME_MS);
    Board.SpiderOccupied[cell] = 1;
    return s;
  }

  // The cells a spider stands on after each of `ticks` step ticks.
  std::vector<int> Walk(const Spider& spider, int ticks) {
    std::vector<int> cells;
    for (int i = 0; i < ticks; ++i) {
      Wait(1005);
      cells.push_back(spider.cell);
    }
    return cells;
  }
};

TEST_F(SpidersTest, SetUpPlacesSpidersOnDistinctCellsAsleep) {
  ASSERT_EQ(Build({.layers = 2, .splitSize = 50, .staticSpiders = 2}), 1);
  ASSERT_EQ(StaticSpiderNum, 2);
  ASSERT_EQ(DynamicSpiderNum, 0);
  const Spider& a = StaticSpiders[0];
  const Spider& b = StaticSpiders[1];
  EXPECT_NE(a.cell, b.cell);
  int occupied = 0;
  for (int c = 0; c < MAX_CELLS; ++c) {
    occupied += Board.SpiderOccupied[c];
    EXPECT_EQ(Board.InitialSpiderOccupied[c], Board.SpiderOccupied[c]);
  }
  EXPECT_EQ(occupied, 2);
  EXPECT_EQ(Board.SpiderOccupied[a.cell], 1);
  EXPECT_EQ(Board.SpiderOccupied[b.cell], 1);
  for (const Spider* s : {&a, &b}) {
    EXPECT_EQ(s->kind, SPIDER_KIND_STATIC);
    EXPECT_EQ(s->awake, 0);
    EXPECT_EQ(s->wakeCountdown, 3);
    EXPECT_EQ(s->pathTarget, -1);
  }

  // The pointer right next to the first spider: nothing moves for two seconds.
  const int cellA = a.cell;
  int near = cellA % 10 == 0 ? cellA + 1 : cellA - 1;
  if (near == b.cell) near = cellA < 90 ? cellA + 10 : cellA - 10;
  Hover(near);
  Wait(2000);
  EXPECT_EQ(a.cell, cellA);
  EXPECT_EQ(a.awake, 0);
  Wait(2100);
  EXPECT_EQ(a.awake, 1);
  EXPECT_EQ(a.cell, near) << "awake at the third tick, one step at the next";
}

TEST_F(SpidersTest, NegativeRationStartsSpidersUnderStones) {
  ASSERT_EQ(Build({.layers = 3, .splitSize = 100, .stoneRation = -1, .staticSpiders = 5, .dynamicSpiders = 5}), 1);
  ASSERT_EQ(StaticSpiderNum + DynamicSpiderNum, 10);
  for (int i = 0; i < StaticSpiderNum; ++i) EXPECT_EQ(Board.Stone[StaticSpiders[i].cell], 1);
  for (int i = 0; i < DynamicSpiderNum; ++i) EXPECT_EQ(Board.Stone[DynamicSpiders[i].cell], 1);
}

TEST_F(SpidersTest, PlacementStopsWhenNoCellIsLeft) {
  Arrange(100, {1, 0});
  LevelDefinition.StoneRation = -1;
  for (int c : {3, 9, 17}) Board.Stone[c] = 1;
  LevelDefinition.StaticSpiderNum = 5;
  LevelDefinition.DynamicSpiderNum = 5;
  InitSpiders();
  EXPECT_EQ(StaticSpiderNum, 3);
  EXPECT_EQ(DynamicSpiderNum, 0);
  for (int c = 0; c < Board.CellCount; ++c) EXPECT_EQ(Board.SpiderOccupied[c], c == 3 || c == 9 || c == 17 ? 1 : 0);

  // Every cell taken: no cell, and not a single draw.
  LevelDefinition.StoneRation = 50;
  for (int c = 0; c < Board.CellCount; ++c) Board.SpiderOccupied[c] = 1;
  const uint32_t before = RandState();
  EXPECT_EQ(PlaceSpider(), -1);
  EXPECT_EQ(RandState(), before);

  // One cell left: found, however many draws it takes.
  Board.SpiderOccupied[24] = 0;
  EXPECT_EQ(PlaceSpider(), 24);
  EXPECT_EQ(Board.InitialSpiderOccupied[24], 1);

  // Counts beyond the tables are cut to them.
  for (int c = 0; c < Board.CellCount; ++c) Board.SpiderOccupied[c] = 0;
  LevelDefinition.StaticSpiderNum = 9;
  LevelDefinition.DynamicSpiderNum = -3;
  InitSpiders();
  EXPECT_EQ(StaticSpiderNum, MAX_STATIC_SPIDERS);
  EXPECT_EQ(DynamicSpiderNum, 0);
}

TEST_F(SpidersTest, StaticSpiderSeesOnlyTwoRowsAndColumnsAround) {
  Arrange(50, {1, 0});
  Spider& s = Add(SPIDER_KIND_STATIC, Cell(5, 5));
  Spider& d = Add(SPIDER_KIND_DYNAMIC, Cell(0, 9));
  struct Case {
    int row, column;
    bool seen;
  };
  const Case cases[] = {{7, 7, true}, {3, 3, true},  {5, 5, true},  {8, 5, false},
                        {2, 5, false}, {5, 8, false}, {5, 2, false}, {9, 0, false}};
  for (const Case& c : cases) {
    Board.HoveredCell = Cell(c.row, c.column);
    EXPECT_EQ(SpiderTarget(s), c.seen ? Board.HoveredCell : -1) << c.row << "," << c.column;
    EXPECT_EQ(SpiderTarget(d), Board.HoveredCell);
  }
}

TEST_F(SpidersTest, StaticSpiderWaitsUntilThePointerComesNear) {
  Arrange(50, {1, 0});
  Spider& s = Add(SPIDER_KIND_STATIC, Cell(5, 5));
  Hover(Cell(8, 5));
  Wait(3100);
  EXPECT_EQ(s.cell, Cell(5, 5));
  EXPECT_EQ(s.target, -1);
  Hover(Cell(7, 5));
  EXPECT_EQ(Walk(s, 2), (std::vector<int>{Cell(6, 5), Cell(7, 5)}));
}

TEST_F(SpidersTest, WalkOfTwoRowsAndThreeColumnsIsAStaircase) {
  Arrange(50, {1, 0});
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(3, 4));
  const int target = Cell(1, 1);
  s.target = target;
  PlanSpiderPath(s);
  ASSERT_EQ(s.pathLength, 5);
  // From the target's side: column, row, column, row, column.
  const std::vector<int> fromTarget(s.path, s.path + 5);
  EXPECT_EQ(fromTarget, (std::vector<int>{target, Cell(1, 2), Cell(2, 2), Cell(2, 3), Cell(3, 3)}));

  s.pathTarget = -1;
  Hover(target);
  EXPECT_EQ(Walk(s, 5), (std::vector<int>{Cell(3, 3), Cell(2, 3), Cell(2, 2), Cell(1, 2), target}));
  EXPECT_EQ(Board.SpiderOccupied[Cell(3, 4)], 0);
  EXPECT_EQ(Board.SpiderOccupied[target], 1);
  Wait(1005);
  EXPECT_EQ(s.cell, target) << "arrived";
}

TEST_F(SpidersTest, PathShapesForStraightAndSteepLines) {
  Arrange(25, {1, 0});
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(10, 10));
  struct Case {
    int row, column;
    std::vector<int> path;  // from the target's side
  };
  const Case cases[] = {
      {10, 13, {Cell(10, 13), Cell(10, 12), Cell(10, 11)}},
      {7, 10, {Cell(7, 10), Cell(8, 10), Cell(9, 10)}},
      // Three rows up and one column left: ties go to the column.
      {7, 9, {Cell(7, 9), Cell(7, 10), Cell(8, 10), Cell(9, 10)}},
      {12, 12, {Cell(12, 12), Cell(12, 11), Cell(11, 11), Cell(11, 10)}},
      {10, 10, {}},
  };
  for (const Case& c : cases) {
    s.target = Cell(c.row, c.column);
    PlanSpiderPath(s);
    EXPECT_EQ(std::vector<int>(s.path, s.path + s.pathLength), c.path) << c.row << "," << c.column;
  }
  // The longest walk on the board.
  s.cell = Cell(19, 19);
  s.target = 0;
  PlanSpiderPath(s);
  EXPECT_EQ(s.pathLength, 38);
}

TEST_F(SpidersTest, StoneOnTheLineStopsTheSpiderJustBeforeIt) {
  Arrange(50, {1, 0});
  Board.Stone[Cell(2, 3)] = 1;
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(3, 4));
  s.target = Cell(1, 1);
  PlanSpiderPath(s);
  ASSERT_EQ(s.pathLength, 1);
  EXPECT_EQ(s.path[0], Cell(3, 3));

  s.pathTarget = -1;
  Hover(Cell(1, 1));
  EXPECT_EQ(Walk(s, 4), (std::vector<int>(4, Cell(3, 3))));
  // Blowing the stone away does not set it going again...
  Board.Stone[Cell(2, 3)] = 0;
  EXPECT_EQ(Walk(s, 2), (std::vector<int>(2, Cell(3, 3))));
  // ...a new target does.
  Hover(Cell(1, 2));
  EXPECT_EQ(Walk(s, 1), std::vector<int>{Cell(2, 3)});
}

TEST_F(SpidersTest, StoneOnTheTargetKeepsTheSpiderNextToIt) {
  Arrange(100, {1, 0});
  Board.Stone[Cell(0, 0)] = 1;
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(0, 4));
  Hover(Cell(0, 0));
  EXPECT_EQ(Walk(s, 4), (std::vector<int>{Cell(0, 3), Cell(0, 2), Cell(0, 1), Cell(0, 1)}));
}

TEST_F(SpidersTest, SpiderWaitsBehindAnotherUntilTheCellIsFree) {
  Arrange(100, {1, 0});
  Spider& blocker = Add(SPIDER_KIND_STATIC, Cell(0, 3), false);
  blocker.wakeCountdown = 1000;  // asleep for the whole test
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(0, 4));
  Hover(Cell(0, 0));
  EXPECT_EQ(Walk(s, 3), (std::vector<int>(3, Cell(0, 4))));
  // The blocker is carried off; the spider goes on at the next tick.
  Board.SpiderOccupied[Cell(0, 3)] = 0;
  blocker.cell = Cell(4, 0);
  Board.SpiderOccupied[Cell(4, 0)] = 1;
  EXPECT_EQ(Walk(s, 2), (std::vector<int>{Cell(0, 3), Cell(0, 2)}));
}

TEST_F(SpidersTest, EarlierSpidersStepFirstWithinATick) {
  // Two queues of two dynamic spiders heading left, their timers in step. In
  // row 1 the front spider is updated first, so both advance in one tick; in
  // row 3 the one behind comes first, finds the cell taken and loses the tick.
  Arrange(100, {1, 0});
  Spider& front1 = Add(SPIDER_KIND_DYNAMIC, Cell(1, 3));
  Spider& back1 = Add(SPIDER_KIND_DYNAMIC, Cell(1, 4));
  Spider& back3 = Add(SPIDER_KIND_DYNAMIC, Cell(3, 4));
  Spider& front3 = Add(SPIDER_KIND_DYNAMIC, Cell(3, 3));
  Hover(Cell(2, 0));
  Walk(front1, 1);
  EXPECT_EQ(front1.cell, Cell(1, 2));
  EXPECT_EQ(back1.cell, Cell(1, 3));
  EXPECT_EQ(front3.cell, Cell(3, 2));
  EXPECT_EQ(back3.cell, Cell(3, 4));
  Walk(front1, 1);
  EXPECT_EQ(back3.cell, Cell(3, 3));
}

TEST_F(SpidersTest, DynamicSpiderKeepsGoingToTheLastHoveredCell) {
  Arrange(100, {1, 0});
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(4, 4));
  Hover(Cell(0, 0));
  MoveTo(700, 300);
  EXPECT_EQ(Board.HoveredCell, 0);
  Wait(8 * 1005 + 10);
  EXPECT_EQ(s.cell, 0);
}

TEST_F(SpidersTest, SpiderOnTheHoveredCellWebsItOnce) {
  Arrange(100, {1, 0});
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(2, 2));
  Hover(Cell(2, 2));
  EXPECT_EQ(Board.Cobweb[Cell(2, 2)], 1) << "webbed in the frame the pointer arrived";
  EXPECT_EQ(Board.CobwebCount, 1);
  EXPECT_EQ(Board.TouchLatch, 1);
  EXPECT_EQ(Count(SOUND_TOUCH_SPIDER), 1);
  Wait(2500);  // short of the third step tick, which would set it walking
  EXPECT_EQ(Count(SOUND_TOUCH_SPIDER), 1);
  // The latch keeps the player's clicks off the cell as well.
  Click(Cell(2, 2));
  EXPECT_EQ(Board.Cobweb[Cell(2, 2)], 1);

  // Away and back: touched again, the sound plays, no second web is counted.
  Hover(Cell(4, 4));
  Hover(Cell(2, 2));
  EXPECT_EQ(Count(SOUND_TOUCH_SPIDER), 2);
  EXPECT_EQ(Board.CobwebCount, 1);
  EXPECT_EQ(s.cell, Cell(2, 2));
}

TEST_F(SpidersTest, SleepingOrStonedSpidersWebNothing) {
  Arrange(100, {1, 0});
  Spider& sleeper = Add(SPIDER_KIND_DYNAMIC, Cell(1, 1), false);
  sleeper.wakeCountdown = 1000;
  Spider& stoned = Add(SPIDER_KIND_DYNAMIC, Cell(3, 3));
  Board.Stone[Cell(3, 3)] = 1;
  Hover(Cell(1, 1));
  Hover(Cell(3, 3));
  Wait(3000);
  EXPECT_EQ(Board.CobwebCount, 0);
  EXPECT_EQ(Count(SOUND_TOUCH_SPIDER), 0);
  EXPECT_EQ(stoned.cell, Cell(3, 3));
}

TEST_F(SpidersTest, SpiderUnderAStoneIsFrozenUntilItGoes) {
  Arrange(100, {1, 0});
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(0, 4), false);
  Board.Stone[Cell(0, 4)] = 1;
  Hover(Cell(0, 0));
  Wait(5000);
  EXPECT_EQ(s.awake, 0);
  EXPECT_EQ(s.wakeCountdown, 3);
  EXPECT_EQ(s.frame, 0);
  Board.Stone[Cell(0, 4)] = 0;
  Wait(2100);  // its timer ran on, so the first of the three ticks comes at once
  EXPECT_EQ(s.awake, 1);
  EXPECT_EQ(s.cell, Cell(0, 4));
  Wait(1000);
  EXPECT_EQ(s.cell, Cell(0, 3));
}

TEST_F(SpidersTest, FramesTurnEveryQuarterSecondOnceAwake) {
  Arrange(100, {1, 0});
  Spider& s = Add(SPIDER_KIND_DYNAMIC, Cell(2, 2));
  std::vector<int> seen;
  for (int i = 0; i < 6; ++i) {
    Wait(255);
    seen.push_back(s.frame);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0, 1, 2}));
}

TEST_F(SpidersTest, CobwebHoldsTheLevelUntilItIsClickedAway) {
  Arrange(100, {0, 1});
  SetCell(Cell(4, 4), {1, 0});
  Add(SPIDER_KIND_STATIC, Cell(0, 0));
  Hover(Cell(0, 0));
  ASSERT_EQ(Board.CobwebCount, 1);
  Click(Cell(4, 4));  // out of the spider's sight
  EXPECT_EQ(Board.CorrectCount, 25);
  EXPECT_EQ(GameState, STATE_PLAYING) << "every cell right but a web remains";
  // Coming back clears the latch, so the click takes the web away and the
  // level passes before the spider can web the cell again.
  Click(Cell(0, 0));
  EXPECT_EQ(Board.CobwebCount, 0);
  EXPECT_EQ(GameState, STATE_LEVEL_PASSED);
}

}  // namespace
}  // namespace tessera::test
