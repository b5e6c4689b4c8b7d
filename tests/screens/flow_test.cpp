// Whole flows of the game binary over a small campaign the tests make: input
// scripts in, the trace and frame dumps out.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/campaign.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

struct GameRun {
  RunResult result;
  std::string trace;
};

class FlowTest : public ::testing::Test {
 protected:
  GameRun Play(const std::string& input, const std::string& extra = "", uint64_t maxMs = 60000) {
    dir.Write("in.txt", input);
    GameRun run;
    run.result = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "in.txt") + " --trace " +
                         (dir / "trace.txt") + " --dump-dir " + dir.path() + " --max-ms " + std::to_string(maxMs) +
                         " " + extra);
    run.trace = ReadText(dir / "trace.txt");
    return run;
  }
  // The state changes of a trace as "old new level" lines.
  static std::vector<std::string> States(const std::string& trace) {
    std::vector<std::string> out;
    std::istringstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
      size_t p = line.find(" state ");
      if (p != std::string::npos) out.push_back(line.substr(p + 7));
    }
    return out;
  }
  static bool Has(const std::vector<std::string>& states, const std::string& change) {
    for (const std::string& s : states)
      if (s == change || s.rfind(change + " ", 0) == 0) return true;
    return false;
  }
  Picture Dump(const std::string& name) {
    Picture p;
    EXPECT_TRUE(ReadBmp24(dir / (name + ".bmp"), p)) << name;
    return p;
  }
  static uint32_t Rgb(CampaignColour c) {
    // The colour as it comes back from a 5-6-5 surface.
    return (uint32_t(c.r & 0xF8) << 16) | (uint32_t(c.g & 0xFC) << 8) | (c.b & 0xF8);
  }
  ScratchDir dir;
};

TEST_F(FlowTest, AutoplayPlaysTheCampaignToItsEndAndQuits) {
  BuildCampaign(dir);
  RunResult r = RunGame("--headless --autoplay --workdir " + dir.path() + " --trace " + (dir / "trace.txt") +
                        " --max-ms 600000");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::string> s = States(ReadText(dir / "trace.txt"));
  EXPECT_TRUE(Has(s, "7 0")) << ReadText(dir / "trace.txt");
  EXPECT_TRUE(Has(s, "0 1 Level00"));
  EXPECT_TRUE(Has(s, "1 9 Level00"));
  EXPECT_TRUE(Has(s, "9 2 Level00"));
  EXPECT_TRUE(Has(s, "2 1 Level01"));
  EXPECT_TRUE(Has(s, "2 10 GameEnd"));
  EXPECT_TRUE(Has(s, "10 7 GameEnd"));
  EXPECT_TRUE(Has(s, "7 12 GameEnd"));
}

// A campaign that starts straight at "Play": two layers of 100-pixel pieces,
// no talk, a short clock.
CampaignOptions PlayLevelCampaign(int seconds, const std::string& extra = "") {
  CampaignOptions o;
  o.systemExtra = "BeginLevel=Play";
  o.script = LevelSection("Play", "LevelName=Play\nBGMusicName=Level.wav\nBlendPictureNum=2\nBlendPicture00=L0\n"
                                  "BlendPicture01=L1\nSplitSize=100\nLimitedTime=" +
                                      std::to_string(seconds) +
                                      "\nStoneRation=0\nBeginTalkNum=0\nEndTalkNum=0\nGoto=GameEnd\n" + extra);
  return o;
}

// Clicks the new-game button and opens the travel doors: play begins near 5.1 s.
const char* kStartPlay = "200 move 600 435\n220 ldown\n240 lup\n300 ldown\n320 lup\n";

TEST_F(FlowTest, StartMenuActsOnReleaseWithinItsInclusiveBounds) {
  BuildCampaign(dir);
  GameRun run = Play("200 move 660 450\n220 ldown\n240 lup\n260 move 600 418\n280 ldown\n300 lup\n"
                     "320 dump hover_none\n400 move 600 450\n420 dump hover_new\n440 ldown\n460 lup\n600 quit\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
  std::vector<std::string> s = States(run.trace);
  ASSERT_TRUE(Has(s, "7 0")) << run.trace;
  // Releases at x 660 and y 418 did nothing: the press sound came once, at 460.
  EXPECT_EQ(run.trace.find("StartButtonPress"), run.trace.rfind("StartButtonPress"));
  EXPECT_NE(run.trace.find("460 sound"), std::string::npos) << run.trace;
  Picture none = Dump("hover_none"), hover = Dump("hover_new");
  EXPECT_EQ(none.At(510, 425), Rgb(PictureColour("SM_BG.bmp")));
  EXPECT_EQ(hover.At(510, 425), Rgb(PictureColour("SM_NewGame.bmp")));
  EXPECT_EQ(hover.At(510, 460), Rgb(PictureColour("SM_BG.bmp")));
}

TEST_F(FlowTest, ContinueOpensTheLoadPageAndTheRightButtonReturns) {
  BuildCampaign(dir);
  GameRun run = Play("200 move 600 480\n220 ldown\n240 lup\n300 dump load_page\n400 rdown\n420 rup\n600 quit\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
  std::vector<std::string> s = States(run.trace);
  EXPECT_TRUE(Has(s, "7 8")) << run.trace;
  EXPECT_TRUE(Has(s, "8 7")) << run.trace;
  Picture page = Dump("load_page");
  EXPECT_EQ(page.At(400, 300), Rgb(PictureColour("OM_SaveLoad.bmp")));
  EXPECT_EQ(page.At(10, 10), Rgb(PictureColour("SM_BG.bmp")));  // the frozen start menu around the panel
}

TEST_F(FlowTest, TimeUpFailsShowsTheBannerAndComesBackWithTheSameBoard) {
  BuildCampaign(dir, PlayLevelCampaign(3));
  GameRun run = Play(std::string(kStartPlay) + "5300 dump before\n8600 dump banner\n9000 ldown\n9020 lup\n"
                     "13600 dump after\n14000 quit\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
  std::vector<std::string> s = States(run.trace);
  EXPECT_TRUE(Has(s, "9 3 Play")) << run.trace;
  EXPECT_TRUE(Has(s, "3 9 Play")) << run.trace;
  EXPECT_NE(run.trace.find("Sound\\TimeOut.wav"), std::string::npos);
  EXPECT_NE(run.trace.find("Music\\Failed.wav"), std::string::npos);
  Picture before = Dump("before"), banner = Dump("banner"), after = Dump("after");
  EXPECT_EQ(banner.At(215, 65), Rgb(PictureColour("ResetGame.bmp")));
  int differing = 0;
  for (int y = 52; y < 550; y += 10)
    for (int x = 152; x < 650; x += 10) differing += before.At(x, y) != after.At(x, y);
  EXPECT_EQ(differing, 0);
}

TEST_F(FlowTest, RestartAsksFirstAndCancelKeepsPlaying) {
  BuildCampaign(dir, PlayLevelCampaign(120));
  GameRun run = Play(std::string(kStartPlay) +
                     "5500 move 80 520\n5520 ldown\n5540 lup\n5600 move 400 311\n5620 dump box\n"
                     "5700 move 349 311\n5720 ldown\n5740 lup\n5800 move 80 520\n5820 ldown\n5840 lup\n"
                     "5900 move 453 311\n5920 dump yes\n5940 ldown\n5960 lup\n11000 quit\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
  std::vector<std::string> s = States(run.trace);
  EXPECT_TRUE(Has(s, "9 4 Play")) << run.trace;
  EXPECT_TRUE(Has(s, "4 9 Play")) << run.trace;
  size_t restarts = 0;
  for (const std::string& x : s) restarts += x.rfind("9 4", 0) == 0;
  EXPECT_EQ(restarts, 1u);  // the first box was cancelled
  Picture box = Dump("box"), yes = Dump("yes");
  EXPECT_EQ(box.At(400, 240 + 60), Rgb(PictureColour("OM_Messagebox_BG.bmp")));
  EXPECT_EQ(yes.At(460, 330), Rgb(PictureColour("OM_Messagebox_Y.bmp")));
  EXPECT_EQ(box.At(460, 330), Rgb(PictureColour("OM_Messagebox_BG.bmp")));
}

TEST_F(FlowTest, OptionPagesOpenFromThePlayButtonsAndLeaveAsTheyShould) {
  BuildCampaign(dir, PlayLevelCampaign(120));
  GameRun run = Play(std::string(kStartPlay) +
                     // boss page: any key release returns, the music starts again
                     "5500 move 29 527\n5520 ldown\n5540 lup\n5600 dump boss\n5700 keydown 65\n5720 keyup 65\n"
                     // settings page: three quarters, a slider press, then the right button
                     "5800 move 84 574\n5820 ldown\n5840 lup\n5900 move 360 260\n5920 ldown\n5940 lup\n"
                     "6000 move 416 300\n6020 ldown\n6040 lup\n6100 dump settings\n6200 rdown\n6220 rup\n"
                     // save page: slot 0, yes
                     "6300 move 29 574\n6320 ldown\n6340 lup\n6400 move 400 150\n6420 ldown\n6440 lup\n"
                     "6500 move 453 311\n6520 ldown\n6540 lup\n7000 quit\n");
  ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
  std::vector<std::string> s = States(run.trace);
  EXPECT_TRUE(Has(s, "8 5 Play")) << run.trace;
  EXPECT_TRUE(Has(s, "5 9 Play")) << run.trace;
  size_t menus = 0;
  for (const std::string& x : s) menus += x.rfind("9 8", 0) == 0;
  EXPECT_EQ(menus, 3u);
  Picture boss = Dump("boss"), settings = Dump("settings");
  EXPECT_EQ(boss.At(400, 300), Rgb(PictureColour("OM_Boss.bmp")));
  EXPECT_EQ(settings.At(355, 256), Rgb(PictureColour("OM_Settings_Selected.bmp")));  // three quarters
  EXPECT_EQ(settings.At(420, 308), Rgb(PictureColour("OM_Settings_Bar.bmp")));  // knob at 416, below the pointer
  // The boss page stopped the music; leaving it started the level music again.
  size_t boss_at = run.trace.find(" state 9 8");
  EXPECT_NE(run.trace.find("sound 4 Music\\Level.wav 1", boss_at), std::string::npos);
  std::vector<uint8_t> save = ReadBytes(dir / "Save/0.sav");
  ASSERT_EQ(save.size(), 160u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&save[20])), "Play");
  EXPECT_EQ(save[148], 0);  // MatchAll saved as three quarters
  EXPECT_EQ(save[152], 50);  // MusicVolume
}

TEST_F(FlowTest, ASavedGameLoadsAfterARestartOfTheProgram) {
  BuildCampaign(dir, PlayLevelCampaign(120));
  GameRun first = Play(std::string(kStartPlay) + "5500 move 29 574\n5520 ldown\n5540 lup\n5600 move 400 186\n"
                       "5620 ldown\n5640 lup\n5700 move 453 311\n5720 ldown\n5740 lup\n6000 quit\n");
  ASSERT_EQ(first.result.exitCode, 0) << first.result.output;
  ASSERT_EQ(ReadBytes(dir / "Save/1.sav").size(), 160u);
  GameRun second = Play("200 move 600 465\n220 ldown\n240 lup\n300 move 400 186\n320 dump slots\n"
                        "340 ldown\n360 lup\n400 move 453 311\n420 ldown\n440 lup\n1000 quit\n");
  ASSERT_EQ(second.result.exitCode, 0) << second.result.output;
  std::vector<std::string> s = States(second.trace);
  EXPECT_TRUE(Has(s, "8 6")) << second.trace;
  EXPECT_TRUE(Has(s, "6 1 Play")) << second.trace;
  Picture slots = Dump("slots");
  EXPECT_EQ(slots.At(257, 142 + 36 + 10), Rgb({243, 81, 0}));  // the selection frame on slot 1
}

TEST_F(FlowTest, AChoiceInTheClosingTalkPicksTheNextLevel) {
  CampaignOptions o;
  o.script = "[GameBegin]\nTotalBeginPicture=0\n" +
             LevelSection("Level00",
                          "LevelName=Fork\nBlendPictureNum=1\nBlendPicture00=L0\nStoneRation=0\nBeginTalkNum=0\n"
                          "EndTalkNum=1\nEndTalk00=TalkerHead00:2+Bye\nTalkerHeadNum=1\nTalkerHead00=Head0\n"
                          "SelectionTalkNum=2\nSelectionTalk00=TalkerHead00:3+Left\nSelectionTalk01=TalkerHead00:3+Right\n"
                          "Goto00=LeftWay\nGoto01=RightWay\nEndPlay00=pic+Closing\nEndPlay01=avi+missing") +
             LevelSection("LeftWay", "BlendPictureNum=1\nBlendPicture00=L1\nStoneRation=0\nBeginTalkNum=0\nEndTalkNum=0\nGoto=GameEnd") +
             LevelSection("RightWay", "BlendPictureNum=1\nBlendPicture00=L2\nStoneRation=0\nBeginTalkNum=0\nEndTalkNum=0\nGoto=GameEnd");
  BuildCampaign(dir, o);
  for (int choice : {0, 1}) {
    RunResult r = RunGame("--headless --autoplay --choice " + std::to_string(choice) + " --workdir " + dir.path() +
                          " --trace " + (dir / "trace.txt") + " --max-ms 600000");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string trace = ReadText(dir / "trace.txt");
    std::vector<std::string> s = States(trace);
    EXPECT_TRUE(Has(s, choice == 0 ? "2 1 LeftWay" : "2 1 RightWay")) << trace;
    EXPECT_FALSE(Has(s, choice == 0 ? "2 1 RightWay" : "2 1 LeftWay")) << trace;
    // The second way's closing movie is missing: one more log line (beside the
    // missing opening and end movies), and the game goes on.
    size_t failures = 0;
    for (size_t at = trace.find("MMStream OpenFile failed"); at != std::string::npos;
         at = trace.find("MMStream OpenFile failed", at + 1))
      ++failures;
    EXPECT_EQ(failures, choice == 1 ? 3u : 2u) << trace;
  }
}

TEST_F(FlowTest, AClosingPictureWaitsForAReleaseButAMissingOneIsSkipped) {
  for (const char* picture : {"Closing", "Missing"}) {
    CampaignOptions o;
    o.systemExtra = "BeginLevel=Level00";
    o.script = LevelSection("Level00", std::string("BlendPictureNum=1\nBlendPicture00=L0\nStoneRation=0\nBeginTalkNum=0\n"
                                                   "EndTalkNum=0\nGoto=Level01\nEndPlay=pic+") + picture) +
               LevelSection("Level01", "BlendPictureNum=1\nBlendPicture00=L1\nStoneRation=0\nBeginTalkNum=0\nEndTalkNum=0");
    BuildCampaign(dir, o);
    // New game, open the doors, then one press for the success banner and nothing more.
    GameRun run = Play("200 move 600 435\n220 ldown\n240 lup\n300 ldown\n320 lup\n12000 ldown\n14000 dump end\n"
                       "20000 quit\n");
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    const bool missing = std::string(picture) == "Missing";
    EXPECT_EQ(Has(States(run.trace), "2 1 Level01"), missing) << picture << "\n" << run.trace;
    if (!missing) {
      EXPECT_EQ(Dump("end").At(10, 10), Rgb(PictureColour("Closing.bmp")));
    }
  }
}

}  // namespace
}  // namespace tessera::test
