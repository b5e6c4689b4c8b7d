#pragma once
// The start menu: new game, continue (the load page) and quit.
#include <cstdint>

#include "game/rules.h"

namespace tessera {

struct StartMenuButton {
  HitRect area;
  int32_t pictureX, pictureY;
};

// Tested in this order; the rows overlap by three pixels and the first wins.
constexpr StartMenuButton START_MENU_BUTTONS[3] = {
    {{502, 419, 659, 451}, 502, 419},  // new game
    {{502, 449, 659, 481}, 502, 449},  // continue
    {{502, 479, 659, 511}, 502, 479},  // quit
};

extern int32_t StartMenuHover;

void RunStartMenu();
void UpdateStartMenu();
void DrawStartMenu();

}  // namespace tessera
