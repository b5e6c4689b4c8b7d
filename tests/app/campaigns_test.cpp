// Finding campaigns, choosing one, the campaign id and where a game writes.
#include "app/campaigns.h"

#include <gtest/gtest.h>

#include "app/profile.h"
#include "support/test_support.h"

namespace tessera {
namespace {

namespace fs = std::filesystem;

TEST(CampaignSearchTest, PlacesGoInOrderAndEachGameIsFoundOnce) {
  test::ScratchDir dir;
  for (const char* file : {"listed/System.ini", "parent/beta/Script.dat", "parent/alpha/script/scriptentry.txt",
                           "parent/notes/Picture.dat", "data/campaigns/zeta/SYSTEM.INI", "data/campaigns/eta/System.ini",
                           "bin/campaigns/local/System.ini", "share/tessera/campaigns/moved/System.ini",
                           "usr/tessera/campaigns/installed/System.ini"})
    dir.Write(file, "");
  // A link, where the system lets one be made, must not list its game twice.
  std::error_code linkError;
  fs::create_directory_symlink(dir / "data/campaigns/eta", dir / "parent/link-to-eta", linkError);
  SearchRoots roots{{dir / "listed", dir / "parent", dir / "missing"}, dir / "data", dir / "bin", {dir / "usr", dir / "usr/"}};
  const std::vector<fs::path> places = SearchPlaces(roots);
  ASSERT_EQ(places.size(), 8u);
  EXPECT_EQ(places[5], fs::path(dir / "share/tessera/campaigns"));

  std::vector<std::string> names;
  const std::vector<Campaign> found = FindCampaigns(places);
  for (const Campaign& c : found) names.push_back(c.name);
  // The link reaches eta first; it is listed there, under its real folder, once.
  EXPECT_EQ(names, (std::vector<std::string>{"listed", "alpha", "beta", "eta", "zeta", "local", "moved", "installed"}));
  EXPECT_EQ(found.at(3).folder, fs::path(dir / "data/campaigns/eta"));
  EXPECT_TRUE(FindCampaigns({dir / "nowhere", dir / "parent/notes"}).empty());
}

TEST(CampaignSearchTest, APlaceReachedThroughALinkListsItsGamesUnderTheirRealFolders) {
  test::ScratchDir dir;
  dir.Write("real/eta/System.ini", "");
  dir.Write("real/zeta/Script.dat", "");
  std::error_code linkError;
  fs::create_directory_symlink(dir / "real", dir / "linked", linkError);
  if (linkError) GTEST_SKIP() << "no folder links here: " << linkError.message();
  // Found through the link first, then in the real place: each game once, as
  // the real folder it is.
  const std::vector<Campaign> found = FindCampaigns({dir / "linked", dir / "real"});
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].folder, fs::canonical(fs::path(dir / "real/eta")));
  EXPECT_EQ(found[1].folder, fs::canonical(fs::path(dir / "real/zeta")));
  EXPECT_EQ(found[1].name, "zeta");
}

TEST(CampaignSearchTest, ChoiceRules) {
  test::ScratchDir dir;
  const std::vector<Campaign> three = {{"demo", dir / "a/demo"}, {"trip", dir / "b/trip"}, {"demo", dir / "c/demo"}};
  auto choose = [&](const std::vector<Campaign>& list, const std::string& wanted, const std::string& last, bool ask) {
    const CampaignChoice c = ChooseCampaign(list, wanted, last, ask);
    return std::make_pair(c.kind, c.kind == CampaignChoice::Play ? static_cast<int>(c.index) : -1);
  };
  using K = CampaignChoice::Kind;
  EXPECT_EQ(choose({}, "demo", "", true), std::make_pair(K::NoneFound, -1));
  EXPECT_EQ(choose(three, "demo", dir / "b/trip", true), std::make_pair(K::Play, 0));  // --game beats the last
  EXPECT_EQ(choose(three, "Demo", "", true), std::make_pair(K::UnknownName, -1));
  EXPECT_EQ(choose({three[1]}, "", "", true), std::make_pair(K::Play, 0));
  EXPECT_EQ(choose(three, "", dir / "c/../c/demo/", true), std::make_pair(K::Play, 2));
  EXPECT_EQ(choose(three, "", dir / "gone", true), std::make_pair(K::Ask, -1));
  EXPECT_EQ(choose(three, "", "", false), std::make_pair(K::Play, 0));  // nobody to ask
}

TEST(CampaignIdTest, TakenFromSystemIniElseFromTheFolder) {
  test::ScratchDir dir;
  dir.Write("a/trip/System.ini", "[setting]\r\nCampaignId=trip-1234\r\n");
  dir.Write("b/trip/System.ini", "[setting]\r\nCampaignId=../../etc\r\n");
  dir.Write("c/trip/System.ini", "[setting]\r\nCampaignId=..\r\n");
  dir.Write("d/trip/Script.dat", "");
  ClearProfileCache();
  EXPECT_EQ(CampaignId(dir / "a/trip"), "trip-1234");
  EXPECT_EQ(CampaignId(dir / "b/trip"), "_._.._etc");  // never a path
  // Else the name and a hash of the full path: stable, and apart for another folder.
  const std::string c = CampaignId(dir / "c/trip"), d = CampaignId(dir / "d/trip");
  EXPECT_EQ(d.size(), std::string("trip-12345678").size());
  EXPECT_EQ(d.rfind("trip-", 0), 0u) << d;
  EXPECT_EQ(CampaignId(dir / "d/../d/trip"), d);
  EXPECT_NE(c, d);
  EXPECT_EQ(CleanCampaignId(".Mein Spiel/\xC3\xBC"), "_Mein_Spiel___");
  EXPECT_EQ(CleanCampaignId(std::string(100, 'x')).size(), 64u);
}

TEST(WritePlacesTest, WritableProbeLeavesNothingAndNoHomeLeavesTheGameFolder) {
  test::ScratchDir dir;
  EXPECT_TRUE(CanCreateFileIn(dir.path()));
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_FALSE(CanCreateFileIn(dir / "missing"));
  // Without a home the game folder is tried all the same, and a save that fails says so.
  const WritePlaces w = ChooseWritePlaces("/games/demo", false, "demo", UserFolders{}, "");
  EXPECT_TRUE(w.saves.empty() && w.readThrough.empty() && w.log.empty());
}

}  // namespace
}  // namespace tessera
