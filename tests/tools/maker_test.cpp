// Making a puzzle inside the game: the maker and the tool's import make the
// same campaign, and a make that is cancelled or fails leaves nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "content/maker.h"
#include "gfx/bmp_write.h"
#include "tools/tool_fixtures.h"

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
  EXPECT_EQ(content::LevelTitleFor("A rather long title", 12), "A rather");
  EXPECT_EQ(content::LevelTitleFor("\xE6\x97\x85", 1), "Picture");
}

}  // namespace
}  // namespace tessera::test
