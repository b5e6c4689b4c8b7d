// The start of a run: logos, the opening movie, the introduction pictures and
// where a new game begins.
#include <gtest/gtest.h>

#include "support/campaign.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class IntroTest : public ::testing::Test {
 protected:
  std::string Run(const std::string& input, uint64_t maxMs = 20000) {
    dir.Write("in.txt", input);
    RunResult r = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "in.txt") + " --trace " +
                          (dir / "trace.txt") + " --dump-dir " + dir.path() + " --max-ms " + std::to_string(maxMs));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return ReadText(dir / "trace.txt");
  }
  uint32_t At(const std::string& dump, int x, int y) {
    Picture p;
    EXPECT_TRUE(ReadBmp24(dir / (dump + ".bmp"), p)) << dump;
    return p.width ? p.At(x, y) : 0;
  }
  static uint32_t Rgb(CampaignColour c) {
    return (uint32_t(c.r & 0xF8) << 16) | (uint32_t(c.g & 0xFC) << 8) | (c.b & 0xF8);
  }
  ScratchDir dir;
};

TEST_F(IntroTest, AHeldLeftButtonPassesOneLogoPerTick) {
  CampaignOptions o;
  o.logos = true;
  BuildCampaign(dir, o);
  std::string trace = Run("0 dump logo_a\n0 ldown\n100 dump logo_b\n200 dump logo_c\n400 lup\n600 quit\n");
  EXPECT_EQ(At("logo_a", 400, 300), Rgb(PictureColour("begin01.bmp")));
  EXPECT_EQ(At("logo_b", 400, 300), Rgb(PictureColour("begin02.bmp")));
  EXPECT_EQ(At("logo_c", 400, 300), Rgb(PictureColour("begin03.bmp")));
  EXPECT_NE(trace.find(" state -1 7"), std::string::npos) << trace;
}

TEST_F(IntroTest, WithoutAPressTheFirstLogoStays) {
  CampaignOptions o;
  o.logos = true;
  BuildCampaign(dir, o);
  std::string trace = Run("1000 dump still\n1100 quit\n");
  EXPECT_EQ(At("still", 10, 10), Rgb(PictureColour("begin01.bmp")));
  EXPECT_EQ(trace.find(" state -1 7"), std::string::npos) << trace;
}

TEST_F(IntroTest, EscapeAtATickEndsTheLogosAndTheOpeningMovieStillComes) {
  CampaignOptions o;
  o.logos = true;
  BuildCampaign(dir, o);
  // Pumps run every 5 ms and ticks come at 95 and 190: only a key seen by a
  // tick's pump counts, so an Escape at 150 is missed and one at 188 is not.
  std::string trace = Run("150 keydown 27\n188 keydown 27\n400 quit\n");
  size_t movie = trace.find("MMStream OpenFile failed");
  ASSERT_NE(movie, std::string::npos) << trace;
  EXPECT_EQ(trace.substr(0, trace.find(' ')), "190") << trace;
}

TEST_F(IntroTest, OnlyFiveIntroductionPicturesShowOneReleaseEach) {
  CampaignOptions o;
  o.introPictures = 6;
  o.script = "[GameBegin]\nTotalBeginPicture=6\nBeginPicture00=Intro0\nBeginPicture01=Intro1\nBeginPicture02=Intro2\n"
             "BeginPicture03=Intro3\nBeginPicture04=Intro4\nBeginPicture05=Intro5\n" +
             LevelSection("Level00", "BlendPictureNum=1\nBlendPicture00=L0\nStoneRation=0\nBeginTalkNum=0\nEndTalkNum=0");
  BuildCampaign(dir, o);
  std::string input = "200 move 600 435\n220 ldown\n240 lup\n300 dump intro_0\n";
  // Presses alone do nothing; each release moves on by one picture.
  input += "400 ldown\n420 dump still_0\n440 lup\n500 dump intro_1\n";
  for (int k = 2; k < 5; ++k) {
    input += std::to_string(400 + 100 * k) + " ldown\n" + std::to_string(420 + 100 * k) + " lup\n";
    input += std::to_string(480 + 100 * k) + " dump intro_" + std::to_string(k) + "\n";
  }
  input += "1000 ldown\n1020 lup\n1500 quit\n";
  std::string trace = Run(input);
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(At("intro_" + std::to_string(k), 10, 10), Rgb(PictureColour("Intro" + std::to_string(k) + ".bmp"))) << k;
  EXPECT_EQ(At("still_0", 10, 10), Rgb(PictureColour("Intro0.bmp")));
  // The fifth release starts Level00: the sixth picture is never shown.
  size_t start = trace.find(" state 0 1 Level00");
  ASSERT_NE(start, std::string::npos) << trace;
  size_t line = trace.rfind('\n', start);
  EXPECT_EQ(std::stoi(trace.substr(line == std::string::npos ? 0 : line + 1)), 1020) << trace;
}

TEST_F(IntroTest, BeginLevelNamingALevelSkipsTheIntroduction) {
  CampaignOptions o;
  o.systemExtra = "BeginLevel=Level01";
  BuildCampaign(dir, o);
  std::string trace = Run("200 move 600 435\n220 ldown\n240 lup\n400 quit\n");
  EXPECT_NE(trace.find(" state 0 1 Level01"), std::string::npos) << trace;
}

TEST_F(IntroTest, BeginLevelGameBeginPlaysTheIntroductionFirst) {
  CampaignOptions o;
  o.systemExtra = "BeginLevel=GameBegin";
  BuildCampaign(dir, o);
  std::string trace = Run("200 move 600 435\n220 ldown\n240 lup\n400 quit\n");
  EXPECT_NE(trace.find(" state 7 0"), std::string::npos) << trace;
  EXPECT_EQ(trace.find(" state 0 1"), std::string::npos) << trace;  // still on the introduction
}

TEST_F(IntroTest, AnUnknownLevelIsRefusedWithItsNameAndTheMenuReturns) {
  CampaignOptions o;
  o.systemExtra = "BeginLevel=Nowhere";
  BuildCampaign(dir, o);
  dir.Write("in.txt", "200 move 600 435\n220 ldown\n240 lup\n600 quit\n");
  RunResult r = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "in.txt") + " --trace " +
                        (dir / "trace.txt"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("message: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Nowhere"), std::string::npos) << r.output;
  EXPECT_NE(ReadText(dir / "trace.txt").find(" state 1 7 Nowhere"), std::string::npos);
}

}  // namespace
}  // namespace tessera::test
