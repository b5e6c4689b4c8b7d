#include "game/board.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/engine_config.h"
#include "game/game_state.h"
#include "game/random.h"
#include "game/rules.h"
#include "game/spiders.h"
#include "gfx/bmp.h"
#include "gfx/draw.h"

namespace tessera {

BoardRecord Board;

namespace {

char FailureText[256] = "";

int Refuse(const std::string& reason) {
  std::snprintf(FailureText, sizeof FailureText, "%s", LevelRefusalMessage(CurrentLevelName, reason).c_str());
  // Nothing of a refused level may be drawn or played on.
  Board.Held = false;
  Board.SplitSize = 0;
  Board.BoardSide = 0;
  Board.CellCount = 0;
  Board.LayerCount = 0;
  Board.CorrectCount = 0;
  Board.InitialCorrectCount = 0;
  Board.CobwebCount = 0;
  StaticSpiderNum = 0;
  DynamicSpiderNum = 0;
  return 0;
}

bool SupportedSplitSize(int32_t splitSize) { return splitSize == 25 || splitSize == 50 || splitSize == 100; }

// The refusals a level's definition alone decides; 0 when it can be built.
// (The section itself is LoadLevel's concern: a board built from pictures in
// memory has no section.)
bool RefuseDefinition() {
  char reason[96];
  const int32_t layerCount = LevelDefinition.BlendPictureNum;
  if (layerCount >= 1 && layerCount <= MAX_LAYERS && SupportedSplitSize(LevelDefinition.SplitSize)) return false;
  if (layerCount < 1 || layerCount > MAX_LAYERS)
    std::snprintf(reason, sizeof reason, "it has %d pictures, 1 to %d are possible", layerCount, MAX_LAYERS);
  else
    std::snprintf(reason, sizeof reason, "a piece size of %d is not 25, 50 or 100", LevelDefinition.SplitSize);
  Refuse(reason);
  return true;
}

bool Usable(const Image* image) { return image && image->width > 0 && image->height > 0 && image->Covered(); }

void LoadPicture(const char* folder, const char* name, ImagePtr& slot) {
  char path[512];
  ComposePath(path, sizeof path, folder, name);
  LoadBmpImage(path, slot, 0);
}

void LoadPieceSizePictures() {
  const char* digit = SizeDigit(Board.SplitSize);
  const char* folder = EngineConfig.PicturePath;
  char name[64];
  char base[512];
  char path[576];

  std::snprintf(name, sizeof name, "stone%s.bmp", digit);
  LoadPicture(folder, name, Board.StonePicture);

  std::snprintf(name, sizeof name, "StoneExplode%s", digit);
  ComposePath(base, sizeof base, folder, name);
  for (int f = 0; f < EXPLOSION_FRAME_COUNT; ++f) {
    std::snprintf(path, sizeof path, "%s%d.bmp", base, f);
    LoadBmpImage(path, Board.ExplosionFrames[f], 0);
  }

  for (int kind = 0; kind < SPIDER_KIND_COUNT; ++kind) {
    std::snprintf(name, sizeof name, "Spider%s%d", digit, kind);
    ComposePath(base, sizeof base, folder, name);
    for (int f = 0; f < SPIDER_FRAME_COUNT; ++f) {
      std::snprintf(path, sizeof path, "%s%d.bmp", base, f);
      LoadBmpImage(path, Board.SpiderFrames[kind][f], 0);
    }
  }

  std::snprintf(name, sizeof name, "cobweb%s.bmp", digit);
  LoadPicture(folder, name, Board.CobwebPicture);
}

}  // namespace

const char* SizeDigit(int32_t splitSize) {
  if (splitSize == 100) return "0";
  if (splitSize == 25) return "2";
  return "1";
}

const char* LoadLevelFailure() { return FailureText; }

int LoadLevel() {
  if (Board.Held) FreeLevel();
  ReadLevelDefinition();
  Board.TargetLayer = 0;
  // Checked before any picture is read, so a refused level loads nothing.
  std::string reason;
  if (!LevelDefinitionPlayable(LevelDefinition, reason)) return Refuse(reason);
  ArchiveBatch batch;  // the layers, stones, spiders and heads come from the same archives
  LayerSet layers;
  for (int k = 0; k < LevelDefinition.BlendPictureNum; ++k) LoadBmpImage(LevelDefinition.LayerPaths[k], layers[k], 0);
  return SetUpLevel(std::move(layers));
}

int SetUpLevel(LayerSet layers) {
  if (Board.Held) FreeLevel();
  Board.TargetLayer = 0;
  if (RefuseDefinition()) return 0;
  const int32_t layerCount = LevelDefinition.BlendPictureNum;
  bool anyLayer = false;
  for (int k = 0; k < layerCount; ++k) anyLayer = anyLayer || Usable(layers[k].get());
  if (!anyLayer) return Refuse("none of its pictures could be loaded");

  FailureText[0] = '\0';
  Board.SplitSize = LevelDefinition.SplitSize;
  Board.LayerCount = layerCount;
  SetUpBoard(std::move(layers));
  PlaceStones(LevelDefinition.StoneRation);
  InitSpiders();
  Board.HoveredCell = 0;
  Board.HoveredPosition = Board.CellPosition[0];
  ElapsedSeconds = 0;
  SecondTimer.Restart();
  std::fill(std::begin(Board.Cobweb), std::end(Board.Cobweb), 0);
  Board.CobwebCount = 0;
  Board.TouchLatch = 0;
  Board.Held = true;
  return 1;
}

namespace {

// Piece records of the last level freed, kept for the next one: a level start
// makes up to 2000 of them. A kept record holds no pixels and no picture.
std::vector<ImagePtr>& SparePieces() {
  static std::vector<ImagePtr> spare;
  return spare;
}

ImagePtr TakePiece() {
  std::vector<ImagePtr>& spare = SparePieces();
  if (spare.empty()) return std::make_unique<Image>();
  ImagePtr piece = std::move(spare.back());
  spare.pop_back();
  return piece;
}

// Numbers from one counter for the life of the process, so that a board
// record made afresh never repeats the number of pieces drawn before.
void NewPieces() {
  static uint32_t generation = 0;
  Board.PiecesGeneration = ++generation;
}

// The piece of `layer` at (sx, sy): a view when the picture covers the square;
// else a copy of what the picture has there, black where it does not reach.
void SetUpPiece(Image& piece, const std::shared_ptr<Image>& layer, int sx, int sy, int split) {
  piece.key = 0;
  if (Usable(layer.get()) && MakeView(piece, layer, sx, sy, split, split)) return;
  piece.viewed.reset();
  piece.viewOffset = 0;
  piece.width = static_cast<uint16_t>(split);
  piece.height = static_cast<uint16_t>(split);
  piece.pixels.assign(static_cast<size_t>(split) * split, 0);
  CutImage(layer.get(), &piece, sx, sy);  // copies only what the picture has
}

}  // namespace

void SetUpBoard(LayerSet layers) {
  NewPieces();
  const int32_t layerCount = Board.LayerCount;
  const int32_t split = Board.SplitSize;
  for (int k = 0; k < MAX_LAYERS; ++k) Board.LayerPictures[k] = k < layerCount ? std::move(layers[k]) : nullptr;

  Board.TargetThumbnail = CreateImage(THUMBNAIL_SIDE, THUMBNAIL_SIDE);
  if (Usable(Board.LayerPictures[0].get())) ScaleImage(Board.LayerPictures[0].get(), Board.TargetThumbnail.get());

  Board.BoardSide = BOARD_PIXELS / split;
  for (int k = 0; k < layerCount; ++k) {
    for (int i = 0; i < Board.BoardSide; ++i) {
      for (int j = 0; j < Board.BoardSide; ++j) {
        ImagePtr& piece = Board.PieceImage[k][i * Board.BoardSide + j];
        piece = TakePiece();
        SetUpPiece(*piece, Board.LayerPictures[k], j * split, i * split, split);
      }
    }
  }

  Board.CellCount = Board.BoardSide * Board.BoardSide;
  Board.CorrectCount = 0;
  for (int cell = 0; cell < Board.CellCount; ++cell) {
    ShuffleLayerOrder(Board.LayerOrder[cell], layerCount);
    Board.CellPosition[cell] = 0;
    Board.CellLayer[cell] = Board.LayerOrder[cell][0];
    if (Board.CellLayer[cell] == Board.TargetLayer) ++Board.CorrectCount;
  }
  Board.InitialCorrectCount = Board.CorrectCount;
  // A previous level's play must not show through.
  std::fill(std::begin(Board.Exploding), std::end(Board.Exploding), 0);
  std::fill(std::begin(Board.ExplosionFrame), std::end(Board.ExplosionFrame), 0);

  const int heads = std::clamp<int32_t>(LevelDefinition.TalkerHeadNum, 0, MAX_TALKER_HEADS);
  for (int h = 0; h < heads; ++h) LoadBmpImage(LevelDefinition.TalkerHeadPaths[h], Board.TalkerHeadPictures[h], 0);

  LoadPieceSizePictures();
}

void ShuffleLayerOrder(int32_t (&order)[MAX_LAYERS], int layerCount) {
  if (layerCount < 1 || layerCount > MAX_LAYERS) return;
  int32_t pool[MAX_LAYERS] = {0, 1, 2, 3, 4};
  for (int slot = layerCount - 1; slot >= 0; --slot) {
    const int p = Rand() % (slot + 1);
    order[slot] = pool[p];
    for (int e = p; e + 1 < MAX_LAYERS; ++e) pool[e] = pool[e + 1];
  }
}

bool IsOnTarget(int cell) { return Board.CellLayer[cell] == Board.TargetLayer; }

bool HasNoTargetNeighbour(int cell) {
  const int side = Board.BoardSide;
  const int row = cell / side;
  const int column = cell % side;
  if (row > 0 && IsOnTarget(cell - side)) return false;
  if (row < side - 1 && IsOnTarget(cell + side)) return false;
  if (column > 0 && IsOnTarget(cell - 1)) return false;
  if (column < side - 1 && IsOnTarget(cell + 1)) return false;
  return true;
}

void PlaceStones(int32_t stoneRation) {
  std::fill(std::begin(Board.Stone), std::end(Board.Stone), 0);
  if (stoneRation >= 0) {
    for (int cell = 0; cell < Board.CellCount; ++cell) {
      if (HasNoTargetNeighbour(cell)) Board.Stone[cell] = Rand() % 100 < stoneRation ? 1 : 0;
    }
  } else {
    int exempt = -1;
    for (int cell = 0; cell < Board.CellCount; ++cell)
      if (!IsOnTarget(cell)) exempt = cell;
    for (int cell = 0; cell < Board.CellCount; ++cell) Board.Stone[cell] = cell == exempt ? 0 : 1;
  }
  std::copy(std::begin(Board.Stone), std::end(Board.Stone), std::begin(Board.InitialStone));
}

void ResetLevel() {
  Board.CorrectCount = Board.InitialCorrectCount;
  ElapsedSeconds = 0;
  ResetSpiders();
  std::fill(std::begin(Board.Cobweb), std::end(Board.Cobweb), 0);
  Board.CobwebCount = 0;
  Board.TouchLatch = 0;
  for (int cell = 0; cell < Board.CellCount; ++cell) {
    Board.CellPosition[cell] = 0;
    Board.CellLayer[cell] = Board.LayerOrder[cell][0];
    Board.Stone[cell] = Board.InitialStone[cell];
    Board.Exploding[cell] = 0;
    Board.ExplosionFrame[cell] = 0;
  }
  Board.HoveredPosition = 0;
}

void FreeLevel() {
  NewPieces();
  for (std::shared_ptr<Image>& picture : Board.LayerPictures) picture.reset();
  Board.TargetThumbnail.reset();
  std::vector<ImagePtr>& spare = SparePieces();
  for (auto& layer : Board.PieceImage)
    for (ImagePtr& piece : layer)
      if (piece) {
        piece->viewed.reset();  // the picture goes now, not when the record is next used
        piece->pixels = PixelVector();
        spare.push_back(std::move(piece));
      }
  for (ImagePtr& head : Board.TalkerHeadPictures) head.reset();
  Board.StonePicture.reset();
  for (ImagePtr& frame : Board.ExplosionFrames) frame.reset();
  for (auto& kind : Board.SpiderFrames)
    for (ImagePtr& frame : kind) frame.reset();
  Board.CobwebPicture.reset();
  Board.Held = false;
}

}  // namespace tessera
