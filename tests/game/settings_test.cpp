#include <gtest/gtest.h>

#include "game/settings.h"
#include "game_data_fixtures.h"
#include "gfx/pixel_format.h"

namespace tessera::datatest {
namespace {

class SettingsTest : public GameDataTest {};

TEST_F(SettingsTest, ColourTextIsThreeGroupsOfThreeDigits) {
  EXPECT_EQ(ParseColor("000000000"), PackRgb(0, 0, 0));
  EXPECT_EQ(ParseColor("255255255"), 0xFFFF);
  EXPECT_EQ(ParseColor("255128000"), PackRgb(255, 128, 0));
  EXPECT_EQ(ParseColor("000000255"), PackRgb(0, 0, 255));
  // Each group is read on its own: no group borrows its neighbour's digits.
  EXPECT_EQ(ParseColor("001002003"), PackRgb(1, 2, 3));
  EXPECT_NE(ParseColor("000255000"), ParseColor("002550000"));
}

TEST_F(SettingsTest, GroupsAboveAByteKeepTheirLowBits) {
  EXPECT_EQ(UnpackPixel(ParseColor("300000000")), UnpackPixel(PackRgb(44, 0, 0)));
  EXPECT_EQ(ParseColor("000300000"), PackRgb(0, 44, 0));
  EXPECT_EQ(ParseColor("000000999"), PackRgb(0, 0, 999 & 0xFF));
  EXPECT_EQ(ParseColor("256256256"), PackRgb(0, 0, 0));
}

TEST_F(SettingsTest, ShortOrMalformedColourTextsGiveBlackOrTheirDigits) {
  EXPECT_EQ(ParseColor("0"), PackRgb(0, 0, 0));
  EXPECT_EQ(ParseColor(""), PackRgb(0, 0, 0));
  EXPECT_EQ(ParseColor("25525525"), PackRgb(0, 0, 0));
  EXPECT_EQ(ParseColor(nullptr), PackRgb(0, 0, 0));
  // Past nine characters nothing counts; non-digits read as 0.
  EXPECT_EQ(ParseColor("255000000255"), PackRgb(255, 0, 0));
  EXPECT_EQ(ParseColor("abc255xyz"), PackRgb(0, 255, 0));
  EXPECT_EQ(ParseColor("12a255999"), PackRgb(12, 255, 999 & 0xFF));
}

TEST_F(SettingsTest, GameIniFillsTheFiveTalkColours) {
  Write("Game.ini", IniText()
                        .Section("Color")  // any letter case
                        .Key("color1", "255000000")
                        .Key("COLOR2", "000255000")
                        .Key("color3", "000000255")
                        .Key("color5", "255255255")
                        .Key("color6", "255255000")
                        .str());
  ReadGameSettings();
  EXPECT_EQ(TalkColors[0], PackRgb(255, 0, 0));
  EXPECT_EQ(TalkColors[1], PackRgb(0, 255, 0));
  EXPECT_EQ(TalkColors[2], PackRgb(0, 0, 255));
  EXPECT_EQ(TalkColors[3], PackRgb(0, 0, 0));  // missing: "0"
  EXPECT_EQ(TalkColors[4], 0xFFFF);
}

TEST_F(SettingsTest, MissingGameIniGivesBlackAndSettingsGoBackToDefaults) {
  for (uint16_t& colour : TalkColors) colour = 0x1234;
  GameSettings.MatchAll = 0;
  GameSettings.MusicVolume = 20;
  GameSettings.SoundVolume = 0;
  ReadGameSettings();
  for (uint16_t colour : TalkColors) EXPECT_EQ(colour, PackRgb(0, 0, 0));
  EXPECT_EQ(GameSettings.MatchAll, 1);
  EXPECT_EQ(GameSettings.MusicVolume, 100);
  EXPECT_EQ(GameSettings.SoundVolume, 100);
}

}  // namespace
}  // namespace tessera::datatest
