// Campaign packages: reproducible packing, a round trip, every hostile package
// refused with nothing written, and packed demos installed and played through
// the game's command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "content/package.h"
#include "content/package_install.h"
#include "platform/file_system.h"
#include "platform/zip_archive.h"
#include "support/hostile_packages.h"
#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

// Every path below `root` with its bytes: two equal snapshots mean nothing
// was added, removed or changed.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files[entry.path().lexically_relative(root).string()] =
        entry.is_regular_file() ? ReadText(entry.path().string()) : std::string("<folder>");
  return files;
}

// The English demo packed once for all the tests of the process.
const std::string& PackedDemo() {
  static ScratchDir dir;
  static std::string path;
  if (path.empty()) {
    const RunResult r = RunTool("pack " + Quote(SharedDemo(false)) + " " + Quote(dir / "demo.tessera") +
                                " --title Demo --author 'The Tessera developers'");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    path = dir / "demo.tessera";
  }
  return path;
}

TEST(Package, TheSameFolderPacksToTheSameBytesWithTheManifestFirst) {
  ScratchDir dir;
  const RunResult r = RunTool("pack " + Quote(SharedDemo(false)) + " " + Quote(dir / "again.tessera") +
                              " --title Demo --author 'The Tessera developers'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::vector<uint8_t> first = ReadBytes(PackedDemo());
  ASSERT_EQ(first, ReadBytes(dir / "again.tessera"));
  // The desktop's type detection: the ZIP magic, then the manifest's name in
  // the first local header.
  const std::string head(first.begin(), first.begin() + 30 + 19);
  EXPECT_EQ(head.substr(0, 4), std::string("PK\x03\x04"));
  EXPECT_EQ(head.substr(30), content::PACKAGE_MANIFEST);

  content::PackageInfo info;
  std::string error;
  ASSERT_TRUE(content::ReadPackage(PackedDemo(), info, error)) << error;
  EXPECT_EQ(info.manifest.title, "Demo");
  EXPECT_EQ(info.manifest.author, "The Tessera developers");
  EXPECT_EQ(info.manifest.language, "English");
  EXPECT_EQ(info.manifest.id, "demo");
  EXPECT_GE(info.manifest.levels, 3);
  EXPECT_EQ(info.packageBytes, first.size());
  // The thumbnail: a 100x100 24-bit BMP.
  ASSERT_GE(info.thumbnail.size(), 54u);
  EXPECT_EQ(info.thumbnail[18], content::THUMBNAIL_SIDE);
  EXPECT_EQ(info.thumbnail[22], content::THUMBNAIL_SIDE);
}

// A member read from its file while the archive is written holds the bytes
// checked when it was planned: a file grown since is cut there; an empty one
// stays empty (a length of 0 would read the whole file).
TEST(Package, AMemberReadFromItsFileHoldsTheBytesCheckedBefore) {
  ScratchDir dir;
  dir.Write("grown.bin", std::string(100, 'g'));
  dir.Write("empty.bin", std::string("written after the check"));
  std::vector<ZipWriteEntry> entries(2);
  entries[0].name = "grown.bin";
  entries[0].file = dir / "grown.bin";
  entries[0].fileBytes = 10;
  entries[1].name = "empty.bin";
  entries[1].file = dir / "empty.bin";
  std::string error;
  ASSERT_TRUE(WriteZipFile(dir / "out.zip", entries, error)) << error;
  std::unique_ptr<ZipReader> zip = OpenZipFile(dir / "out.zip", error);
  ASSERT_TRUE(zip) << error;
  std::vector<uint8_t> grown, empty;
  ASSERT_TRUE(zip->ReadEntry(0, 1000, grown, error)) << error;
  ASSERT_TRUE(zip->ReadEntry(1, 1000, empty, error)) << error;
  EXPECT_EQ(std::string(grown.begin(), grown.end()), std::string(10, 'g'));
  EXPECT_TRUE(empty.empty());
}

TEST(Package, AFolderManifestIsReadWithinItsLimitOnly) {
  ScratchDir dir;
  const std::string text = "[package]\r\nformat=1\r\nlevels=3\r\ntitle=Trip\r\nid=trip\r\n";
  dir.Write("fits/tessera-package.ini", text + std::string(content::PACKAGE_MAX_MANIFEST_BYTES - text.size(), ';'));
  dir.Write("over/tessera-package.ini", text + std::string(content::PACKAGE_MAX_MANIFEST_BYTES - text.size() + 1, ';'));
  content::Manifest manifest;
  EXPECT_TRUE(content::ReadFolderManifest(dir / "fits", manifest));
  EXPECT_EQ(manifest.title, "Trip");
  EXPECT_FALSE(content::ReadFolderManifest(dir / "over", manifest));
  EXPECT_FALSE(content::ReadFolderManifest(dir / "missing", manifest));
}

TEST(Package, UnpackGivesBackEveryFileButTheSaves) {
  ScratchDir dir;
  const RunResult r = RunTool("unpack " + Quote(PackedDemo()) + " " + Quote(dir / "demo"));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::map<std::string, std::string> original = Snapshot(SharedDemo(false));
  std::erase_if(original, [](const auto& file) { return file.first.rfind("Save", 0) == 0 || file.first == "log.txt"; });
  std::map<std::string, std::string> unpacked = Snapshot(dir / "demo");
  // The package's manifest stands in place of the folder's own.
  EXPECT_EQ(original.erase(content::PACKAGE_MANIFEST), 1u);
  EXPECT_EQ(unpacked.erase(content::PACKAGE_MANIFEST), 1u);
  EXPECT_EQ(unpacked.erase(content::PACKAGE_THUMBNAIL), 1u);
  EXPECT_TRUE(original == unpacked);
  EXPECT_EQ(RunTool("lint " + Quote(PackedDemo())).exitCode, 0);
  // Unpacking never writes into a folder that is there already.
  const RunResult again = RunTool("unpack " + Quote(PackedDemo()) + " " + Quote(dir / "demo"));
  EXPECT_NE(again.exitCode, 0);
  EXPECT_NE(again.output.find("already exists"), std::string::npos) << again.output;
}

TEST(Package, ACampaignWithLintErrorsIsNotPacked) {
  ScratchDir dir;
  LinkCopy(SharedDemo(false), dir / "game");
  RemoveFile(dir / "game/Game.ini");
  const RunResult r = RunTool("pack " + Quote(dir / "game") + " " + Quote(dir / "game.tessera"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("Game.ini::: error: missing"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir / "game.tessera"));
}

TEST(Package, EveryHostilePackageIsRefusedWithNothingWritten) {
  ScratchDir dir;
  // A player's campaigns folder with a campaign in it, to be left as it is.
  dir.Write("campaigns/mine/System.ini", std::string("[setting]\r\nCampaignId=mine\r\n"));
  dir.Write("campaigns/mine/Save/GameSave01.dat", std::string(64, 's'));
  const auto before = Snapshot(dir.path());
  const auto cases = HostilePackages(ReadBytes(PackedDemo()));
  ASSERT_GE(cases.size(), 35u);
  ScratchDir packages;
  for (const HostilePackage& hostile : cases) {
    SCOPED_TRACE(hostile.name);
    const std::string file = packages / (hostile.name + ".tessera");
    packages.Write(hostile.name + ".tessera", hostile.bytes);
    content::PackageInfo info;
    std::string error;
    EXPECT_FALSE(content::UnpackAndLint(file, dir / "campaigns/new", info, error));
    EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(hostile.reason), std::string::npos) << error;
    EXPECT_TRUE(Snapshot(dir.path()) == before) << "something was written for " << hostile.name;
  }
  for (const char* escaped : {"/tmp/tessera-escaped", "/tmp/escaped.ini"}) EXPECT_FALSE(fs::exists(escaped));
  EXPECT_FALSE(fs::exists(fs::path(dir.path()).parent_path() / "tessera-escaped"));
}

TEST(Package, TheToolAndTheHeadlessGameRefuseWithTheFileAndTheReason) {
  ScratchDir dir;
  for (const HostilePackage& hostile : HostilePackages()) {
    if (hostile.name != "dot-dot" && hostile.name != "not-a-campaign") continue;
    const std::string file = dir / (hostile.name + ".tessera");
    dir.Write(hostile.name + ".tessera", hostile.bytes);
    const RunResult tool = RunTool("unpack " + Quote(file) + " " + Quote(dir / "out"));
    EXPECT_EQ(tool.exitCode, 1) << tool.output;
    EXPECT_NE(tool.output.find(file + ": "), std::string::npos) << tool.output;
    EXPECT_NE(tool.output.find(hostile.reason), std::string::npos) << tool.output;
    EXPECT_FALSE(fs::exists(dir / "out"));

    const PlayerFolders player(dir / "player");
    const RunResult game = RunCommand(Quote(GameBinary()) + " --headless " + Quote(file));
    EXPECT_NE(game.exitCode, 0) << game.output;
    EXPECT_NE(game.output.find(hostile.reason), std::string::npos) << game.output;
    EXPECT_TRUE(!fs::exists(player.Campaigns()) || fs::is_empty(player.Campaigns()));
  }
}

TEST(Package, ASecondInstallOfTheSameCampaignReplacesItAndKeepsItsSaves) {
  ScratchDir dir;
  const std::string campaigns = dir / "campaigns";
  content::PackageInfo info;
  std::string error;
  ASSERT_TRUE(content::ReadPackage(PackedDemo(), info, error)) << error;
  content::InstallTarget target = content::PlanInstall(info.manifest, campaigns);
  EXPECT_EQ(target.folder, fs::path(campaigns) / "Demo");
  EXPECT_TRUE(target.same.empty());
  fs::path installed;
  ASSERT_TRUE(content::InstallPackage(PackedDemo(), target, false, installed, error)) << error;
  dir.Write("campaigns/Demo/Save/GameSave01.dat", std::string("a save"));

  target = content::PlanInstall(info.manifest, campaigns);
  EXPECT_EQ(target.same, fs::path(campaigns) / "Demo");
  EXPECT_EQ(target.folder, fs::path(campaigns) / "Demo-2");
  ASSERT_TRUE(content::InstallPackage(PackedDemo(), target, true, installed, error)) << error;
  EXPECT_EQ(installed, fs::path(campaigns) / "Demo");
  EXPECT_EQ(ReadText(dir / "campaigns/Demo/Save/GameSave01.dat"), "a save");
  // Kept beside it instead: a number, and nothing else left in the folder.
  ASSERT_TRUE(content::InstallPackage(PackedDemo(), target, false, installed, error)) << error;
  EXPECT_EQ(installed, fs::path(campaigns) / "Demo-2");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(campaigns)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Demo", "Demo-2"}));
}

// A package dropped onto the window of a headless run is installed at once;
// the run plays on in its own game.
TEST(Package, APackageDroppedOnAHeadlessGameIsInstalled) {
  ScratchDir dir;
  LinkCopy(SharedDemo(false), dir / "game");
  dir.Write("input.txt", "500 drop " + PackedDemo() + "\n600 drop " + (dir / "not a package.txt") + "\n");
  const PlayerFolders player(dir / "player");
  const RunResult run = RunCommand("cd " + Quote(dir.path()) + " && " + Quote(GameBinary()) +
                                   " --headless --workdir game --save-dir saves --input input.txt --max-ms 2000");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("installed " + PackedDemo() + " into "), std::string::npos) << run.output;
  EXPECT_TRUE(fs::exists(fs::path(player.Campaigns()) / "Demo/System.ini"));
}

// The whole flow a player sees: a demo packed, installed into an empty user
// folder through `tessera FILE` and played to the end.
void InstallAndPlay(const std::string& language) {
  ScratchDir dir;
  ASSERT_EQ(RunTool("make-demo " + Quote(dir / "demo") + " --language " + language).exitCode, 0);
  const std::string file = dir / (language + ".tessera");
  ASSERT_EQ(RunTool("pack " + Quote(dir / "demo") + " " + Quote(file) + " --title " + language).exitCode, 0);
  const PlayerFolders player(dir / "player");
  const RunResult run = RunCommand("cd " + Quote(dir.path()) + " && " + Quote(GameBinary()) +
                                   " --headless --autoplay --trace trace.txt --max-ms 7200000 " + Quote(file));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(fs::exists(fs::path(player.Campaigns()) / language / "System.ini"));
  EXPECT_NE(ReadText(dir / "trace.txt").find(" state 2 10 GameEnd"), std::string::npos);
}

TEST(Package, TheEnglishDemoPackedInstallsThroughTheGameAndPlaysToTheEnd) { InstallAndPlay("english"); }
TEST(Package, TheSimplifiedChineseDemoPackedInstallsAndPlaysToTheEnd) { InstallAndPlay("chinese-simplified"); }
TEST(Package, TheTraditionalChineseDemoPackedInstallsAndPlaysToTheEnd) { InstallAndPlay("chinese-traditional"); }

}  // namespace
}  // namespace tessera::test
