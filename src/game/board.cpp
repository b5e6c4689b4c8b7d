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

bool Usable(const Image* image) { return image && image->width > 0 && image->height > 0; }

// Copies the square of `source` at (sx, sy) into `piece`. A picture smaller
// than the board gives what it has; the rest of the piece stays black.
void CutPiece(const Image* source, Image& piece, int sx, int sy) {
  if (!Usable(source)) return;
  if (sx + piece.width <= source->width && sy + piece.height <= source->height) {
    CutImage(source, &piece, sx, sy);
    return;
  }
  const int columns = std::min<int>(piece.width, source->width - sx);
  const int rows = std::min<int>(piece.height, source->height - sy);
  if (columns <= 0 || rows <= 0) return;
  for (int y = 0; y < rows; ++y) std::copy_n(source->Row(sy + y) + sx, columns, piece.Row(y));
}

template <size_t RowBytes>
void CutBandRows(const Image& source, ImagePtr* pieces, int count, int top, int split) {
  for (int y = 0; y < split; ++y) {
    const uint16_t* row = source.Row(top + y);
    for (int j = 0; j < count; ++j) std::memcpy(pieces[j]->Row(y), row + j * split, RowBytes);
  }
}

// The pieces of one band of the board, from a picture that covers the whole
// board: the same copies as cutting piece by piece, made row by row across the
// band so that the picture is read in order (a level start cuts 2000 pieces).
void CutBand(const Image& source, ImagePtr* pieces, int count, int top, int split) {
  switch (split) {
    case 25: return CutBandRows<50>(source, pieces, count, top, split);
    case 50: return CutBandRows<100>(source, pieces, count, top, split);
    case 100: return CutBandRows<200>(source, pieces, count, top, split);
    default:
      for (int j = 0; j < count; ++j) CutImage(&source, pieces[j].get(), j * split, top);
  }
}

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

// Pieces of the last level freed, kept for the next one: a level start makes
// up to 2000 of them, and successive levels mostly share a piece size.
std::vector<ImagePtr>& SparePieces() {
  static std::vector<ImagePtr> spare;
  return spare;
}

ImagePtr TakePiece(int split, bool overwritten) {
  std::vector<ImagePtr>& spare = SparePieces();
  while (!spare.empty()) {
    ImagePtr piece = std::move(spare.back());
    spare.pop_back();
    if (piece->width != split || piece->height != split) {
      spare.clear();  // kept for another piece size: none of them fits
      break;
    }
    if (!overwritten) std::fill(piece->pixels.begin(), piece->pixels.end(), uint16_t{0});
    piece->key = 0;
    return piece;
  }
  return overwritten ? CreateImageForOverwrite(split, split) : CreateImage(split, split);
}

}  // namespace

void SetUpBoard(LayerSet layers) {
  const int32_t layerCount = Board.LayerCount;
  const int32_t split = Board.SplitSize;
  for (int k = 0; k < MAX_LAYERS; ++k) Board.LayerPictures[k] = k < layerCount ? std::move(layers[k]) : nullptr;

  Board.TargetThumbnail = CreateImage(THUMBNAIL_SIDE, THUMBNAIL_SIDE);
  if (Usable(Board.LayerPictures[0].get())) ScaleImage(Board.LayerPictures[0].get(), Board.TargetThumbnail.get());

  Board.BoardSide = BOARD_PIXELS / split;
  for (int k = 0; k < layerCount; ++k) {
    const Image* layer = Board.LayerPictures[k].get();
    const bool coversBoard = Usable(layer) && layer->width >= BOARD_PIXELS && layer->height >= BOARD_PIXELS;
    for (int i = 0; i < Board.BoardSide; ++i) {
      ImagePtr* band = &Board.PieceImage[k][i * Board.BoardSide];
      // Pieces of a picture that covers the board are written whole; the others
      // start black where the picture does not reach.
      for (int j = 0; j < Board.BoardSide; ++j) band[j] = TakePiece(split, coversBoard);
      if (coversBoard)
        CutBand(*layer, band, Board.BoardSide, i * split, split);
      else
        for (int j = 0; j < Board.BoardSide; ++j) CutPiece(layer, *band[j], j * split, i * split);
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
  for (ImagePtr& picture : Board.LayerPictures) picture.reset();
  Board.TargetThumbnail.reset();
  std::vector<ImagePtr>& spare = SparePieces();
  for (auto& layer : Board.PieceImage)
    for (ImagePtr& piece : layer)
      if (piece) spare.push_back(std::move(piece));
  for (ImagePtr& head : Board.TalkerHeadPictures) head.reset();
  Board.StonePicture.reset();
  for (ImagePtr& frame : Board.ExplosionFrames) frame.reset();
  for (auto& kind : Board.SpiderFrames)
    for (ImagePtr& frame : kind) frame.reset();
  Board.CobwebPicture.reset();
  Board.Held = false;
}

}  // namespace tessera
