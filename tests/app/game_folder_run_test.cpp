// The game binary finding its game and choosing where to write, run as its own
// copy in a scratch folder so that the places beside the executable are ours.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace tessera {
namespace {

namespace fs = std::filesystem;

class GameFolderRunTest : public ::testing::Test {
 protected:
  GameFolderRunTest() {
    fs::create_directories(dir_ / "here");
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "bin");
    fs::copy_file(TESSERA_BINARY, dir_ / "bin/tessera");
  }
  // Runs in the folder "here" with every search root inside the scratch folder.
  test::RunResult Run(const std::string& args, const std::string& env = "") {
    return test::RunCommand("cd " + (dir_ / "here") + " && env -u TESSERA_PATH HOME=" + (dir_ / "home") +
                            " XDG_DATA_HOME=" + (dir_ / "data") + " XDG_STATE_HOME=" + (dir_ / "state") +
                            " XDG_CONFIG_HOME=" + (dir_ / "config") + " XDG_DATA_DIRS=" + (dir_ / "sys") + " " + env +
                            " " + (dir_ / "bin/tessera") + " " + args);
  }
  std::string FirstLogLine(const std::string& log) {
    const std::string text = test::ReadText(log);
    return text.substr(0, text.find("\r\n"));
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
  test::ScratchDir dir_;
};

TEST_F(GameFolderRunTest, NoGameAnywhereSaysWhereItLookedAndHowToGetOne) {
  for (const char* mode : {"--headless", "--windowed"}) {
    const test::RunResult r = Run(mode, "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(r.exitCode, 1) << mode << r.output;
    for (const std::string& part : {std::string("no game found"), dir_ / "here", dir_ / "data/tessera/campaigns",
                                    dir_ / "bin/campaigns", dir_ / "share/tessera/campaigns",
                                    dir_ / "sys/tessera/campaigns", std::string("tessera-tool make-demo DIR"),
                                    std::string("tessera-tool import DIR PICTURES"), std::string("--workdir DIR")})
      EXPECT_TRUE(Has(r.output, part)) << mode << " lacks " << part << "\n" << r.output;
    // Windowed runs show it in a message box too.
    EXPECT_EQ(Has(r.output, "message: no game found"), std::string(mode) == "--windowed");
  }
}

TEST_F(GameFolderRunTest, CampaignsAreListedAndTheFirstOrTheNamedOneIsPlayed) {
  for (const char* file : {"extra/System.ini", "data/tessera/campaigns/beta/System.ini",
                           "data/tessera/campaigns/alpha/Script.dat", "bin/campaigns/local/System.ini",
                           "sys/tessera/campaigns/alpha/System.ini", "sys/tessera/campaigns/gamma/System.ini"})
    dir_.Write(file, "");
  const std::string listed = "TESSERA_PATH=" + (dir_ / "extra");
  test::RunResult r = Run("--list-games", listed);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "extra\t" + (dir_ / "extra") + "\nalpha\t" + (dir_ / "data/tessera/campaigns/alpha") +
                          "\nbeta\t" + (dir_ / "data/tessera/campaigns/beta") + "\nlocal\t" +
                          (dir_ / "bin/campaigns/local") + "\nalpha\t" + (dir_ / "sys/tessera/campaigns/alpha") +
                          "\ngamma\t" + (dir_ / "sys/tessera/campaigns/gamma") + "\n");

  // Headless runs never ask: the first found, its log in it as it is writable.
  ASSERT_EQ(Run("--headless --max-ms 200", listed).exitCode, 0);
  EXPECT_EQ(FirstLogLine(dir_ / "extra/log.txt"), "game folder " + (dir_ / "extra") + ", saves in " + (dir_ / "extra/Save"));
  ASSERT_EQ(Run("--headless --max-ms 200 --game local", listed).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir_ / "bin/campaigns/local/log.txt"));
  EXPECT_NE(Run("--headless --game nope", listed).exitCode, 0);
  // An installed game is never written, even where it could be (root).
  ASSERT_EQ(Run("--headless --max-ms 200 --game gamma", listed).exitCode, 0);
  EXPECT_FALSE(fs::is_empty(dir_ / "state/tessera"));  // its log went there
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "sys/tessera/campaigns/gamma"), fs::directory_iterator()), 1);

  // A game in the current folder comes first; --workdir is taken as it is, with a warning.
  dir_.Write("here/System.ini", "");
  ASSERT_EQ(Run("--headless --max-ms 200", listed).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir_ / "here/log.txt"));
  r = Run("--headless --max-ms 200 --workdir ../home");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(Has(r.output, "tessera: warning: no game files found in " + (dir_ / "home"))) << r.output;
  EXPECT_TRUE(Has(test::ReadText(dir_ / "home/log.txt"), "\r\nno game files found in " + (dir_ / "home") + "\r\n"));
  EXPECT_FALSE(fs::exists(dir_ / "config"));  // headless runs keep out of the player's config
}

TEST_F(GameFolderRunTest, ReadOnlyGameWritesItsLogAndSavesInTheUsersFolders) {
  dir_.Write("sys/tessera/campaigns/demo/System.ini", "[setting]\r\nCampaignId=demo-ro\r\n");
  test::ReadOnlyMount mount(dir_ / "sys");
  if (!mount.mounted()) GTEST_SKIP() << "no read-only mount possible here";
  ASSERT_EQ(Run("--headless --max-ms 200").exitCode, 0);
  const std::string log = dir_ / "state/tessera/demo-ro/log.txt";
  EXPECT_EQ(FirstLogLine(log), "game folder " + (dir_ / "sys/tessera/campaigns/demo") + ", saves in " +
                                   (dir_ / "data/tessera/saves/demo-ro"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "sys/tessera/campaigns/demo"), fs::directory_iterator()), 1);
  ASSERT_EQ(Run("--headless --max-ms 200 --save-dir mine").exitCode, 0);
  EXPECT_TRUE(Has(FirstLogLine(log), ", saves in " + (dir_ / "here/mine")));
}

}  // namespace
}  // namespace tessera
