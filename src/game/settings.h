#pragma once
// The player's settings (win rule, volumes), the talk colours of Game.ini and
// the interface pictures every screen draws.
#include <cstdint>

#include "gfx/image.h"

namespace tessera {

struct GameSettingsRecord {
  int32_t MatchAll = 1;      // 1: every cell must be right; 0: three quarters suffice
  int32_t MusicVolume = 100;  // 0..100
  int32_t SoundVolume = 100;  // 0..100
};

extern GameSettingsRecord GameSettings;
extern uint16_t TalkColors[5];

// Reads Game.ini into TalkColors, picks the level script's file name and resets GameSettings.
void ReadGameSettings();
uint16_t ParseColor(const char* text);

}  // namespace tessera
