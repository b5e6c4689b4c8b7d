#pragma once
// The board of the level being played: its per-cell tables, the pictures it
// owns, and its set-up, reset and release. Play is in game/rules.h, the spiders
// in game/spiders.h; the play screen only reads what is here.
#include <array>
#include <cstdint>

#include "game/level_definition.h"
#include "gfx/image.h"

namespace tessera {

constexpr int MAX_CELLS = 400;  // 20 x 20 pieces of 25 pixels
constexpr int BOARD_LEFT = 150;
constexpr int BOARD_TOP = 50;
constexpr int BOARD_PIXELS = 500;
constexpr int THUMBNAIL_SIDE = 100;
constexpr int EXPLOSION_FRAME_COUNT = 4;
constexpr int SPIDER_KIND_COUNT = 2;  // 0 static, 1 dynamic
constexpr int SPIDER_FRAME_COUNT = 4;

struct BoardRecord {
  int32_t SplitSize = 0;  // side of a piece: 25, 50 or 100
  int32_t BoardSide = 0;  // pieces per row and per column
  int32_t CellCount = 0;
  int32_t LayerCount = 0;
  int32_t TargetLayer = 0;
  int32_t CorrectCount = 0;
  int32_t InitialCorrectCount = 0;
  int32_t CobwebCount = 0;
  int32_t TouchLatch = 0;   // a spider touched the hovered cell; cleared on the next cell
  int32_t HoveredCell = 0;  // kept while the pointer is off the board
  int32_t HoveredPosition = 0;

  // Per cell, row-major from the top-left cell.
  int32_t LayerOrder[MAX_CELLS][MAX_LAYERS] = {};
  int32_t CellPosition[MAX_CELLS] = {};
  int32_t CellLayer[MAX_CELLS] = {};
  int32_t Stone[MAX_CELLS] = {};
  int32_t InitialStone[MAX_CELLS] = {};
  int32_t Exploding[MAX_CELLS] = {};
  int32_t ExplosionFrame[MAX_CELLS] = {};
  int32_t Cobweb[MAX_CELLS] = {};
  int32_t SpiderOccupied[MAX_CELLS] = {};
  int32_t InitialSpiderOccupied[MAX_CELLS] = {};

  // Pictures of the level; a slot stays null when its file did not load.
  // A piece of a picture that covers the board is a view of its square of the
  // picture, which it shares; pieces of a smaller picture are copies.
  std::shared_ptr<Image> LayerPictures[MAX_LAYERS];
  ImagePtr TargetThumbnail;
  ImagePtr PieceImage[MAX_LAYERS][MAX_CELLS];
  ImagePtr TalkerHeadPictures[MAX_TALKER_HEADS];
  ImagePtr StonePicture;
  ImagePtr ExplosionFrames[EXPLOSION_FRAME_COUNT];
  ImagePtr SpiderFrames[SPIDER_KIND_COUNT][SPIDER_FRAME_COUNT];
  ImagePtr CobwebPicture;

  // A level is held from a successful set-up until FreeLevel.
  bool Held = false;
  // Moves on whenever the pieces change (a level set up or freed): what is
  // made from them may be kept while it stays the same.
  uint32_t PiecesGeneration = 0;
};

extern BoardRecord Board;

using LayerSet = std::array<ImagePtr, MAX_LAYERS>;

// Sets up the level CurrentLevelName names: releases a level still held, reads
// its definition, loads its layer pictures and builds the board, stones and
// spiders. 1 on success; 0 when the level cannot be played (see LoadLevelFailure).
int LoadLevel();

// Why the last LoadLevel or SetUpLevel refused its level; empty after a success.
const char* LoadLevelFailure();

// LoadLevel after the definition is read: the same refusals and the same
// set-up, from layer pictures already in memory (entries beyond the layer count
// are ignored). Draws nothing from the generator when it refuses.
int SetUpLevel(LayerSet layers);

// The board from its layer pictures: thumbnail, pieces, the dealt cycles, and
// the talker heads and piece-size pictures from their files. The definition
// must already have passed the checks of SetUpLevel.
void SetUpBoard(LayerSet layers);

// Deals one cell's cycle through `layerCount` layers (1 to 5, else untouched).
void ShuffleLayerOrder(int32_t (&order)[MAX_LAYERS], int layerCount);

// Stones for a StoneRation: percent chance on cells with no correct neighbour,
// or, when negative, on every cell but the last one that is wrong (every cell
// when none is wrong). Sets InitialStone too.
void PlaceStones(int32_t stoneRation);

// Back to the state right after set-up, without drawing from the generator.
void ResetLevel();

// Releases every picture of the level.
void FreeLevel();

bool IsOnTarget(int cell);
bool HasNoTargetNeighbour(int cell);

// "0" for 100-pixel pieces, "2" for 25, "1" otherwise: the digit in the names of
// the piece-size pictures.
const char* SizeDigit(int32_t splitSize);

}  // namespace tessera
