#pragma once
// The option menu over a frozen copy of the screen: the boss, save, load and
// settings pages.
#include <cstdint>

#include "game/rules.h"
#include "game/text_places.h"

namespace tessera {

constexpr int32_t OPTION_PAGE_LOAD_SLOTS = 3;

// Areas of the settings page, tested in this order.
enum SettingsArea : int32_t {
  SETTINGS_THREE_QUARTERS = 0,
  SETTINGS_ALL_CELLS = 1,
  SETTINGS_MUSIC_SLIDER = 2,
  SETTINGS_SOUND_SLIDER = 3,
  SETTINGS_BACK_TO_GAME = 4,
  SETTINGS_EXIT_GAME = 5,
};
constexpr HitRect SETTINGS_AREAS[6] = {
    {351, 252, 376, 277}, {411, 252, 436, 277}, {361, 295, 471, 310},
    {361, 323, 471, 338}, {285, 376, 390, 406}, {412, 376, 517, 406},
};

extern int32_t SettingsHover;

void RunOptionMenu();
void UpdateOptionMenu();
void DrawOptionMenu();

// The slider's value for a press at column x: 0 at 361, 100 at 471.
int32_t SliderValue(int32_t x);

}  // namespace tessera
