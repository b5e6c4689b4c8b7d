// The system layer under the file layer and the text renderer: whole-file
// replacement, positioned reads, folders with Chinese names, the code pages.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/engine_config.h"
#include "app/files.h"
#include "platform/code_pages.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return "<unreadable>";
  return std::string(bytes.begin(), bytes.end());
}

TEST(PlatformFiles, AtomicReplaceKeepsTheOldFileWhenAStepFails) {
  ScratchDir dir;
  const std::string target = dir / "slot.sav";
  ASSERT_TRUE(WriteFileAtomically(target, "old", 3));
  ASSERT_TRUE(WriteFileAtomically(target, "newer", 5));
  EXPECT_EQ(Slurp(target), "newer");
  EXPECT_FALSE(FileExists(target + ".tmp"));

  // The temporary file cannot be made: a folder holds its name.
  ASSERT_TRUE(MakeDirectory(target + ".tmp"));
  EXPECT_FALSE(WriteFileAtomically(target, "lost", 4));
  EXPECT_EQ(Slurp(target), "newer");
  fs::remove(HostFsPath(target + ".tmp"));

  // The move fails: a folder that is not empty cannot be replaced by a file.
  const std::string folder = dir / "busy";
  dir.Write("busy/inside.txt", "kept");
  EXPECT_FALSE(WriteFileAtomically(folder, "file", 4));
  EXPECT_EQ(Slurp(folder + "/inside.txt"), "kept");
  EXPECT_FALSE(FileExists(folder + ".tmp"));
}

TEST(PlatformFiles, PositionedReadsStopAtTheEndAndFollowAFileThatShrank) {
  ScratchDir dir;
  std::string bytes;
  for (int i = 0; i < 10000; ++i) bytes += static_cast<char>(i * 7);
  dir.Write("data.bin", bytes);
  FilePtr file = OpenFile(dir / "data.bin", "rb");
  ASSERT_NE(file, nullptr);
  uint64_t size = 0;
  ASSERT_TRUE(HostFileSize(file.get(), size));
  EXPECT_EQ(size, 10000u);

  char buffer[64];
  EXPECT_EQ(HostReadAt(file.get(), 0, buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), bytes.substr(0, 4));
  EXPECT_EQ(HostReadAt(file.get(), 9999, buffer, 64), 1);  // the last byte only
  EXPECT_EQ(buffer[0], bytes[9999]);
  EXPECT_EQ(HostReadAt(file.get(), 9990, buffer, 64), 10);
  EXPECT_EQ(std::string(buffer, 10), bytes.substr(9990));
  EXPECT_EQ(HostReadAt(file.get(), 10000, buffer, 64), 0);
  EXPECT_EQ(HostReadAt(file.get(), uint64_t{1} << 40, buffer, 64), 0);
  // Reads do not depend on each other's order.
  EXPECT_EQ(HostReadAt(file.get(), 5000, buffer, 8), 8);
  EXPECT_EQ(std::string(buffer, 8), bytes.substr(5000, 8));

  // Cut short while open: the open file reports its new size and its old end reads nothing.
  fs::resize_file(HostFsPath(dir / "data.bin"), 100);
  ASSERT_TRUE(HostFileSize(file.get(), size));
  EXPECT_EQ(size, 100u);
  EXPECT_EQ(HostReadAt(file.get(), 5000, buffer, 8), 0);
  EXPECT_EQ(HostReadAt(file.get(), 96, buffer, 8), 4);

  // A folder is no file to read.
  FilePtr folder(HostOpen(dir.path(), "rb"));
  if (folder) {
    EXPECT_FALSE(HostFileSize(folder.get(), size));
  }
}

// A player whose user name is Chinese: the game's folder, its saves and the
// files it reads all lie under a folder named in Chinese.
TEST(PlatformFiles, FoldersWithChineseNamesWorkThroughTheFileLayer) {
  ScratchDir dir;
  const std::string game = dir / "\xE7\x8E\xA9\xE5\xAE\xB6";  // 玩家
  ASSERT_TRUE(MakeDirectory(game));
  ASSERT_TRUE(MakeDirectory(game + "\\\xE5\xAD\x98\xE6\xA1\xA3"));  // 存档
  HostFileInfo info;
  ASSERT_TRUE(HostStat(game, info));
  EXPECT_TRUE(info.folder);

  // Names listed by the system come back as they were written.
  bool listed = false;
  for (const auto& entry : fs::directory_iterator(HostFsPath(dir.path())))
    listed = listed || HostPathString(entry.path().filename()) == "\xE7\x8E\xA9\xE5\xAE\xB6";
  EXPECT_TRUE(listed);

  dir.Write("\xE7\x8E\xA9\xE5\xAE\xB6/System.ini", "[setting]\r\nlanguage=English\r\n");
  {
    ScopedWorkDir inside(game);
    EXPECT_EQ(std::string(WorkDir), HostPathString(fs::current_path()));
    char path[1024];
    ComposePath(path, sizeof path, WorkDir, "\xE5\xAD\x98\xE6\xA1\xA3\\1.sav");
    ASSERT_TRUE(WriteFileAtomically(path, "save", 4));
    EXPECT_EQ(Slurp(path), "save");
    ComposePath(path, sizeof path, WorkDir, "SYSTEM.INI");  // letter case repaired where the system minds it
    EXPECT_EQ(Slurp(path).substr(0, 9), "[setting]");
    EXPECT_TRUE(RemoveFile(std::string(WorkDir) + "\\\xE5\xAD\x98\xE6\xA1\xA3\\1.sav"));
  }
  EXPECT_FALSE(FileExists(game + "/\xE5\xAD\x98\xE6\xA1\xA3/1.sav"));
}

TEST(PlatformCodePages, ChineseTextConvertsBothWaysInBothCodePages) {
  const std::string middle = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
  struct Case {
    CodePage page;
    std::string bytes;
  };
  for (const Case& c : {Case{CodePage::Gbk, "\xD6\xD0\xCE\xC4"}, Case{CodePage::Big5, "\xA4\xA4\xA4\xE5"}}) {
    SCOPED_TRACE(static_cast<int>(c.page));
    std::string out;
    ASSERT_TRUE(EncodeCodePage("A" + middle + "1", c.page, out));
    EXPECT_EQ(out, "A" + c.bytes + "1");
    ASSERT_TRUE(DecodeCodePage(c.bytes, c.page, out));
    EXPECT_EQ(out, middle);
    EXPECT_FALSE(EncodeCodePage("\xF0\x9F\x98\x80", c.page, out));  // an emoji has no code here
    EXPECT_FALSE(DecodeCodePage(c.bytes.substr(0, 3), c.page, out));  // half a character

    CodePageDecoder decoder(c.page);
    uint32_t codePoint = 0;
    ASSERT_TRUE(decoder.ToCodePoint(c.bytes.data(), 2, codePoint));
    EXPECT_EQ(codePoint, 0x4E2Du);
    ASSERT_TRUE(decoder.ToCodePoint(c.bytes.data() + 2, 2, codePoint));
    EXPECT_EQ(codePoint, 0x6587u);
    EXPECT_FALSE(decoder.ToCodePoint(c.bytes.data(), 1, codePoint));
  }
  // A simplified letter is not in Big5; its traditional form is.
  std::string out;
  EXPECT_TRUE(EncodeCodePage("\xE5\x9B\xBD", CodePage::Gbk, out));  // 国
  EXPECT_EQ(out, "\xB9\xFA");
  EXPECT_FALSE(EncodeCodePage("\xE5\x9B\xBD", CodePage::Big5, out));
  EXPECT_TRUE(EncodeCodePage("\xE5\x9C\x8B", CodePage::Big5, out));  // 國
  EXPECT_EQ(out, "\xB0\xEA");
}

}  // namespace
}  // namespace tessera::test
