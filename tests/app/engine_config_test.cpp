#include "app/engine_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.h"

namespace tessera {
namespace {

class EngineConfigTest : public ::testing::Test {
 protected:
  void Load(const std::string& ini) {
    if (!ini.empty()) dir.Write("System.ini", ini);
    test::ScopedWorkDir cd(dir.path());
    ReadEngineConfig();
  }
  test::ScratchDir dir;
};

TEST_F(EngineConfigTest, MissingFileGivesEveryDefault) {
  Load("");
  EXPECT_EQ(EngineConfig.FullScreen, 1);
  EXPECT_EQ(EngineConfig.Packaged, 1);
  EXPECT_EQ(EngineConfig.Language, LANGUAGE_CHINESE_SIMPLIFY);
  EXPECT_STREQ(EngineConfig.MenuPath, "Menu");
  EXPECT_STREQ(EngineConfig.PicturePath, "Picture");
  EXPECT_STREQ(EngineConfig.HeadPath, "Head");
  EXPECT_STREQ(EngineConfig.ScriptPath, "Script");
  EXPECT_STREQ(EngineConfig.LocalPath, "Localization");
  // The media folders default to the localization folder, not to their own names.
  EXPECT_STREQ(EngineConfig.MoviePath, "Localization");
  EXPECT_STREQ(EngineConfig.MusicPath, "Localization");
  EXPECT_STREQ(EngineConfig.BeginLevel, "");
}

TEST_F(EngineConfigTest, ComparisonsAreExactAndCaseSensitive) {
  Load("[setting]\nwindowed=true\npackaged=false\nlanguage=English\n");
  EXPECT_EQ(EngineConfig.FullScreen, 0);
  EXPECT_EQ(EngineConfig.Packaged, 0);
  EXPECT_EQ(EngineConfig.Language, LANGUAGE_ENGLISH);

  Load("[setting]\nwindowed=TRUE\npackaged=False\nlanguage=english\n");
  EXPECT_EQ(EngineConfig.FullScreen, 1);
  EXPECT_EQ(EngineConfig.Packaged, 1);
  EXPECT_EQ(EngineConfig.Language, LANGUAGE_CHINESE_SIMPLIFY);

  Load("[setting]\nwindowed=1\nlanguage=ChineseTraditional\n");
  EXPECT_EQ(EngineConfig.FullScreen, 1);
  EXPECT_EQ(EngineConfig.Language, LANGUAGE_CHINESE_TRADITIONAL);
  Load("[setting]\nlanguage=Japanese\n");
  EXPECT_EQ(EngineConfig.Language, LANGUAGE_JAPANESE);
}

TEST_F(EngineConfigTest, FoldersAndBeginLevelAreReadAndCut) {
  Load("[path]\nMusicPath=Tunes\nMoviePath=Films\n[debug]\nBeginLevel=" + std::string(200, 'L') + "\n");
  EXPECT_STREQ(EngineConfig.MusicPath, "Tunes");
  EXPECT_STREQ(EngineConfig.MoviePath, "Films");
  EXPECT_EQ(std::strlen(EngineConfig.BeginLevel), 127u);
}

TEST(WindowPositionTest, CentredOnlyWhenWindowedOnALargeEnoughScreen) {
  auto at = [](bool full, int w, int h) {
    WindowPlacement p = GameWindowPosition(full, w, h);
    return std::make_pair(p.x, p.y);
  };
  EXPECT_EQ(at(false, 800, 600), std::make_pair(0, 0));
  EXPECT_EQ(at(false, 1024, 768), std::make_pair(112, 84));
  EXPECT_EQ(at(false, 1025, 769), std::make_pair(112, 84));  // rounded toward zero
  EXPECT_EQ(at(false, 640, 480), std::make_pair(0, 0));
  EXPECT_EQ(at(false, 1024, 500), std::make_pair(0, 0));
  EXPECT_EQ(at(true, 1024, 768), std::make_pair(0, 0));
}

}  // namespace
}  // namespace tessera
