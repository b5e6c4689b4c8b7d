#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/settings.h"
#include "game_data_fixtures.h"
#include "gfx/pixel_format.h"

namespace tessera::datatest {
namespace {

class LevelScriptTest : public GameDataTest {
 protected:
  LevelScriptTest() {
    // Distinct talk colours, so a line's colour tells which key it came from.
    Write("Game.ini", IniText()
                          .Section("color")
                          .Key("color1", "255000000")
                          .Key("color2", "000255000")
                          .Key("color3", "000000255")
                          .Key("color4", "255255000")
                          .Key("color5", "000255255")
                          .str());
    ReadGameSettings();
  }

  void WriteScript(const IniText& script) { Write("Script/ScriptEntry.txt", script.str()); }
  void WriteTexts(const IniText& texts) { Write("Localization/Localization.txt", texts.str()); }

  LevelDefinitionRecord Read(const char* section) {
    LevelDefinitionRecord level;
    ReadLevelDefinition(section, level);
    return level;
  }
};

TEST_F(LevelScriptTest, LayersOnlySectionTakesEveryOtherDefault) {
  WriteScript(IniText()
                  .Section("Level03")
                  .Key("BlendPictureNum", 3)
                  .Key("BlendPicture00", "sea")
                  .Key("BlendPicture01", "sky")
                  .Key("BlendPicture02", "sand")
                  .Key("BeginTalkNum", 0)
                  .Key("EndTalkNum", 0));
  const LevelDefinitionRecord level = Read("Level03");
  EXPECT_EQ(level.SectionFound, 1);
  EXPECT_EQ(level.BlendPictureNum, 3);
  EXPECT_STREQ(level.LayerPaths[0], "Picture\\sea.bmp");
  EXPECT_STREQ(level.LayerPaths[2], "Picture\\sand.bmp");
  EXPECT_STREQ(level.LayerPaths[3], "");
  EXPECT_EQ(level.SplitSize, 100);
  EXPECT_EQ(level.LimitedTime, 120);
  EXPECT_EQ(level.StoneRation, 100);
  EXPECT_EQ(level.StaticSpiderNum, 0);
  EXPECT_EQ(level.DynamicSpiderNum, 0);
  EXPECT_STREQ(level.Goto, "Level00");
  EXPECT_EQ(level.TalkerHeadNum, 1);
  EXPECT_STREQ(level.TalkerHeadPaths[0], "Head\\.bmp");
  EXPECT_EQ(level.BeginTalkNum, 0);
  EXPECT_EQ(level.EndTalkNum, 0);
  EXPECT_EQ(level.SelectionTalkNum, 0);
  EXPECT_EQ(level.LevelEndPlay.kind, -1);
  EXPECT_STREQ(level.LevelName, "");
  EXPECT_STREQ(level.MusicPath, "Localization\\");
  std::string reason;
  EXPECT_TRUE(LevelDefinitionPlayable(level, reason)) << reason;
}

TEST_F(LevelScriptTest, MissingSectionOrScriptReadsAsDefaultsAndIsRefused) {
  WriteScript(IniText().Section("Level00").Key("LevelName", "First"));
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      ASSERT_NO_FATAL_FAILURE(test::RemoveOrFail(Path("Script/ScriptEntry.txt")));
    }
    const LevelDefinitionRecord level = Read("Level07");
    EXPECT_EQ(level.SectionFound, 0);
    EXPECT_EQ(level.BlendPictureNum, 2);
    EXPECT_STREQ(level.LayerPaths[0], "Picture\\.bmp");
    EXPECT_STREQ(level.LayerPaths[1], "Picture\\.bmp");
    EXPECT_EQ(level.TalkerHeadNum, 1);
    EXPECT_EQ(level.BeginTalkNum, 1);
    EXPECT_EQ(level.EndTalkNum, 1);
    EXPECT_STREQ(level.BeginTalk[0].text, "");
    EXPECT_EQ(level.BeginTalk[0].speaker, 0);
    EXPECT_EQ(level.BeginTalk[0].colour, TalkColors[0]);
    EXPECT_STREQ(level.Goto, "Level00");
    std::string reason;
    EXPECT_FALSE(LevelDefinitionPlayable(level, reason));
    const std::string message = LevelRefusalMessage("Level07", reason);
    EXPECT_NE(message.find("Level07"), std::string::npos) << message;
    EXPECT_NE(message.find("no such level"), std::string::npos) << message;
  }
}

TEST_F(LevelScriptTest, WholeLevelWithTalkChoicesAndEndPlays) {
  EngineConfig.MusicPath[0] = '\0';
  std::strcpy(EngineConfig.MusicPath, "Music");
  WriteTexts(IniText()
                 .Section("Menu")
                 .Key("Hello", "menu hello")
                 .Section("Talk")
                 .Key("Hello", "Good morning.")
                 .Key("Bye", "See you.")
                 .Key("Left", "Take the left road")
                 .Key("Right", "Take the right road")
                 .Key("Stay", "Stay here"));
  WriteScript(IniText()
                  .Section("Level05")
                  .Key("LevelName", "The Harbour")
                  .Key("BGMusicName", "harbour.wav")
                  .Key("BlendPictureNum", 2)
                  .Key("BlendPicture00", "h0")
                  .Key("BlendPicture01", "h1")
                  .Key("SplitSize", 25)
                  .Key("LimitedTime", 90)
                  .Key("StoneRation", -1)
                  .Key("StaticSpiderNum", 2)
                  .Key("DynamicSpiderNum", 1)
                  .Key("TalkerHeadNum", 2)
                  .Key("TalkerHead00", "girl")
                  .Key("TalkerHead01", "sailor")
                  .Key("BeginTalkNum", 2)
                  .Key("BeginTalk00", "TalkerHead01:3+Hello")
                  .Key("BeginTalk01", "TalkerHead00:5+Bye")
                  .Key("EndTalkNum", 1)
                  .Key("EndTalk00", "TalkerHead01:2+Missing")
                  .Key("Goto", "Level09")
                  .Key("SelectionTalkNum", 3)
                  .Key("SelectionTalk00", "TalkerHead00:4+Left")
                  .Key("SelectionTalk01", "TalkerHead00:1+Right")
                  .Key("SelectionTalk02", "TalkerHead01:2+Stay")
                  .Key("SelectionTalk03", "TalkerHead01:2+Hello")
                  .Key("Goto00", "Level06")
                  .Key("Goto01", "GameEnd")
                  .Key("Goto03", "Level99")
                  .Key("EndPlay", "avi+harbour")
                  .Key("EndPlay00", "pic+left")
                  .Key("EndPlay02", "movie+stay")
                  .Key("EndPlay03", "pic+never"));
  const LevelDefinitionRecord level = Read("Level05");
  EXPECT_STREQ(level.LevelName, "The Harbour");
  EXPECT_STREQ(level.MusicPath, "Music\\harbour.wav");
  EXPECT_STREQ(level.LayerPaths[1], "Picture\\h1.bmp");
  EXPECT_EQ(level.SplitSize, 25);
  EXPECT_EQ(level.LimitedTime, 90);
  EXPECT_EQ(level.StoneRation, -1);
  EXPECT_EQ(level.StaticSpiderNum, 2);
  EXPECT_EQ(level.DynamicSpiderNum, 1);
  EXPECT_STREQ(level.TalkerHeadPaths[1], "Head\\sailor.bmp");

  EXPECT_EQ(level.BeginTalk[0].speaker, 1);
  EXPECT_EQ(level.BeginTalk[0].colour, PackRgb(0, 0, 255));
  EXPECT_STREQ(level.BeginTalk[0].text, "Good morning.");
  EXPECT_EQ(level.BeginTalk[1].speaker, 0);
  EXPECT_EQ(level.BeginTalk[1].colour, PackRgb(0, 255, 255));
  EXPECT_STREQ(level.BeginTalk[1].text, "See you.");
  EXPECT_STREQ(level.EndTalk[0].text, "");  // a key the texts lack reads empty
  EXPECT_EQ(level.EndTalk[0].colour, PackRgb(0, 255, 0));

  EXPECT_STREQ(level.Goto, "Level09");
  ASSERT_EQ(level.SelectionTalkNum, 3);
  EXPECT_EQ(level.SelectionColour, PackRgb(255, 255, 0));  // the first choice's digit 4
  EXPECT_STREQ(level.SelectionText[0], "Take the left road");
  EXPECT_STREQ(level.SelectionText[2], "Stay here");
  EXPECT_STREQ(level.SelectionText[3], "");  // beyond the count: not read
  EXPECT_STREQ(level.SelectionGoto[0], "Level06");
  EXPECT_STREQ(level.SelectionGoto[1], "GameEnd");
  EXPECT_STREQ(level.SelectionGoto[2], "Level00");
  EXPECT_STREQ(level.SelectionGoto[3], "");
  EXPECT_EQ(level.LevelEndPlay.kind, 0);
  EXPECT_STREQ(level.LevelEndPlay.name, "harbour");
  EXPECT_EQ(level.SelectionEndPlay[0].kind, 1);
  EXPECT_STREQ(level.SelectionEndPlay[0].name, "left");
  EXPECT_EQ(level.SelectionEndPlay[1].kind, -1);
  EXPECT_EQ(level.SelectionEndPlay[2].kind, -1);
  EXPECT_STREQ(level.SelectionEndPlay[2].name, "stay");
  EXPECT_EQ(level.SelectionEndPlay[3].kind, -1);
  EXPECT_STREQ(level.SelectionEndPlay[3].name, "");
}

TEST_F(LevelScriptTest, ReadingTheCurrentLevelReplacesEverythingOfTheLastOne) {
  WriteScript(IniText()
                  .Section("Big")
                  .Key("BlendPictureNum", 5)
                  .Key("BlendPicture04", "five")
                  .Key("SelectionTalkNum", 2)
                  .Key("Goto01", "Elsewhere")
                  .Section("Small")
                  .Key("BlendPictureNum", 1)
                  .Key("BlendPicture00", "one"));
  SetCurrentLevelName("Big");
  ReadLevelDefinition();
  EXPECT_STREQ(LevelDefinition.LayerPaths[4], "Picture\\five.bmp");
  EXPECT_STREQ(LevelDefinition.SelectionGoto[1], "Elsewhere");
  SetCurrentLevelName("small");  // sections match whatever their letter case
  ReadLevelDefinition();
  EXPECT_EQ(LevelDefinition.SectionFound, 1);
  EXPECT_EQ(LevelDefinition.BlendPictureNum, 1);
  EXPECT_STREQ(LevelDefinition.LayerPaths[0], "Picture\\one.bmp");
  EXPECT_STREQ(LevelDefinition.LayerPaths[4], "");
  EXPECT_EQ(LevelDefinition.SelectionTalkNum, 0);
  EXPECT_STREQ(LevelDefinition.SelectionGoto[1], "");
}

TEST_F(LevelScriptTest, CountsAboveTheTablesHoldOnlyTheLimits) {
  IniText script;
  script.Section("Crowd")
      .Key("BlendPictureNum", 7)
      .Key("TalkerHeadNum", 75)
      .Key("BeginTalkNum", 45)
      .Key("EndTalkNum", 31)
      .Key("SelectionTalkNum", 9)
      .Key("StaticSpiderNum", 12)
      .Key("DynamicSpiderNum", -3);
  for (int i = 0; i < 8; ++i) script.Key("BlendPicture0" + std::to_string(i), "layer" + std::to_string(i));
  script.Key("TalkerHead59", "last").Key("BeginTalk29", "TalkerHead59:2+x").Key("BeginTalk30", "TalkerHead02:3+y");
  script.Key("Goto04", "Fifth").Key("Goto05", "Sixth");
  WriteScript(script);

  const LevelDefinitionRecord level = Read("Crowd");
  EXPECT_EQ(level.BlendPictureNum, 7);  // kept, so that the level is refused
  EXPECT_STREQ(level.LayerPaths[4], "Picture\\layer4.bmp");
  EXPECT_EQ(level.TalkerHeadNum, MAX_TALKER_HEADS);
  EXPECT_STREQ(level.TalkerHeadPaths[59], "Head\\last.bmp");
  EXPECT_EQ(level.BeginTalkNum, MAX_TALK_LINES);
  EXPECT_EQ(level.BeginTalk[29].speaker, 59);
  EXPECT_EQ(level.EndTalkNum, MAX_TALK_LINES);
  EXPECT_EQ(level.SelectionTalkNum, MAX_SELECTIONS);
  EXPECT_STREQ(level.SelectionGoto[4], "Fifth");
  EXPECT_EQ(level.StaticSpiderNum, 5);
  EXPECT_EQ(level.DynamicSpiderNum, 0);

  std::string reason;
  EXPECT_FALSE(LevelDefinitionPlayable(level, reason));
  EXPECT_NE(reason.find("7 pictures"), std::string::npos) << reason;
}

TEST_F(LevelScriptTest, NegativeAndNonNumericCountsReadNoNumberedKeys) {
  WriteScript(IniText()
                  .Section("Odd")
                  .Key("BlendPictureNum", "-2")
                  .Key("BlendPicture00", "never")
                  .Key("TalkerHeadNum", "many")
                  .Key("TalkerHead00", "never")
                  .Key("BeginTalkNum", "-1")
                  .Key("SplitSize", "fifty")
                  .Key("LimitedTime", "")
                  .Key("Goto", ""));
  const LevelDefinitionRecord level = Read("Odd");
  // A key written with no value is an empty text, not its default.
  EXPECT_EQ(level.LimitedTime, 0);
  EXPECT_STREQ(level.Goto, "");
  EXPECT_EQ(level.BlendPictureNum, -2);
  EXPECT_STREQ(level.LayerPaths[0], "");
  EXPECT_EQ(level.TalkerHeadNum, 0);
  EXPECT_STREQ(level.TalkerHeadPaths[0], "");
  EXPECT_EQ(level.BeginTalkNum, 0);
  EXPECT_EQ(level.SplitSize, 0);
  std::string reason;
  EXPECT_FALSE(LevelDefinitionPlayable(level, reason));
  EXPECT_NE(reason.find("no pictures"), std::string::npos) << reason;
}

TEST_F(LevelScriptTest, OnlyPieceSizesThatTileTheBoardArePlayable) {
  LevelDefinitionRecord level;
  level.SectionFound = 1;
  level.BlendPictureNum = 1;
  std::string reason;
  for (int size : {25, 50, 100}) {
    level.SplitSize = size;
    EXPECT_TRUE(LevelDefinitionPlayable(level, reason)) << size;
  }
  for (int size : {0, 24, 30, 99, 101, 500, -25}) {
    level.SplitSize = size;
    EXPECT_FALSE(LevelDefinitionPlayable(level, reason)) << size;
    EXPECT_NE(reason.find(std::to_string(size)), std::string::npos) << reason;
  }
  level.SplitSize = 50;
  level.BlendPictureNum = 5;
  EXPECT_TRUE(LevelDefinitionPlayable(level, reason));
  level.BlendPictureNum = 6;
  EXPECT_FALSE(LevelDefinitionPlayable(level, reason));
}

TEST_F(LevelScriptTest, OverlongValuesAreCutToTheirFields) {
  const std::string name(200, 'n');
  const std::string picture(126, 'p');
  WriteScript(IniText()
                  .Section("Long")
                  .Key("LevelName", name)
                  .Key("BlendPictureNum", 1)
                  .Key("BlendPicture00", picture)
                  .Key("BeginTalkNum", 1)
                  .Key("BeginTalk00", "TalkerHead00:1+" + std::string(300, 'k')));
  WriteTexts(IniText().Section("Talk").Key(std::string(127, 'k'), "cut key"));
  const LevelDefinitionRecord level = Read("Long");
  EXPECT_EQ(std::strlen(level.LevelName), 127u);
  EXPECT_EQ(std::string(level.LayerPaths[0]), ("Picture\\" + picture + ".bmp").substr(0, 127));
  // The talk value is cut to 255 bytes and its key to 127.
  EXPECT_STREQ(level.BeginTalk[0].text, "cut key");
}

TEST_F(LevelScriptTest, PackagedGamesReadScriptDatFromTheWorkingFolder) {
  Write("Script.dat", IniText().Section("Level00").Key("LevelName", "packaged").str());
  WriteScript(IniText().Section("Level00").Key("LevelName", "loose"));
  EngineConfig.Packaged = 1;
  EXPECT_STREQ(LevelScriptName(), "Script.dat");
  EXPECT_STREQ(Read("Level00").LevelName, "packaged");
  EngineConfig.Packaged = 0;
  EXPECT_STREQ(LevelScriptName(), "ScriptEntry.txt");
  EXPECT_STREQ(Read("Level00").LevelName, "loose");
  std::strcpy(EngineConfig.ScriptPath, "Elsewhere");
  EXPECT_EQ(Read("Level00").SectionFound, 0);
  char path[1024];
  LevelScriptPath(path, sizeof path);
  EXPECT_STREQ(path, "Elsewhere\\ScriptEntry.txt");
}

TEST(TalkValueRules, SpeakerIsTheTalkerHeadKeyBeforeTheFirstColon) {
  EXPECT_EQ(FindTalkerHead("TalkerHead00:1+a"), 0);
  EXPECT_EQ(FindTalkerHead("TalkerHead07:3+a"), 7);
  EXPECT_EQ(FindTalkerHead("TalkerHead59:3+a"), 59);
  EXPECT_EQ(FindTalkerHead("TalkerHead60:3+a"), 0);
  EXPECT_EQ(FindTalkerHead("Nobody:3+a"), 0);
  EXPECT_EQ(FindTalkerHead("talkerhead04:3+a"), 0);  // byte for byte
  EXPECT_EQ(FindTalkerHead("TalkerHead4:3+a"), 0);
  EXPECT_EQ(FindTalkerHead("TalkerHead044:3+a"), 0);
  EXPECT_EQ(FindTalkerHead("TalkerHead12:x:4+a"), 12);  // several colons
  EXPECT_EQ(FindTalkerHead("TalkerHead12"), 12);
  EXPECT_EQ(FindTalkerHead(""), 0);
  EXPECT_EQ(FindTalkerHead(":3+a"), 0);
  EXPECT_EQ(FindTalkerHead(nullptr), 0);
}

TEST(TalkValueRules, ColourDigitAfterTheLastColonPicksOneOfFive) {
  EXPECT_EQ(TalkColourIndex("TalkerHead00:1+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:3+a"), 2);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:5+a"), 4);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:0+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:6+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:7+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:9+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:b+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:+a"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:2:4+a"), 3);  // the last colon counts
  EXPECT_EQ(TalkColourIndex("TalkerHead00:4+a:x"), 0);
  EXPECT_EQ(TalkColourIndex("TalkerHead00:"), 0);
  EXPECT_EQ(TalkColourIndex("no colon at all"), 0);
  EXPECT_EQ(TalkColourIndex(""), 0);
  EXPECT_EQ(TalkColourIndex(nullptr), 0);
}

TEST(EndPlayRules, KindFromTheTextBeforeTheFirstPlusNameAfterTheLast) {
  struct Case {
    const char* value;
    int kind;
    const char* name;
  };
  const Case cases[] = {
      {"", -1, ""},
      {"avi+opening", 0, "opening"},
      {"pic+ending", 1, "ending"},
      {"movie+ending", -1, "ending"},
      {"AVI+ending", -1, "ending"},
      {"pic", -1, ""},
      {"avi ", -1, ""},
      {"pic+a+b", 1, "b"},
      {"avi+", 0, ""},
      {"+pic", -1, "pic"},
      {"pi+c", -1, "c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EndPlayKind(c.value), c.kind) << c.value;
    char name[128] = "garbage";
    EndPlayName(c.value, name, sizeof name);
    EXPECT_STREQ(name, c.name) << c.value;
  }
  EXPECT_EQ(EndPlayKind(nullptr), -1);
}

}  // namespace
}  // namespace tessera::datatest
