// Every pixel of every piece, for each piece size and for pictures that cover
// the board exactly, more than cover it, and do not cover it: pieces are cut a
// band at a time from a covering picture and piece by piece otherwise, and
// both must give the picture's own pixels (black outside a small picture).
#include <gtest/gtest.h>

#include <utility>

#include "game/board.h"
#include "game/level_definition.h"
#include "puzzle_fixture.h"

namespace tessera::test {
namespace {

class PieceCutting : public PuzzleTest {
 protected:
  // Sets up a two-layer level of `split` pieces from pictures of the given sizes.
  void SetUpFrom(int split, int width0, int height0, int width1, int height1) {
    LevelDefinition = LevelDefinitionRecord{};
    LevelDefinition.BlendPictureNum = 2;
    LevelDefinition.SplitSize = split;
    LevelDefinition.LimitedTime = 120;
    LayerSet layers;
    layers[0] = PositionLayer(width0, height0);
    layers[1] = PositionLayer(width1, height1);
    sizes_[0] = {width0, height0};
    sizes_[1] = {width1, height1};
    ASSERT_EQ(SetUpLevel(std::move(layers)), 1) << LoadLevelFailure();
  }

  void ExpectEveryPixel() {
    const int split = Board.SplitSize;
    ASSERT_EQ(Board.CellCount, Board.BoardSide * Board.BoardSide);
    for (int k = 0; k < 2; ++k)
      for (int cell = 0; cell < Board.CellCount; ++cell) {
        ASSERT_NE(Board.PieceImage[k][cell], nullptr);
        const Image& piece = *Board.PieceImage[k][cell];
        ASSERT_EQ(piece.width, split);
        ASSERT_EQ(piece.height, split);
        EXPECT_EQ(piece.key, 0);
        const int left = (cell % Board.BoardSide) * split, top = (cell / Board.BoardSide) * split;
        for (int y = 0; y < split; ++y)
          for (int x = 0; x < split; ++x) {
            const int px = left + x, py = top + y;
            const bool inside = px < sizes_[k].first && py < sizes_[k].second;
            ASSERT_EQ(piece.At(x, y), inside ? PositionValue(px, py) : 0)
                << "layer " << k << " cell " << cell << " at " << x << "," << y;
          }
      }
  }

  std::pair<int, int> sizes_[2];
};

TEST_F(PieceCutting, EveryPieceSizeFromPicturesThatCoverTheBoard) {
  for (int split : {25, 50, 100}) {
    SetUpFrom(split, 500, 500, 640, 533);
    ExpectEveryPixel();
    FreeLevel();
  }
}

TEST_F(PieceCutting, PicturesThatDoNotCoverTheBoardLeaveTheRestBlack) {
  for (int split : {25, 100}) {
    SetUpFrom(split, 499, 500, 500, 310);
    ExpectEveryPixel();
    FreeLevel();
  }
}

// The pieces of a freed level are used again by the next one: nothing of the
// old pictures may show where a smaller new picture does not reach, whatever
// the order of piece sizes and covering pictures.
TEST_F(PieceCutting, PiecesOfTheLastLevelNeverShowThroughTheNext) {
  const struct {
    int split, w0, h0, w1, h1;
  } levels[] = {{50, 500, 500, 500, 500}, {50, 120, 480, 333, 77}, {50, 500, 500, 700, 700},
                {25, 500, 500, 600, 500}, {25, 10, 10, 499, 499},  {100, 500, 500, 500, 500},
                {50, 300, 300, 500, 500}};
  for (const auto& l : levels) {
    SetUpFrom(l.split, l.w0, l.h0, l.w1, l.h1);
    ExpectEveryPixel();
    FreeLevel();
  }
}

}  // namespace
}  // namespace tessera::test
