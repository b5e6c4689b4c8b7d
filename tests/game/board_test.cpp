// Board set-up: the generator, the dealt cycles, stones, pieces, the pictures
// of the piece size, refusals, reset and release.
#include <array>
#include <cstring>
#include <string>
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

// The runtime generator written out independently: 64-bit arithmetic reduced
// by hand, division in place of shifts.
struct ReferenceGenerator {
  uint64_t state = 1;
  int Next() {
    state = (state * 214013 + 2531011) % 4294967296ULL;
    return static_cast<int>((state / 65536) % 32768);
  }
};

// What a level set-up should deal, computed without the game's code.
struct ReferenceDeal {
  int side = 0;
  std::vector<std::vector<int>> orders;
  std::vector<int> stones;
  std::vector<int> spiders;
};

ReferenceDeal Deal(ReferenceGenerator& gen, int layers, int split, int ration, int spiderCount) {
  ReferenceDeal deal;
  deal.side = 500 / split;
  const int cells = deal.side * deal.side;
  for (int c = 0; c < cells; ++c) {
    std::vector<int> pool = {0, 1, 2, 3, 4};
    std::vector<int> order(layers);
    for (int s = layers - 1; s >= 0; --s) {
      int p = gen.Next() % (s + 1);
      order[s] = pool[p];
      pool.erase(pool.begin() + p);
    }
    deal.orders.push_back(order);
  }
  auto right = [&](int r, int k) { return deal.orders[r * deal.side + k][0] == 0; };
  deal.stones.assign(cells, 0);
  for (int r = 0; r < deal.side; ++r) {
    for (int k = 0; k < deal.side; ++k) {
      bool near = (r > 0 && right(r - 1, k)) || (r + 1 < deal.side && right(r + 1, k)) || (k > 0 && right(r, k - 1)) ||
                  (k + 1 < deal.side && right(r, k + 1));
      if (!near) deal.stones[r * deal.side + k] = gen.Next() % 100 < ration ? 1 : 0;
    }
  }
  std::vector<int> taken(cells, 0);
  for (int i = 0; i < spiderCount; ++i) {
    int c;
    do c = gen.Next() % cells;
    while (taken[c]);
    taken[c] = 1;
    deal.spiders.push_back(c);
  }
  return deal;
}

void ExpectBoardIs(const ReferenceDeal& deal, int layers) {
  ASSERT_EQ(Board.BoardSide, deal.side);
  int correct = 0;
  for (int c = 0; c < Board.CellCount; ++c) {
    for (int s = 0; s < layers; ++s) ASSERT_EQ(Board.LayerOrder[c][s], deal.orders[c][s]) << "cell " << c;
    EXPECT_EQ(Board.CellLayer[c], deal.orders[c][0]);
    EXPECT_EQ(Board.Stone[c], deal.stones[c]) << "cell " << c;
    correct += deal.orders[c][0] == 0;
  }
  EXPECT_EQ(Board.CorrectCount, correct);
  EXPECT_EQ(Board.InitialCorrectCount, correct);
}

class BoardTest : public PuzzleTest {};

TEST_F(BoardTest, GeneratorFollowsTheRuntimeSequenceFromStartUp) {
  // The first values the runtime's unseeded generator gives.
  const int known[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : known) EXPECT_EQ(Rand(), value);
  ReferenceGenerator gen;
  ResetRand();
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(Rand(), gen.Next()) << "draw " << i;
  ResetRand();
  EXPECT_EQ(Rand(), 41);
}

TEST_F(BoardTest, FirstTwoLayerBoardAfterStartUpBeginsWithACorrectCell) {
  ASSERT_EQ(Build({.layers = 2, .splitSize = 100}), 1);
  EXPECT_EQ(Board.LayerOrder[0][0], 0);
  EXPECT_EQ(Board.LayerOrder[0][1], 1);
  EXPECT_EQ(Board.CellLayer[0], 0);
  EXPECT_TRUE(IsOnTarget(0));
}

TEST_F(BoardTest, WholeDealMatchesAnIndependentGeneratorAcrossTwoLevels) {
  ReferenceGenerator gen;
  ReferenceDeal first = Deal(gen, 3, 50, 60, 4);
  ASSERT_EQ(Build({.layers = 3, .splitSize = 50, .stoneRation = 60, .staticSpiders = 1, .dynamicSpiders = 3}), 1);
  ExpectBoardIs(first, 3);
  std::vector<int> placed = {StaticSpiders[0].cell, DynamicSpiders[0].cell, DynamicSpiders[1].cell,
                             DynamicSpiders[2].cell};
  EXPECT_EQ(placed, first.spiders);
  EXPECT_EQ(RandState(), gen.state);

  // The next level goes on with the same generator: no reseeding in between.
  ReferenceDeal second = Deal(gen, 5, 25, 100, 0);
  ASSERT_EQ(Build({.layers = 5, .splitSize = 25, .stoneRation = 100}), 1);
  ExpectBoardIs(second, 5);
  EXPECT_EQ(RandState(), gen.state);
}

TEST_F(BoardTest, ShuffleDrawsOncePerSlotAndIgnoresImpossibleCounts) {
  int32_t order[MAX_LAYERS] = {9, 9, 9, 9, 9};
  const uint32_t before = RandState();
  ShuffleLayerOrder(order, 0);
  ShuffleLayerOrder(order, 6);
  ShuffleLayerOrder(order, -1);
  EXPECT_EQ(RandState(), before);
  for (int v : order) EXPECT_EQ(v, 9);

  ReferenceGenerator gen;
  ShuffleLayerOrder(order, 4);
  for (int i = 0; i < 4; ++i) gen.Next();
  EXPECT_EQ(RandState(), gen.state);
  EXPECT_EQ(order[4], 9) << "slots beyond the count stay untouched";
}

TEST_F(BoardTest, BoardSizeFollowsThePieceSize) {
  const int sizes[][3] = {{25, 20, 400}, {50, 10, 100}, {100, 5, 25}};
  for (const auto& s : sizes) {
    ASSERT_EQ(Build({.layers = 2, .splitSize = s[0]}), 1);
    EXPECT_EQ(Board.BoardSide, s[1]);
    EXPECT_EQ(Board.CellCount, s[2]);
    ASSERT_NE(Board.PieceImage[1][s[2] - 1], nullptr);
    EXPECT_EQ(Board.PieceImage[1][s[2] - 1]->width, s[0]);
    EXPECT_EQ(Board.PieceImage[1][s[2] - 1]->height, s[0]);
    EXPECT_EQ(Board.PieceImage[2][0], nullptr) << "no pieces for layers the level does not have";
  }
  EXPECT_STREQ(SizeDigit(100), "0");
  EXPECT_STREQ(SizeDigit(50), "1");
  EXPECT_STREQ(SizeDigit(25), "2");
  EXPECT_STREQ(SizeDigit(30), "1");
}

TEST_F(BoardTest, OneLayerBoardIsSolvedFromTheStartAndGetsNoStones) {
  const uint32_t before = RandState();
  ASSERT_EQ(Build({.layers = 1, .splitSize = 50, .stoneRation = 100}), 1);
  EXPECT_EQ(Board.CorrectCount, Board.CellCount);
  for (int c = 0; c < Board.CellCount; ++c) EXPECT_EQ(Board.Stone[c], 0);
  // One draw per cell for the cycle, none for stones: no cell was eligible.
  ReferenceGenerator gen;
  gen.state = before;
  for (int i = 0; i < 100; ++i) gen.Next();
  EXPECT_EQ(RandState(), gen.state);
}

TEST_F(BoardTest, StoneRationZeroAndFullDecideEligibleCellsOnly) {
  ASSERT_EQ(Build({.layers = 3, .splitSize = 50, .stoneRation = 100}), 1);
  int eligible = 0;
  for (int c = 0; c < Board.CellCount; ++c) {
    const bool free = HasNoTargetNeighbour(c);
    eligible += free;
    EXPECT_EQ(Board.Stone[c], free ? 1 : 0) << "cell " << c;
    EXPECT_EQ(Board.InitialStone[c], Board.Stone[c]);
  }
  ASSERT_GT(eligible, 0);

  // Ratio 0 places nothing but still draws once per eligible cell.
  const uint32_t before = RandState();
  PlaceStones(0);
  for (int c = 0; c < Board.CellCount; ++c) EXPECT_EQ(Board.Stone[c], 0);
  ReferenceGenerator gen;
  gen.state = before;
  for (int i = 0; i < eligible; ++i) gen.Next();
  EXPECT_EQ(RandState(), gen.state);
}

TEST_F(BoardTest, NeighbourTestLooksOnlyInsideTheBoard) {
  Arrange(100, {1, 0});
  // A correct cell on the right edge must not count as the left neighbour of
  // the first cell of the next row.
  SetCell(Cell(0, 4), {0, 1});
  EXPECT_TRUE(HasNoTargetNeighbour(Cell(1, 0)));
  EXPECT_FALSE(HasNoTargetNeighbour(Cell(0, 3)));
  EXPECT_FALSE(HasNoTargetNeighbour(Cell(1, 4)));
  EXPECT_TRUE(HasNoTargetNeighbour(Cell(0, 4))) << "the cell itself is not looked at";
  SetCell(Cell(4, 4), {0, 1});
  EXPECT_FALSE(HasNoTargetNeighbour(Cell(3, 4)));
  EXPECT_TRUE(HasNoTargetNeighbour(Cell(4, 0)));
}

TEST_F(BoardTest, NegativeRationStonesEveryCellButTheLastWrongOne) {
  Arrange(100, {0, 1});
  SetCell(7, {1, 0});
  const uint32_t before = RandState();
  PlaceStones(-1);
  EXPECT_EQ(RandState(), before) << "no draw";
  for (int c = 0; c < Board.CellCount; ++c) {
    EXPECT_EQ(Board.Stone[c], c == 7 ? 0 : 1) << "cell " << c;
    EXPECT_EQ(Board.InitialStone[c], Board.Stone[c]);
  }
  // With several wrong cells only the highest-numbered one stays clear.
  SetCell(3, {1, 0});
  SetCell(19, {1, 0});
  PlaceStones(-50);
  EXPECT_EQ(Board.Stone[19], 0);
  EXPECT_EQ(Board.Stone[7], 1);
  EXPECT_EQ(Board.Stone[3], 1);
}

TEST_F(BoardTest, NegativeRationOnAnAllCorrectBoardStonesEveryCell) {
  ASSERT_EQ(Build({.layers = 1, .splitSize = 100, .stoneRation = -1}), 1);
  for (int c = 0; c < Board.CellCount; ++c) EXPECT_EQ(Board.Stone[c], 1);
}

TEST_F(BoardTest, SetUpStartsOnCellZeroWithAFreshClockAndNoCobwebs) {
  ASSERT_EQ(Build({.layers = 3, .splitSize = 50}), 1);
  Board.Cobweb[4] = 1;
  Board.CobwebCount = 1;
  Board.TouchLatch = 1;
  Board.HoveredCell = 17;
  ElapsedSeconds = 44;
  ASSERT_EQ(Build({.layers = 3, .splitSize = 50}), 1);
  EXPECT_EQ(Board.HoveredCell, 0);
  EXPECT_EQ(Board.HoveredPosition, 0);
  EXPECT_EQ(ElapsedSeconds, 0);
  EXPECT_EQ(Board.Cobweb[4], 0);
  EXPECT_EQ(Board.CobwebCount, 0);
  EXPECT_EQ(Board.TouchLatch, 0);
  EXPECT_EQ(Board.TargetLayer, 0);
  EXPECT_TRUE(Board.Held);
  EXPECT_STREQ(LoadLevelFailure(), "");
}

TEST_F(BoardTest, PiecesAreCutFromTheTopLeftOfEachLayer) {
  LevelDefinition.BlendPictureNum = 2;
  LevelDefinition.SplitSize = 50;
  LayerSet layers;
  layers[0] = PositionLayer(500, 500);
  layers[1] = PositionLayer(640, 520);  // larger: only its top-left 500 x 500 counts
  ASSERT_EQ(SetUpLevel(std::move(layers)), 1);
  for (int k = 0; k < 2; ++k) {
    for (int cell : {0, 9, 45, 90, 99}) {
      const Image& piece = *Board.PieceImage[k][cell];
      const int left = (cell % 10) * 50, top = (cell / 10) * 50;
      for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 50; x += 7)
          ASSERT_EQ(piece.At(x, y), PositionValue(left + x, top + y)) << "layer " << k << " cell " << cell;
      ASSERT_EQ(piece.At(49, 49), PositionValue(left + 49, top + 49));
    }
  }
}

TEST_F(BoardTest, SmallOrMissingLayerPicturesLeaveThePiecesBlack) {
  LevelDefinition.BlendPictureNum = 3;
  LevelDefinition.SplitSize = 100;
  LayerSet layers;
  layers[0] = PositionLayer(330, 120);
  layers[1] = nullptr;                  // did not load
  layers[2] = CreateImage(0, 0);        // empty picture
  ASSERT_EQ(SetUpLevel(std::move(layers)), 1);

  // Columns 300 to 329 and rows 100 to 119 are the last ones the picture has.
  const Image& inside = *Board.PieceImage[0][Cell(0, 2)];
  EXPECT_EQ(inside.At(99, 99), PositionValue(299, 99));
  const Image& lower = *Board.PieceImage[0][Cell(1, 2)];
  EXPECT_EQ(lower.At(99, 19), PositionValue(299, 119));
  EXPECT_EQ(lower.At(99, 20), 0);
  const Image& edge = *Board.PieceImage[0][Cell(0, 3)];
  EXPECT_EQ(edge.At(29, 99), PositionValue(329, 99));
  EXPECT_EQ(edge.At(30, 0), 0);
  const Image& corner = *Board.PieceImage[0][Cell(1, 3)];
  EXPECT_EQ(corner.At(29, 19), PositionValue(329, 119));
  EXPECT_EQ(corner.At(30, 19), 0);
  EXPECT_EQ(corner.At(29, 20), 0);
  const Image& outside = *Board.PieceImage[0][Cell(4, 4)];
  for (uint16_t p : outside.pixels) ASSERT_EQ(p, 0);
  for (int k = 1; k < 3; ++k) {
    for (int c = 0; c < Board.CellCount; ++c) {
      ASSERT_NE(Board.PieceImage[k][c], nullptr);
      for (uint16_t p : Board.PieceImage[k][c]->pixels) ASSERT_EQ(p, 0);
    }
  }
}

TEST_F(BoardTest, ThumbnailIsTheSolutionScaledToAHundredSquare) {
  LevelDefinition.BlendPictureNum = 2;
  LevelDefinition.SplitSize = 100;
  LayerSet layers;
  layers[0] = PositionLayer(500, 500);
  layers[1] = SolidLayer(500, 500, 0x1234);
  ASSERT_EQ(SetUpLevel(std::move(layers)), 1);
  ASSERT_NE(Board.TargetThumbnail, nullptr);
  EXPECT_EQ(Board.TargetThumbnail->width, 100);
  EXPECT_EQ(Board.TargetThumbnail->height, 100);
  for (int j : {0, 1, 50, 99})
    for (int i : {0, 3, 71, 99}) EXPECT_EQ(Board.TargetThumbnail->At(i, j), PositionValue(5 * i, 5 * j));

  // Without a solution picture the thumbnail is black, not missing.
  LayerSet second;
  second[1] = SolidLayer(500, 500, 0x1234);
  ASSERT_EQ(SetUpLevel(std::move(second)), 1);
  ASSERT_NE(Board.TargetThumbnail, nullptr);
  for (uint16_t p : Board.TargetThumbnail->pixels) ASSERT_EQ(p, 0);
}

TEST_F(BoardTest, UnplayableDefinitionsAreRefusedWithoutDrawing) {
  struct Case {
    int layers;
    int split;
    bool anyPicture;
  };
  const Case cases[] = {{6, 100, true}, {0, 100, true}, {-2, 100, true}, {2, 30, true},
                        {2, 0, true},   {2, 500, true}, {2, 100, false}};
  for (const Case& c : cases) {
    ASSERT_EQ(Build({.layers = 2, .splitSize = 50}), 1);
    const uint32_t before = RandState();
    LevelDefinition.BlendPictureNum = c.layers;
    LevelDefinition.SplitSize = c.split;
    LayerSet layers;
    if (c.anyPicture)
      for (auto& layer : layers) layer = SolidLayer(500, 500, 7);
    EXPECT_EQ(SetUpLevel(std::move(layers)), 0) << c.layers << " layers, split " << c.split;
    EXPECT_EQ(RandState(), before);
    EXPECT_FALSE(Board.Held);
    EXPECT_EQ(Board.CellCount, 0);
    EXPECT_EQ(Board.PieceImage[0][0], nullptr) << "the level held before is released";
    EXPECT_NE(std::strstr(LoadLevelFailure(), "cannot be played"), nullptr);
    EXPECT_EQ(HitTestBoard(400, 300), -1) << "nothing to click on";
  }
}

TEST_F(BoardTest, ResetRestoresTheSetUpBoardWithoutDrawing) {
  ASSERT_EQ(Build({.layers = 3, .splitSize = 50, .stoneRation = 100, .staticSpiders = 2, .dynamicSpiders = 2}), 1);
  const BoardRecord& b = Board;
  std::vector<int32_t> layers(b.CellLayer, b.CellLayer + MAX_CELLS);
  std::vector<int32_t> stones(b.Stone, b.Stone + MAX_CELLS);
  std::vector<int32_t> occupied(b.SpiderOccupied, b.SpiderOccupied + MAX_CELLS);
  const int32_t correct = b.CorrectCount;
  const int32_t spiderCell = DynamicSpiders[1].cell;
  const uint32_t generator = RandState();

  // Play it about: cycle every free cell, web some, move a spider, run the clock.
  for (int c = 0; c < Board.CellCount; ++c) {
    if (Board.Stone[c]) continue;
    Click(c);
  }
  Board.Cobweb[3] = 1;
  Board.CobwebCount = 1;
  Board.TouchLatch = 1;
  Board.Exploding[5] = 1;
  Board.ExplosionFrame[5] = 2;
  Board.SpiderOccupied[DynamicSpiders[1].cell] = 0;
  DynamicSpiders[1].cell = 99;
  DynamicSpiders[1].awake = 1;
  ElapsedSeconds = 31;
  ASSERT_NE(std::vector<int32_t>(b.CellLayer, b.CellLayer + MAX_CELLS), layers);

  ResetLevel();
  EXPECT_EQ(RandState(), generator);
  EXPECT_EQ(std::vector<int32_t>(b.CellLayer, b.CellLayer + MAX_CELLS), layers);
  EXPECT_EQ(std::vector<int32_t>(b.Stone, b.Stone + MAX_CELLS), stones);
  EXPECT_EQ(std::vector<int32_t>(b.SpiderOccupied, b.SpiderOccupied + MAX_CELLS), occupied);
  for (int c = 0; c < Board.CellCount; ++c) {
    EXPECT_EQ(Board.CellPosition[c], 0);
    EXPECT_EQ(Board.Cobweb[c], 0);
    EXPECT_EQ(Board.Exploding[c], 0);
    EXPECT_EQ(Board.ExplosionFrame[c], 0);
  }
  EXPECT_EQ(Board.CorrectCount, correct);
  EXPECT_EQ(Board.CobwebCount, 0);
  EXPECT_EQ(Board.TouchLatch, 0);
  EXPECT_EQ(Board.HoveredPosition, 0);
  EXPECT_EQ(ElapsedSeconds, 0);
  EXPECT_EQ(DynamicSpiders[1].cell, spiderCell);
  EXPECT_EQ(DynamicSpiders[1].awake, 0);
  EXPECT_EQ(DynamicSpiders[1].wakeCountdown, SPIDER_WAKE_TICKS);
  EXPECT_NE(Board.PieceImage[2][99], nullptr) << "pieces stay";
}

TEST_F(BoardTest, AfterResetTheHoveredCellAdvancesFromItsFirstPosition) {
  Arrange(100, {1, 2, 0});
  Click(6);
  Click(6);
  ASSERT_EQ(Board.CellPosition[6], 2);
  ResetLevel();
  Click(6);
  EXPECT_EQ(Board.CellPosition[6], 1);
  EXPECT_EQ(Board.CellLayer[6], 2);
  EXPECT_EQ(Board.HoveredPosition, 1);
}

TEST_F(BoardTest, PiecesOfACoveringPictureShareItAndRowsRunAcrossIt) {
  LevelDefinition.BlendPictureNum = 2;
  LevelDefinition.SplitSize = 25;
  LayerSet layers;
  layers[0] = PositionLayer(500, 500);
  layers[1] = PositionLayer(500, 499);  // one row short: the bottom row's pieces are copies
  ASSERT_EQ(SetUpLevel(std::move(layers)), 1);
  for (int cell = 0; cell < Board.CellCount; ++cell) {
    const Image& piece = *Board.PieceImage[0][cell];
    ASSERT_EQ(piece.viewed, Board.LayerPictures[0]) << cell;
    ASSERT_EQ(piece.Stride(), 500u);
    const Image& other = *Board.PieceImage[1][cell];
    if (cell < 380) {
      ASSERT_EQ(other.viewed, Board.LayerPictures[1]) << cell;
    } else {
      ASSERT_EQ(other.viewed, nullptr) << cell;
      ASSERT_EQ(other.pixels.size(), 625u);
    }
  }
  const Image& last = *Board.PieceImage[0][399];
  EXPECT_EQ(last.At(24, 24), PositionValue(499, 499));
  EXPECT_EQ(Board.PieceImage[1][399]->At(24, 23), PositionValue(499, 498));
  EXPECT_EQ(Board.PieceImage[1][399]->At(24, 24), 0);

  // A second level of another piece size over the pieces of the first.
  LevelDefinition.SplitSize = 100;
  LayerSet next;
  next[0] = PositionLayer(500, 500);
  next[1] = SolidLayer(50, 50, 0x0F0F);
  ASSERT_EQ(SetUpLevel(std::move(next)), 1);
  EXPECT_EQ(Board.PieceImage[0][24]->width, 100);
  EXPECT_EQ(Board.PieceImage[0][24]->At(99, 99), PositionValue(499, 499));
  EXPECT_EQ(Board.PieceImage[1][0]->At(49, 49), 0x0F0F);
  EXPECT_EQ(Board.PieceImage[1][0]->At(50, 49), 0);
  EXPECT_EQ(Board.PieceImage[1][1]->At(0, 0), 0);
  EXPECT_EQ(Board.PieceImage[0][25], nullptr);  // no piece past the smaller board
}

TEST_F(BoardTest, FreeLevelEmptiesEveryPictureSlot) {
  ASSERT_EQ(Build({.layers = 5, .splitSize = 25}), 1);
  ASSERT_NE(Board.PieceImage[4][399], nullptr);
  // Freed pictures go at once, though the pieces that showed them are kept for the next level.
  std::weak_ptr<Image> picture = Board.LayerPictures[2];
  ASSERT_FALSE(picture.expired());
  FreeLevel();
  EXPECT_TRUE(picture.expired());
  EXPECT_FALSE(Board.Held);
  for (const auto& p : Board.LayerPictures) EXPECT_EQ(p, nullptr);
  EXPECT_EQ(Board.TargetThumbnail, nullptr);
  for (const auto& layer : Board.PieceImage)
    for (const auto& piece : layer) ASSERT_EQ(piece, nullptr);
}

// A level on disk: the script, its layer pictures and the piece-size pictures.
class BoardFilesTest : public BoardTest {
 protected:
  BoardFilesTest() : workDir_(dir_.path()) {}

  void WritePicture(const std::string& name, int width, int height, uint8_t shade) {
    WriteGreyBmp(dir_, name, width, height, shade);
  }

  // Every piece-size picture of every digit, each of its own width so a test
  // can tell which file went into which slot.
  void WritePieceSizePictures() {
    for (int d = 0; d < 3; ++d) {
      int id = d * 20;
      WritePicture("Picture/stone" + std::to_string(d) + ".bmp", ++id, 1, 200);
      for (int f = 0; f < 4; ++f)
        WritePicture("Picture/StoneExplode" + std::to_string(d) + std::to_string(f) + ".bmp", ++id, 1, 200);
      for (int k = 0; k < 2; ++k)
        for (int f = 0; f < 4; ++f)
          WritePicture("Picture/Spider" + std::to_string(d) + std::to_string(k) + std::to_string(f) + ".bmp", ++id,
                       1, 200);
      WritePicture("Picture/cobweb" + std::to_string(d) + ".bmp", ++id, 1, 200);
    }
  }

  ScratchDir dir_;
  ScopedWorkDir workDir_;
};

TEST_F(BoardFilesTest, PieceSizePicturesAreChosenBySizeDigit) {
  WritePieceSizePictures();
  const int sizes[][2] = {{100, 0}, {50, 1}, {25, 2}};
  for (const auto& s : sizes) {
    ASSERT_EQ(Build({.layers = 2, .splitSize = s[0]}), 1);
    const int base = s[1] * 20;
    ASSERT_NE(Board.StonePicture, nullptr) << "split " << s[0];
    EXPECT_EQ(Board.StonePicture->width, base + 1);
    for (int f = 0; f < 4; ++f) {
      ASSERT_NE(Board.ExplosionFrames[f], nullptr);
      EXPECT_EQ(Board.ExplosionFrames[f]->width, base + 2 + f);
    }
    for (int k = 0; k < 2; ++k) {
      for (int f = 0; f < 4; ++f) {
        ASSERT_NE(Board.SpiderFrames[k][f], nullptr);
        EXPECT_EQ(Board.SpiderFrames[k][f]->width, base + 6 + 4 * k + f);
      }
    }
    ASSERT_NE(Board.CobwebPicture, nullptr);
    EXPECT_EQ(Board.CobwebPicture->width, base + 14);
  }
}

TEST_F(BoardFilesTest, LoadLevelReadsTheScriptAndItsPictures) {
  dir_.Write("Script/ScriptEntry.txt",
             "[Level07]\r\nLevelName=Seven\r\nBlendPictureNum=2\r\nBlendPicture00=sol\r\nBlendPicture01=decoy\r\n"
             "SplitSize=50\r\nLimitedTime=90\r\nStoneRation=0\r\nTalkerHeadNum=1\r\nTalkerHead00=hero\r\n");
  WritePicture("Picture/sol.bmp", 500, 500, 255);
  WritePicture("Picture/decoy.bmp", 500, 500, 0);
  WritePicture("Head/hero.bmp", 64, 64, 128);
  SetCurrentLevelName("Level07");
  ASSERT_EQ(LoadLevel(), 1) << LoadLevelFailure();
  EXPECT_EQ(Board.BoardSide, 10);
  ASSERT_NE(Board.LayerPictures[0], nullptr);
  EXPECT_EQ(Board.LayerPictures[0]->width, 500);
  ASSERT_NE(Board.TalkerHeadPictures[0], nullptr);
  EXPECT_EQ(Board.TalkerHeadPictures[0]->width, 64);
  EXPECT_NE(Board.PieceImage[0][0]->At(0, 0), Board.PieceImage[1][0]->At(0, 0));

  // A refused level after it leaves nothing of it behind.
  SetCurrentLevelName("NoSuchLevel");
  EXPECT_EQ(LoadLevel(), 0);
  EXPECT_EQ(Board.LayerPictures[0], nullptr);
  EXPECT_EQ(Board.TalkerHeadPictures[0], nullptr);
}

TEST_F(BoardFilesTest, LoadLevelRefusesAMissingSectionOrUnloadablePictures) {
  dir_.Write("Script/ScriptEntry.txt",
             "[Blank]\r\nBlendPictureNum=2\r\nBlendPicture00=nothing\r\nBlendPicture01=none\r\n"
             "[TooMany]\r\nBlendPictureNum=6\r\n");
  const uint32_t before = RandState();
  SetCurrentLevelName("Missing");
  EXPECT_EQ(LoadLevel(), 0);
  EXPECT_NE(std::strstr(LoadLevelFailure(), "Missing"), nullptr);
  SetCurrentLevelName("Blank");
  EXPECT_EQ(LoadLevel(), 0);
  EXPECT_NE(std::strstr(LoadLevelFailure(), "Blank"), nullptr);
  SetCurrentLevelName("TooMany");
  EXPECT_EQ(LoadLevel(), 0);
  EXPECT_EQ(RandState(), before);
  EXPECT_FALSE(Board.Held);
}

}  // namespace
}  // namespace tessera::test
