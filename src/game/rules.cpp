#include "game/rules.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "app/input_state.h"
#include "game/board.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/settings.h"
#include "game/spiders.h"
#include "media/sound.h"

namespace tessera {

int32_t ElapsedSeconds = 0;
int32_t ClockFresh = 0;
int32_t PointerDirection = DIRECTION_NONE;
int32_t HoveredPlayButton = -1;
int32_t ConfirmState = CONFIRM_CLOSED;
int32_t PendingState = STATE_PLAYING;
int32_t ConfirmHover = CONFIRM_HOVER_NONE;
int32_t OptionPage = OPTION_PAGE_BOSS;
int32_t ReturnState = STATE_PLAYING;

namespace {

BoardEffectListener EffectListener;

bool InsideBoard(int32_t x, int32_t y) {
  return x >= BOARD_LEFT && x < BOARD_LEFT + BOARD_PIXELS && y >= BOARD_TOP && y < BOARD_TOP + BOARD_PIXELS;
}

// The neighbour of `cell` in direction d (0 up, 1 down, 2 left, 3 right), or -1
// at the edge of the board.
int32_t Neighbour(int32_t cell, int d) {
  const int32_t side = Board.BoardSide;
  const int32_t row = cell / side;
  const int32_t column = cell % side;
  switch (d) {
    case DIRECTION_UP: return row > 0 ? cell - side : -1;
    case DIRECTION_DOWN: return row < side - 1 ? cell + side : -1;
    case DIRECTION_LEFT: return column > 0 ? cell - 1 : -1;
    default: return column < side - 1 ? cell + 1 : -1;
  }
}

constexpr int32_t Opposite(int d) {
  constexpr int32_t kOpposite[4] = {DIRECTION_DOWN, DIRECTION_UP, DIRECTION_RIGHT, DIRECTION_LEFT};
  return kOpposite[d];
}

void OpenOptionMenu(int32_t page) {
  OptionPage = page;
  ReturnState = GameState;
  GameState = STATE_OPTION_MENU;
}

void ClickCell(int32_t t) {
  if (Board.Stone[t] == 1 || Board.Cobweb[t] == 1) {
    if (Board.Cobweb[t] == 1) {
      Board.Cobweb[t] = 0;
      --Board.CobwebCount;
    }
    return;
  }
  int32_t p = Board.HoveredPosition + 1;
  if (p >= Board.LayerCount) p = 0;
  Board.HoveredPosition = p;
  const int32_t layer = Board.LayerOrder[t][p];
  if (IsOnTarget(t) && layer != Board.TargetLayer) {
    --Board.CorrectCount;
  } else if (!IsOnTarget(t) && layer == Board.TargetLayer) {
    ++Board.CorrectCount;
    ExplodeStones(t, DIRECTION_NONE);
  }
  Board.CellPosition[t] = p;
  Board.CellLayer[t] = layer;
  PlayBoardEffect(SOUND_CHANGE_PIECE);
}

}  // namespace

void PlayBoardEffect(const char* fileName) {
  if (EffectListener) EffectListener(fileName);
  PlayEffect(fileName, false);
}

void SetBoardEffectListener(BoardEffectListener listener) { EffectListener = std::move(listener); }

int32_t HitTestBoard(int32_t x, int32_t y) {
  // Without a board there is nothing to hit (and nothing to divide by).
  if (Board.SplitSize <= 0 || Board.BoardSide <= 0 || !InsideBoard(x, y)) return -1;
  const int32_t cell = ((y - BOARD_TOP) / Board.SplitSize) * Board.BoardSide + (x - BOARD_LEFT) / Board.SplitSize;
  return cell < Board.CellCount ? cell : -1;
}

void UpdateBoardInput() {
  if (ConfirmState == CONFIRM_ASKING) {
    UpdateConfirmBox();
    return;
  }
  UpdatePlayButtons();

  const int32_t x = InputState.MouseX;
  const int32_t y = InputState.MouseY;
  const int32_t h = HitTestBoard(x, y);
  if (h != -1 && h != Board.HoveredCell) {
    Board.HoveredCell = h;
    Board.HoveredPosition = Board.CellPosition[h];
    Board.TouchLatch = 0;
  }

  PointerDirection = DIRECTION_NONE;
  if (InputState.MouseEvent == MOUSE_MOVE) {
    const int32_t dx = x - InputState.PrevMouseX;
    const int32_t dy = y - InputState.PrevMouseY;
    if (std::abs(dx) < std::abs(dy)) {
      PointerDirection = dy < 0 ? DIRECTION_UP : DIRECTION_DOWN;
    } else if (std::abs(dx) > std::abs(dy)) {
      PointerDirection = dx < 0 ? DIRECTION_LEFT : DIRECTION_RIGHT;
    }
    return;
  }

  if (InputState.MouseEvent == MOUSE_LEFT_UP && Board.HoveredCell >= 0 && Board.HoveredCell < Board.CellCount &&
      h != -1 && Board.TouchLatch == 0) {
    ClickCell(Board.HoveredCell);
  }
}

void UpdatePlayButtons() {
  int32_t b = -1;
  for (int i = 0; i < PLAY_BUTTON_COUNT; ++i) {
    if (PLAY_BUTTONS[i].area.Contains(InputState.MouseX, InputState.MouseY)) {
      b = i;
      break;
    }
  }
  HoveredPlayButton = b;
  if (b != LastHoveredButton) {
    PlayBoardEffect(SOUND_BUTTON_MOVE);
    LastHoveredButton = b;
  }
  if (InputState.MouseEvent == MOUSE_LEFT_UP) {
    if (b != -1) PlayBoardEffect(SOUND_BUTTON_PRESS);
    switch (b) {
      case PLAY_BUTTON_BOSS:
        OpenOptionMenu(OPTION_PAGE_BOSS);
        StopMusic();
        break;
      case PLAY_BUTTON_RESTART:
        ConfirmState = CONFIRM_ASKING;
        ConfirmHover = CONFIRM_HOVER_NONE;
        PendingState = STATE_LEVEL_RESTART;
        return;
      case PLAY_BUTTON_SAVE:
        OpenOptionMenu(OPTION_PAGE_SAVE);
        break;
      case PLAY_BUTTON_OPTIONS:
        OpenOptionMenu(OPTION_PAGE_SETTINGS);
        break;
      default:
        break;
    }
  }
  if (ConfirmState == CONFIRM_CONFIRMED) {
    ConfirmState = CONFIRM_CLOSED;
    GameState = PendingState;
  }
}

void UpdateConfirmBox() {
  const int32_t x = InputState.MouseX;
  const int32_t y = InputState.MouseY;
  if (CONFIRM_NO_BUTTON.Contains(x, y)) {
    ConfirmHover = CONFIRM_HOVER_NO;
  } else if (CONFIRM_YES_BUTTON.Contains(x, y)) {
    ConfirmHover = CONFIRM_HOVER_YES;
  } else {
    ConfirmHover = CONFIRM_HOVER_NONE;
  }
  if (InputState.MouseEvent != MOUSE_LEFT_UP) return;
  if (ConfirmHover != CONFIRM_HOVER_NONE) PlayBoardEffect(SOUND_BUTTON_PRESS);
  if (ConfirmHover == CONFIRM_HOVER_YES) {
    ConfirmState = CONFIRM_CONFIRMED;
  } else if (ConfirmHover == CONFIRM_HOVER_NO) {
    ConfirmState = CONFIRM_CLOSED;
  }
}

bool IsSolved() {
  if (Board.CobwebCount != 0) return false;
  switch (GameSettings.MatchAll) {
    case 0: return static_cast<double>(Board.CorrectCount) >= 0.75 * static_cast<double>(Board.CellCount);
    case 1: return Board.CorrectCount == Board.CellCount;
    default: return false;
  }
}

void UpdatePlayRules() {
  if (ConfirmState == CONFIRM_ASKING) return;
  if (IsSolved()) {
    GameState = STATE_LEVEL_PASSED;
    return;
  }
  if (SecondTimer.Elapsed()) {
    ++ElapsedSeconds;
    ClockFresh = 0;
    if (LevelDefinition.LimitedTime - ElapsedSeconds <= LAST_TIME_SECONDS) PlayBoardEffect(SOUND_LAST_TIME);
    if (ElapsedSeconds >= LevelDefinition.LimitedTime) {
      GameState = STATE_LEVEL_FAILED;
      PlayBoardEffect(SOUND_TIME_OUT);
      return;
    }
  }
  AdvanceExplosions();
  UpdateSpiders();
}

void ExplodeStones(int32_t cell, int32_t from) {
  // A chain can run through every cell of the board, so it keeps its own stack
  // rather than the call stack. Each frame is one cell whose neighbours are
  // being looked at; a stone's sound plays when the chain behind it is done,
  // which keeps the order of the sounds that a depth-first walk gives.
  struct Frame {
    int32_t cell;
    int32_t from;
    int32_t next;  // the next direction to look in
  };
  // Every frame but the first is a cell whose stone just went, so the board
  // bounds the depth.
  if (cell < 0 || cell >= Board.CellCount) return;
  std::array<Frame, MAX_CELLS + 1> stack;
  size_t depth = 0;
  stack[depth++] = {cell, from, 0};
  while (depth > 0) {
    Frame& top = stack[depth - 1];
    if (top.next > DIRECTION_RIGHT) {
      --depth;
      if (depth > 0) PlayBoardEffect(SOUND_STONE_EXPLODE);
      continue;
    }
    const int d = top.next++;
    if (d == top.from) continue;
    const int32_t n = Neighbour(top.cell, d);
    if (n < 0 || Board.Stone[n] != 1) continue;
    Board.Stone[n] = 0;
    Board.Exploding[n] = 1;
    if (IsOnTarget(n) && depth < stack.size()) {
      stack[depth++] = {n, Opposite(d), 0};
    } else {
      PlayBoardEffect(SOUND_STONE_EXPLODE);
    }
  }
}

void AdvanceExplosions() {
  if (!ExplosionTimer.Elapsed()) return;
  for (int32_t cell = 0; cell < Board.CellCount; ++cell) {
    if (Board.Exploding[cell] != 1) continue;
    if (++Board.ExplosionFrame[cell] >= EXPLOSION_FRAME_COUNT) {
      Board.ExplosionFrame[cell] = 0;
      Board.Exploding[cell] = 0;
    }
  }
}

}  // namespace tessera
