// The picture archive subcommands: round trips, refusals, hostile archives.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "content/archive.h"
#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t INDEX_BYTES = 40804;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void SetU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Three small pictures of different sizes, written as files of a scratch folder.
struct ArchiveFixture {
  ScratchDir dir;
  std::vector<std::string> files;
  ArchiveFixture() {
    const int sizes[][2] = {{3, 2}, {4, 4}, {25, 25}};
    const char* names[] = {"GameBG.bmp", "a.bmp", "Spider013.bmp"};
    for (int i = 0; i < 3; ++i) {
      dir.Write(std::string("in/") + names[i], SolidBmp(sizes[i][0], sizes[i][1], uint8_t(40 * i), 7, 9));
      files.push_back(dir / (std::string("in/") + names[i]));
    }
  }
  std::string Pack(const std::string& archive, const std::vector<std::string>& inputs, int* exitCode = nullptr,
                   std::string* output = nullptr) {
    std::string args = "archive pack " + Quote(dir / archive);
    for (const auto& f : inputs) args += " " + Quote(f);
    RunResult r = RunTool(args);
    if (exitCode) *exitCode = r.exitCode;
    if (output) *output = r.output;
    return dir / archive;
  }
};

TEST(ArchiveTool, PackWritesTheIndexLayoutAndMembersInPlace) {
  ArchiveFixture fx;
  int rc = -1;
  std::string archive = fx.Pack("Menu.dat", fx.files, &rc);
  ASSERT_EQ(rc, 0);
  std::vector<uint8_t> b = ReadBytes(archive);
  size_t total = INDEX_BYTES;
  for (const auto& f : fx.files) total += ReadBytes(f).size();
  ASSERT_EQ(b.size(), total);
  EXPECT_EQ(U32(b, 0), 3u);
  uint32_t expectOffset = INDEX_BYTES;
  for (size_t i = 0; i < 300; ++i) {
    const uint8_t* e = &b[4 + i * 136];
    uint32_t offset = U32(b, 4 + i * 136 + 128);
    EXPECT_EQ(U32(b, 4 + i * 136 + 132), 0u) << "reserved bytes of entry " << i;
    if (i < 3) {
      std::string name = fs::path(fx.files[i]).filename().string();
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(e)), name);
      EXPECT_EQ(offset, expectOffset);
      std::vector<uint8_t> member = ReadBytes(fx.files[i]);
      ASSERT_LE(offset + member.size(), b.size());
      EXPECT_EQ(0, std::memcmp(&b[offset], member.data(), member.size())) << name;
      expectOffset += static_cast<uint32_t>(member.size());
    } else {
      // Unused entries stay all zero.
      for (int k = 0; k < 136; ++k) ASSERT_EQ(e[k], 0) << "entry " << i;
    }
  }
}

TEST(ArchiveTool, ListExtractAndRepackRoundTripByteForByte) {
  ArchiveFixture fx;
  std::string archive = fx.Pack("Picture.dat", fx.files);
  RunResult list = RunTool("archive list " + Quote(archive));
  ASSERT_EQ(list.exitCode, 0) << list.output;
  EXPECT_NE(list.output.find("GameBG.bmp"), std::string::npos);
  EXPECT_NE(list.output.find("Spider013.bmp"), std::string::npos);
  // Sizes are listed from the index: the smallest member is 54 + 2 rows of 12 bytes.
  EXPECT_NE(list.output.find(" 78 GameBG.bmp"), std::string::npos) << list.output;

  RunResult ex = RunTool("archive extract " + Quote(archive) + " " + Quote(fx.dir / "out"));
  ASSERT_EQ(ex.exitCode, 0) << ex.output;
  std::vector<std::string> extracted;
  for (const auto& f : fx.files) {
    std::string out = fx.dir / ("out/" + fs::path(f).filename().string());
    EXPECT_EQ(ReadBytes(out), ReadBytes(f));
    extracted.push_back(out);
  }
  int rc = -1;
  std::string again = fx.Pack("again.dat", extracted, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(ReadBytes(again), ReadBytes(archive));
}

TEST(ArchiveTool, DemoArchivesRoundTripThroughExtractAndPack) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  ScratchDir dir;
  for (const char* name : {"Menu.dat", "Head.dat"}) {
    std::string archive = demo + "/" + name;
    RunResult list = RunTool("archive list " + Quote(archive));
    ASSERT_EQ(list.exitCode, 0);
    RunResult ex = RunTool("archive extract " + Quote(archive) + " " + Quote(dir / name));
    ASSERT_EQ(ex.exitCode, 0) << ex.output;
    std::string args = "archive pack " + Quote(dir / (std::string(name) + ".again"));
    std::stringstream lines(list.output);
    for (std::string line; std::getline(lines, line);) args += " " + Quote(dir / (std::string(name) + "/" + line.substr(line.rfind(' ') + 1)));
    ASSERT_EQ(RunTool(args).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir / (std::string(name) + ".again")), ReadBytes(archive)) << name;
  }
}

TEST(ArchiveTool, PackRefusesWhatTheGameCannotRead) {
  ArchiveFixture fx;
  int rc = 0;
  std::string out;
  // A name of 127 bytes fits the 128-byte field with its terminator; 128 does not.
  std::string ok(123, 'n'), tooLong(124, 'n');
  fx.dir.Write("in/" + ok + ".bmp", SolidBmp(1, 1));
  fx.dir.Write("in/" + tooLong + ".bmp", SolidBmp(1, 1));
  fx.Pack("ok.dat", {fx.dir / ("in/" + ok + ".bmp")}, &rc, &out);
  EXPECT_EQ(rc, 0) << out;
  fx.Pack("long.dat", {fx.dir / ("in/" + tooLong + ".bmp")}, &rc, &out);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(out.find("longer than 127 bytes"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(fx.dir / "long.dat"));

  // The same name twice would make the second member unreachable.
  fx.dir.Write("in2/a.bmp", SolidBmp(2, 2));
  fx.Pack("twice.dat", {fx.dir / "in/a.bmp", fx.dir / "in2/a.bmp"}, &rc, &out);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(out.find("given twice"), std::string::npos) << out;

  // Only BMP files are members.
  fx.dir.Write("in/notes.bmp", std::string("hello"));
  fx.Pack("text.dat", {fx.dir / "in/notes.bmp"}, &rc, &out);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(out.find("not a BMP"), std::string::npos) << out;

  fx.Pack("missing.dat", {fx.dir / "in/none.bmp"}, &rc, &out);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(out.find("cannot read"), std::string::npos) << out;
}

TEST(ArchiveTool, PackTakesThreeHundredMembersAndRefusesTheThreeHundredFirst) {
  ScratchDir dir;
  std::vector<uint8_t> tiny = SolidBmp(1, 1);
  std::string args;
  for (int i = 0; i < 301; ++i) {
    std::string name = "p" + std::to_string(i) + ".bmp";
    dir.Write(name, tiny);
    if (i < 300) args += " " + Quote(dir / name);
  }
  RunResult full = RunTool("archive pack " + Quote(dir / "full.dat") + args);
  ASSERT_EQ(full.exitCode, 0) << full.output;
  EXPECT_EQ(U32(ReadBytes(dir / "full.dat"), 0), 300u);
  RunResult over = RunTool("archive pack " + Quote(dir / "over.dat") + args + " " + Quote(dir / "p300.bmp"));
  EXPECT_EQ(over.exitCode, 1);
  EXPECT_NE(over.output.find("at most 300"), std::string::npos) << over.output;
  EXPECT_FALSE(fs::exists(dir / "over.dat"));
}

TEST(ArchiveTool, EmptyArchiveListsNothing) {
  ScratchDir dir;
  RunResult pack = RunTool("archive pack " + Quote(dir / "empty.dat"));
  ASSERT_EQ(pack.exitCode, 0) << pack.output;
  EXPECT_EQ(ReadBytes(dir / "empty.dat").size(), INDEX_BYTES);
  RunResult list = RunTool("archive list " + Quote(dir / "empty.dat"));
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.output, "");
}

// Each hostile archive is refused with a reason, never read past its end.
TEST(ArchiveTool, HostileArchivesAreRefusedWithAReason) {
  ArchiveFixture fx;
  std::vector<uint8_t> good = ReadBytes(fx.Pack("good.dat", fx.files));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* reason;
  };
  std::vector<Case> cases;
  cases.push_back({"shorter than the index", std::vector<uint8_t>(good.begin(), good.begin() + 1000), "shorter than"});
  std::vector<uint8_t> b = good;
  SetU32(b, 0, 0xFFFFFFFFu);
  cases.push_back({"negative count", b, "outside 0..300"});
  b = good;
  SetU32(b, 0, 301);
  cases.push_back({"count above 300", b, "outside 0..300"});
  b = good;
  SetU32(b, 4 + 136 + 128, static_cast<uint32_t>(good.size() + 10));
  cases.push_back({"offset past the end", b, "offset"});
  b = good;
  SetU32(b, 4 + 128, 100);
  cases.push_back({"offset inside the index", b, "offset"});
  b = good;
  std::memset(&b[4], 'x', 128);
  cases.push_back({"unterminated name", b, "not terminated"});
  for (const Case& c : cases) {
    std::string path = fx.dir / "hostile.dat";
    ReplaceFile(path, c.bytes);
    RunResult list = RunTool("archive list " + Quote(path));
    EXPECT_EQ(list.exitCode, 1) << c.what;
    EXPECT_NE(list.output.find(c.reason), std::string::npos) << c.what << ": " << list.output;
    RunResult ex = RunTool("archive extract " + Quote(path) + " " + Quote(fx.dir / "hostile-out"));
    EXPECT_EQ(ex.exitCode, 1) << c.what;
    // The import, lint and thumbnails read members from the file itself.
    content::ArchiveFile opened;
    std::string error;
    EXPECT_EQ(content::OpenArchiveFile(path, opened, error), content::ArchiveOpen::Broken) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
  }
  RunResult missing = RunTool("archive list " + Quote(fx.dir / "none.dat"));
  EXPECT_EQ(missing.exitCode, 1);
  content::ArchiveFile none;
  std::string error;
  EXPECT_EQ(content::OpenArchiveFile(fx.dir / "none.dat", none, error), content::ArchiveOpen::Missing);
}

// An archive written a member at a time (copied from another archive's file,
// or added) is the one packed in memory, byte for byte, and stops at 300.
TEST(ArchiveFileWriter, WritesWhatPackWritesAndStopsAtThreeHundred) {
  ArchiveFixture fx;
  const std::string packed = fx.Pack("packed.dat", fx.files);
  content::ArchiveFile from;
  std::string error;
  ASSERT_EQ(content::OpenArchiveFile(packed, from, error), content::ArchiveOpen::Ok) << error;
  ASSERT_EQ(from.entries.size(), 3u);
  content::ArchiveFileWriter writer;
  const std::string written = fx.dir / "written.dat";
  ASSERT_TRUE(writer.Create(written, error)) << error;
  const content::ArchiveEntry& first = from.entries[0];
  ASSERT_TRUE(writer.Copy(first.name, from.file.get(), first.offset, first.size, error)) << error;
  for (size_t i = 1; i < 3; ++i) {
    content::Bytes member;
    ASSERT_TRUE(content::ReadMember(from, from.entries[i], member));
    ASSERT_TRUE(writer.Add(from.entries[i].name, member, error)) << error;
  }
  ASSERT_TRUE(writer.Finish(error)) << error;
  EXPECT_EQ(ReadBytes(written), ReadBytes(packed));

  content::ArchiveFileWriter full;
  ASSERT_TRUE(full.Create(fx.dir / "full.dat", error)) << error;
  const content::Bytes tiny = SolidBmp(1, 1);
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(full.Add("p" + std::to_string(i) + ".bmp", tiny, error)) << error;
    if (i == 0) {
      EXPECT_FALSE(full.Add("p0.bmp", tiny, error)) << "a name given twice";
    }
  }
  EXPECT_FALSE(full.Add("p300.bmp", tiny, error));
  EXPECT_NE(error.find("at most 300"), std::string::npos) << error;
  ASSERT_TRUE(full.Finish(error)) << error;
  EXPECT_EQ(U32(ReadBytes(fx.dir / "full.dat"), 0), 300u);
}

TEST(ArchiveTool, ExtractNeverWritesOutsideItsFolder) {
  ArchiveFixture fx;
  std::vector<uint8_t> b = ReadBytes(fx.Pack("good.dat", fx.files));
  for (const char* evil : {"..", "../escape.bmp", "sub\\x.bmp"}) {
    std::vector<uint8_t> bad = b;
    std::memset(&bad[4], 0, 128);
    std::memcpy(&bad[4], evil, std::strlen(evil));
    ReplaceFile(fx.dir / "evil.dat", bad);
    RunResult ex = RunTool("archive extract " + Quote(fx.dir / "evil.dat") + " " + Quote(fx.dir / "box/inner"));
    EXPECT_EQ(ex.exitCode, 1) << evil;
    EXPECT_NE(ex.output.find("refusing member name"), std::string::npos) << ex.output;
    EXPECT_FALSE(fs::exists(fx.dir / "box/escape.bmp"));
  }
}

TEST(ArchiveTool, BadUsageExitsWithTwo) {
  EXPECT_EQ(RunTool("archive").exitCode, 2);
  EXPECT_EQ(RunTool("archive list").exitCode, 2);
  EXPECT_EQ(RunTool("archive unpack x").exitCode, 2);
  EXPECT_EQ(RunTool("frobnicate").exitCode, 2);
}

}  // namespace
}  // namespace tessera::test
