#include "game/settings.h"

#include <cstdio>
#include <cstring>

#include "app/engine_config.h"
#include "app/profile.h"
#include "gfx/pixel_format.h"
#include "media/sound.h"

namespace tessera {

GameSettingsRecord GameSettings;
uint16_t TalkColors[5] = {};

namespace {
// The sound channels read the player's volumes from here whenever a sound starts.
const bool kVolumesBound = (BindVolumeSettings(&GameSettings.MusicVolume, &GameSettings.SoundVolume), true);
}  // namespace

uint16_t ParseColor(const char* text) {
  // A short text has no defined colour: black is what a missing colour looks like.
  if (!text || std::strlen(text) < 9) return PackRgb(0, 0, 0);
  uint32_t channel[3];
  for (int c = 0; c < 3; ++c) {
    char group[4] = {text[3 * c], text[3 * c + 1], text[3 * c + 2], '\0'};
    channel[c] = static_cast<uint32_t>(ParseDecimal(group)) & 0xFF;
  }
  return PackRgb(channel[0], channel[1], channel[2]);
}

void ReadGameSettings() {
  char path[1024];
  ComposePath(path, sizeof path, WorkDir, "Game.ini");
  for (int n = 1; n <= 5; ++n) {
    char key[24];
    std::snprintf(key, sizeof key, "color%d", n);
    char value[128];
    GetPrivateProfileString("color", key, "0", value, sizeof value, path);
    TalkColors[n - 1] = ParseColor(value);
  }
  // The level script's file name follows EngineConfig.Packaged (LevelScriptName),
  // which is fixed from start-up on, so there is nothing to store here.
  GameSettings.MatchAll = 1;
  GameSettings.MusicVolume = 100;
  GameSettings.SoundVolume = 100;
}

}  // namespace tessera
