#include "screens/start_menu.h"

#include "app/frame_pump.h"
#include "app/input_state.h"
#include "game/game_state.h"
#include "game/interface_images.h"
#include "gfx/draw.h"
#include "gfx/present.h"
#include "media/sound.h"

namespace tessera {

int32_t StartMenuHover = -1;

namespace {

int32_t HitStartMenu(int32_t x, int32_t y) {
  for (int i = 0; i < 3; ++i)
    if (START_MENU_BUTTONS[i].area.Contains(x, y)) return i;
  return -1;
}

}  // namespace

void RunStartMenu() {
  while (GameState == STATE_START_MENU) {
    PumpFrame();
    UpdateStartMenu();
    DrawStartMenu();
    PresentFrame(BackBuffer);
  }
}

void UpdateStartMenu() {
  // Escape, which does nothing else here, opens the library: the start menu's
  // pictures belong to the campaign and have no free place for a button.
  if (InputState.KeyEvent == KEY_PRESSED && InputState.LastKey == VK_ESCAPE) {
    GameState = STATE_LIBRARY;
    return;
  }
  StartMenuHover = HitStartMenu(InputState.MouseX, InputState.MouseY);
  if (StartMenuHover != LastHoveredButton) {
    PlayEffect("Sound\\StartButtonMove.wav", false);
    LastHoveredButton = StartMenuHover;
  }
  if (InputState.MouseEvent != MOUSE_LEFT_UP || StartMenuHover == -1) return;
  PlayEffect("Sound\\StartButtonPress.wav", false);
  switch (StartMenuHover) {
    case 0:
      GameState = STATE_NEW_GAME;
      break;
    case 1:
      OptionPage = 3;
      ReturnState = STATE_START_MENU;
      GameState = STATE_OPTION_MENU;
      break;
    default:
      GameState = STATE_QUIT;
      break;
  }
}

void DrawStartMenu() {
  DrawImage(0, 0, InterfaceImages.SM_BG.get(), BackBuffer);
  const Image* highlight[3] = {InterfaceImages.SM_NewGame.get(), InterfaceImages.SM_Continue.get(),
                               InterfaceImages.SM_Quit.get()};
  if (StartMenuHover >= 0 && StartMenuHover < 3) {
    const StartMenuButton& b = START_MENU_BUTTONS[StartMenuHover];
    DrawImage(b.pictureX, b.pictureY, highlight[StartMenuHover], BackBuffer);
  }
}

}  // namespace tessera
