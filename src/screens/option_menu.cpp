#include "screens/option_menu.h"

#include <cstring>

#include "app/frame_pump.h"
#include "app/input_state.h"
#include "game/game_state.h"
#include "game/interface_images.h"
#include "game/level_definition.h"
#include "game/save_slots.h"
#include "game/settings.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"
#include "media/sound.h"
#include "screens/confirm_box.h"
#include "screens/screen_common.h"
#include "screens/slot_list.h"

namespace tessera {

int32_t SettingsHover = -1;

namespace {

void OpenConfirmBox(int32_t pending) {
  ConfirmState = CONFIRM_ASKING;
  ConfirmHover = CONFIRM_HOVER_NONE;
  PendingState = pending;
}

// After a yes, the state the box was opened for.
bool ActOnConfirmation() {
  if (ConfirmState != CONFIRM_CONFIRMED) return false;
  ConfirmState = CONFIRM_CLOSED;
  GameState = PendingState;
  return true;
}

void UpdateSlotPage(bool loading) {
  if (ConfirmState != CONFIRM_CONFIRMED) SelectedSlot = HitSlot();
  if (InputState.MouseEvent == MOUSE_LEFT_UP && SelectedSlot != -1) {
    if (!loading) {
      OpenConfirmBox(STATE_SAVE);
      return;
    }
    if (SaveSlots[SelectedSlot].IsEmpty == 0) {
      OpenConfirmBox(STATE_LOAD);
      return;
    }
  }
  ActOnConfirmation();
}

void UpdateSettingsPage() {
  SettingsHover = -1;
  for (int i = 0; i < 6; ++i)
    if (SETTINGS_AREAS[i].Contains(InputState.MouseX, InputState.MouseY)) {
      SettingsHover = i;
      break;
    }
  if (InputState.MouseEvent == MOUSE_LEFT_UP) {
    if (SettingsHover != -1) PlayEffect(SOUND_BUTTON_PRESS, false);
    switch (SettingsHover) {
      case SETTINGS_THREE_QUARTERS: GameSettings.MatchAll = 0; break;
      case SETTINGS_ALL_CELLS: GameSettings.MatchAll = 1; break;
      case SETTINGS_BACK_TO_GAME: OpenConfirmBox(ReturnState); break;
      case SETTINGS_EXIT_GAME: OpenConfirmBox(STATE_START_MENU); break;
      default: break;
    }
  }
  if (InputState.MouseEvent == MOUSE_LEFT_DOWN) {
    if (SettingsHover == SETTINGS_MUSIC_SLIDER) {
      GameSettings.MusicVolume = SliderValue(InputState.MouseX);
      SetMusicVolume(GameSettings.MusicVolume);
    } else if (SettingsHover == SETTINGS_SOUND_SLIDER) {
      GameSettings.SoundVolume = SliderValue(InputState.MouseX);
      SetSoundVolume(GameSettings.SoundVolume);
    }
  }
  ActOnConfirmation();
}

void DrawCentredPanel(const Image* panel) {
  if (panel) DrawImageKeyed((800 - panel->width) / 2, (600 - panel->height) / 2, panel, BackBuffer);
}

int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

}  // namespace

int32_t SliderValue(int32_t x) { return (100 * x - 36100) / 110; }

void RunOptionMenu() {
  if (!FrozenScreen || FrozenScreen->pixels.size() != static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT)
    FrozenScreen = CreateImage(SCREEN_WIDTH, SCREEN_HEIGHT);
  std::memcpy(FrozenScreen->pixels.data(), BackBuffer, sizeof BackBuffer);
  while (GameState == STATE_OPTION_MENU) {
    PumpFrame();
    UpdateOptionMenu();
    DrawOptionMenu();
    PresentFrame(BackBuffer);
  }
}

void UpdateOptionMenu() {
  if (ConfirmState == CONFIRM_ASKING) {
    UpdateConfirmBox();
    return;
  }
  if (OptionPage == OPTION_PAGE_BOSS) {
    if (InputState.MouseEvent == MOUSE_LEFT_UP || InputState.MouseEvent == MOUSE_RIGHT_UP ||
        InputState.KeyEvent == KEY_RELEASED) {
      GameState = ReturnState;
      PlayMusic(LevelDefinition.MusicPath, true);
    }
    return;
  }
  if (InputState.MouseEvent == MOUSE_RIGHT_UP) {
    GameState = ReturnState;
    return;
  }
  if (OptionPage == OPTION_PAGE_SAVE)
    UpdateSlotPage(false);
  else if (OptionPage == OPTION_PAGE_LOAD_SLOTS)
    UpdateSlotPage(true);
  else if (OptionPage == OPTION_PAGE_SETTINGS)
    UpdateSettingsPage();
}

void DrawOptionMenu() {
  const uint16_t grey = PackRgb(200, 200, 200);
  char text[256];
  if (OptionPage == OPTION_PAGE_BOSS) {
    DrawImage(0, 0, InterfaceImages.OM_Boss.get(), BackBuffer);
  } else if (OptionPage == OPTION_PAGE_SAVE || OptionPage == OPTION_PAGE_LOAD_SLOTS) {
    DrawImage(0, 0, FrozenScreen.get(), BackBuffer);
    DrawCentredPanel(InterfaceImages.OM_SaveLoad.get());
    MenuText(OptionPage == OPTION_PAGE_SAVE ? "Save" : "Load", text);
    DrawCaption(OPTION_CAPTION_SIZE, grey, 400 - 5 * Length(text), 93, text);
    DrawSlotList();
  } else if (OptionPage == OPTION_PAGE_SETTINGS) {
    DrawImage(0, 0, FrozenScreen.get(), BackBuffer);
    DrawCentredPanel(InterfaceImages.OM_Settings.get());
    MenuText("Setting", text);
    DrawCaption(OPTION_CAPTION_SIZE, grey, 395 - 5 * Length(text), 208, text);
    DrawImage(GameSettings.MatchAll == 1 ? 411 : 351, 252, InterfaceImages.OM_Settings_Selected.get(), BackBuffer);
    DrawImage(361 + 110 * GameSettings.MusicVolume / 100, 295, InterfaceImages.OM_Settings_Bar.get(), BackBuffer);
    DrawImage(361 + 110 * GameSettings.SoundVolume / 100, 323, InterfaceImages.OM_Settings_Bar.get(), BackBuffer);
    const uint16_t bright = PackRgb(250, 250, 250);
    MenuText("RestartGame", text);
    DrawCaption(OPTION_CAPTION_SIZE, SettingsHover == SETTINGS_BACK_TO_GAME ? bright : grey, 335 - 5 * Length(text),
                382, text);
    MenuText("ExitGame", text);
    DrawCaption(OPTION_CAPTION_SIZE, SettingsHover == SETTINGS_EXIT_GAME ? bright : grey, 462 - 5 * Length(text),
                382, text);
  }
  DrawConfirmBox();
}

}  // namespace tessera
