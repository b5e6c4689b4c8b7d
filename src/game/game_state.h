#pragma once
// Where the game is: the state the main loop dispatches on, the level being
// played, and the timers the rules run on. The loop itself is the flow's.
#include <cstdint>

#include "app/frame_pump.h"

namespace tessera {

enum GameStateValue : int32_t {
  STATE_STARTING = -1,  // the start logos and the opening movie, before the first dispatch
  STATE_NEW_GAME = 0,
  STATE_LEVEL_START = 1,
  STATE_LEVEL_PASSED = 2,
  STATE_LEVEL_FAILED = 3,
  STATE_LEVEL_RESTART = 4,
  STATE_SAVE = 5,
  STATE_LOAD = 6,
  STATE_START_MENU = 7,
  STATE_OPTION_MENU = 8,
  STATE_PLAYING = 9,
  STATE_GAME_END = 10,
  STATE_TO_START_MENU = 11,
  STATE_QUIT = 12,
  STATE_LIBRARY = 13,  // the library, opened from the start menu
};

extern int32_t GameState;
extern char CurrentLevelName[128];
extern int32_t LastHoveredButton;
extern IntervalTimer SecondTimer;
extern IntervalTimer ExplosionTimer;

// Sets CurrentLevelName, cut to 127 bytes.
void SetCurrentLevelName(const char* name);

}  // namespace tessera
