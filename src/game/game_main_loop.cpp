#include <cstdio>
#include <cstring>

#include "app/frame_pump.h"
#include "app/log.h"
#include "game/game_state.h"
#include "gfx/image.h"
#include "gfx/present.h"

namespace tessera {

int32_t GameState = STATE_START_MENU;
char CurrentLevelName[128] = "";
int32_t LastHoveredButton = -1;
IntervalTimer SecondTimer;
IntervalTimer ExplosionTimer;

void SetCurrentLevelName(const char* name) {
  std::snprintf(CurrentLevelName, sizeof CurrentLevelName, "%s", name ? name : "");
}

namespace {

void WaitingScreen() {
  const int32_t entered = GameState;
  while (GameState == entered) {
    PumpFrame();
    std::memset(BackBuffer, 0, sizeof BackBuffer);
    PresentFrame(BackBuffer);
  }
}

void Dispatch() {
  switch (GameState) {
    case STATE_TO_START_MENU:
      GameState = STATE_START_MENU;
      break;
    case STATE_START_MENU:
      WaitingScreen();
      break;
    default:
      break;  // a value without a handler: the loop pumps again
  }
}

}  // namespace

void GameMainLoop() {
  SecondTimer.Start(1000);
  ExplosionTimer.Start(100);
  GameState = STATE_START_MENU;
  int32_t seen = -1;
  do {
    if (GameState != seen) {
      Trace("state %d %d %s", seen, GameState, CurrentLevelName);
      seen = GameState;
    }
    PumpFrame();
    LastHoveredButton = -1;
    Dispatch();
  } while (GameState != STATE_QUIT);
  Trace("state %d %d %s", seen, GameState, CurrentLevelName);
}

}  // namespace tessera
