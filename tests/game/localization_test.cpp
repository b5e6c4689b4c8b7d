#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "game/localization.h"
#include "game_data_fixtures.h"

namespace tessera::datatest {
namespace {

class LocalizationTest : public GameDataTest {
 protected:
  LocalizationTest() {
    Write("Localization/Localization.txt", IniText()
                                               .Section("Menu")
                                               .Key("Save", "Save game")
                                               .Key("Empty", "-- empty --")
                                               .Key("OnlyMenu", "menu text")
                                               .Section("Talk")
                                               .Key("Hello", "Hello there.")
                                               .Key("OnlyTalk", "talk text")
                                               .Key("Blank", "")
                                               .str());
  }

  std::string Look(const char* key, int section) {
    char text[256];
    std::memset(text, 'x', sizeof text);
    LookupText(text, key, section);
    EXPECT_LT(std::strlen(text), sizeof text);
    return text;
  }
};

TEST_F(LocalizationTest, MenuKeysAndTalkReferences) {
  EXPECT_EQ(Look("Save", TEXT_MENU), "Save game");
  EXPECT_EQ(Look("empty", TEXT_MENU), "-- empty --");
  EXPECT_EQ(Look("TalkerHead02:3+Hello", TEXT_TALK), "Hello there.");
  EXPECT_EQ(Look("+Hello", TEXT_TALK), "Hello there.");
  EXPECT_EQ(Look("TalkerHead02:3+Ignored+Also+Hello", TEXT_TALK), "Hello there.");
  EXPECT_EQ(Look("TalkerHead02:3+Hello+", TEXT_TALK), "");
  EXPECT_EQ(Look("TalkerHead02:3+Blank", TEXT_TALK), "");
}

TEST_F(LocalizationTest, KeysOfTheOtherSectionAreNotFound) {
  EXPECT_EQ(Look("OnlyTalk", TEXT_MENU), "");
  EXPECT_EQ(Look("a:1+OnlyMenu", TEXT_TALK), "");
  EXPECT_EQ(Look("a:1+OnlyTalk", TEXT_TALK), "talk text");
  EXPECT_EQ(Look("OnlyMenu", TEXT_MENU), "menu text");
}

TEST_F(LocalizationTest, TalkReferenceWithoutPlusNamesNothing) {
  // "Hello" exists, but a reference must end in "+key"; the loader passes the
  // empty text for a missing talk key.
  EXPECT_EQ(Look("Hello", TEXT_TALK), "");
  EXPECT_EQ(Look("", TEXT_TALK), "");
  EXPECT_EQ(Look("", TEXT_MENU), "");
  EXPECT_EQ(Look(nullptr, TEXT_MENU), "");
}

TEST_F(LocalizationTest, PackagedReadsTheDatFileAndIgnoresTheLooseOne) {
  Write("Localization.dat", IniText().Section("Menu").Key("Save", "packaged save").str());
  EngineConfig.Packaged = 1;
  EXPECT_EQ(Look("Save", TEXT_MENU), "packaged save");
  ASSERT_NO_FATAL_FAILURE(test::RemoveOrFail(Path("Localization/Localization.txt")));
  EXPECT_EQ(Look("Save", TEXT_MENU), "packaged save");
  EngineConfig.Packaged = 0;
  EXPECT_EQ(Look("Save", TEXT_MENU), "");  // the loose file is gone
}

TEST_F(LocalizationTest, LooseFileComesFromTheConfiguredFolder) {
  Write("Texts/English/Localization.txt", IniText().Section("Menu").Key("Save", "english").str());
  std::strcpy(EngineConfig.LocalPath, "Texts\\English");
  char path[1024];
  LocalizationPath(path, sizeof path);
  EXPECT_STREQ(path, "Texts\\English\\Localization.txt");
  EXPECT_EQ(Look("Save", TEXT_MENU), "english");
  std::strcpy(EngineConfig.LocalPath, "Nowhere");
  EXPECT_EQ(Look("Save", TEXT_MENU), "");
  EXPECT_EQ(Look("a:1+Hello", TEXT_TALK), "");
}

TEST_F(LocalizationTest, LongTextsAndKeysAreCut) {
  const std::string longText(400, 'T');
  const std::string longKey(127, 'K');
  Write("Localization/Localization.txt",
        IniText().Section("Talk").Key("Long", longText).Key(longKey, "found by its first 127 bytes").str());
  EXPECT_EQ(Look("a:1+Long", TEXT_TALK), longText.substr(0, 255));
  EXPECT_EQ(Look(("a:1+" + longKey + "KKKK").c_str(), TEXT_TALK), "found by its first 127 bytes");
}

TEST_F(LocalizationTest, EveryLookupSeesTheCurrentFile) {
  EXPECT_EQ(Look("Save", TEXT_MENU), "Save game");
  Write("Localization/Localization.txt", IniText().Section("Menu").Key("Save", "Saved differently").str());
  EXPECT_EQ(Look("Save", TEXT_MENU), "Saved differently");
  ASSERT_NO_FATAL_FAILURE(test::RemoveOrFail(Path("Localization/Localization.txt")));
  EXPECT_EQ(Look("Save", TEXT_MENU), "");
}

// The menus look up to a dozen captions on every frame; a reader that parsed
// the file on each call would take seconds here for a large file.
TEST_F(LocalizationTest, RepeatedLookupsOfAnUnchangedFileAreCheap) {
  IniText big;
  big.Section("Menu");
  for (int i = 0; i < 4000; ++i) big.Key("Caption" + std::to_string(i), "Some caption text number " + std::to_string(i));
  big.Key("Confirm", "Are you sure?");
  Write("Localization/Localization.txt", big.str());
  ASSERT_EQ(Look("Confirm", TEXT_MENU), "Are you sure?");

  const auto start = std::chrono::steady_clock::now();
  char text[256];
  for (int frame = 0; frame < 500; ++frame)
    for (int caption = 0; caption < 12; ++caption) LookupText(text, "Caption17", TEXT_MENU);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_STREQ(text, "Some caption text number 17");
  EXPECT_LT(seconds, 3.0) << "6000 lookups took " << seconds << " s";
}

}  // namespace
}  // namespace tessera::datatest
