#pragma once
// The pictures every screen draws, loaded once from the menu folder before the
// start menu and released once after the main loop.
#include "gfx/image.h"

namespace tessera {

// One slot per picture, named after its file; a slot stays null when its
// picture did not load.
struct InterfaceImageSet {
  // start menu
  ImagePtr SM_BG;
  ImagePtr SM_NewGame;
  ImagePtr SM_Continue;
  ImagePtr SM_Quit;
  // play
  ImagePtr GameBG;
  ImagePtr TalkBar;
  ImagePtr Direction[4];
  ImagePtr RatioSpot[2];
  ImagePtr ClockBorder[8];
  ImagePtr PassGame;
  ImagePtr ResetGame;
  ImagePtr LevelTravelBG;
  // option menu (FrozenScreen belongs to this group too)
  ImagePtr OM_Boss_Item;
  ImagePtr OM_Boss;
  ImagePtr OM_Restart_Item;
  ImagePtr OM_Save_Item;
  ImagePtr OM_SaveLoad;
  ImagePtr OM_Settings_Item;
  ImagePtr OM_Settings;
  ImagePtr OM_Settings_Selected;
  ImagePtr OM_Settings_Bar;
  ImagePtr OM_Messagebox_BG;
  ImagePtr OM_Messagebox_Y;
  ImagePtr OM_Messagebox_N;
  ImagePtr OptionHint;
  // pointer
  ImagePtr Cursor;
};

extern InterfaceImageSet InterfaceImages;

// 800x600, allocated with the option-menu group; the option menu copies the
// screen into it when it opens.
extern ImagePtr FrozenScreen;

// Loads the groups start menu, play, option menu, pointer (each picture in its
// table order, numbered ones by ascending number) and points CursorImage at the
// loaded cursor. A picture that fails leaves its slot empty; loading goes on.
void LoadInterfaceImages();
// Releases the same groups in the same order and clears CursorImage.
void ReleaseInterfaceImages();

}  // namespace tessera
