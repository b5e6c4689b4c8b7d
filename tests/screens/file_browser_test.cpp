// The file browser over listings made in the test: what is listed and in what
// order, keys and clicks moving, ticking, entering and going up (not past a
// root), Open choosing, and a folder that cannot be read.
#include "screens/file_browser.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "screens/screen_messages.h"
#include "support/test_support.h"

namespace tessera {
namespace {

namespace fs = std::filesystem;
using test::Key;
using test::Message;

// Row k of the list is 44 pixels high from y = 90, between x = 60 and 720.
int RowY(int k) { return 90 + 44 * k + 20; }

BrowserStep Click(FileBrowserState& s, int x, int y, fs::path& target) {
  HandleBrowserMessage(s, Message(MessageKind::ButtonDown, 0, x, y), target);
  return HandleBrowserMessage(s, Message(MessageKind::ButtonUp, 0, x, y), target);
}

std::vector<std::string> Names(const BrowserListing& listing) {
  std::vector<std::string> names;
  for (const BrowserEntry& e : listing.entries) names.push_back(e.name);
  return names;
}

const fs::path kPhotos = fs::path("/home/ann/Photos");

TEST(FileBrowserTest, ListsFoldersFirstThenTheModesFilesByNameWithoutHiddenOnes) {
  const std::vector<std::pair<std::string, bool>> found = {
      {"b.JPG", false}, {".thumbs", true}, {"Zoo", true}, {"notes.txt", false}, {"A.png", false},
      {".hidden.png", false}, {"alps", true}, {"trip.tessera", false}, {"c.bmp", false}};
  const BrowserListing pictures = MakeListing(kPhotos / "", found, BrowserMode::Pictures);
  EXPECT_EQ(pictures.folder, kPhotos);  // a trailing separator is no folder of its own
  EXPECT_EQ(Names(pictures), (std::vector<std::string>{"..", "alps", "Zoo", "A.png", "b.JPG", "c.bmp"}));
  EXPECT_EQ(pictures.entries[0].path, fs::path("/home/ann"));
  EXPECT_EQ(pictures.entries[4].path, kPhotos / "b.JPG");
  EXPECT_EQ(Names(MakeListing(kPhotos, found, BrowserMode::Open)),
            (std::vector<std::string>{"..", "alps", "Zoo", "trip.tessera"}));
  // A root has nothing above it.
  EXPECT_EQ(Names(MakeListing("/", {{"home", true}}, BrowserMode::Open)), (std::vector<std::string>{"home"}));
}

TEST(FileBrowserTest, KeysMoveTickEnterAndGoUpButNotPastTheRoot) {
  FileBrowserState s;
  std::vector<std::pair<std::string, bool>> found = {{"alps", true}};
  for (int i = 0; i < 30; ++i) found.push_back({"p" + std::to_string(100 + i) + ".png", false});
  ShowListing(s, MakeListing(kPhotos, found, BrowserMode::Pictures));
  EXPECT_EQ(s.selected, 1);  // the first folder, past "up"
  fs::path target;
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_DOWN), target), BrowserStep::None);
  EXPECT_EQ(s.selected, 2);
  HandleBrowserMessage(s, Key(VK_SPACE), target);
  HandleBrowserMessage(s, Key(VK_DOWN), target);
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_RETURN), target), BrowserStep::None);  // Enter ticks a picture too
  const fs::path first = s.listing.entries[2].path, second = s.listing.entries[3].path;
  EXPECT_EQ(first, kPhotos / "p100.png");
  EXPECT_EQ(s.ticked, (std::vector<std::string>{HostPathString(first), HostPathString(second)}));
  HandleBrowserMessage(s, Key(VK_SPACE), target);  // and again unticks it
  EXPECT_EQ(s.ticked.size(), 1u);
  EXPECT_TRUE(IsTicked(s, first));
  EXPECT_FALSE(IsTicked(s, second));

  HandleBrowserMessage(s, Key(VK_NEXT), target);
  EXPECT_EQ(s.selected, 13);
  EXPECT_EQ(s.top, 4);  // ten rows shown, the selection the last of them
  HandleBrowserMessage(s, Key(VK_END), target);
  EXPECT_EQ(s.selected, 31);
  HandleBrowserMessage(s, Key(VK_DOWN), target);
  EXPECT_EQ(s.selected, 31);
  EXPECT_EQ(BrowserHitAt(s, 300, RowY(9)), 31);
  HandleBrowserMessage(s, Key(VK_HOME), target);
  EXPECT_EQ(s.selected, 0);
  EXPECT_EQ(s.top, 0);
  HandleBrowserMessage(s, Key(VK_PRIOR), target);
  EXPECT_EQ(s.selected, 0);

  // Enter on "up", Backspace and a click on a folder go somewhere to list.
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_RETURN), target), BrowserStep::Go);
  EXPECT_EQ(target, fs::path("/home/ann"));
  target.clear();
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_BACK), target), BrowserStep::Go);
  EXPECT_EQ(target, fs::path("/home/ann"));
  EXPECT_EQ(Click(s, 300, RowY(1), target), BrowserStep::Go);
  EXPECT_EQ(target, kPhotos / "alps");
  // A click ticks a picture; the confirm button then adds what is ticked.
  EXPECT_EQ(Click(s, 300, RowY(3), target), BrowserStep::None);
  EXPECT_EQ(s.ticked.size(), 2u);
  EXPECT_EQ(Click(s, 500, 568, target), BrowserStep::Confirm);
  EXPECT_EQ(Click(s, 680, 568, target), BrowserStep::Cancel);
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_ESCAPE), target), BrowserStep::Cancel);
  EXPECT_EQ(HandleBrowserMessage(s, Message(MessageKind::Close), target), BrowserStep::Quit);
  // A press on one row and release on another is no click.
  HandleBrowserMessage(s, Message(MessageKind::ButtonDown, 0, 300, RowY(4)), target);
  EXPECT_EQ(HandleBrowserMessage(s, Message(MessageKind::ButtonUp, 0, 300, RowY(5)), target), BrowserStep::None);
  EXPECT_EQ(s.ticked.size(), 2u);
  // The scroll buttons page the list.
  EXPECT_EQ(Click(s, 750, 90 + 440 - 20, target), BrowserStep::None);
  EXPECT_EQ(s.top, 10);

  // Nothing ticked, nothing to add.
  FileBrowserState none;
  ShowListing(none, MakeListing(kPhotos, found, BrowserMode::Pictures));
  EXPECT_EQ(Click(none, 500, 568, target), BrowserStep::None);

  // At a root, neither "up" nor Backspace goes anywhere.
  FileBrowserState root;
  ShowListing(root, MakeListing("/", {}, BrowserMode::Pictures));
  EXPECT_EQ(HandleBrowserMessage(root, Key(VK_BACK), target), BrowserStep::None);
  EXPECT_EQ(HandleBrowserMessage(root, Key(VK_RETURN), target), BrowserStep::None);
}

TEST(FileBrowserTest, OpenChoosesAPackageOrAFolderOrTheFolderShown) {
  FileBrowserState s;
  s.mode = BrowserMode::Open;
  ShowListing(s, MakeListing(kPhotos, {{"gift.tessera", false}, {"game", true}}, BrowserMode::Open));
  fs::path target;
  EXPECT_EQ(Click(s, 500, 568, target), BrowserStep::Confirm);  // the folder selected
  EXPECT_EQ(target, kPhotos / "game");
  EXPECT_EQ(Click(s, 300, RowY(2), target), BrowserStep::None);  // a click picks the package
  EXPECT_EQ(s.selected, 2);
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_SPACE), target), BrowserStep::None);
  EXPECT_TRUE(s.ticked.empty());
  EXPECT_EQ(HandleBrowserMessage(s, Key(VK_RETURN), target), BrowserStep::Confirm);
  EXPECT_EQ(target, kPhotos / "gift.tessera");
  HandleBrowserMessage(s, Key(VK_HOME), target);
  EXPECT_EQ(Click(s, 500, 568, target), BrowserStep::Confirm);  // "up" selected: the folder shown
  EXPECT_EQ(target, kPhotos);
}

TEST(FileBrowserTest, AFolderThatCannotBeReadIsSaid) {
  test::ScratchDir dir;
  const BrowserListing listing = ListFolder(fs::path(dir.path()) / "gone", BrowserMode::Pictures);
  EXPECT_NE(listing.problem.find("cannot be read"), std::string::npos);
  ASSERT_EQ(listing.entries.size(), 1u);
  EXPECT_EQ(listing.entries[0].kind, BrowserEntry::Up);

  dir.Write("shown/a.bmp", std::string("not a picture at all"));
  dir.Write("shown/.b.bmp", std::string("hidden"));
  FileBrowserState s;
  ShowListing(s, ListFolder(fs::path(dir.path()) / "shown", BrowserMode::Pictures));
  EXPECT_TRUE(s.listing.problem.empty());
  ASSERT_EQ(Names(s.listing), (std::vector<std::string>{"..", "a.bmp"}));
  // Thumbnails are made a few at a time, once; one that does not read stays empty.
  EXPECT_EQ(MakeVisibleThumbnails(s, 2), 1);
  EXPECT_EQ(MakeVisibleThumbnails(s, 2), 0);
  ASSERT_EQ(s.thumbnails.size(), 1u);
  EXPECT_EQ(s.thumbnails.begin()->second, nullptr);
}

}  // namespace
}  // namespace tessera
