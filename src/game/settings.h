#pragma once
// The player's settings (win rule, volumes) and the talk colours of Game.ini.
#include <cstdint>

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
// Nine digits, three per channel (red, green, blue), each kept to its low 8
// bits and packed. A text shorter than nine characters gives black.
uint16_t ParseColor(const char* text);

}  // namespace tessera
