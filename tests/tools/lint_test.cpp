// The game-folder linter on broken copies of the demo: one kind of finding at a
// time, each reported as file:section:key with the right severity.
#include <gtest/gtest.h>

#include <filesystem>

#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

const char* SCRIPT = "Script\\ScriptEntry.txt";
const char* LOCAL = "Localization\\Localization.txt";

// A linked copy of the shared loose (or packaged) demo, free to be broken.
class BrokenDemo : public ::testing::Test {
 protected:
  void Use(bool loose) {
    const std::string& demo = SharedDemo(loose);
    ASSERT_FALSE(demo.empty()) << "make-demo failed";
    game_ = scratch_ / "game";
    LinkCopy(demo, game_);
  }
  void SetUp() override { Use(true); }
  std::string At(const std::string& rel) const { return game_ + "/" + rel; }
  void Script(const std::string& section, const std::string& key, const std::optional<std::string>& value) {
    SetProfileValue(At("Script/ScriptEntry.txt"), section, key, value);
  }
  std::string Prefix(const std::string& file, const std::string& section, const std::string& key,
                     const char* severity) const {
    return file + ":" + section + ":" + key + ": " + severity + ": ";
  }

  ScratchDir scratch_;
  std::string game_;
};

// The copy shares its files with the demo every other test process reads: an
// edit that wrote through a link would change what they all see.
TEST_F(BrokenDemo, EditsOfTheCopyNeverReachTheSharedDemo) {
  const std::string& demo = SharedDemo(true);
  const std::vector<uint8_t> picture = ReadBytes(demo + "/Picture/Level02_1.bmp");
  const std::string system = ReadText(demo + "/System.ini");
  ASSERT_FALSE(picture.empty());
  ASSERT_FALSE(system.empty());
  ReplaceFile(At("Picture/Level02_1.bmp"), SolidBmp(4, 4));
  SetProfileValue(At("System.ini"), "setting", "windowed", std::string("false"));
  RemoveFile(At("begin02.bmp"));
  EXPECT_TRUE(ReadBytes(At("Picture/Level02_1.bmp")) == SolidBmp(4, 4));
  EXPECT_NE(ReadText(At("System.ini")), system);
  EXPECT_FALSE(fs::exists(At("begin02.bmp")));
  EXPECT_TRUE(ReadBytes(demo + "/Picture/Level02_1.bmp") == picture);
  EXPECT_EQ(ReadText(demo + "/System.ini"), system);
  EXPECT_TRUE(fs::exists(demo + "/begin02.bmp"));
}

TEST_F(BrokenDemo, EveryGeneratedVariantIsClean) {
  LintRun loose = Lint(game_);
  EXPECT_EQ(loose.exitCode, 0) << loose.Dump();
  EXPECT_TRUE(loose.lines.empty()) << loose.Dump();
  LintRun packaged = Lint(SharedDemo(false));
  EXPECT_EQ(packaged.exitCode, 0) << packaged.Dump();
  EXPECT_TRUE(packaged.lines.empty()) << packaged.Dump();
}

TEST_F(BrokenDemo, ConfigurationValuesTheGameWouldMisread) {
  SetProfileValue(At("System.ini"), "setting", "windowed", std::string("True"));
  SetProfileValue(At("System.ini"), "setting", "language", std::string("english"));
  SetProfileValue(At("Game.ini"), "color", "color3", std::string("12"));
  SetProfileValue(At("Game.ini"), "color", "color2", std::string("300000000"));
  SetProfileValue(At("Game.ini"), "color", "color4", std::string("12\x1b[2J"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix("System.ini", "setting", "windowed", "warning"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("System.ini", "setting", "language", "warning"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("Game.ini", "color", "color3", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("Game.ini", "color", "color2", "warning") + "red 300 above 255 wraps around")) << run.Dump();
  // A control byte from the file is shown escaped, never sent to the terminal.
  EXPECT_TRUE(run.Has(Prefix("Game.ini", "color", "color4", "error") + "'12\\x1B[2J' is not nine")) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix("Game.ini", "color", "color1", "error")));
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, MissingSystemIniFallsBackToThePackagedDefaults) {
  RemoveFile(At("System.ini"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix("System.ini", "", "", "warning"))) << run.Dump();
  // Packaged by default: the loose copy has no Script.dat.
  EXPECT_TRUE(run.Has(Prefix("Script.dat", "", "", "error"))) << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, LevelChainFindings) {
  Script("Level05", "Goto", std::string("Level99"));
  SetProfileValue(At("Script/ScriptEntry.txt"), "Orphan", "LevelName", std::string("Lost"));
  SetProfileValue(At("System.ini"), "debug", "BeginLevel", std::string("Nowhere"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level05", "Goto", "warning") + "goes to missing section 'Level99'")) << run.Dump();
  // The levels after the broken link are now out of reach.
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level06", "", "warning") + "section is never reached")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Orphan", "", "warning") + "section is never reached")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("System.ini", "debug", "BeginLevel", "warning"))) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix(SCRIPT, "Level04B", "", "warning") + "section is never reached")) << run.Dump();
  // A broken chain loses levels but breaks nothing the game reads.
  EXPECT_FALSE(run.HasErrors()) << run.Dump();
  EXPECT_EQ(run.exitCode, 0);
}

TEST_F(BrokenDemo, CyclesAreReportedOnlyWhenTheyNeverReachTheEnd) {
  // A loop back from one branch is fine while the other branch goes on.
  Script("Level04B", "Goto", std::string("Level03"));
  LintRun fine = Lint(game_);
  EXPECT_EQ(fine.exitCode, 0) << fine.Dump();
  EXPECT_TRUE(fine.lines.empty()) << fine.Dump();

  Script("Level08", "Goto", std::string("Level07"));
  LintRun stuck = Lint(game_);
  EXPECT_TRUE(stuck.Has(Prefix(SCRIPT, "Level07", "", "warning") + "caught in a cycle")) << stuck.Dump();
  EXPECT_TRUE(stuck.Has(Prefix(SCRIPT, "Level08", "", "warning") + "caught in a cycle")) << stuck.Dump();
  EXPECT_FALSE(stuck.HasErrors()) << stuck.Dump();
  EXPECT_EQ(stuck.exitCode, 0);
}

TEST_F(BrokenDemo, PicturesOfTheWrongShape) {
  ReplaceFile(At("Picture/Level02_1.bmp"), SolidBmp(400, 500));
  std::vector<uint8_t> eightBit = ReadBytes(At("Picture/Level01_2.bmp"));
  eightBit[28] = 8;
  ReplaceFile(At("Picture/Level01_2.bmp"), eightBit);
  std::vector<uint8_t> cut = ReadBytes(At("Picture/Level00_1.bmp"));
  cut.resize(cut.size() / 2);
  ReplaceFile(At("Picture/Level00_1.bmp"), cut);
  RemoveFile(At("Picture/Level03_2.bmp"));
  ReplaceFile(At("Picture/stone1.bmp"), SolidBmp(100, 100));
  ReplaceFile(At("Menu/GameBG.bmp"), SolidBmp(640, 480));
  ReplaceFile(At("Head/Wisp.bmp"), SolidBmp(900, 200));
  // A head stands on row 396 and the highlight of "new game" sits at (502, 419).
  ReplaceFile(At("Head/Tomas.bmp"), SolidBmp(180, 397));
  ReplaceFile(At("Menu/SM_NewGame.bmp"), SolidBmp(299, 33));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "BlendPicture01", "error") +
                      "Picture\\Level02_1.bmp: is 400x500, needs 500x500")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level01", "BlendPicture02", "error") + "Picture\\Level01_2.bmp: 8-bit"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level00", "BlendPicture01", "error") +
                      "Picture\\Level00_1.bmp: pixel data truncated")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level03", "BlendPicture02", "error") + "Picture\\Level03_2.bmp: loose file not found"))
      << run.Dump();
  // Level02 cuts 50-pixel pieces, so its stone must be 50 x 50.
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "SplitSize", "error") + "Picture\\stone1.bmp: is 100x100, needs 50x50"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("System.ini", "path", "MenuPath", "error") + "Menu\\GameBG.bmp: is 640x480, needs 800x600"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level01", "TalkerHead01", "error") + "Head\\Wisp.bmp: 900x200 does not fit"))
      << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

class BrokenPackagedDemo : public BrokenDemo {
 protected:
  void SetUp() override { Use(false); }
};

TEST_F(BrokenPackagedDemo, PicturesComeFromTheirArchives) {
  SetProfileValue(At("Script.dat"), "Level05", "BlendPicture01", std::string("NotPacked"));
  std::vector<uint8_t> head = ReadBytes(At("Head.dat"));
  head[0] = 0x88;  // count 5000
  head[1] = 0x13;
  ReplaceFile(At("Head.dat"), head);
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix("Script.dat", "Level05", "BlendPicture01", "error") +
                      "Picture\\NotPacked.bmp: member NotPacked.bmp not in Picture.dat")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("Head.dat", "", "", "error") + "broken archive: member count 5000")) << run.Dump();
  // A loose file beside the archives does not count when the game is packaged.
  ReplaceFile(At("Picture/NotPacked.bmp"), SolidBmp(500, 500));
  EXPECT_TRUE(Lint(game_).Has(Prefix("Script.dat", "Level05", "BlendPicture01", "error"))) << run.Dump();
}

TEST_F(BrokenDemo, CountsOutsideTheLimits) {
  Script("Level00", "SplitSize", std::string("30"));
  Script("Level01", "BlendPictureNum", std::string("6"));
  Script("Level02", "StaticSpiderNum", std::string("6"));
  Script("Level02", "TalkerHeadNum", std::string("61"));
  Script("Level04A", "BeginTalkNum", std::string("31"));
  Script("Level03", "SelectionTalkNum", std::string("6"));
  Script("Level05", "LimitedTime", std::string("0"));
  Script("Level08", "StoneRation", std::string("-5"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level00", "SplitSize", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level01", "BlendPictureNum", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "StaticSpiderNum", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "TalkerHeadNum", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level04A", "BeginTalkNum", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level03", "SelectionTalkNum", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level05", "LimitedTime", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level08", "StoneRation", "error"))) << run.Dump();
  // The limits themselves are fine.
  EXPECT_FALSE(run.Has(Prefix(SCRIPT, "Level06", "BlendPictureNum", "error"))) << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, TalkValuesAndTheirTexts) {
  SetProfileValue(At("Localization/Localization.txt"), "Talk", "L02_B1", std::nullopt);
  SetProfileValue(At("Localization/Localization.txt"), "Menu", "Confirm", std::nullopt);
  SetProfileValue(At("Localization/Localization.txt"), "Talk", "L01_B2", std::string(""));
  SetProfileValue(At("Localization/Localization.txt"), "Talk", "L05_B1", std::string("caf\xE9"));
  Script("Level00", "BeginTalk01", std::string("TalkerHead07:1+L00_B1"));
  Script("Level00", "EndTalk00", std::string("TalkerHead01:0+L00_E0"));
  Script("Level04A", "EndTalk00", std::string("hello"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "BeginTalk01", "error") + "talk key 'L02_B1' missing")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Menu", "Confirm", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Talk", "L01_B2", "warning") + "empty text")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Talk", "L05_B1", "warning") + "non-ASCII")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level00", "BeginTalk01", "warning") + "speaker 'TalkerHead07'")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level00", "EndTalk00", "warning") + "colour digit")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level04A", "EndTalk00", "error"))) << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, SoundsMusicAndMovies) {
  RemoveFile(At("Sound/TouchSpider.wav"));
  std::vector<uint8_t> lake = ReadBytes(At("Music/Lake.wav"));
  lake.resize(lake.size() - 1000);  // the data chunk now declares more than the file holds
  ReplaceFile(At("Music/Lake.wav"), lake);
  ReplaceFile(At("Music/Gallery.wav"), std::string("RIFF\x04\x00\x00\x00WAVE", 12));
  std::vector<uint8_t> junk(5000);
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 7919 >> 3);
  ReplaceFile(At("movie/end.avi"), junk);
  Script("Level03", "EndPlay01", std::string("avi+Nowhere"));
  Script("Level08", "EndPlay", std::string("film+Finale"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix("Sound\\TouchSpider.wav", "", "", "error") + "Sound\\TouchSpider.wav: sound file not found"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level01", "BGMusicName", "error") + "Music\\Lake.wav: \"data\" chunk")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level00", "BGMusicName", "error") + "Music\\Gallery.wav: no \"fmt \" chunk"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("movie\\end.avi", "", "", "error"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level03", "EndPlay01", "error") + "movie\\Nowhere.avi: movie file not found"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level08", "EndPlay", "warning"))) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix("movie\\begin.avi", "", "", "error"))) << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, IntroductionAndWhatTheScreensHaveRoomFor) {
  RemoveFile(At("Picture/Intro01.bmp"));
  Script("GameBegin", "TotalBeginPicture", std::string("6"));
  Script("Level02", "LevelName", std::string("A very long level title"));
  SetProfileValue(At("Localization/Localization.txt"), "Talk", "L02_E0", std::string(200, 'w'));
  RemoveFile(At("begin02.bmp"));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "GameBegin", "BeginPicture01", "error") + "Picture\\Intro01.bmp")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "GameBegin", "TotalBeginPicture", "warning"))) << run.Dump();
  // Pictures 03 to 05 are named by no key of the demo: only the first five are looked at.
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "GameBegin", "BeginPicture04", "error"))) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix(SCRIPT, "GameBegin", "BeginPicture05", ""))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "LevelName", "warning"))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Talk", "L02_E0", "warning") + "text longer than the talk bar")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("begin02.bmp", "", "", "warning"))) << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, WordsTheWrapSplitsWhereTheGameDrawsThem) {
  const std::string local = At("Localization/Localization.txt");
  // Talk lines and choices hold 37 characters a line, captions of size 24 hold 67.
  SetProfileValue(local, "Talk", "L00_B0", std::string("Who knocks at the gallery at this hour?"));
  SetProfileValue(local, "Talk", "L03_S1", std::string("Climb up, up, up and up to the moon tower."));
  SetProfileValue(local, "Menu", "Confirm", std::string(56, '-') + " Are you sure?");
  // Titles hold 80: the 81st character lands on the first.
  Script("Level02", "LevelName", std::string(76, '-') + " Gate");
  // A word longer than a line can only be left to the wrap.
  SetProfileValue(local, "Talk", "L01_B2", "Then " + std::string(40, 'w'));
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Talk", "L00_B0", "warning") + "the wrap splits \"hou|r?\" where the game draws it"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Talk", "L03_S1", "warning") + "the wrap splits \"t|ower.\"")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Menu", "Confirm", "warning") + "the wrap splits \"su|re?\"")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level02", "LevelName", "warning") + "the wrap splits \"Gat|e\"")) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix(LOCAL, "Talk", "L01_B2", "warning"))) << run.Dump();
  EXPECT_EQ(run.exitCode, 0) << run.Dump();
  // Chinese breaks between any two characters: its texts are not read for words.
  SetProfileValue(At("System.ini"), "setting", "language", std::string("ChineseSimplify"));
  LintRun chinese = Lint(game_);
  EXPECT_FALSE(chinese.lines.empty());
  for (const std::string& line : chinese.lines) EXPECT_EQ(line.find("the wrap splits"), std::string::npos) << line;
}

TEST_F(BrokenDemo, BoardSpritesOfTheLevelsPieceSize) {
  ReplaceFile(At("Picture/Spider213.bmp"), SolidBmp(50, 50));
  ReplaceFile(At("Picture/StoneExplode02.bmp"), SolidBmp(100, 90));
  RemoveFile(At("Picture/cobweb0.bmp"));
  LintRun run = Lint(game_);
  // 25-pixel pieces are Level05's and Level07's; only they are reported for them.
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level05", "SplitSize", "error") + "Picture\\Spider213.bmp: is 50x50, needs 25x25"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level07", "SplitSize", "error") + "Picture\\Spider213.bmp")) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix(SCRIPT, "Level02", "SplitSize", "error") + "Picture\\Spider213.bmp")) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level00", "SplitSize", "error") + "Picture\\StoneExplode02.bmp: is 100x90"))
      << run.Dump();
  EXPECT_TRUE(run.Has(Prefix(SCRIPT, "Level06", "SplitSize", "error") + "Picture\\cobweb0.bmp: loose file not found"))
      << run.Dump();
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(BrokenDemo, ChineseTextsMustBeDrawable) {
  SetProfileValue(At("System.ini"), "setting", "language", std::string("ChineseSimplify"));
  // 0x81 leads a GBK character outside the range the renderer pairs up.
  SetProfileValue(At("Localization/Localization.txt"), "Talk", "L00_E0", std::string("\x81\x40\xB0\xA1"));
  SetProfileValue(At("Localization/Localization.txt"), "Menu", "Save", std::string("\xB1\xA3\xB4\xE6"));
  std::vector<uint8_t> wav = ReadBytes(At("Sound/TimeOut.wav"));
  wav[20] = 3;  // floating-point samples
  ReplaceFile(At("Sound/TimeOut.wav"), wav);
  LintRun run = Lint(game_);
  EXPECT_TRUE(run.Has(Prefix(LOCAL, "Talk", "L00_E0", "warning") + "byte 129")) << run.Dump();
  EXPECT_FALSE(run.Has(Prefix(LOCAL, "Menu", "Save", ""))) << run.Dump();
  EXPECT_TRUE(run.Has(Prefix("Sound\\TimeOut.wav", "", "", "error") + "Sound\\TimeOut.wav: unsupported sound format"))
      << run.Dump();
}

TEST(LintUsage, NeedsExactlyOneFolder) {
  EXPECT_EQ(RunTool("lint").exitCode, 2);
  EXPECT_EQ(RunTool("lint a b").exitCode, 2);
  // An empty folder is reported, not crashed on.
  ScratchDir empty;
  LintRun run = Lint(empty.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.Has("Script.dat::: error: ")) << run.Dump();
  EXPECT_TRUE(run.Has("Game.ini::: error: ")) << run.Dump();
}

}  // namespace
}  // namespace tessera::test
