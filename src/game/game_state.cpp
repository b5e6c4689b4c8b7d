#include "game/game_state.h"

#include <cstdio>

namespace tessera {

int32_t GameState = STATE_STARTING;
char CurrentLevelName[128] = "";
int32_t LastHoveredButton = -1;
IntervalTimer SecondTimer;
IntervalTimer ExplosionTimer;

void SetCurrentLevelName(const char* name) {
  std::snprintf(CurrentLevelName, sizeof CurrentLevelName, "%s", name ? name : "");
}

}  // namespace tessera
