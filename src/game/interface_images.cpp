#include "game/interface_images.h"

#include <cstdio>
#include <vector>

#include "app/engine_config.h"
#include "gfx/bmp.h"
#include "gfx/present.h"

namespace tessera {

InterfaceImageSet InterfaceImages;
ImagePtr FrozenScreen;

namespace {

// One picture of the table: its file name (a "%d" format for numbered ones,
// numbered from 0) and its slot; a null name stands for FrozenScreen.
struct Entry {
  const char* file;
  ImagePtr* slot;
  int count;
};

using Group = std::vector<Entry>;

Group StartMenuGroup() {
  InterfaceImageSet& s = InterfaceImages;
  return {{"SM_BG.bmp", &s.SM_BG, 1},
          {"SM_NewGame.bmp", &s.SM_NewGame, 1},
          {"SM_Continue.bmp", &s.SM_Continue, 1},
          {"SM_Quit.bmp", &s.SM_Quit, 1}};
}

Group PlayGroup() {
  InterfaceImageSet& s = InterfaceImages;
  return {{"GameBG.bmp", &s.GameBG, 1},
          {"TalkBar.bmp", &s.TalkBar, 1},
          {"Direction%d.bmp", s.Direction, 4},
          {"RatioSpot%d.bmp", s.RatioSpot, 2},
          {"ClockBorder%d.bmp", s.ClockBorder, 8},
          {"PassGame.bmp", &s.PassGame, 1},
          {"ResetGame.bmp", &s.ResetGame, 1},
          {"LevelTravelBG.bmp", &s.LevelTravelBG, 1}};
}

Group OptionMenuGroup() {
  InterfaceImageSet& s = InterfaceImages;
  return {{nullptr, &FrozenScreen, 1},
          {"OM_Boss_Item.bmp", &s.OM_Boss_Item, 1},
          {"OM_Boss.bmp", &s.OM_Boss, 1},
          {"OM_Restart_Item.bmp", &s.OM_Restart_Item, 1},
          {"OM_Save_Item.bmp", &s.OM_Save_Item, 1},
          {"OM_SaveLoad.bmp", &s.OM_SaveLoad, 1},
          {"OM_Settings_Item.bmp", &s.OM_Settings_Item, 1},
          {"OM_Settings.bmp", &s.OM_Settings, 1},
          {"OM_Settings_Selected.bmp", &s.OM_Settings_Selected, 1},
          {"OM_Settings_Bar.bmp", &s.OM_Settings_Bar, 1},
          {"OM_Messagebox_BG.bmp", &s.OM_Messagebox_BG, 1},
          {"OM_Messagebox_Y.bmp", &s.OM_Messagebox_Y, 1},
          {"OM_Messagebox_N.bmp", &s.OM_Messagebox_N, 1},
          {"OptionHint.bmp", &s.OptionHint, 1}};
}

Group PointerGroup() { return {{"Cursor.bmp", &InterfaceImages.Cursor, 1}}; }

void Load(const Group& group) {
  ArchiveBatch batch;  // a group's pictures share one or two archives
  for (const Entry& entry : group) {
    if (!entry.file) {
      *entry.slot = CreateImage(SCREEN_WIDTH, SCREEN_HEIGHT);
      continue;
    }
    for (int d = 0; d < entry.count; ++d) {
      char name[64];
      if (entry.count > 1)
        std::snprintf(name, sizeof name, entry.file, d);
      else
        std::snprintf(name, sizeof name, "%s", entry.file);
      char path[1024];
      ComposePath(path, sizeof path, EngineConfig.MenuPath, name);
      entry.slot[d].reset();
      LoadBmpImage(path, entry.slot[d], 0);
    }
  }
}

void Release(const Group& group) {
  for (const Entry& entry : group)
    for (int d = 0; d < entry.count; ++d) entry.slot[d].reset();
}

}  // namespace

void LoadInterfaceImages() {
  Load(StartMenuGroup());
  Load(PlayGroup());
  Load(OptionMenuGroup());
  Load(PointerGroup());
  CursorImage = InterfaceImages.Cursor.get();
}

void ReleaseInterfaceImages() {
  Release(StartMenuGroup());
  Release(PlayGroup());
  Release(OptionMenuGroup());
  CursorImage = nullptr;  // before the picture it points at goes
  Release(PointerGroup());
}

}  // namespace tessera
