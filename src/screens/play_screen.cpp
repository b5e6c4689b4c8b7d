#include "screens/play_screen.h"

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
  for (int i = 0; i < Board.CellCount; ++i)
    DrawImageKeyed(694 + 10 * (i % 10), 229 + 9 * (i / 10), i < Board.CorrectCount ? reached : missing, BackBuffer);
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
  DrawImage(0, 0, InterfaceImages.GameBG.get(), BackBuffer);
  const bool boardReady = Board.BoardSide > 0 && Board.SplitSize > 0;
  if (mode == PLAY_MODE_PICTURE) {
    DrawImage(BOARD_LEFT, BOARD_TOP, Board.LayerPictures[0].get(), BackBuffer);
  } else if (boardReady) {
    for (int cell = 0; cell < Board.CellCount; ++cell) {
      const int layer = Board.CellLayer[cell];
      if (Board.Stone[cell] == 0 && layer >= 0 && layer < MAX_LAYERS)
        DrawImage(CellX(cell), CellY(cell), Board.PieceImage[layer][cell].get(), BackBuffer);
      if (Board.Cobweb[cell] == 1) DrawImageKeyed(CellX(cell), CellY(cell), Board.CobwebPicture.get(), BackBuffer);
    }
    if (mode != PLAY_MODE_BOARD_ONLY) DrawGrid();
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
