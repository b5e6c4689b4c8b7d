#include "app/user_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/profile.h"
#include "support/test_support.h"

namespace tessera {
namespace {

TEST(UserConfigTest, WrittenSettingsReadBackAndUnsetOnesStayUnset) {
  test::ScratchDir dir;
  const std::filesystem::path file = dir / "deep/er/tessera.ini";
  UserConfig config;
  config.lastGame = "/home/p/.local/share/tessera/campaigns/my holiday";
  config.fullScreen = false;
  config.scale = 3;
  config.windowWidth = 1280;
  config.windowHeight = 960;
  ASSERT_TRUE(SaveUserConfig(config, file));
  ClearProfileCache();
  UserConfig back = LoadUserConfig(file);
  EXPECT_EQ(back.lastGame, config.lastGame);
  EXPECT_EQ(back.fullScreen, std::optional<bool>(false));
  EXPECT_EQ(back.scale, 3);
  EXPECT_EQ(back.windowWidth, 1280);
  EXPECT_EQ(back.windowHeight, 960);
  EXPECT_FALSE(back.smooth.has_value());

  back = LoadUserConfig(dir / "missing.ini");
  EXPECT_TRUE(back.lastGame.empty());
  EXPECT_FALSE(back.fullScreen.has_value());
  EXPECT_EQ(back.scale, 0);
}

TEST(UserConfigTest, BadValuesAreIgnoredAndAFailedWriteKeepsTheOldFile) {
  test::ScratchDir dir;
  dir.Write("tessera.ini", "[window]\nfullscreen=yes\nscale=17\nwidth=-5\nheight=12x\nsmooth=true\n");
  ClearProfileCache();
  UserConfig config = LoadUserConfig(dir / "tessera.ini");
  EXPECT_FALSE(config.fullScreen.has_value());
  EXPECT_EQ(config.scale, 0);
  EXPECT_EQ(config.windowWidth, 0);
  EXPECT_EQ(config.windowHeight, 0);
  EXPECT_EQ(config.smooth, std::optional<bool>(true));

  dir.Write("blocked", "a file where the folder should be");
  EXPECT_FALSE(SaveUserConfig(config, dir / "blocked/tessera.ini"));
  EXPECT_FALSE(SaveUserConfig(config, ""));
}

TEST(UserConfigTest, CommandLineBeatsThePlayerWhoBeatsSystemIni) {
  UserConfig player;
  EXPECT_TRUE(ChooseFullScreen(std::nullopt, player, true));
  EXPECT_FALSE(ChooseFullScreen(std::nullopt, player, false));
  player.fullScreen = false;
  EXPECT_FALSE(ChooseFullScreen(std::nullopt, player, true));
  EXPECT_TRUE(ChooseFullScreen(true, player, false));
  player.fullScreen = true;
  EXPECT_FALSE(ChooseFullScreen(false, player, true));
  EXPECT_TRUE(ChooseFullScreen(std::nullopt, player, false));

  EXPECT_EQ(ChooseScale(0, player), 0);
  player.scale = 2;
  EXPECT_EQ(ChooseScale(0, player), 2);
  EXPECT_EQ(ChooseScale(4, player), 4);
}

}  // namespace
}  // namespace tessera
