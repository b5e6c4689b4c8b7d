#include "screens/talk_scenes.h"

#include <cstdio>
#include <cstring>

#include "app/engine_config.h"
#include "app/frame_pump.h"
#include "app/input_state.h"
#include "game/board.h"
#include "game/game_state.h"
#include "game/interface_images.h"
#include "game/level_definition.h"
#include "gfx/bmp.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"
#include "gfx/text.h"
#include "media/movie.h"
#include "screens/play_screen.h"
#include "screens/screen_common.h"

namespace tessera {

int32_t ChosenSelection = 0;

namespace {

void Present() { PresentFrame(BackBuffer); }

// The play background with the level's talk backdrop (its layer 1) on the board.
void DrawBackdrop() {
  DrawImage(0, 0, InterfaceImages.GameBG.get(), BackBuffer);
  DrawImage(BOARD_LEFT, BOARD_TOP, Board.LayerPictures[1].get(), BackBuffer);
}

// Moves the doors from `from` towards `to` one step per 25 ms, drawing each
// offset before it moves; returns the offset it stopped at.
int32_t RunDoors(int32_t from, int32_t step, bool (*keepGoing)(int32_t)) {
  IntervalTimer timer;
  timer.Start(DOOR_STEP_MS);
  int32_t offset = from;
  while (keepGoing(offset)) {
    PumpFrame();
    DrawBackdrop();
    DrawDoors(offset);
    Present();
    if (timer.Elapsed()) offset += step;
  }
  return offset;
}

void DrawTalkText(const char* text, uint16_t colour, int x, int y) {
  RenderText(TALK_TEXT_SIZE, colour, x, y, TALK_TEXT_SPACING, text, BackBuffer, TALK_WRAP, SCREEN_WIDTH,
             SCREEN_HEIGHT);
}

// Shows one spoken line until the left button is pressed.
void RunTalkLine(const TalkLine& line) {
  do {
    PumpFrame();
    DrawBackdrop();
    if (line.speaker >= 0 && line.speaker < MAX_TALKER_HEADS) {
      if (const Image* head = Board.TalkerHeadPictures[line.speaker].get())
        DrawImageKeyed(400 - head->width / 2, TALK_HEAD_BOTTOM - head->height, head, BackBuffer);
    }
    DrawImageKeyed(TALK_BAR_X, TALK_BAR_Y, InterfaceImages.TalkBar.get(), BackBuffer);
    DrawTalkText(line.text, line.colour, TALK_TEXT_X, TALK_TEXT_Y);
    DrawDoors(DOORS_TALK);
    Present();
  } while (InputState.MouseEvent != MOUSE_LEFT_DOWN);
}

void DrawCountdownText(int value) {
  char text[32];
  std::snprintf(text, sizeof text, "'%02d", value);
  DrawCaption(24, PackRgb(45, 130, 210), 400 - 6 * static_cast<int>(std::strlen(text)), 10, text);
}

void DrawBoardGrid(int firstRow) {
  const int a = Board.SplitSize;
  const int side = Board.BoardSide;
  for (int i = 0; i <= side; ++i)
    FillRect(BOARD_LEFT + i * a, BOARD_TOP + firstRow * a, 2, 500 - firstRow * a, 0, 0, 0, BackBuffer);
  for (int i = firstRow; i <= side; ++i) FillRect(BOARD_LEFT, BOARD_TOP + i * a, 500, 2, 0, 0, 0, BackBuffer);
}

int SelectionHeight(int i) {
  return TALK_LINE_PITCH *
         CountTextLines(LevelDefinition.SelectionText[i], TALK_TEXT_SIZE, TALK_WRAP, TALK_TEXT_SPACING);
}

int SelectionCount() {
  int n = LevelDefinition.SelectionTalkNum;
  return n < 0 ? 0 : n > MAX_SELECTIONS ? MAX_SELECTIONS : n;
}

int BeginCount() {
  int n = LevelDefinition.BeginTalkNum;
  return n < 0 ? 0 : n > MAX_TALK_LINES ? MAX_TALK_LINES : n;
}

int EndCount() {
  int n = LevelDefinition.EndTalkNum;
  return n < 0 ? 0 : n > MAX_TALK_LINES ? MAX_TALK_LINES : n;
}

}  // namespace

void DrawDoors(int32_t offset) {
  const Image* doors = InterfaceImages.LevelTravelBG.get();
  if (!doors || offset >= DOORS_OPEN) return;
  if (offset < 0) offset = 0;
  const int w = DOORS_OPEN - offset;
  DrawImagePart(doors, BackBuffer, offset, 0, w, 600, 0, 0);
  DrawImagePart(doors, BackBuffer, 400, 0, w, 600, 400 + offset, 0);
}

int32_t SweepStep(int32_t splitSize) {
  if (splitSize == 25) return 5;
  if (splitSize == 50) return 2;
  return 1;  // 100, and any other size still ends
}

void RunLevelOpening() {
  while (InputState.MouseEvent != MOUSE_LEFT_DOWN) {
    PumpFrame();
    DrawImage(0, 0, InterfaceImages.LevelTravelBG.get(), BackBuffer);
    Present();
  }
  RunDoors(DOORS_CLOSED, DOOR_STEP, [](int32_t o) { return o < DOORS_TALK; });
}

void RunBeginTalk() {
  for (int i = 0; i < BeginCount(); ++i) RunTalkLine(LevelDefinition.BeginTalk[i]);
  RunDoors(DOORS_TALK, DOOR_STEP, [](int32_t o) { return o < DOORS_OPEN; });
}

void RunCountdown() {
  IntervalTimer second;
  second.Start(1000);
  for (int value = 3; value > 0;) {
    PumpFrame();
    DrawPlayScreen(PLAY_MODE_PICTURE);
    DrawCountdownText(value);
    Present();
    if (second.Elapsed()) --value;
  }

  IntervalTimer step;
  step.Start(25);
  const int a = Board.SplitSize;
  const int side = Board.BoardSide;
  const int target = Board.TargetLayer;
  for (int sweep = Board.CellCount - 1; sweep >= 0;) {
    PumpFrame();
    DrawImage(0, 0, InterfaceImages.GameBG.get(), BackBuffer);
    for (int cell = 0; cell < Board.CellCount; ++cell) {
      const int x = BOARD_LEFT + (cell % side) * a, y = BOARD_TOP + (cell / side) * a;
      if (cell <= sweep)
        DrawImage(x, y, Board.PieceImage[target][cell].get(), BackBuffer);
      else if (Board.Stone[cell] == 0 && Board.CellLayer[cell] >= 0 && Board.CellLayer[cell] < MAX_LAYERS)
        DrawImage(x, y, Board.PieceImage[Board.CellLayer[cell]][cell].get(), BackBuffer);
    }
    DrawBoardGrid(0);
    for (int cell = sweep + 1; cell < Board.CellCount; ++cell)
      if (Board.Stone[cell] == 1)
        DrawImage(BOARD_LEFT + (cell % side) * a, BOARD_TOP + (cell / side) * a, Board.StonePicture.get(), BackBuffer);
    DrawImage(693, 6, Board.TargetThumbnail.get(), BackBuffer);
    DrawCountdownText(0);
    DrawLevelTitle();
    Present();
    if (step.Elapsed()) sweep -= SweepStep(a);
  }
}

void RunResultBanner() {
  const bool passed = GameState == STATE_LEVEL_PASSED;
  if (passed) {
    IntervalTimer tick;
    tick.Start(50);
    const int rows = Board.BoardSide;
    for (int k = 0; k < rows;) {
      PumpFrame();
      DrawPlayScreen(PLAY_MODE_PICTURE);
      DrawBoardGrid(k);
      DrawSpiders();
      Present();
      if (tick.Elapsed()) ++k;
    }
    for (int fallen = 0; fallen < rows;) {
      PumpFrame();
      DrawPlayScreen(PLAY_MODE_PICTURE);
      DrawSpiders();
      Present();
      if (tick.Elapsed()) {
        DropSpiders();
        ++fallen;
      }
    }
    IntervalTimer hold;
    hold.Start(2000);
    do {
      PumpFrame();
      DrawPlayScreen(PLAY_MODE_PICTURE);
      Present();
    } while (!hold.Elapsed());
  }
  do {
    PumpFrame();
    if (passed) {
      DrawImage(0, 0, InterfaceImages.GameBG.get(), BackBuffer);
      DrawImageGrey(BOARD_LEFT, BOARD_TOP, Board.LayerPictures[Board.TargetLayer].get(), BackBuffer);
      DrawImage(693, 6, Board.TargetThumbnail.get(), BackBuffer);
      DrawLevelTitle();
      DrawImageKeyed(210, 60, InterfaceImages.PassGame.get(), BackBuffer);
    } else {
      DrawPlayScreen(PLAY_MODE_BOARD_ONLY);
      DrawImageKeyed(210, 60, InterfaceImages.ResetGame.get(), BackBuffer);
    }
    Present();
  } while (InputState.MouseEvent != MOUSE_LEFT_DOWN);
}

int32_t HitSelection() {
  int top = TALK_TEXT_Y;
  for (int i = 0; i < SelectionCount(); ++i) {
    const int height = SelectionHeight(i);
    if (InputState.MouseX >= 175 && InputState.MouseX <= 624 && InputState.MouseY >= top &&
        InputState.MouseY < top + height)
      return i;
    top += height;
  }
  return -1;
}

void RunEndTalk() {
  int32_t offset = RunDoors(DOORS_OPEN, -DOOR_STEP, [](int32_t o) { return o > DOORS_TALK; });
  for (int i = 0; i < EndCount(); ++i) RunTalkLine(LevelDefinition.EndTalk[i]);
  if (SelectionCount() > 0) {
    int32_t highlighted = -1;
    for (;;) {
      PumpFrame();
      DrawBackdrop();
      DrawImageKeyed(TALK_BAR_X, TALK_BAR_Y, InterfaceImages.TalkBar.get(), BackBuffer);
      int top = TALK_TEXT_Y;
      for (int i = 0; i < SelectionCount(); ++i) {
        const int height = SelectionHeight(i);
        uint16_t colour = LevelDefinition.SelectionColour;
        if (i == highlighted) {
          FillRect(172, top - 3, 456, height + 2, 0, 0, 255, BackBuffer);
          colour = PackRgb(255, 255, 255);
        }
        DrawTalkText(LevelDefinition.SelectionText[i], colour, TALK_TEXT_X, top);
        top += height;
      }
      DrawDoors(DOORS_TALK);
      Present();
      highlighted = HitSelection();
      if (InputState.MouseEvent == MOUSE_LEFT_DOWN && highlighted != -1) {
        ChosenSelection = highlighted;
        break;
      }
    }
  }
  RunDoors(offset, -DOOR_STEP, [](int32_t o) { return o >= 0; });
}

void RunEndPlay() {
  const EndPlay& entry = SelectionCount() > 0 && ChosenSelection >= 0 && ChosenSelection < MAX_SELECTIONS
                             ? LevelDefinition.SelectionEndPlay[ChosenSelection]
                             : LevelDefinition.LevelEndPlay;
  char path[512];
  if (entry.kind == 0) {
    std::snprintf(path, sizeof path, "%s\\%s.avi", EngineConfig.MoviePath, entry.name);
    PlayMovie(path, true);
  } else if (entry.kind == 1) {
    std::snprintf(path, sizeof path, "%s\\%s.bmp", EngineConfig.PicturePath, entry.name);
    ImagePtr picture;
    // A closing picture that did not load is skipped rather than waited on.
    if (!LoadBmpImage(path, picture, 0) || !picture) return;
    do {
      PumpFrame();
      DrawImage(0, 0, picture.get(), BackBuffer);
      Present();
    } while (InputState.MouseEvent != MOUSE_LEFT_UP);
  }
}

}  // namespace tessera
