#pragma once
// Shared builders for the board, rules and spider tests: layer pictures, a
// fixture that builds a level from pictures in memory, arranges cells by hand,
// and drives frames of play through the headless platform.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "game/board.h"
#include "gfx/image.h"
#include "support/test_support.h"

namespace tessera::test {

// Never 0 inside a picture, so the black of a piece outside it stands out.
uint16_t PositionValue(int x, int y);
// A picture whose every pixel holds PositionValue of its position.
ImagePtr PositionLayer(int width, int height);
ImagePtr SolidLayer(int width, int height, uint16_t colour);
// A 24-bit BMP file of one grey shade below `dir`.
void WriteGreyBmp(const ScratchDir& dir, const std::string& name, int width, int height, uint8_t shade);

struct LevelShape {
  int layers = 2;
  int splitSize = 100;
  int stoneRation = 0;
  int staticSpiders = 0;
  int dynamicSpiders = 0;
  int limitedTime = 120;
};

class PuzzleTest : public ::testing::Test {
 protected:
  PuzzleTest();
  ~PuzzleTest() override;

  // Fills the level definition and sets the level up from solid 500x500 layers.
  int Build(const LevelShape& shape);
  // A board of `side` x `side` pieces with no stones, every cell on cycle
  // `order` at position 0, and the counts made to match.
  void Arrange(int splitSize, std::initializer_list<int32_t> order);
  // Gives one cell a cycle and a position, keeping CorrectCount true.
  void SetCell(int cell, std::initializer_list<int32_t> order, int position = 0);
  void Recount();
  int Cell(int row, int column) const { return row * Board.BoardSide + column; }
  int CellX(int cell) const;
  int CellY(int cell) const;

  // One frame of play: the pump (5 ms of virtual time), then the board input
  // and the rules, as the play loop runs them.
  void Frame();
  void MoveTo(int x, int y);
  void Hover(int cell) { MoveTo(CellX(cell), CellY(cell)); }
  // Pointer to (x, y), press and release within one frame.
  void ClickAt(int x, int y);
  void Click(int cell) { ClickAt(CellX(cell), CellY(cell)); }
  // Frames without input until `ms` of virtual time have passed.
  void Wait(int ms);

  int Count(const char* sound) const;
  void ClearSounds() { sounds_.clear(); }
  const std::vector<std::string>& Sounds() const { return sounds_; }

  ScopedPlatform platform_;

 private:
  std::vector<std::string> sounds_;
  EngineConfigRecord savedConfig_;
};

}  // namespace tessera::test
