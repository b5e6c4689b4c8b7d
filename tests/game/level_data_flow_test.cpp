// Whole runs of the game binary where the level data decides the road: levels
// that cannot be played, a missing text file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/campaign.h"
#include "support/test_support.h"

namespace tessera::datatest {
namespace {

class LevelDataFlowTest : public ::testing::Test {
 protected:
  test::RunResult Autoplay() {
    return test::RunGame("--headless --autoplay --workdir " + dir_.path() + " --trace " + (dir_ / "trace.txt") +
                         " --max-ms 600000");
  }
  // The state changes of the trace, "old new level" each.
  std::vector<std::string> States() const {
    std::vector<std::string> out;
    std::istringstream in(test::ReadText(dir_ / "trace.txt"));
    std::string line;
    while (std::getline(in, line)) {
      const size_t p = line.find(" state ");
      if (p != std::string::npos) out.push_back(line.substr(p + 7));
    }
    return out;
  }
  bool Saw(const std::string& change) const {
    for (const std::string& s : States())
      if (s == change || s.rfind(change + " ", 0) == 0) return true;
    return false;
  }
  static std::string TwoLevels(const std::string& secondLevelKeys) {
    return "[GameBegin]\nTotalBeginPicture=0\n" +
           test::LevelSection("Level00", "BlendPictureNum=1\nBlendPicture00=L0\nStoneRation=0\nBeginTalkNum=0\n"
                                         "EndTalkNum=0\nGoto=Level01\n") +
           test::LevelSection("Level01", secondLevelKeys);
  }

  test::ScratchDir dir_;
};

TEST_F(LevelDataFlowTest, PieceSizeThatDoesNotTileIsRefusedByName) {
  test::CampaignOptions options;
  options.script = TwoLevels("BlendPictureNum=1\nBlendPicture00=L1\nSplitSize=30\nBeginTalkNum=0\nEndTalkNum=0\n");
  test::BuildCampaign(dir_, options);
  const test::RunResult r = Autoplay();
  EXPECT_NE(r.output.find("Level \"Level01\" cannot be played: a piece size of 30 is not 25, 50 or 100"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(Saw("9 2 Level00"));
  EXPECT_TRUE(Saw("2 1 Level01"));
  EXPECT_TRUE(Saw("1 7 Level01")) << test::ReadText(dir_ / "trace.txt");
  EXPECT_FALSE(Saw("1 9 Level01"));
}

TEST_F(LevelDataFlowTest, TooManyLayersAndUnknownLevelsAreRefused) {
  test::CampaignOptions options;
  options.script = TwoLevels("BlendPictureNum=6\nBlendPicture00=L1\nBeginTalkNum=0\nEndTalkNum=0\n");
  test::BuildCampaign(dir_, options);
  test::RunResult r = Autoplay();
  EXPECT_NE(r.output.find("Level \"Level01\" cannot be played: it has 6 pictures"), std::string::npos) << r.output;
  EXPECT_TRUE(Saw("1 7 Level01"));

  // A start level the script does not hold.
  options.systemExtra = "BeginLevel=Level77";
  test::BuildCampaign(dir_, options);
  r = Autoplay();
  EXPECT_NE(r.output.find("Level \"Level77\" cannot be played: the level script has no such level"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(Saw("0 1 Level77"));
  EXPECT_TRUE(Saw("1 7 Level77"));
}

TEST_F(LevelDataFlowTest, GameWithoutItsTextsStillPlaysToTheEnd) {
  test::BuildCampaign(dir_);
  ASSERT_NO_FATAL_FAILURE(test::RemoveOrFail(dir_ / "Localization/Localization.txt"));
  const test::RunResult r = Autoplay();
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(Saw("2 1 Level01")) << test::ReadText(dir_ / "trace.txt");
  EXPECT_TRUE(Saw("2 10 GameEnd"));
  EXPECT_TRUE(Saw("10 7 GameEnd"));
}

}  // namespace
}  // namespace tessera::datatest
