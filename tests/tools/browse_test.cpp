// The file browser in whole headless games: "Add pictures..." in the maker
// ticks pictures in the player's Pictures folder and makes them a campaign;
// "Open..." in the library installs a package through its card, copies a
// campaign's folder in, and says why another folder cannot be opened.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "content/package_install.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/user_folders.h"
#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

bool Near(uint32_t pixel, uint32_t rgb) {
  for (int shift : {16, 8, 0})
    if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) > 8) return false;
  return true;
}

int PixelsNear(const Picture& p, uint32_t rgb, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += Near(p.At(x, y), rgb);
  return n;
}

// The player's Pictures folder, named in user-dirs.dirs under $HOME as the
// desktop writes it; the command that starts the game sets HOME.
std::string SetPicturesFolder(const ScratchDir& dir) {
  dir.Write("player/config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/pics\"\n");
  return HostPathString(HostFsPath(dir.path()) / "pics");
}

#ifndef _WIN32
// The forms of user-dirs.dirs that xdg-user-dir reads; home when it names none.
TEST(Browse, ThePicturesFolderIsReadFromUserDirsOrIsHome) {
  ScratchDir dir;
  const PlayerFolders player(dir / "player");
  const char* oldHome = std::getenv("HOME");
  const std::string home = oldHome ? oldHome : "";
  SetEnvironment("HOME", dir / "home");
  const fs::path config = HostFsPath(dir / "player/config");
  EXPECT_EQ(PicturesFolder(), HostFsPath(dir / "home"));  // no user-dirs.dirs
  dir.Write("player/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME\"\n");
  EXPECT_EQ(PicturesFolder(), HostFsPath(dir / "home"));
  dir.Write("player/config/user-dirs.dirs",
            "  XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"/\"\nXDG_VIDEOS_DIR=\"/videos\"\n# XDG_PICTURES_DIR=\"/no\"\n");
  EXPECT_EQ(PicturesFolder(), HostFsPath(dir / "home/My \"Pics\""));
  dir.Write("player/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/photos\"\nXDG_PICTURES_DIR=\"relative\"\n");
  EXPECT_EQ(PicturesFolder(), fs::path("/srv/photos"));
  dir.Write("player/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"/unclosed\nXDG_PICTURES_DIRS=\"/other\"\n");
  EXPECT_EQ(PicturesFolder(), HostFsPath(dir / "home"));
  SetEnvironment("HOME", home);
}
#endif

// A campaign's folder copied in: under a free name, nothing left beside it;
// no campaign, one the game could not play, or the folder that holds the
// campaigns folder, refused.
TEST(Browse, ACampaignFolderIsCopiedUnderAFreeNameAndOthersAreRefused) {
  ScratchDir dir;
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty()) << "make-demo failed";
  LinkCopy(demo, dir / "game");
  LinkCopy(demo, dir / "broken");
  SetProfileValue(dir / "broken/Game.ini", "color", "color3", std::string("12"));
  dir.Write("other/readme.txt", std::string("no game"));
  const fs::path campaigns = HostFsPath(dir / "game/campaigns2");
  const fs::path outside = HostFsPath(dir / "campaigns");
  fs::path installed;
  std::string error;
  ASSERT_TRUE(content::InstallCampaignFolder(HostFsPath(dir / "game"), "My Trip", outside, installed, error)) << error;
  EXPECT_EQ(installed, outside / "My_Trip");
  EXPECT_EQ(ReadBytes(HostPathString(installed / "Picture.dat")), ReadBytes(demo + "/Picture.dat"));
  ASSERT_TRUE(content::InstallCampaignFolder(HostFsPath(dir / "game"), "my trip", outside, installed, error)) << error;
  EXPECT_EQ(installed, outside / "my_trip-2");
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 2);
  EXPECT_FALSE(content::InstallCampaignFolder(HostFsPath(dir / "broken"), "Broken", outside, installed, error));
  EXPECT_EQ(error.rfind("broken: not a playable campaign:\n  Game.ini:color:color3: error: ", 0), 0u) << error;
  EXPECT_FALSE(content::InstallCampaignFolder(HostFsPath(dir / "other"), "Other", outside, installed, error));
  EXPECT_NE(error.find("holds no campaign"), std::string::npos) << error;
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 2);
  EXPECT_FALSE(content::InstallCampaignFolder(HostFsPath(dir / "game"), "Game", campaigns, installed, error));
  EXPECT_NE(error.find("holds the campaigns folder"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(campaigns));
}

constexpr uint32_t kTick = 0xF0DCA0, kWarn = 0xF0AA78, kSelectedRow = 0x3C4868;

TEST(Browse, PicturesTickedInThePicturesFolderAreAddedToTheMakersForm) {
#ifdef _WIN32
  GTEST_SKIP() << "the Pictures known folder cannot be moved for one process";
#endif
  ScratchDir dir;
  const PlayerFolders player(dir / "player");
  const std::string pics = SetPicturesFolder(dir);
  dir.Write("a.bmp", SolidBmp(200, 200, 255, 0, 0));
  dir.Write("pics/holiday/b.bmp", SolidBmp(200, 150, 0, 255, 0));
  dir.Write("pics/holiday/c.bmp", SolidBmp(150, 200, 0, 0, 255));
  dir.Write("pics/holiday/d.bmp", SolidBmp(200, 200, 255, 255, 0));
  // "Add pictures...", into holiday, b ticked by key and d by click (c left),
  // "Add 2 pictures", a title and Enter.
  dir.Write("make.txt",
            "100 move 300 560\n110 ldown\n120 lup\n300 keydown 13\n500 dump browser\n560 keydown 32\n"
            "580 move 300 242\n590 ldown\n600 lup\n660 dump ticked\n700 move 500 568\n710 ldown\n720 lup\n"
            "800 dump added\n900 text Trip\n1000 keydown 13\n3000 quit\n");
  const std::string holiday = HostPathString(HostFsPath(pics) / "holiday");
  const RunResult r = RunCommand("cd " + Quote(dir.path()) + " && HOME=" + Quote(dir.path()) + " TESSERA_PATH= " +
                                 Quote(GameBinary()) + " --headless --input make.txt --trace trace.txt --dump-dir . --max-ms 60000 " +
                                 Quote(dir / "a.bmp"));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string trace = ReadText(dir / "trace.txt");
  EXPECT_NE(trace.find("120 log browsing " + pics + "\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("300 log browsing " + holiday + "\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("720 log added 2 pictures\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find(" log making Trip from 3 pictures\n"), std::string::npos) << trace;
  const std::string campaign = HostPathString(HostFsPath(player.Campaigns()) / "Trip");
  EXPECT_NE(trace.find(" log made " + campaign + " with 3 levels\n"), std::string::npos) << trace;

  Picture browser, ticked, added;
  ASSERT_TRUE(ReadBmp24(dir / "browser.bmp", browser));
  ASSERT_TRUE(ReadBmp24(dir / "ticked.bmp", ticked));
  ASSERT_TRUE(ReadBmp24(dir / "added.bmp", added));
  // Rows of 44 pixels from y = 90 ("up", b, c, d), thumbnails at x = 96; b selected.
  EXPECT_TRUE(Near(browser.At(116, 155), 0x00FF00) && Near(browser.At(116, 199), 0x0000FF) &&
              Near(browser.At(116, 243), 0xFFFF00));
  EXPECT_TRUE(Near(browser.At(600, 150), kSelectedRow) && !Near(browser.At(600, 200), kSelectedRow));
  EXPECT_FALSE(Near(browser.At(76, 155), kTick));
  EXPECT_TRUE(Near(ticked.At(76, 155), kTick) && !Near(ticked.At(76, 199), kTick) && Near(ticked.At(76, 243), kTick));
  // The form's thumbnails: the command line's picture, then those ticked in order.
  EXPECT_TRUE(Near(added.At(70, 380), 0xFF0000) && Near(added.At(136, 380), 0x00FF00) &&
              Near(added.At(202, 380), 0xFFFF00));
  EXPECT_FALSE(Near(added.At(268, 380), 0x0000FF));
}

TEST(Browse, OpenInstallsAPackageCopiesACampaignFolderAndRefusesAnotherFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "the Pictures known folder cannot be moved for one process";
#endif
  ScratchDir dir;
  const PlayerFolders player(dir / "player");
  const std::string pics = SetPicturesFolder(dir);
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  dir.Write("pics/notcampaign/readme.txt", std::string("no game here"));
  DeepCopy(demo, dir / "game");
  DeepCopy(demo, dir / "pics/democopy");
  const RunResult packed = RunTool("pack " + Quote(demo) + " " + Quote(dir / "pics/gift.tessera"));
  ASSERT_EQ(packed.exitCode, 0) << packed.output;
  // The start menu, Escape into the library; each time End, Down to the make
  // button, Right to "Open..." and Enter (10 ms apart). The package by End and Enter, installed
  // with Enter on its card; the campaign folder (first) by the Open button;
  // the other folder (second) by Down and the Open button.
  auto open = [](int ms) {
    std::string lines;
    for (uint32_t key : {35, 40, 39, 13}) lines += std::to_string(ms++ * 10) + " keydown " + std::to_string(key) + "\n";
    return lines;
  };
  std::string script = "100 ldown\n600 lup\n1000 keydown 27\n";
  script += open(110) + "1200 keydown 35\n1210 keydown 13\n1400 keydown 13\n1500 dump installed\n";
  script += open(160) + "1700 move 500 568\n1710 ldown\n1720 lup\n1800 dump copied\n";
  script += open(190) + "2000 keydown 40\n2010 move 500 568\n2020 ldown\n2030 lup\n2100 dump refused\n";
  // The package dropped onto the library: its card again, Enter installs it.
  script += "2150 drop " + (dir / "pics/gift.tessera") + "\n2300 keydown 13\n2400 quit\n";
  dir.Write("open.txt", script);
  const RunResult r = RunCommand("cd " + Quote(dir.path()) + " && HOME=" + Quote(dir.path()) + " TESSERA_PATH= " +
                                 Quote(GameBinary()) + " --headless --workdir " + Quote(dir / "game") +
                                 " --input open.txt --trace trace.txt --dump-dir . --max-ms 60000");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string trace = ReadText(dir / "trace.txt");
  const fs::path campaigns = HostFsPath(player.Campaigns());
  const std::string gift = HostPathString(HostFsPath(pics) / "gift.tessera");
  const std::string copy = HostPathString(HostFsPath(pics) / "democopy");
  const std::string other = HostPathString(HostFsPath(pics) / "notcampaign");
  const size_t installedAt = trace.find(" log installed " + gift + " into " + HostPathString(campaigns));
  EXPECT_NE(installedAt, std::string::npos) << trace;
  EXPECT_NE(trace.find(" log installed " + gift + " into ", installedAt + 1), std::string::npos) << trace;  // dropped
  EXPECT_NE(trace.find(" log copied " + copy + " into " + HostPathString(campaigns)), std::string::npos) << trace;
  EXPECT_NE(trace.find(" log " + other + ": no campaign to open\n"), std::string::npos) << trace;
  // Two campaigns in the player's folder, each a game, nothing half-made beside them.
  int games = 0;
  for (const auto& e : fs::directory_iterator(campaigns)) {
    EXPECT_NE(HostPathString(e.path().filename())[0], '.') << e.path();
    games += fs::exists(e.path() / "System.ini");
  }
  EXPECT_EQ(games, 2);

  Picture installed, refused;
  ASSERT_TRUE(ReadBmp24(dir / "installed.bmp", installed));
  ASSERT_TRUE(ReadBmp24(dir / "refused.bmp", refused));
  // The package's campaign, the player's only one, first and selected; no message.
  EXPECT_TRUE(Near(installed.At(600, 140), kSelectedRow));
  EXPECT_EQ(PixelsNear(installed, kWarn, 190, 30, 740, 56), 0);
  EXPECT_GT(PixelsNear(refused, kWarn, 190, 30, 740, 56), 30);
}

}  // namespace
}  // namespace tessera::test
