#include "screens/play_screen.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "game/board.h"
#include "game/interface_images.h"
#include "game/level_definition.h"
#include "game/rules.h"
#include "game/spiders.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "screens/confirm_box.h"
#include "screens/screen_common.h"

namespace tessera {

namespace {

int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

int CellX(int cell) { return BOARD_LEFT + (cell % Board.BoardSide) * Board.SplitSize; }
int CellY(int cell) { return BOARD_TOP + (cell / Board.BoardSide) * Board.SplitSize; }

void DrawSpiderList(const Spider* spiders, int count, int kind) {
  for (int i = 0; i < count; ++i) {
    const Spider& s = spiders[i];
    if (s.cell < 0 || s.cell >= Board.CellCount) continue;
    const int frame = s.frame >= 0 && s.frame < SPIDER_FRAME_COUNT ? s.frame : 0;
    DrawImageKeyed(CellX(s.cell), CellY(s.cell), Board.SpiderFrames[kind][frame].get(), BackBuffer);
  }
}

void DrawGrid() {
  const int a = Board.SplitSize;
  for (int i = 0; i <= Board.BoardSide; ++i) FillRect(BOARD_LEFT + i * a, BOARD_TOP, 2, 500, 0, 0, 0, BackBuffer);
  for (int i = 0; i <= Board.BoardSide; ++i) FillRect(BOARD_LEFT, BOARD_TOP + i * a, 500, 2, 0, 0, 0, BackBuffer);
}

// ---- The board in one pass -------------------------------------------------------
// Drawn in layers (background, pieces, cobwebs, grid), the board's 500x500
// pixels would be written two or three times a frame. When every cell is a
// square of the piece size, the pass below writes each of them once, a band of
// cells at a time, with exactly the pixels the layers would have left.

// Where a cell's pixels come from: its piece, the background where no piece is
// drawn, or nothing when a stone drawn later covers the whole cell.
struct CellPixels {
  const uint16_t* top = nullptr;  // the cell's top-left pixel
  size_t stride = 0;
  bool web = false;
};

struct BoardPlan {
  std::array<CellPixels, MAX_CELLS> cells;
  const Image* web = nullptr;
};

bool Usable(const Image* image) { return image && image->Covered(); }

// The board reads every piece it shows, every frame. A piece is a view of its
// square of a layer picture, its rows a picture's width apart, and read that
// way its rows straddle twice the cache lines they fill. The piece each cell
// shows is copied here instead, the first frame it is shown, into a square of
// its own: cell after cell, so the board reads one contiguous stream. A cell
// whose layer changes, or new pieces, are cut afresh.
class ShownPieces {
 public:
  // The square of the cell when it holds that layer's piece; else null.
  const uint16_t* Find(int cell, int layer) {
    if (generation_ != Board.PiecesGeneration || split_ != Board.SplitSize) {
      held_.fill(-1);
      generation_ = Board.PiecesGeneration;
      split_ = Board.SplitSize;
    }
    return held_[cell] == layer ? At(cell) : nullptr;
  }
  // Copies the layer's piece, a square of the piece size, into the cell's square.
  const uint16_t* Cut(int cell, int layer, const Image& piece) {
    if (pixels_.empty()) pixels_.resize(size_t{BOARD_PIXELS} * BOARD_PIXELS);
    uint16_t* square = At(cell);
    const size_t side = static_cast<size_t>(split_);
    for (int r = 0; r < split_; ++r) std::memcpy(square + r * side, piece.Row(r), side * sizeof(uint16_t));
    held_[cell] = static_cast<int8_t>(layer);
    return square;
  }

 private:
  uint16_t* At(int cell) { return pixels_.data() + static_cast<size_t>(cell) * split_ * split_; }
  PixelVector pixels_;                   // every cell of a whole board
  std::array<int8_t, MAX_CELLS> held_{};  // the layer whose piece each square holds, or -1 (set by the first Find)
  uint32_t generation_ = 0;
  int split_ = 0;
};

// False when the board cannot be composed in one pass (a background smaller
// than the screen, a piece that is not a square of the piece size, a cobweb
// larger than a cell); it is then drawn in layers.
bool PlanBoard(const Image* background, BoardPlan& plan) {
  static ShownPieces shown;
  const int a = Board.SplitSize, side = Board.BoardSide;
  if ((a != 25 && a != 50 && a != 100) || side * a != BOARD_PIXELS || Board.CellCount != side * side) return false;
  if (!Usable(background) || background->width < SCREEN_WIDTH || background->height < SCREEN_HEIGHT) return false;
  plan.web = Usable(Board.CobwebPicture.get()) ? Board.CobwebPicture.get() : nullptr;
  if (plan.web && (plan.web->width > a || plan.web->height > a)) return false;
  const Image* stone = Board.StonePicture.get();
  const bool stoneCovers = Usable(stone) && stone->width >= a && stone->height >= a;
  for (int cell = 0; cell < Board.CellCount; ++cell) {
    CellPixels& c = plan.cells[cell];
    const int layer = Board.CellLayer[cell];
    const bool drawn = Board.Stone[cell] == 0 && layer >= 0 && layer < MAX_LAYERS;
    c.web = plan.web && Board.Cobweb[cell] == 1;
    c.stride = static_cast<size_t>(a);
    if (drawn && (c.top = shown.Find(cell, layer))) continue;
    const Image* piece = drawn ? Board.PieceImage[layer][cell].get() : nullptr;
    if (Usable(piece)) {
      if (piece->width != a || piece->height != a) return false;
      c.top = shown.Cut(cell, layer, *piece);
    } else if (Board.Stone[cell] == 1 && stoneCovers) {
      c.top = nullptr;
    } else {
      c.top = background->Row(CellY(cell)) + CellX(cell);
      c.stride = background->Stride();
    }
  }
  return true;
}

// One cell at `at` (its top-left pixel; rows `stride` apart): its rows beside
// its grid line, then its cobweb on what is not grid. Its top rows, under a
// grid, are the grid's line along its band. A cell a stone covers is left as
// it is: the stone is drawn over it.
template <int A, bool Grid>
void ComposeCell(const CellPixels& cell, const Image* web, uint16_t* at, size_t stride) {
  constexpr int under = Grid ? 2 : 0;  // rows and columns of each cell under its grid lines
  if (!cell.top) return;
  const uint32_t blackPair = PackRgb(0, 0, 0) * 0x10001u;
  uint16_t* out = at + under * stride;
  const uint16_t* src = cell.top + under * cell.stride;
  for (int r = under; r < A; ++r, out += stride, src += cell.stride) {
    if (Grid) std::memcpy(out, &blackPair, sizeof blackPair);
    std::memcpy(out + under, src + under, (A - under) * sizeof(uint16_t));
  }
  if (cell.web && web->width > under)
    for (int r = under; r < web->height; ++r)
      CopyRowKeyed(web->Row(r) + under, at + r * stride + under, web->width - under, web->key);
}

// The whole board at `board` (the top-left pixel of its first row): each band
// of cells, the grid's two lines along its top, then its cells, then the
// grid's right-hand line beside them. The grid's bottom line lies below.
template <int A, bool Grid>
void ComposeBoard(const BoardPlan& plan, uint16_t* board, size_t stride) {
  constexpr int side = BOARD_PIXELS / A;
  constexpr int under = Grid ? 2 : 0;
  const uint16_t black = PackRgb(0, 0, 0);
  const uint32_t blackPair = black * 0x10001u;
  uint16_t* band = board;
  for (int b = 0; b < side; ++b, band += A * stride) {
    if (Grid) {
      std::fill_n(band, BOARD_PIXELS + 2, black);
      std::fill_n(band + stride, BOARD_PIXELS + 2, black);
    }
    const CellPixels* cells = &plan.cells[b * side];
    for (int c = 0; c < side; ++c) ComposeCell<A, Grid>(cells[c], plan.web, band + c * A, stride);
    if (Grid)
      for (int r = under; r < A; ++r) std::memcpy(band + r * stride + BOARD_PIXELS, &blackPair, sizeof blackPair);
  }
}

// Calls f<A, Grid>() for the board's piece size and grid.
template <class F>
void WithBoardShape(bool grid, F&& f) {
  auto withGrid = [&]<int A>() {
    if (grid)
      f.template operator()<A, true>();
    else
      f.template operator()<A, false>();
  };
  switch (Board.SplitSize) {
    case 25: withGrid.template operator()<25>(); break;
    case 50: withGrid.template operator()<50>(); break;
    default: withGrid.template operator()<100>(); break;
  }
}

// The screen under everything that moves, as composed last: the background
// with the board and its grid over it. Most frames show the board of the frame
// before (a click turns one piece; stones, spiders and explosions are drawn over
// it afterwards): it is kept composed here, only the cells whose piece, stone
// or cobweb changed composed again, and the frame starts as one copy of it.
// One copy of the frame's size is the cheapest way to fill the frame: its rows
// of board and runs of background copied apart took twice as long (each short
// copy reads the frame's cache lines before writing them; one long copy
// writes whole lines). Pieces, stones and cobwebs change pictures only with a
// new generation of pieces, which composes the whole screen afresh.
class ComposedScreen {
 public:
  void Draw(const BoardPlan& plan, const Image* background, bool grid) {
    const Key key{Board.PiecesGeneration, Board.SplitSize, Board.CellCount, grid, background, background->Row(0),
                  Board.CobwebPicture.get(), Board.StonePicture.get()};
    const int count = Board.CellCount;
    const int a = Board.SplitSize, side = Board.BoardSide;
    uint16_t* board = pixels_.data() + BOARD_TOP * SCREEN_WIDTH + BOARD_LEFT;
    if (!held_ || key != key_) {
      for (int y = 0; y < SCREEN_HEIGHT; ++y)
        std::memcpy(pixels_.data() + y * SCREEN_WIDTH, background->Row(y), SCREEN_WIDTH * sizeof(uint16_t));
      WithBoardShape(grid, [&]<int A, bool Grid>() { ComposeBoard<A, Grid>(plan, board, SCREEN_WIDTH); });
      if (grid) FillRect(BOARD_LEFT, BOARD_TOP + BOARD_PIXELS, BOARD_PIXELS, 2, 0, 0, 0, pixels_.data());
      key_ = key;
      held_ = true;
    } else {
      WithBoardShape(grid, [&]<int A, bool Grid>() {
        for (int cell = 0; cell < count; ++cell)
          if (Board.CellLayer[cell] != layer_[cell] || Board.Stone[cell] != stone_[cell] ||
              Board.Cobweb[cell] != cobweb_[cell])
            ComposeCell<A, Grid>(plan.cells[cell], plan.web,
                                 board + (cell / side) * a * SCREEN_WIDTH + (cell % side) * a, SCREEN_WIDTH);
      });
    }
    std::copy(Board.CellLayer, Board.CellLayer + count, layer_.begin());
    std::copy(Board.Stone, Board.Stone + count, stone_.begin());
    std::copy(Board.Cobweb, Board.Cobweb + count, cobweb_.begin());
    std::memcpy(BackBuffer, pixels_.data(), pixels_.size() * sizeof(uint16_t));
  }

 private:
  struct Key {
    uint32_t generation;
    int32_t split, count;
    bool grid;
    const Image* background;
    const uint16_t* backgroundPixels;
    const Image* web;
    const Image* stone;
    bool operator==(const Key&) const = default;
  };
  bool held_ = false;
  Key key_{};
  std::array<int32_t, MAX_CELLS> layer_{}, stone_{}, cobweb_{};
  PixelVector pixels_ = PixelVector(size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
};

// The same board drawn in layers, for the boards the pass does not take.
void DrawBoardInLayers(bool grid) {
  for (int cell = 0; cell < Board.CellCount; ++cell) {
    const int layer = Board.CellLayer[cell];
    if (Board.Stone[cell] == 0 && layer >= 0 && layer < MAX_LAYERS)
      DrawImage(CellX(cell), CellY(cell), Board.PieceImage[layer][cell].get(), BackBuffer);
    if (Board.Cobweb[cell] == 1) DrawImageKeyed(CellX(cell), CellY(cell), Board.CobwebPicture.get(), BackBuffer);
  }
  if (grid) DrawGrid();
}

void DrawHoverAndPreviews(int mode) {
  const int cell = Board.HoveredCell;
  if (cell < 0 || cell >= Board.CellCount) return;
  const int a = Board.SplitSize;
  if (mode != PLAY_MODE_BOARD_ONLY) FrameRect(CellX(cell), CellY(cell), a + 2, a + 2, 2, 255, 0, 0, BackBuffer);
  if (Board.Stone[cell] == 1) return;
  for (int i = 0; i < Board.LayerCount && i < MAX_LAYERS; ++i) {
    const int layer = Board.LayerOrder[cell][i];
    if (layer < 0 || layer >= MAX_LAYERS) continue;
    DrawImageScaled(Board.PieceImage[layer][cell].get(), 50, 50, BackBuffer, 31, 76 + 60 * i);
  }
  FrameRect(31, 76 + 60 * Board.HoveredPosition, 52, 52, 2, 255, 0, 0, BackBuffer);
}

void DrawClock() {
  const int32_t remaining = LevelDefinition.LimitedTime - ElapsedSeconds;
  char text[32];
  FormatClock(remaining, text);
  DrawCaption(24, PackRgb(45, 130, 210), 400 - (Length(text) * 12) / 2, 10, text);
  const int32_t n = ClockSegmentCount(remaining, ClockFresh);
  for (int i = 0; i < n; ++i)
    DrawImage(CLOCK_SEGMENTS[i].x, CLOCK_SEGMENTS[i].y, InterfaceImages.ClockBorder[CLOCK_SEGMENTS[i].picture].get(), BackBuffer);
}

void DrawCorrectCount() {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d", Board.CorrectCount, Board.CellCount);
  DrawCaption(24, PackRgb(110, 235, 220), 743 - (Length(text) * 12) / 2, 202, text);
  const Image* reached = InterfaceImages.RatioSpot[0].get();
  const Image* missing = InterfaceImages.RatioSpot[1].get();
  const int reachedCount = std::clamp(Board.CorrectCount, 0, std::max(Board.CellCount, 0));
  DrawImageKeyedGrid(reached, 694, 229, 10, 9, 10, 0, reachedCount, BackBuffer);
  DrawImageKeyedGrid(missing, 694, 229, 10, 9, 10, reachedCount, Board.CellCount, BackBuffer);
}

}  // namespace

void FormatClock(int32_t remaining, char (&out)[32]) {
  if (remaining <= 60)
    std::snprintf(out, sizeof out, "'%02d", remaining);
  else
    std::snprintf(out, sizeof out, "%d'%02d", remaining / 60, remaining % 60);
}

int32_t ClockSegmentCount(int32_t remaining, int32_t clockFresh) {
  const int32_t within = remaining % 60;
  if (within == 0 && clockFresh == 1) return 0;
  int32_t n = 60 - within;
  // Past the limit the remainder goes negative; never draw more than the frame holds.
  return n < 0 ? 0 : n > 60 ? 60 : n;
}

void DrawSpiders() {
  DrawSpiderList(StaticSpiders, StaticSpiderNum, SPIDER_KIND_STATIC);
  DrawSpiderList(DynamicSpiders, DynamicSpiderNum, SPIDER_KIND_DYNAMIC);
}

void DrawLevelTitle() {
  DrawCaption(LEVEL_TITLE_SIZE, PackRgb(110, 235, 220), 60 - (Length(LevelDefinition.LevelName) * 10) / 2, 15,
              LevelDefinition.LevelName);
}

void DropSpiders() {
  auto drop = [](Spider* spiders, int count) {
    for (int i = 0; i < count; ++i) {
      if (spiders[i].cell == -1) continue;
      spiders[i].cell += Board.BoardSide;
      if (spiders[i].cell >= Board.CellCount) spiders[i].cell = -1;
    }
  };
  drop(StaticSpiders, StaticSpiderNum);
  drop(DynamicSpiders, DynamicSpiderNum);
}

void DrawPlayScreen(int mode) {
  const Image* background = InterfaceImages.GameBG.get();
  const bool boardReady = Board.BoardSide > 0 && Board.SplitSize > 0;
  const bool grid = mode != PLAY_MODE_BOARD_ONLY;
  static BoardPlan plan;
  const bool onePass = mode != PLAY_MODE_PICTURE && boardReady && PlanBoard(background, plan);
  if (!onePass) DrawImage(0, 0, background, BackBuffer);
  if (mode == PLAY_MODE_PICTURE) {
    DrawImage(BOARD_LEFT, BOARD_TOP, Board.LayerPictures[0].get(), BackBuffer);
  } else if (boardReady) {
    static ComposedScreen composed;
    if (onePass)
      composed.Draw(plan, background, grid);
    else
      DrawBoardInLayers(grid);
    DrawSpiders();
    for (int cell = 0; cell < Board.CellCount; ++cell)
      if (Board.Stone[cell] == 1) DrawImage(CellX(cell), CellY(cell), Board.StonePicture.get(), BackBuffer);
    const Image* frame0 = Board.ExplosionFrames[0].get();
    const int w0 = frame0 ? frame0->width : 0;
    for (int cell = 0; cell < Board.CellCount; ++cell) {
      if (Board.Exploding[cell] != 1) continue;
      const int f = Board.ExplosionFrame[cell];
      if (f < 0 || f >= EXPLOSION_FRAME_COUNT) continue;
      DrawImageKeyedClipped(CellX(cell) + (Board.SplitSize - w0) / 2, CellY(cell), Board.ExplosionFrames[f].get(),
                            BackBuffer);
    }
    DrawHoverAndPreviews(mode);
    if (PointerDirection >= 0 && PointerDirection < 4)
      DrawImage(DIRECTION_MARKS[PointerDirection].x, DIRECTION_MARKS[PointerDirection].y,
                InterfaceImages.Direction[PointerDirection].get(), BackBuffer);
    DrawClock();
    DrawCorrectCount();
    DrawPlayButtonHint();
  }
  DrawImage(693, 6, Board.TargetThumbnail.get(), BackBuffer);
  DrawLevelTitle();
  DrawConfirmBox();
}

}  // namespace tessera
