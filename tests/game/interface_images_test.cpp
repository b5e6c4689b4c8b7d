#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/interface_images.h"
#include "game_data_fixtures.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"

namespace tessera::datatest {
namespace {

class InterfaceImagesTest : public GameDataTest {
 protected:
  ~InterfaceImagesTest() override { ReleaseInterfaceImages(); }
  void Picture(const std::string& name, int width, int height, uint8_t red = 10) {
    Write("Menu/" + name, SolidBmp(width, height, red, 20, 30));
  }
};

TEST_F(InterfaceImagesTest, EveryPictureLandsInItsOwnSlot) {
  Picture("SM_BG.bmp", 8, 6);
  Picture("GameBG.bmp", 9, 6);
  // Numbered pictures: the number decides the slot.
  for (int d = 0; d < 4; ++d) Picture("Direction" + std::to_string(d) + ".bmp", 10 + d, 2);
  for (int d = 0; d < 8; ++d) Picture("ClockBorder" + std::to_string(d) + ".bmp", 20 + d, 3);
  Picture("OM_Settings_Bar.bmp", 5, 7);
  Picture("OptionHint.bmp", 11, 4);
  Picture("Cursor.bmp", 4, 4, 250);

  LoadInterfaceImages();
  const InterfaceImageSet& ui = InterfaceImages;
  ASSERT_TRUE(ui.SM_BG);
  EXPECT_EQ(ui.SM_BG->width, 8);
  ASSERT_TRUE(ui.GameBG);
  EXPECT_EQ(ui.GameBG->width, 9);
  for (int d = 0; d < 4; ++d) {
    ASSERT_TRUE(ui.Direction[d]) << d;
    EXPECT_EQ(ui.Direction[d]->width, 10 + d);
  }
  for (int d = 0; d < 8; ++d) {
    ASSERT_TRUE(ui.ClockBorder[d]) << d;
    EXPECT_EQ(ui.ClockBorder[d]->width, 20 + d);
  }
  ASSERT_TRUE(ui.OM_Settings_Bar);
  EXPECT_EQ(ui.OM_Settings_Bar->height, 7);
  ASSERT_TRUE(ui.OptionHint);
  EXPECT_EQ(ui.OptionHint->width, 11);
  ASSERT_TRUE(ui.Cursor);
  EXPECT_EQ(CursorImage, ui.Cursor.get());
  EXPECT_EQ(ui.Cursor->At(0, 0), PackRgb(250, 20, 30));

  // What was not there stays empty and nothing stops.
  EXPECT_FALSE(ui.SM_NewGame);
  EXPECT_FALSE(ui.RatioSpot[0]);
  EXPECT_FALSE(ui.OM_Boss);
  EXPECT_FALSE(ui.LevelTravelBG);
}

TEST_F(InterfaceImagesTest, FrozenScreenIsAScreenSizedPictureWhateverLoads) {
  LoadInterfaceImages();
  ASSERT_TRUE(FrozenScreen);
  EXPECT_EQ(FrozenScreen->width, SCREEN_WIDTH);
  EXPECT_EQ(FrozenScreen->height, SCREEN_HEIGHT);
  EXPECT_EQ(FrozenScreen->pixels.size(), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  EXPECT_FALSE(InterfaceImages.SM_BG);
  EXPECT_FALSE(InterfaceImages.Cursor);
  EXPECT_EQ(CursorImage, nullptr);
}

TEST_F(InterfaceImagesTest, ReleaseEmptiesEverySlotAndTheCursor) {
  Picture("SM_Quit.bmp", 3, 3);
  Picture("RatioSpot1.bmp", 3, 3);
  Picture("OM_Messagebox_N.bmp", 3, 3);
  Picture("Cursor.bmp", 2, 2);
  LoadInterfaceImages();
  ASSERT_TRUE(InterfaceImages.SM_Quit);
  ASSERT_TRUE(InterfaceImages.RatioSpot[1]);
  ASSERT_NE(CursorImage, nullptr);

  ReleaseInterfaceImages();
  EXPECT_FALSE(InterfaceImages.SM_Quit);
  EXPECT_FALSE(InterfaceImages.RatioSpot[1]);
  EXPECT_FALSE(InterfaceImages.OM_Messagebox_N);
  EXPECT_FALSE(InterfaceImages.Cursor);
  EXPECT_FALSE(FrozenScreen);
  EXPECT_EQ(CursorImage, nullptr);
  ReleaseInterfaceImages();  // a second release finds nothing to release
  EXPECT_EQ(CursorImage, nullptr);
}

TEST_F(InterfaceImagesTest, PicturesComeFromTheConfiguredMenuFolder) {
  Write("Skin/Blue/TalkBar.bmp", SolidBmp(7, 2, 0, 0, 255));
  Picture("TalkBar.bmp", 3, 3);
  std::strcpy(EngineConfig.MenuPath, "Skin\\Blue");
  LoadInterfaceImages();
  ASSERT_TRUE(InterfaceImages.TalkBar);
  EXPECT_EQ(InterfaceImages.TalkBar->width, 7);

  // Loading again replaces the pictures rather than keeping stale ones.
  std::strcpy(EngineConfig.MenuPath, "Menu");
  LoadInterfaceImages();
  ASSERT_TRUE(InterfaceImages.TalkBar);
  EXPECT_EQ(InterfaceImages.TalkBar->width, 3);
}

}  // namespace
}  // namespace tessera::datatest
