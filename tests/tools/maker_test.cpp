// Making a puzzle inside the game: the maker and the tool's import make the
// same campaign, a make that is cancelled or fails leaves nothing, and the
// whole flow in a headless game (pictures on the command line, a typed title,
// the progress, the new campaign played to its end, then the library).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <thread>

#include "app/campaigns.h"
#include "app/engine_config.h"
#include "app/profile.h"
#include "content/captions.h"
#include "content/maker.h"
#include "content/package.h"
#include "flow/library_flow.h"
#include "gfx/bmp_write.h"
#include "gfx/gfx_fixtures.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "tools/tool_fixtures.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/resource.h>
#endif
#ifndef _WIN32
#include <unistd.h>
#endif

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

// A picture whose left half is one colour and right half another.
std::vector<uint8_t> HalvesBmp(int w, int h, uint32_t left, uint32_t right) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = x < w / 2 ? left : right;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(c >> 16);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c);
    }
  return EncodeBmp24(w, h, rgb.data());
}

struct Pictures {
  ScratchDir dir;
  std::string a = dir / "a.bmp", b = dir / "b.bmp", broken = dir / "broken.png";
  Pictures() {
    dir.Write("a.bmp", HalvesBmp(640, 480, 0xFF0000, 0x0000FF));
    dir.Write("b.bmp", HalvesBmp(300, 500, 0x00FF00, 0xFFFF00));
    dir.Write("broken.png", std::string("\x89PNG\r\n\x1a\n not really a picture"));
  }
};

// Every file below a folder, by its path relative to it.
std::map<std::string, std::vector<uint8_t>> Files(const std::string& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root).generic_string()] = ReadBytes(e.path().string());
  return files;
}

std::string Id(const std::string& campaign) {
  const std::string ini = ReadText(campaign + "/System.ini");
  const size_t at = ini.find("CampaignId=");
  if (at == std::string::npos) return {};
  return ini.substr(at + 11, ini.find_first_of("\r\n", at) - at - 11);
}

std::string WithoutId(const std::vector<uint8_t>& bytes, const std::string& id) {
  std::string text(bytes.begin(), bytes.end());
  for (size_t at; !id.empty() && (at = text.find(id)) != std::string::npos;) text.replace(at, id.size(), "ID");
  return text;
}

TEST(Maker, TheMakerAndTheToolsImportMakeTheSameCampaignButForItsId) {
  Pictures pictures;
  ScratchDir dir;
  const std::string tool = dir / "tool";
  const RunResult r = RunTool("import " + Quote(tool) + " " + Quote(pictures.a) + " " + Quote(pictures.broken) + " " +
                              Quote(pictures.b) + " --title Trip --pieces 100 --layers 2 --stones 10 --spiders 1");
  ASSERT_EQ(r.exitCode, 0) << r.output;

  content::ImportOptions options;
  options.images = {pictures.a, pictures.broken, pictures.b};
  options.pieces = 100;
  options.layers = 2;
  options.stones = 10;
  options.spiders = 1;
  fs::path made;
  content::ImportReport report;
  std::string error;
  ASSERT_TRUE(content::MakeCampaign(dir / "campaigns", "Trip", options, made, report, error)) << error;
  EXPECT_EQ(made, fs::path(dir / "campaigns") / "Trip");
  ASSERT_EQ(report.skipped.size(), 1u);
  EXPECT_EQ(report.skipped[0].rfind(pictures.broken + ": ", 0), 0u) << report.skipped[0];
  EXPECT_EQ(report.levels.size(), 2u);

  const std::string toolId = Id(tool), makerId = Id(made.string());
  EXPECT_EQ(makerId.rfind("Trip-", 0), 0u) << makerId;
  ASSERT_NE(toolId, makerId);
  const auto fromTool = Files(tool), fromMaker = Files(made.string());
  ASSERT_EQ(fromTool.size(), fromMaker.size());
  size_t differ = 0;
  for (const auto& [name, bytes] : fromTool) {
    ASSERT_EQ(fromMaker.count(name), 1u) << name;
    if (bytes == fromMaker.at(name)) continue;
    ++differ;
    EXPECT_EQ(WithoutId(bytes, toolId), WithoutId(fromMaker.at(name), makerId)) << name;
  }
  EXPECT_EQ(differ, 2u);  // System.ini and the manifest, where the id stands
  EXPECT_NE(ReadText(made.string() + "/tessera-package.ini").find("title=Trip\r\n"), std::string::npos);
  // Only the campaign is left in the folder, no temporary one beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "campaigns"), fs::directory_iterator()), 1);
  // Packed, it keeps its title.
  ASSERT_EQ(RunTool("pack " + Quote(made.string()) + " " + Quote(dir / "trip.tessera")).exitCode, 0);
  content::PackageInfo info;
  ASSERT_TRUE(content::ReadPackage(dir / "trip.tessera", info, error)) << error;
  EXPECT_EQ(info.manifest.title, "Trip");
}

TEST(Maker, ACancelledOrFailedMakeLeavesNothingAndATakenNameGetsANumber) {
  Pictures pictures;
  ScratchDir dir;
  const std::string campaigns = dir / "campaigns";
  content::ImportOptions options;
  options.images = {pictures.a, pictures.b};
  fs::path made;
  content::ImportReport report;
  std::string error;
  // Cancelled at the second picture, and at the write after the last.
  for (size_t stop : {size_t{1}, size_t{2}}) {
    const auto step = [stop](size_t index, size_t, const std::string&) { return index < stop; };
    EXPECT_FALSE(content::MakeCampaign(campaigns, "Trip", options, made, report, error, step));
    EXPECT_EQ(error, content::IMPORT_CANCELLED);
    EXPECT_TRUE(fs::is_empty(campaigns));
  }
  // Nothing that reads: said, and nothing left.
  options.images = {pictures.broken};
  EXPECT_FALSE(content::MakeCampaign(campaigns, "Trip", options, made, report, error));
  EXPECT_NE(error.find("none of the 1 pictures could be read"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_empty(campaigns));

  // A title in another script, and one taken.
  options.images = {pictures.a};
  ASSERT_TRUE(content::MakeCampaign(campaigns, "\xE6\x97\x85\xE8\xA1\x8C", options, made, report, error)) << error;
  EXPECT_EQ(made, fs::path(campaigns) / "puzzle");
  EXPECT_NE(ReadText(made.string() + "/tessera-package.ini").find("title=\xE6\x97\x85\xE8\xA1\x8C\r\n"),
            std::string::npos);
  ASSERT_TRUE(content::MakeCampaign(campaigns, "PUZZLE", options, made, report, error)) << error;
  EXPECT_EQ(made, fs::path(campaigns) / "PUZZLE-2");
  ASSERT_TRUE(content::MakeCampaign(campaigns, "\xE6\x97\x85\xE8\xA1\x8C Trip  2026", options, made, report, error));
  EXPECT_EQ(made, fs::path(campaigns) / "Trip_2026");
  EXPECT_EQ(content::LevelTitleFor("A rather long title", 12), "A rather");
  EXPECT_EQ(content::LevelTitleFor("\xE6\x97\x85", 1), "Picture");
}

// A campaigns folder that cannot be written is named with the reason before
// any picture is cut, and nothing is left anywhere. A file in the folder's
// place, or above it, and a folder not even root can write in stand for it
// robustly as root too; a folder whose permission bits forbid writing is
// tried where the user is not root.
TEST(Maker, ACampaignsFolderThatCannotBeWrittenIsNamedWithWhyBeforeAnyPictureIsCut) {
  Pictures pictures;
  ScratchDir dir;
  dir.Write("file", "not a folder");
  const fs::path file = HostFsPath(dir / "file");
  content::ImportOptions options;
  options.images = {pictures.a, pictures.b};
  fs::path made;
  content::ImportReport report;
  std::string error;
  size_t steps = 0;
  const auto step = [&steps](size_t, size_t, const std::string&) { return ++steps, true; };
  std::vector<std::pair<fs::path, std::string>> cases = {
      {file, HostPathString(file) + " is a file, not a folder"},
      {file / "tessera" / "campaigns", "cannot be made: " + HostPathString(file) + " is a file, not a folder"}};
#ifdef __linux__
  cases.emplace_back("/proc", "/proc cannot be written: ");
#endif
#ifndef _WIN32
  // Permission bits stop every user but root.
  const fs::path locked = HostFsPath(dir / "locked");
  if (geteuid() != 0) {
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    cases.emplace_back(locked, HostPathString(locked) + " cannot be written: Permission denied");
  }
#endif
  for (const auto& [campaigns, why] : cases) {
    EXPECT_FALSE(content::MakeCampaign(campaigns, "Trip", options, made, report, error, step));
    EXPECT_NE(error.find("the campaigns folder " + HostPathString(campaigns)), std::string::npos) << error;
    EXPECT_NE(error.find(why), std::string::npos) << error;
  }
#ifndef _WIN32
  if (geteuid() != 0) {
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(locked));
    fs::remove(locked);
  }
#endif
  EXPECT_EQ(steps, 0u);
  EXPECT_EQ(ReadText(dir / "file"), "not a folder");
  EXPECT_EQ(std::distance(fs::directory_iterator(HostFsPath(dir.path())), fs::directory_iterator()), 1);
}

// The library's cached thumbnail is used while the campaign's first picture
// stays as it was, and made anew once it changes.
TEST(Maker, TheLibrarysCachedThumbnailFollowsTheCampaignsFirstPicture) {
  Pictures pictures;
  ScratchDir dir;
  const PlayerFolders player(dir / "player");
  const fs::path campaigns = HostFsPath(dir / "campaigns");
  content::ImportOptions options;
  fs::path a, b;
  content::ImportReport report;
  std::string error;
  options.images = {pictures.a};
  ASSERT_TRUE(content::MakeCampaign(campaigns, "A", options, a, report, error)) << error;
  options.images = {pictures.b};
  ASSERT_TRUE(content::MakeCampaign(campaigns, "B", options, b, report, error)) << error;
  // The first campaign's thumbnail, as the library reads it: a pixel of its left half.
  const auto left = [&] {
    std::vector<LibraryEntry> entries(1);
    entries[0].folder = a;
    entries[0].id = CampaignId(a);
    ReadShownThumbnails(entries, LibraryState{});
    return entries[0].thumbnail ? entries[0].thumbnail->At(10, 50) : uint16_t{0};
  };
  EXPECT_EQ(left(), PackRgb(255, 0, 0));
  const fs::path thumbnails = HostFsPath(player.Cache()) / "thumbnails";
  ASSERT_EQ(std::distance(fs::directory_iterator(thumbnails), fs::directory_iterator()), 1);
  // Unchanged: the cached file is shown, the campaign's pictures not read (a
  // magenta square put in the cache's place is what comes back).
  const fs::path cached = fs::directory_iterator(thumbnails)->path();
  std::vector<uint8_t> rgb(content::THUMBNAIL_SIDE * content::THUMBNAIL_SIDE * 3, 0xFF);
  for (size_t i = 1; i < rgb.size(); i += 3) rgb[i] = 0;
  const std::vector<uint8_t> bmp = EncodeBmp24(content::THUMBNAIL_SIDE, content::THUMBNAIL_SIDE, rgb.data());
  dir.Write(HostPathString(cached.lexically_relative(HostFsPath(dir.path()))), bmp);
  EXPECT_EQ(left(), PackRgb(255, 0, 255));
  // Picture.dat rewritten, of the same size, with another first picture: made
  // anew from it, and the older thumbnail gone from the cache.
  EXPECT_EQ(fs::file_size(a / "Picture.dat"), fs::file_size(b / "Picture.dat"));
  // (Removed first: MinGW's copy_file refuses to overwrite.)
  fs::remove(a / "Picture.dat");
  fs::copy_file(b / "Picture.dat", a / "Picture.dat");
  EXPECT_EQ(left(), PackRgb(0, 255, 0));
  EXPECT_EQ(std::distance(fs::directory_iterator(thumbnails), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists(cached));
}

#ifndef _WIN32
// A disk that fills while the campaign is written (a file size limit stands in
// for it: writes past it fail as on a full disk): the form says so, and
// nothing is left in the campaigns folder, not even the temporary folder.
TEST(Maker, ADiskThatFillsWhileMakingLeavesNothingBehind) {
  Pictures pictures;
  ScratchDir dir;
  const PlayerFolders player(dir / "player");
  dir.Write("make.txt", "100 text Full\n300 keydown 13\n2000 keydown 27\n2100 quit\n");
  // Picture.dat would be six layers of 750 KB; the limit is 2 MB.
  const RunResult run = RunCommand("cd " + Quote(dir.path()) + " && trap '' XFSZ && ulimit -f 4000 && TESSERA_PATH= " +
                                   Quote(GameBinary()) + " --headless --input make.txt --trace trace.txt " +
                                   Quote(pictures.a) + " " + Quote(pictures.b));
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::string trace = ReadText(dir / "trace.txt");
  EXPECT_NE(trace.find(" log making failed: "), std::string::npos) << trace;
  EXPECT_EQ(trace.find(" log made "), std::string::npos) << trace;
  const fs::path campaigns = HostFsPath(player.Campaigns());
  EXPECT_TRUE(!fs::exists(campaigns) || fs::is_empty(campaigns));
}
#endif

bool Near(uint32_t pixel, uint32_t rgb) {
  for (int shift : {16, 8, 0})
    if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) > 8) return false;
  return true;
}

// White text pixels in a rectangle of a dump.
int WhitePixels(const Picture& p, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += Near(p.At(x, y), 0xFFFFFF);
  return n;
}

// The player's data folder is a file: the form names the campaigns folder and
// why in full (the message runs over two lines), and nothing is made.
TEST(Maker, TheFormSaysWhyTheCampaignsFolderCannotBeMade) {
  Pictures pictures;
  ScratchDir dir;
  const PlayerFolders player(dir / "player");
  // A file in place of the user's data folder (XDG_DATA_HOME, %APPDATA%).
  const fs::path data = HostFsPath(player.Campaigns()).parent_path().parent_path();
  fs::create_directories(data.parent_path());
  { std::ofstream(data, std::ios::binary) << "a file where the folder would be"; }
  dir.Write("make.txt", "100 text Trip\n300 keydown 13\n400 dump refused\n500 quit\n");
  const RunResult run = RunCommand("cd " + Quote(dir.path()) + " && TESSERA_PATH= " + Quote(GameBinary()) +
                                   " --headless --input make.txt --trace trace.txt --dump-dir . " + Quote(pictures.a) +
                                   " " + Quote(pictures.b));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string trace = ReadText(dir / "trace.txt");
  EXPECT_NE(trace.find(" log making failed: the campaigns folder " + player.Campaigns() + " cannot be made: " +
                       HostPathString(data) + " is a file, not a folder\n"),
            std::string::npos)
      << trace;
  EXPECT_EQ(trace.find(" log made "), std::string::npos) << trace;
  EXPECT_EQ(ReadText(HostPathString(data)), "a file where the folder would be");
  Picture refused;
  ASSERT_TRUE(ReadBmp24(dir / "refused.bmp", refused));
  int firstLine = 0, secondLine = 0;  // the message's orange text, below the thumbnails
  for (int x = 60; x < 740; ++x)
    for (int y = 0; y < 16; ++y) {
      firstLine += Near(refused.At(x, 492 + y), 0xF0AA78);
      secondLine += Near(refused.At(x, 510 + y), 0xF0AA78);
    }
  EXPECT_GT(firstLine, 200);
  EXPECT_GT(secondLine, 100);
}

// The whole flow in a headless game: pictures on the command line open the
// form, a title is typed, Enter makes it with the progress shown picture by
// picture, the new campaign is played to its end, and a second start finds it
// in the library (Escape on the start menu) with its picture and progress.
TEST(Maker, PicturesOnTheCommandLineBecomeACampaignThatIsPlayedAndThenInTheLibrary) {
  Pictures pictures;
  ScratchDir dir;
  dir.Write("make.txt",
            "100 dump form\n110 text Tr\n120 text ip\n130 keydown 8\n140 text p\n200 dump typed\n300 keydown 13\n"
            "300 dump progress1\n315 dump progress2\n330 dump progress3\n");
  dir.Write("library.txt",
            "100 ldown\n600 lup\n1000 keydown 27\n1200 dump library\n1500 keydown 27\n1600 dump menu\n1700 quit\n");
  const PlayerFolders player(dir / "player");
  const std::string env = "cd " + Quote(dir.path()) + " && TESSERA_PATH= " + Quote(GameBinary()) + " --headless ";
  const RunResult made = RunCommand(env + "--autoplay --input make.txt --trace make-trace.txt --dump-dir . --max-ms 7200000 " +
                                    Quote(pictures.a) + " " + Quote(pictures.b) + " " + Quote(pictures.broken));
  ASSERT_EQ(made.exitCode, 0) << made.output;
  const std::string campaign = HostPathString(HostFsPath(player.Campaigns()) / "Trip");
  const std::string trace = ReadText(dir / "make-trace.txt");
  EXPECT_NE(trace.find(" log " + pictures.broken + ": skipped, "), std::string::npos) << trace;
  EXPECT_NE(trace.find("300 log making Trip from 2 pictures\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find(" log made " + campaign + " with 2 levels\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find(" state 2 10 GameEnd"), std::string::npos) << trace;
  EXPECT_EQ(ReadText(campaign + "/Save/won.txt"), "Level00\nLevel01\n");

  Picture form, typed, progress[3];
  ASSERT_TRUE(ReadBmp24(dir / "form.bmp", form));
  ASSERT_TRUE(ReadBmp24(dir / "typed.bmp", typed));
  // The pictures' thumbnails, the unreadable one framed; the title typed, one
  // character taken back.
  EXPECT_TRUE(Near(form.At(70, 380), 0xFF0000) && Near(form.At(105, 380), 0x0000FF));
  EXPECT_TRUE(Near(form.At(136, 380), 0x00FF00) && Near(form.At(170, 380), 0xFFFF00));
  EXPECT_TRUE(Near(form.At(193, 380), 0xF06E5A));
  EXPECT_EQ(WhitePixels(form, 192, 72, 400, 104), 0);
  EXPECT_GT(WhitePixels(typed, 192, 72, 240, 104), 100);  // "Trip" is 4 characters of 10 pixels
  EXPECT_EQ(WhitePixels(typed, 240, 72, 400, 104), 0);
  // The bar at the first picture, the second, and the write.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ReadBmp24(dir / ("progress" + std::to_string(i + 1) + ".bmp"), progress[i]));
  EXPECT_FALSE(Near(progress[0].At(150, 295), 0x6EAA6E));
  EXPECT_TRUE(Near(progress[1].At(150, 295), 0x6EAA6E) && !Near(progress[1].At(600, 295), 0x6EAA6E));
  EXPECT_TRUE(Near(progress[2].At(600, 295), 0x6EAA6E));

  const RunResult again = RunCommand(env + "--game Trip --input library.txt --trace library-trace.txt --dump-dir .");
  ASSERT_EQ(again.exitCode, 0) << again.output;
  const std::string libraryTrace = ReadText(dir / "library-trace.txt");
  EXPECT_NE(libraryTrace.find("1000 state 7 13 \n"), std::string::npos) << libraryTrace;
  EXPECT_NE(libraryTrace.find("1500 state 13 7 \n"), std::string::npos) << libraryTrace;
  Picture library;
  ASSERT_TRUE(ReadBmp24(dir / "library.bmp", library));
  // The new campaign first (the player's campaigns come first), selected, its
  // first level's picture as thumbnail, made once into the cache.
  EXPECT_TRUE(Near(library.At(70, 110), 0xFF0000) && Near(library.At(115, 110), 0x0000FF));
  EXPECT_TRUE(Near(library.At(420, 140), 0x3C4868));
  EXPECT_GT(WhitePixels(library, 144, 84, 200, 110), 50);  // its title, in white when selected
  EXPECT_FALSE(fs::is_empty(HostFsPath(player.Cache()) / "thumbnails"));
}

// A campaign the player made, in the library of a game playing another one:
// renamed (F2, a typed title), given more pictures through its "Add pictures"
// button (the form points out a repeated picture and a one-colour one), and
// deleted to the trash after the player said so; the campaign being played
// cannot be deleted.
TEST(Maker, APlayersOwnCampaignIsRenamedGivenMorePicturesAndDeletedToTheTrash) {
#ifdef __EMSCRIPTEN__
  constexpr bool kTrash = false;
#else
  constexpr bool kTrash = true;
#endif
  Pictures pictures;
  ScratchDir dir;
  std::vector<uint8_t> grey(120 * 120 * 3, 0x80);
  grey[0] = 0;  // one dark pixel does not make a picture
  dir.Write("grey.bmp", EncodeBmp24(120, 120, grey.data()));
  const PlayerFolders player(dir / "player");
  content::ImportOptions options;
  fs::path made;
  content::ImportReport report;
  std::string error;
  for (const char* title : {"Other", "Trip"}) {
    options.images = {pictures.a};
    ASSERT_TRUE(content::MakeCampaign(player.Campaigns(), title, options, made, report, error)) << error;
  }
  const std::string trip = HostPathString(HostFsPath(player.Campaigns()) / "Trip");
  dir.Write("own.txt",
            "100 ldown\n600 lup\n1000 keydown 27\n1100 keydown 40\n"    // the library; Trip, after Other
            "1200 keydown 113\n1300 keydown 8\n1310 keydown 8\n1320 keydown 8\n1330 keydown 8\n"
            "1400 text Holiday\n1500 dump rename\n1600 keydown 13\n"   // F2: a new title
            "1700 move 490 200\n1750 ldown\n1800 lup\n1900 drop " + pictures.b + "\n1910 drop " +
            (dir / "grey.bmp") + "\n1920 drop " + pictures.b + "\n2000 dump add\n2100 keydown 13\n"
            "2600 dump added\n2700 keydown 46\n2800 dump delete\n2900 keydown 37\n3000 keydown 13\n" +
            // No trash in the browser: asked once more, "Delete for good".
            (kTrash ? "" : "3010 keydown 37\n3020 keydown 13\n") +
            "3050 keydown 36\n3100 keydown 46\n3150 dump open\n3200 keydown 13\n3300 keydown 27\n3500 quit\n");
  const std::string env = "cd " + Quote(dir.path()) + " && TESSERA_PATH= " + Quote(GameBinary()) + " --headless ";
  const RunResult run = RunCommand(env + "--game Other --input own.txt --trace trace.txt --dump-dir .");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string trace = ReadText(dir / "trace.txt");
  // The campaign's folder as the game found it (Windows may spell the same
  // folder another way than the test does).
  const size_t renamedAt = trace.find(" log renamed ");
  ASSERT_NE(renamedAt, std::string::npos) << trace;
  const size_t shownEnd = trace.find(" to Holiday\n", renamedAt);
  ASSERT_NE(shownEnd, std::string::npos) << trace;
  const std::string shown = trace.substr(renamedAt + 13, shownEnd - renamedAt - 13);
  EXPECT_EQ(HostFsPath(shown).filename(), fs::path("Trip")) << shown;
  EXPECT_TRUE(fs::equivalent(HostFsPath(shown).parent_path(), HostFsPath(player.Campaigns()))) << shown;
  EXPECT_NE(trace.find("2100 log adding to Holiday from 3 pictures\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find(" log added 3 levels to " + shown + "\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find(kTrash ? "3000 log moved " + shown + " to the trash\n" : " log deleted " + shown + "\n"),
            std::string::npos)
      << trace;
  EXPECT_EQ(trace.find("Other to the trash"), std::string::npos) << trace;
  EXPECT_NE(trace.find("3300 state 13 7 \n"), std::string::npos) << trace;  // back to the game
  EXPECT_FALSE(fs::exists(HostFsPath(trip)));
  EXPECT_TRUE(fs::exists(HostFsPath(player.Campaigns()) / "Other"));
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  // Where the desktop's trash keeps it, with the record that brings it back.
  const fs::path trash = fs::path(dir / "player") / "data" / "Trash";
  EXPECT_EQ(content::CampaignLevelCount((trash / "files" / "Trip").string()), 4);
  EXPECT_NE(ReadText((trash / "info" / "Trip.trashinfo").string()).find("\nPath=" + shown + "\n"), std::string::npos);
  EXPECT_NE(ReadText((trash / "files" / "Trip" / "tessera-package.ini").string()).find("title=Holiday\r\n"),
            std::string::npos);
#endif

  Picture rename, add, ask, open;
  ASSERT_TRUE(ReadBmp24(dir / "open.bmp", open));
  EXPECT_TRUE(Near(open.At(645, 360), 0xF0DCA0));  // "OK" alone, lit
  ASSERT_TRUE(ReadBmp24(dir / "rename.bmp", rename));
  ASSERT_TRUE(ReadBmp24(dir / "add.bmp", add));
  ASSERT_TRUE(ReadBmp24(dir / "delete.bmp", ask));
  EXPECT_GT(WhitePixels(rename, 160, 290, 230, 316), 100);  // "Holiday" in the dialog's entry
  EXPECT_EQ(WhitePixels(rename, 240, 290, 600, 316), 0);
  // The form adding to it: the repeated picture and the grey one framed in yellow.
  EXPECT_TRUE(Near(add.At(60 + 66, 380), 0xF0C85A) && Near(add.At(60 + 132, 380), 0xF0C85A));
  EXPECT_FALSE(Near(add.At(60, 380), 0xF0C85A));
  // The question, with "Keep it" (the right-hand button) lit for Enter.
  EXPECT_TRUE(Near(ask.At(645, 360), 0xF0DCA0) && !Near(ask.At(459, 360), 0xF0DCA0));
}

// The peak resident set of this process so far in KiB; -1 where it cannot be
// measured. Under AddressSanitizer freed memory waits in its quarantine (a
// quarter of a gigabyte) before it is reused, so the peak says nothing of the
// game's own use there.
#if defined(__SANITIZE_ADDRESS__)
#define TESSERA_PEAK_UNTOLD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSERA_PEAK_UNTOLD 1
#endif
#endif
long PeakResidentKiB() {
#if defined(__linux__) && !defined(__EMSCRIPTEN__) && !defined(TESSERA_PEAK_UNTOLD)
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) == 0) return usage.ru_maxrss;
#endif
  return -1;
}

// 200 pictures, more than one archive holds with their layers: a campaign of
// loose pictures, every level made and chained, made a picture at a time
// within the game's memory budget.
TEST(StreamingImport, TwoHundredPicturesMakeALooseCampaignWithinTheMemoryBudget) {
  ScratchDir dir;
  dir.Write("a.bmp", HalvesBmp(96, 64, 0xC03020, 0x2040C0));
  dir.Write("b.bmp", HalvesBmp(64, 96, 0x30A040, 0xE0C030));
  content::ImportOptions options;
  options.dir = dir / "game";
  options.layers = 2;
  options.pieces = 100;
  for (int i = 0; i < 200; ++i) {
    const std::string copy = dir / ("p" + std::to_string(i) + ".bmp");
    std::error_code ec;
    fs::create_hard_link(dir / (i % 2 ? "b.bmp" : "a.bmp"), copy, ec);
    if (ec) fs::copy_file(dir / (i % 2 ? "b.bmp" : "a.bmp"), copy);
    options.images.push_back(copy);
  }
  std::vector<size_t> told;
  const auto step = [&](size_t index, size_t total, const std::string&) {
    if (total == 200 && index < total) told.push_back(index);
    return true;
  };
  content::ImportReport report;
  std::string error;
  const long before = PeakResidentKiB();
  ASSERT_TRUE(content::ImportPictures(options, report, error, nullptr, step)) << error;
  const long after = PeakResidentKiB();

  ASSERT_EQ(told.size(), 200u);
  for (size_t i = 0; i < told.size(); ++i) EXPECT_EQ(told[i], i);
  ASSERT_EQ(report.levels.size(), 200u);
  EXPECT_EQ(ReadProfileString("setting", "packaged", "", 16, options.dir + "/System.ini"), "false");
  const std::string script = options.dir + "/Script/ScriptEntry.txt";
  for (size_t i = 0; i < 200; ++i) {
    const std::string& level = report.levels[i];
    EXPECT_EQ(level, "Level" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    EXPECT_EQ(ReadProfileString(level.c_str(), "Goto", "", 32, script),
              i + 1 < 200 ? report.levels[i + 1] : "GameEnd");
    for (int k = 0; k < 2; ++k)
      EXPECT_EQ(ReadBytes(options.dir + "/Picture/" + level + "_" + std::to_string(k) + ".bmp").size(), 750054u)
          << level << " layer " << k;
  }
  LintRun lint = Lint(options.dir);
  EXPECT_EQ(lint.exitCode, 0) << lint.Dump();
  EXPECT_FALSE(lint.HasErrors()) << lint.Dump();
  // Packed, its 300 MB of pictures are read file by file as the package is written.
  ASSERT_TRUE(content::PackCampaign(options.dir, dir / "game.tessera", {}, error)) << error;
  const long packed = PeakResidentKiB();
  content::PackageInfo info;
  ASSERT_TRUE(content::ReadPackage(dir / "game.tessera", info, error)) << error;
  EXPECT_EQ(info.manifest.levels, 200);
  EXPECT_GT(info.claimedBytes, 300000000u);

  if (before < 0 || after < 0)
    GTEST_SKIP() << "this build does not tell the game's peak resident set (not Linux, or AddressSanitizer)";
  EXPECT_LT(after - before, 64 * 1024) << "peak grew from " << before << " to " << after << " KiB";
  EXPECT_LT(packed - before, 64 * 1024) << "packing: peak grew from " << before << " to " << packed << " KiB";
}

// A cancel after every layer was written, before anything is put in place,
// leaves a packaged game, a loose one and an empty folder byte for byte as
// they were.
TEST(StreamingImport, ACancelledImportLeavesTheGameAsItWas) {
  Pictures pictures;
  ScratchDir dir;
  for (const bool loose : {false, true}) {
    const std::string game = dir / (loose ? "loose" : "packaged");
    DeepCopy(SharedDemo(loose), game);
    const auto before = Files(game);
    ASSERT_GT(before.size(), 20u);
    content::ImportOptions options;
    options.dir = game;
    options.images = {pictures.a, pictures.broken, pictures.b};
    for (size_t stop : {size_t{2}, size_t{3}}) {
      const auto step = [stop](size_t index, size_t, const std::string&) { return index < stop; };
      content::ImportReport report;
      std::string error;
      EXPECT_FALSE(content::ImportPictures(options, report, error, nullptr, step));
      EXPECT_EQ(error, content::IMPORT_CANCELLED);
      EXPECT_TRUE(Files(game) == before) << (loose ? "loose" : "packaged") << ", cancelled at " << stop;
    }
  }
  content::ImportOptions options;
  options.dir = dir / "fresh";
  options.images = {pictures.a, pictures.b};
  content::ImportReport report;
  std::string error;
  EXPECT_FALSE(content::ImportPictures(options, report, error, nullptr,
                                       [](size_t index, size_t total, const std::string&) { return index < total; }));
  EXPECT_FALSE(fs::exists(options.dir));
}

// The window beside a make: the worker's captions use a renderer of their own
// and hold the lock only while one is drawn, so the window neither waits for
// the whole of a picture's painting nor finds its own renderer replaced.
TEST(MakerCaptions, WorkerCaptionsLeaveTheWindowsRendererAndLockAlone) {
  if (!ThreadsAvailable()) GTEST_SKIP() << "no threads in this build: the maker runs on the window's thread";
  auto log = std::make_shared<RasterLog>();
  InitTextRenderer(std::make_unique<FakeRasterizer>(log));
  std::promise<void> fontReady, lockTried;
  std::shared_future<void> tried = lockTried.get_future().share();
  int inked = 0;
  std::thread worker([&] {
    content::CaptionFont font(LANGUAGE_ENGLISH);
    fontReady.set_value();
    tried.wait();
    content::Canvas canvas(64, 40);
    content::DrawCaption(canvas, "Ab", 24, 4, 4, content::Colour{255, 255, 255});
    for (int y = 0; y < canvas.height; ++y)
      for (int x = 0; x < canvas.width; ++x) inked += canvas.Get(x, y).r == 255;
  });
  fontReady.get_future().wait();
  const bool free = content::CaptionLock().try_lock();
  if (free) content::CaptionLock().unlock();
  lockTried.set_value();
  worker.join();
  EXPECT_TRUE(free) << "a caption font holds the lock for its whole life";
  EXPECT_GT(inked, 20) << "the caption was not drawn with the real face";
  EXPECT_TRUE(log->calls.empty()) << "the caption was drawn with the window's renderer";
  std::vector<uint16_t> pixels(64 * 40, 0);
  RenderText(16, 0xFFFF, 0, 0, 0, "Q", pixels.data(), 8000, 64, 40);
  EXPECT_EQ(SignatureAt(pixels.data(), 64, 0, 0), 'Q' * 256) << "the window's renderer was replaced";
  ReleaseTextRenderer();
}

}  // namespace
}  // namespace tessera::test
