#pragma once
// One frame of play: the pointer over the board, clicks that cycle pieces and
// blow stones away, the four play buttons, the confirmation box, the clock and
// the completion test.
#include <cstdint>
#include <functional>

namespace tessera {

// Whole seconds of play since the level began.
extern int32_t ElapsedSeconds;
// 1 from the start of play until the first one-second tick.
extern int32_t ClockFresh;
// This frame's pointer move: -1 none, 0 up, 1 down, 2 left, 3 right.
extern int32_t PointerDirection;
// The play button under the pointer, -1 none.
extern int32_t HoveredPlayButton;
// The confirmation box: -1 closed, 0 asking, 1 confirmed and not yet acted on.
extern int32_t ConfirmState;
// The state entered once the box is confirmed.
extern int32_t PendingState;
// The box button under the pointer: -1 none, 0 confirm, 1 cancel.
extern int32_t ConfirmHover;
// The option menu's first page and the state it returns to.
extern int32_t OptionPage;
extern int32_t ReturnState;

enum PointerDirectionValue : int32_t {
  DIRECTION_NONE = -1,
  DIRECTION_UP = 0,
  DIRECTION_DOWN = 1,
  DIRECTION_LEFT = 2,
  DIRECTION_RIGHT = 3,
};

enum OptionPageValue : int32_t { OPTION_PAGE_BOSS = 0, OPTION_PAGE_SAVE = 2, OPTION_PAGE_SETTINGS = 4 };

enum ConfirmStateValue : int32_t { CONFIRM_CLOSED = -1, CONFIRM_ASKING = 0, CONFIRM_CONFIRMED = 1 };
enum ConfirmHoverValue : int32_t { CONFIRM_HOVER_NONE = -1, CONFIRM_HOVER_YES = 0, CONFIRM_HOVER_NO = 1 };

// Hit rectangles, bounds inclusive.
struct HitRect {
  int32_t left, top, right, bottom;
  constexpr bool Contains(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

struct PlayButton {
  HitRect area;
  const char* hintKey;
};

constexpr int PLAY_BUTTON_COUNT = 4;
constexpr PlayButton PLAY_BUTTONS[PLAY_BUTTON_COUNT] = {
    {{9, 507, 49, 547}, "BossComing"},
    {{64, 507, 104, 547}, "RestartLevel"},
    {{9, 554, 49, 594}, "SaveGame"},
    {{64, 554, 104, 594}, "GameOption"},
};
constexpr int PLAY_BUTTON_BOSS = 0;
constexpr int PLAY_BUTTON_RESTART = 1;
constexpr int PLAY_BUTTON_SAVE = 2;
constexpr int PLAY_BUTTON_OPTIONS = 3;

constexpr HitRect CONFIRM_NO_BUTTON = {324, 286, 374, 336};
constexpr HitRect CONFIRM_YES_BUTTON = {428, 286, 478, 336};

constexpr uint32_t SECOND_TIMER_MS = 1000;
constexpr uint32_t EXPLOSION_TIMER_MS = 100;
constexpr int32_t LAST_TIME_SECONDS = 30;

constexpr const char* SOUND_CHANGE_PIECE = "Sound\\ChangePiece.wav";
constexpr const char* SOUND_STONE_EXPLODE = "Sound\\StoneExplode.wav";
constexpr const char* SOUND_LAST_TIME = "Sound\\LastTime.wav";
constexpr const char* SOUND_TIME_OUT = "Sound\\TimeOut.wav";
constexpr const char* SOUND_BUTTON_MOVE = "Sound\\GameButtonMove.wav";
constexpr const char* SOUND_BUTTON_PRESS = "Sound\\GameButtonPress.wav";
constexpr const char* SOUND_TOUCH_SPIDER = "Sound\\TouchSpider.wav";

// The cell under a pointer position, or -1.
int32_t HitTestBoard(int32_t x, int32_t y);

void UpdateBoardInput();
void UpdatePlayButtons();
void UpdateConfirmBox();
void UpdatePlayRules();
bool IsSolved();

// Blows away the stones next to a cell that has just come right, and on through
// every stone cell that already shows the solution layer. `from` is the
// direction not to look in, -1 for none.
void ExplodeStones(int32_t cell, int32_t from);

// One animation step of every running explosion, once per ExplosionTimer period.
void AdvanceExplosions();

// Plays a sound effect of the board (not looping). Every effect of play goes
// through here, so a run's sounds can be followed.
void PlayBoardEffect(const char* fileName);

// Sees every board effect before it is played (tests, traces); empty to stop.
using BoardEffectListener = std::function<void(const char*)>;
void SetBoardEffectListener(BoardEffectListener listener);

}  // namespace tessera
