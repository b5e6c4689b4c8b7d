#include <gtest/gtest.h>

#include <filesystem>

#include "app/engine_config.h"
#include "app/files.h"
#include "app/log.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace tessera {
namespace {

namespace fs = std::filesystem;

TEST(HostPathTest, BackslashesBecomeSlashesAndCaseIsRepaired) {
  test::ScratchDir dir;
  dir.Write("Music/Level1.wav", "x");
  EXPECT_EQ(HostPath(dir.path() + "\\Music\\Level1.wav"), dir.path() + "/Music/Level1.wav");
  // Where the system minds letter case the folder's own spelling is found;
  // elsewhere the name as written names the file already.
  HostFileInfo info;
  const bool caseBlind = HostStat(dir.path() + "/MUSIC/level1.WAV", info);
  EXPECT_EQ(HostPath(dir.path() + "\\MUSIC\\level1.WAV"),
            dir.path() + (caseBlind ? "/MUSIC/level1.WAV" : "/Music/Level1.wav"));
  // A missing name keeps its spelling, under the repaired folders.
  EXPECT_EQ(HostPath(dir.path() + "\\music\\New.wav"), dir.path() + (caseBlind ? "/music/New.wav" : "/Music/New.wav"));
  EXPECT_EQ(HostPath(dir.path() + "\\nope\\New.wav"), dir.path() + "/nope/New.wav");
}

TEST(HostPathTest, RelativePathsResolveAgainstTheCurrentFolder) {
  test::ScratchDir dir;
  dir.Write("Sound/ChangePiece.wav", "abc");
  test::ScopedWorkDir cd(dir.path());
  EXPECT_TRUE(FileExists("sound\\changepiece.wav"));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadFileBytes("SOUND\\CHANGEPIECE.WAV", bytes));
  EXPECT_EQ(bytes.size(), 3u);
  EXPECT_FALSE(ReadFileBytes("Sound\\Missing.wav", bytes));
}

TEST(HostPathTest, WholeFilesAreReadToTheirLastByteAndFoldersAreNotFiles) {
  test::ScratchDir dir;
  std::string big(200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  dir.Write("empty.txt", "");
  dir.Write("one.txt", "x");
  dir.Write("big.bin", big);
  fs::create_directories(fs::path(dir.path()) / "Folder.ini");
  std::vector<uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(ReadFileBytes(dir.path() + "\\empty.txt", bytes));
  EXPECT_TRUE(bytes.empty());
  ASSERT_TRUE(ReadFileBytes(dir.path() + "\\ONE.TXT", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "x");
  ASSERT_TRUE(ReadFileBytes(dir.path() + "\\big.bin", bytes));
  EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == big);
  EXPECT_FALSE(ReadFileBytes(dir.path() + "\\Folder.ini", bytes));
  EXPECT_TRUE(FileExists(dir.path() + "\\Folder.ini"));
  EXPECT_FALSE(FileExists(dir.path() + "\\nothing.ini"));
}

TEST(AtomicWriteTest, ReplacesTheWholeFileAndLeavesNoTemporary) {
  test::ScratchDir dir;
  dir.Write("Save/0.sav", "old content");
  const std::string target = dir.path() + "\\Save\\0.sav";
  ASSERT_TRUE(WriteFileAtomically(target, "new", 3));
  EXPECT_EQ(test::ReadText(dir / "Save/0.sav"), "new");
  EXPECT_FALSE(FileExists(target + ".tmp"));
  // A folder that does not exist fails cleanly and creates nothing.
  EXPECT_FALSE(WriteFileAtomically(dir.path() + "\\Nope\\1.sav", "x", 1));
}

class LogTest : public ::testing::Test {
 protected:
  LogTest() : cd(dir.path()) {}
  test::ScratchDir dir;
  test::ScopedWorkDir cd;
  test::ScopedPlatform platform;
};

TEST_F(LogTest, AppendsCrLfLinesExactlyAsGiven) {
  DeleteLog();
  EXPECT_FALSE(FileExists("log.txt"));
  WriteLog("MMStream OpenFile failed");
  WriteLog("");
  WriteLog("100% done %s");
  EXPECT_EQ(test::ReadText(dir / "log.txt"), "MMStream OpenFile failed\r\n\r\n100% done %s\r\n");
  DeleteLog();
  EXPECT_FALSE(FileExists("log.txt"));
  DeleteLog();  // a missing file is no error
}

TEST_F(LogTest, MessageBoxTextReachesThePlatform) {
  ShowMessage("Saving failed");
  ASSERT_EQ(platform->Messages().size(), 1u);
  EXPECT_EQ(platform->Messages()[0], "Saving failed");
}

}  // namespace
}  // namespace tessera

namespace tessera {
namespace {

TEST(OpenFileTest, AFolderIsNotAFile) {
  test::ScratchDir dir;
  dir.Write("Music/x.wav", "x");
  EXPECT_EQ(OpenFile(dir.path() + "\\Music\\", "rb"), nullptr);
  EXPECT_EQ(OpenFile(dir.path() + "\\music", "rb"), nullptr);
  EXPECT_NE(OpenFile(dir.path() + "\\music\\X.WAV", "rb"), nullptr);
}

}  // namespace
}  // namespace tessera
