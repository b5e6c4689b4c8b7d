// The game binary finding its game and choosing where to write, with its own
// copy in a scratch folder so that the places beside the executable are ours.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace tessera {
namespace {

namespace fs = std::filesystem;
using test::RunResult;

class GameFolderRunTest : public ::testing::Test {
 protected:
  GameFolderRunTest() {
    fs::create_directories(dir_ / "bin");
    fs::create_directories(dir_ / "here");
    fs::copy_file(TESSERA_BINARY, dir_ / "bin/tessera");
  }

  // Runs from the folder "here" with every search root inside the scratch folder.
  RunResult Run(const std::string& args, const std::string& env = "") {
    return test::RunCommand("cd " + (dir_ / "here") + " && env -u TESSERA_PATH HOME=" + (dir_ / "home") +
                            " XDG_DATA_HOME=" + (dir_ / "data") + " XDG_STATE_HOME=" + (dir_ / "state") +
                            " XDG_CONFIG_HOME=" + (dir_ / "config") + " XDG_DATA_DIRS=" + (dir_ / "sys") + " " +
                            env + " " + (dir_ / "bin/tessera") + " " + args);
  }
  std::string FirstLogLine(const std::string& log) {
    const std::string text = test::ReadText(log);
    return text.substr(0, text.find("\r\n"));
  }
  bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  test::ScratchDir dir_;
};

TEST_F(GameFolderRunTest, NoGameAnywhereSaysWhereItLookedAndHowToGetOne) {
  for (const char* mode : {"--headless", "--windowed"}) {
    const RunResult r = Run(mode, "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(r.exitCode, 1) << mode << r.output;
    for (const std::string& part :
         {std::string("no game found"), dir_ / "here", dir_ / "data/tessera/campaigns", dir_ / "bin/campaigns",
          dir_ / "share/tessera/campaigns", dir_ / "sys/tessera/campaigns", std::string("tessera-tool make-demo DIR"),
          std::string("tessera-tool import DIR PICTURES"), std::string("--workdir DIR")})
      EXPECT_TRUE(Contains(r.output, part)) << mode << " lacks " << part << "\n" << r.output;
  }
  // Only windowed runs show the message box too.
  EXPECT_TRUE(Contains(Run("", "SDL_VIDEODRIVER=dummy").output, "message: no game found"));
  EXPECT_FALSE(fs::exists(dir_ / "here/log.txt"));
}

TEST_F(GameFolderRunTest, CampaignsAreListedAndTheFirstOrTheNamedOneIsPlayed) {
  dir_.Write("extra/System.ini", "");
  dir_.Write("data/tessera/campaigns/beta/System.ini", "");
  dir_.Write("data/tessera/campaigns/alpha/Script.dat", "");
  dir_.Write("bin/campaigns/local/System.ini", "");
  dir_.Write("sys/tessera/campaigns/alpha/System.ini", "");
  const std::string listed = "TESSERA_PATH=" + (dir_ / "extra");

  RunResult r = Run("--list-games", listed);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "extra\t" + (dir_ / "extra") + "\nalpha\t" + (dir_ / "data/tessera/campaigns/alpha") +
                          "\nbeta\t" + (dir_ / "data/tessera/campaigns/beta") + "\nlocal\t" +
                          (dir_ / "bin/campaigns/local") + "\nalpha\t" + (dir_ / "sys/tessera/campaigns/alpha") +
                          "\n");

  // Headless runs never ask: the first found, its log where it is writable.
  r = Run("--headless --max-ms 200", listed);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(FirstLogLine(dir_ / "extra/log.txt"),
            "game folder " + (dir_ / "extra") + ", saves in " + (dir_ / "extra/Save"));
  r = Run("--headless --max-ms 200 --game local", listed);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(fs::exists(dir_ / "bin/campaigns/local/log.txt"));
  r = Run("--headless --game nope", listed);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(Contains(r.output, "no campaign is named nope")) << r.output;

  // A game in the current folder comes before every campaign.
  dir_.Write("here/System.ini", "");
  EXPECT_EQ(Run("--headless --max-ms 200", listed).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir_ / "here/log.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "config"));  // headless runs keep out of the player's config
}

TEST_F(GameFolderRunTest, ReadOnlyGameWritesItsLogAndSavesInTheUsersFolders) {
  dir_.Write("sys/tessera/campaigns/demo/System.ini", "[setting]\r\nCampaignId=demo-ro\r\n");
  test::ReadOnlyMount mount(dir_ / "sys");
  if (!mount.mounted()) GTEST_SKIP() << "no read-only mount possible here";
  RunResult r = Run("--headless --max-ms 200");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(FirstLogLine(dir_ / "state/tessera/demo-ro/log.txt"),
            "game folder " + (dir_ / "sys/tessera/campaigns/demo") + ", saves in " +
                (dir_ / "data/tessera/saves/demo-ro"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "sys/tessera/campaigns/demo"), fs::directory_iterator()), 1);

  // --save-dir names the save folder whatever the game folder allows.
  r = Run("--headless --max-ms 200 --save-dir mine");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(Contains(FirstLogLine(dir_ / "state/tessera/demo-ro/log.txt"), ", saves in " + (dir_ / "here/mine")));
}

TEST_F(GameFolderRunTest, WorkdirWithoutAGameIsPlayedWithAWarning) {
  fs::create_directories(dir_ / "empty");
  const RunResult r = Run("--headless --max-ms 200 --workdir ../empty");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  const std::string warning = "no game files found in " + (dir_ / "empty");
  EXPECT_TRUE(Contains(r.output, "tessera: warning: " + warning)) << r.output;
  EXPECT_TRUE(Contains(test::ReadText(dir_ / "empty/log.txt"), "\r\n" + warning + "\r\n"));
}

}  // namespace
}  // namespace tessera
