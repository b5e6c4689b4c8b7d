// The library's keys and clicks: rows by arrow, page and click, the make
// button after the last campaign, long lists scrolled with the selection.
#include "screens/library.h"

#include <gtest/gtest.h>

#include "screens/screen_messages.h"

namespace tessera {
namespace {

using test::Key;
using test::Message;

// Row k of the list is 74 pixels high from y = 80, between x = 60 and 740; the
// make button lies below six rows.
int RowY(int k) { return 80 + 74 * k + 30; }
constexpr int kMakeButtonY = 80 + 6 * 74 + 20;

TEST(LibraryTest, KeysAndClicksPlayMakeGoBackAndQuit) {
  LibraryState s;
  s.count = 3;
  for (uint32_t key : {VK_UP, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP})
    EXPECT_EQ(HandleLibraryMessage(s, Key(key)), LibraryStep::None);
  EXPECT_EQ(s.selected, 2);  // the make button is the row after the last; no further
  EXPECT_EQ(HandleLibraryMessage(s, Key(VK_RETURN)), LibraryStep::Play);
  EXPECT_EQ(HandleLibraryMessage(s, Key(VK_DOWN)), LibraryStep::None);
  EXPECT_EQ(HandleLibraryMessage(s, Key(VK_RETURN)), LibraryStep::Make);
  EXPECT_EQ(HandleLibraryMessage(s, Key(VK_ESCAPE)), LibraryStep::Back);
  EXPECT_EQ(HandleLibraryMessage(s, Message(MessageKind::Close)), LibraryStep::Quit);

  // A click counts where pressed and released on the same row.
  HandleLibraryMessage(s, Message(MessageKind::MouseMove, 0, 300, RowY(1)));
  EXPECT_EQ(s.selected, 1);
  HandleLibraryMessage(s, Message(MessageKind::ButtonDown, 0, 300, RowY(0)));
  EXPECT_EQ(HandleLibraryMessage(s, Message(MessageKind::ButtonUp, 0, 300, RowY(1))), LibraryStep::None);
  HandleLibraryMessage(s, Message(MessageKind::ButtonDown, 0, 300, RowY(3)));  // below the list
  EXPECT_EQ(HandleLibraryMessage(s, Message(MessageKind::ButtonUp, 0, 300, RowY(3))), LibraryStep::None);
  EXPECT_EQ(LibraryRowAt(s, 30, RowY(0)), -1);  // left of the rows
  HandleLibraryMessage(s, Message(MessageKind::ButtonDown, 0, 300, RowY(2)));
  EXPECT_EQ(HandleLibraryMessage(s, Message(MessageKind::ButtonUp, 0, 300, RowY(2))), LibraryStep::Play);
  EXPECT_EQ(s.selected, 2);
  HandleLibraryMessage(s, Message(MessageKind::ButtonDown, 0, 100, kMakeButtonY));
  EXPECT_EQ(HandleLibraryMessage(s, Message(MessageKind::ButtonUp, 0, 100, kMakeButtonY)), LibraryStep::Make);

  LibraryState many;  // long lists scroll with the selection
  many.count = 30;
  HandleLibraryMessage(many, Key(VK_END));
  EXPECT_EQ(many.selected, 29);
  EXPECT_EQ(LibraryRowAt(many, 300, RowY(5)), 29);
  HandleLibraryMessage(many, Key(VK_PRIOR));
  EXPECT_EQ(many.selected, 23);
  EXPECT_EQ(LibraryRowAt(many, 300, RowY(0)), 23);
  HandleLibraryMessage(many, Key(VK_HOME));
  EXPECT_EQ(LibraryRowAt(many, 300, RowY(0)), 0);

  LibraryEntry entry;
  entry.levels = 10;
  EXPECT_EQ(ProgressText(entry), "new");
  entry.won = 3;
  EXPECT_EQ(ProgressText(entry), "3 of 10 levels won");
  entry.won = 10;
  EXPECT_EQ(ProgressText(entry), "all 10 levels won");
}

}  // namespace
}  // namespace tessera
