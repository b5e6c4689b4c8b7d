#include "app/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>
#endif

namespace tessera {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    dir.Write("sub/Test.ini", text);
    ClearProfileCache();
    return dir / "sub\\Test.ini";  // composed with a backslash, as the game does
  }
  std::string Read(const std::string& path, const char* section, const char* key, const char* def = "DEF",
                   size_t size = 128) {
    return ReadProfileString(section, key, def, size, path);
  }
  test::ScratchDir dir;
};

TEST_F(ProfileTest, SectionsAndKeysMatchWithoutRegardToCase) {
  std::string p = Write("[Setting]\nWindowed = true \n[path]\nMenuPath=Menu2\n");
  EXPECT_EQ(Read(p, "setting", "windowed"), "true");
  EXPECT_EQ(Read(p, "SETTING", "WINDOWED"), "true");
  EXPECT_EQ(Read(p, "PATH", "menupath"), "Menu2");
}

TEST_F(ProfileTest, DefaultOnlyWhenFileSectionOrKeyIsMissing) {
  std::string p = Write("[a]\nempty=\nblank =   \t\n");
  EXPECT_EQ(Read(p, "a", "empty"), "");
  EXPECT_EQ(Read(p, "a", "blank"), "");
  EXPECT_EQ(Read(p, "a", "missing"), "DEF");
  EXPECT_EQ(Read(p, "b", "empty"), "DEF");
  EXPECT_EQ(Read(dir / "nope.ini", "a", "empty"), "DEF");
  EXPECT_EQ(Read(p, "a", "missing", ""), "");
}

TEST_F(ProfileTest, ValueIsTextAfterFirstEqualsTrimmed) {
  std::string p = Write("[a]\nk = x = y  \nq=\"quoted value\"\n");
  EXPECT_EQ(Read(p, "a", "k"), "x = y");
  EXPECT_EQ(Read(p, "a", "q"), "quoted value");
}

TEST_F(ProfileTest, LongValuesAreCutToSizeMinusOne) {
  std::string p = Write("[a]\nk=" + std::string(200, 'x') + "\n");
  EXPECT_EQ(Read(p, "a", "k", "", 128), std::string(127, 'x'));
  char buffer[4] = {'?', '?', '?', '?'};
  EXPECT_EQ(GetPrivateProfileString("a", "k", "", buffer, sizeof buffer, p.c_str()), 3u);
  EXPECT_STREQ(buffer, "xxx");
  // A default longer than the buffer is cut the same way.
  EXPECT_EQ(Read(p, "a", "missing", "abcdef", 4), "abc");
}

TEST_F(ProfileTest, BytesPassThroughAndLineEndingsAndBomAreHandled) {
  std::string p = Write("\xEF\xBB\xBF[Talk]\r\n; a comment\r\nHello=\xC4\xE3\xBA\xC3\r\nno equals line\r\n");
  EXPECT_EQ(Read(p, "talk", "hello"), "\xC4\xE3\xBA\xC3");
  EXPECT_EQ(Read(p, "talk", "; a comment"), "DEF");
}

TEST_F(ProfileTest, FirstOccurrenceWinsAndRepeatedSectionsAreSearched) {
  std::string p = Write("[a]\nk=1\nk=2\n[b]\nx=0\n[A]\nk=3\nm=4\n");
  EXPECT_EQ(Read(p, "a", "k"), "1");
  EXPECT_EQ(Read(p, "a", "m"), "4");
}

TEST_F(ProfileTest, EveryCallSeesTheCurrentContent) {
  std::string p = Write("[a]\nk=old\n");
  EXPECT_EQ(Read(p, "a", "k"), "old");
  dir.Write("sub/Test.ini", "[a]\nk=a new and longer value\n");  // no cache clearing here
  EXPECT_EQ(Read(p, "a", "k"), "a new and longer value");
  ASSERT_NO_FATAL_FAILURE(test::RemoveOrFail(dir / "sub/Test.ini"));
  EXPECT_EQ(Read(p, "a", "k"), "DEF");
}

TEST_F(ProfileTest, ChangesOfEveryKindAreSeenByTheNextLookup) {
  std::string p = Write("[a]\nk=0\n");
  const std::string file = dir / "sub/Test.ini";
  for (int round = 0; round < 50; ++round) {
    EXPECT_EQ(Read(p, "a", "k"), std::to_string(round % 10)) << round;
    const std::string next = "[a]\nk=" + std::to_string((round + 1) % 10) + "\n";  // the same size
    if (round % 3 == 0) {
      dir.Write("sub/Test.ini", next);  // rewritten in place
    } else if (round % 3 == 1) {
      dir.Write("sub/next.tmp", next);  // replaced by a rename
      std::error_code ec;
      std::filesystem::rename(dir / "sub/next.tmp", file, ec);
      ASSERT_FALSE(ec) << ec.message();
    } else {
      ASSERT_NO_FATAL_FAILURE(test::RemoveOrFail(file));  // deleted, then made again
      EXPECT_EQ(Read(p, "a", "k"), "DEF");
      dir.Write("sub/Test.ini", next);
    }
  }
}

#if defined(__EMSCRIPTEN__)
// Under Node.js another program can change the disk without a word to this
// one: its change is seen within a twentieth of a second.
TEST_F(ProfileTest, AChangeByAnotherProgramIsSeenSoon) {
  std::string p = Write("[a]\nk=0\n");
  EXPECT_EQ(Read(p, "a", "k"), "0");
  const std::string file = dir / "sub/Test.ini";
  EM_ASM({ require("fs").writeFileSync(UTF8ToString($0), "[a]\nk=1\n"); }, file.c_str());
  const double until = emscripten_get_now() + 60;
  while (emscripten_get_now() < until) {
  }
  EXPECT_EQ(Read(p, "a", "k"), "1");
}
#endif

TEST_F(ProfileTest, PathComponentsMatchWithoutRegardToCase) {
  dir.Write("Script/ScriptEntry.txt", "[Level00]\nLevelName=One\n");
  EXPECT_EQ(Read(dir / "script\\scriptentry.TXT", "level00", "levelname"), "One");
}

TEST(ParseDecimalTest, ReadsLeadingDigitsLikeTheStandardConversion) {
  EXPECT_EQ(ParseDecimal("120"), 120);
  EXPECT_EQ(ParseDecimal("  -15xyz"), -15);
  EXPECT_EQ(ParseDecimal("+7"), 7);
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("abc"), 0);
  EXPECT_EQ(ParseDecimal(nullptr), 0);
  EXPECT_EQ(ParseDecimal("99999999999999999999"), 2147483647);
  EXPECT_EQ(ParseDecimal("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace tessera
