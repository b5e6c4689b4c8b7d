#include "app/user_config.h"

#include <gtest/gtest.h>

#include "app/profile.h"
#include "support/test_support.h"

namespace tessera {
namespace {

TEST(UserConfigTest, SettingsReadBackBadOnesStayUnsetAndAFailedWriteSaysSo) {
  test::ScratchDir dir;
  UserConfig config;
  config.lastGame = "/home/p/.local/share/tessera/campaigns/my trip";
  config.fullScreen = false;
  config.scale = 3;
  ASSERT_TRUE(SaveUserConfig(config, dir / "deep/er/tessera.ini"));
  ClearProfileCache();
  UserConfig back = LoadUserConfig(dir / "deep/er/tessera.ini");
  EXPECT_EQ(back.lastGame, config.lastGame);
  EXPECT_EQ(back.fullScreen, std::optional<bool>(false));
  EXPECT_EQ(back.scale, 3);
  EXPECT_FALSE(back.smooth.has_value());

  dir.Write("bad.ini", "[window]\nfullscreen=yes\nscale=17\nwidth=-5\nheight=12x\nsmooth=true\n");
  back = LoadUserConfig(dir / "bad.ini");
  EXPECT_FALSE(back.fullScreen.has_value());
  EXPECT_EQ(back.scale + back.windowWidth + back.windowHeight, 0);
  EXPECT_EQ(back.smooth, std::optional<bool>(true));

  dir.Write("blocked", "a file where the folder should be");
  EXPECT_FALSE(SaveUserConfig(config, dir / "blocked/tessera.ini"));
}

TEST(UserConfigTest, CommandLineBeatsThePlayerWhoBeatsSystemIni) {
  UserConfig player;  // nothing set
  EXPECT_FALSE(ChooseFullScreen(std::nullopt, player, false));
  player.fullScreen = true;
  EXPECT_TRUE(ChooseFullScreen(std::nullopt, player, false));
  EXPECT_FALSE(ChooseFullScreen(false, player, true));
  EXPECT_EQ(ChooseScale(0, player), 0);
  player.scale = 2;
  EXPECT_EQ(ChooseScale(0, player), 2);
  EXPECT_EQ(ChooseScale(4, player), 4);
}

}  // namespace
}  // namespace tessera
