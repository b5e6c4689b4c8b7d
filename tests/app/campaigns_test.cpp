// Finding campaigns, choosing one, the campaign id and where a game writes.
#include "app/campaigns.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/profile.h"
#include "support/test_support.h"

namespace tessera {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<Campaign>& campaigns) {
  std::vector<std::string> names;
  for (const Campaign& c : campaigns) names.push_back(c.name);
  return names;
}

TEST(CampaignSearchTest, PlacesGoInOrderAndEachGameIsFoundOnce) {
  test::ScratchDir dir;
  dir.Write("listed/System.ini", "");                        // a campaign named directly
  dir.Write("parent/beta/Script.dat", "");                   // a folder of campaigns
  dir.Write("parent/alpha/script/scriptentry.txt", "");      // loose script, any letter case
  dir.Write("parent/notes/Picture.dat", "");                 // no game
  dir.Write("data/campaigns/zeta/SYSTEM.INI", "");
  dir.Write("data/campaigns/eta/System.ini", "");
  dir.Write("bin/campaigns/local/System.ini", "");
  dir.Write("share/tessera/campaigns/relocated/System.ini", "");
  dir.Write("usr/tessera/campaigns/installed/System.ini", "");
  fs::create_directory_symlink(dir / "data/campaigns/eta", dir / "parent/link-to-eta");

  SearchRoots roots;
  roots.listed = {dir / "listed", dir / "parent", dir / "missing"};
  roots.userData = dir / "data";
  roots.executable = dir / "bin";
  roots.systemData = {dir / "usr", dir / "usr/"};
  const std::vector<fs::path> places = SearchPlaces(roots);
  ASSERT_EQ(places.size(), 8u);
  EXPECT_EQ(places[3], dir / "data/campaigns");
  EXPECT_EQ(places[4], dir / "bin/campaigns");
  EXPECT_EQ(places[5], fs::path(dir / "share/tessera/campaigns"));
  EXPECT_EQ(places[6], dir / "usr/tessera/campaigns");

  const std::vector<Campaign> found = FindCampaigns(places);
  // The link reaches eta first, so eta is listed there under its real folder.
  EXPECT_EQ(Names(found), (std::vector<std::string>{"listed", "alpha", "beta", "eta", "zeta", "local", "relocated",
                                                    "installed"}));
  ASSERT_EQ(found.size(), 8u);
  EXPECT_EQ(found[3].folder, fs::path(dir / "data/campaigns/eta"));
  EXPECT_TRUE(FindCampaigns({dir / "nowhere", dir / "parent/notes"}).empty());
  EXPECT_FALSE(IsGameFolder(dir / "listed/System.ini"));  // a file is no folder
}

TEST(CampaignSearchTest, ChoiceRules) {
  test::ScratchDir dir;
  const std::vector<Campaign> three = {{"demo", dir / "a/demo"}, {"holiday", dir / "b/holiday"}, {"demo", dir / "c/demo"}};
  using K = CampaignChoice;
  EXPECT_EQ(ChooseCampaign({}, "", "", true).kind, K::NoneFound);
  EXPECT_EQ(ChooseCampaign({}, "demo", "", true).kind, K::NoneFound);

  // --game takes the first of that name and beats the last played.
  CampaignChoice c = ChooseCampaign(three, "demo", dir / "b/holiday", true);
  EXPECT_EQ(c.kind, K::Play);
  EXPECT_EQ(c.index, 0u);
  EXPECT_EQ(ChooseCampaign(three, "Demo", "", true).kind, K::UnknownName);

  // A single campaign is played without asking.
  c = ChooseCampaign({three[1]}, "", "", true);
  EXPECT_EQ(c.kind, K::Play);
  EXPECT_EQ(c.index, 0u);

  // The last played, however its path is spelt.
  c = ChooseCampaign(three, "", dir / "c/../c/demo/", true);
  EXPECT_EQ(c.kind, K::Play);
  EXPECT_EQ(c.index, 2u);

  // Otherwise ask, or take the first when nobody can be asked.
  EXPECT_EQ(ChooseCampaign(three, "", dir / "gone", true).kind, K::Ask);
  EXPECT_EQ(ChooseCampaign(three, "", "", true).kind, K::Ask);
  c = ChooseCampaign(three, "", "", false);
  EXPECT_EQ(c.kind, K::Play);
  EXPECT_EQ(c.index, 0u);
}

TEST(CampaignIdTest, TakenFromSystemIniElseFromTheFolder) {
  test::ScratchDir dir;
  dir.Write("a/holiday/System.ini", "[setting]\r\nCampaignId=holiday-1234\r\n");
  dir.Write("b/holiday/System.ini", "[setting]\r\nCampaignId=../../etc\r\n");
  dir.Write("c/holiday/System.ini", "[setting]\r\nCampaignId=..\r\n");
  dir.Write("d/holiday/System.ini", "[setting]\r\nwindowed=true\r\n");
  dir.Write("e/holiday/Script.dat", "");
  ClearProfileCache();
  EXPECT_EQ(CampaignId(dir / "a/holiday"), "holiday-1234");
  EXPECT_EQ(CampaignId(dir / "b/holiday"), "_._.._etc");  // never leaves its folder

  // No usable key: the name and a hash of the full path, the same every time,
  // different for another folder of the same name.
  const std::string c = CampaignId(dir / "c/holiday");
  const std::string d = CampaignId(dir / "d/holiday");
  const std::string e = CampaignId(dir / "e/holiday");
  EXPECT_EQ(d.size(), std::string("holiday-12345678").size());
  EXPECT_EQ(d.rfind("holiday-", 0), 0u) << d;
  EXPECT_EQ(CampaignId(dir / "d/../d/holiday"), d);
  EXPECT_NE(c, d);
  EXPECT_NE(d, e);

  EXPECT_EQ(CleanCampaignId("Mein Spiel/ü"), "Mein_Spiel___");
  EXPECT_EQ(CleanCampaignId(".hidden"), "_hidden");
  EXPECT_EQ(CleanCampaignId("..."), "");
  EXPECT_EQ(CleanCampaignId(std::string(100, 'x')).size(), 64u);
}

TEST(WritePlacesTest, WritableTestTriesAFileAndLeavesNothing) {
  test::ScratchDir dir;
  dir.Write("game/System.ini", "");
  EXPECT_TRUE(CanCreateFileIn(dir / "game"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "game"), fs::directory_iterator()), 1);
  EXPECT_FALSE(CanCreateFileIn(dir / "missing"));
  EXPECT_FALSE(CanCreateFileIn(dir / "game/System.ini"));

  // Permissions do not stop root, so the one test that holds for everyone is a
  // read-only mount.
  test::ReadOnlyMount mount(dir / "game");
  if (!mount.mounted()) GTEST_SKIP() << "no read-only mount possible here";
  EXPECT_FALSE(CanCreateFileIn(dir / "game"));
}

TEST(WritePlacesTest, GameFolderWhenWritableElseTheUsersFolders) {
  const UserFolders user{"/home/p/.local/share/tessera", "/home/p/.config/tessera", "/home/p/.local/state/tessera"};
  WritePlaces w = ChooseWritePlaces("/games/demo", true, "demo", user, "");
  EXPECT_TRUE(w.saves.empty());
  EXPECT_TRUE(w.readThrough.empty());
  EXPECT_TRUE(w.log.empty());

  w = ChooseWritePlaces("/games/demo", false, "demo", user, "");
  EXPECT_EQ(w.saves, fs::path("/home/p/.local/share/tessera/saves/demo"));
  EXPECT_EQ(w.readThrough, fs::path("/games/demo/Save"));
  EXPECT_EQ(w.log, fs::path("/home/p/.local/state/tessera/demo/log.txt"));

  // --save-dir wins everywhere and reads nothing else.
  for (bool writable : {true, false}) {
    w = ChooseWritePlaces("/games/demo", writable, "demo", user, "/tmp/mine");
    EXPECT_EQ(w.saves, fs::path("/tmp/mine"));
    EXPECT_TRUE(w.readThrough.empty());
  }
  // No home at all: the game folder it is, and a save that fails says so.
  w = ChooseWritePlaces("/games/demo", false, "demo", UserFolders{}, "");
  EXPECT_TRUE(w.saves.empty());
  EXPECT_TRUE(w.log.empty());
}

}  // namespace
}  // namespace tessera
