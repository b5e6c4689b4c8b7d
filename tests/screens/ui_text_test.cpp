// The player's own texts on the library and the form: UTF-8 drawn in the
// renderer's code page, cut at a whole character with "..." where the room ends.
#include "screens/ui_text.h"

#include <gtest/gtest.h>

namespace tessera {
namespace {

TEST(ShownText, ChineseTitlesAreDrawnInTheCodePageAndCutBetweenCharacters) {
  const std::string travel = "\xE6\x97\x85\xE8\xA1\x8C";  // two characters, two bytes each in GBK
  EXPECT_EQ(ShownText(travel, 20, 600), "\xC2\xC3\xD0\xD0");
  // Room for 6 bytes of 10 pixels: one character and the dots, never half a character.
  EXPECT_EQ(ShownText(travel + travel, 20, 60), "\xC2\xC3...");
  EXPECT_EQ(ShownText("abcdefghij", 20, 60), "abc...");
  EXPECT_EQ(ShownText("abcdef", 20, 60), "abcdef");
  // What the code page lacks, a control character and a broken sequence each show as one '?'.
  EXPECT_EQ(ShownText("a\xF0\x9F\x98\x80" "b\tc\xE6\x97", 20, 600), "a?b?c??");
  EXPECT_EQ(DropLastCharacter("T" + travel), "T\xE6\x97\x85");
  EXPECT_EQ(DropLastCharacter(""), "");
}

}  // namespace
}  // namespace tessera
