// Making a puzzle inside the game and opening the library: a level made by
// the maker against the same level made by the tool's import, and the library
// of 500 campaigns with cached thumbnails gathered and drawn against one
// heaviest play frame.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ratio_table.h"
#include "content/common.h"
#include "content/import.h"
#include "content/maker.h"
#include "content/package.h"
#include "content/package_install.h"
#include "flow/library_flow.h"
#include "gfx/bmp_write.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "screens/library.h"

namespace {

namespace fs = std::filesystem;
using namespace tessera;

std::string g_scratch;
std::string g_picture;
int g_made = 0;

constexpr int kCampaigns = 500;

// A 1024x768 photograph-like picture: smooth gradients with detail.
void WritePicture(const std::string& path) {
  const int w = 1024, h = 768;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(x / 4);
      p[1] = static_cast<uint8_t>(y / 3);
      p[2] = static_cast<uint8_t>((x * y) >> 8);
    }
  const std::vector<uint8_t> bmp = EncodeBmp24(w, h, rgb.data());
  HostWriteFileAtomically(path, bmp.data(), bmp.size());
}

content::ImportOptions OnePicture() {
  content::ImportOptions options;
  options.images = {g_picture};
  return options;
}

void MakerLevel(benchmark::State& s) {
  const fs::path campaigns = fs::path(g_scratch) / "made";
  for (auto _ : s) {
    fs::path made;
    content::ImportReport report;
    std::string error;
    // The step the maker's worker takes at each picture.
    if (!content::MakeCampaign(campaigns, "Bench " + std::to_string(g_made++), OnePicture(), made, report, error,
                               [](size_t, size_t, const std::string&) { return true; })) {
      s.SkipWithError(error.c_str());
      break;
    }
    s.PauseTiming();
    content::RemoveFolder(HostPathString(made));
    s.ResumeTiming();
  }
}

void ImportLevel(benchmark::State& s) {
  for (auto _ : s) {
    content::ImportOptions options = OnePicture();
    options.dir = g_scratch + "/imported";
    content::ImportReport report;
    std::string error;
    if (!content::ImportPictures(options, report, error)) {
      s.SkipWithError(error.c_str());
      break;
    }
    s.PauseTiming();
    content::RemoveFolder(options.dir);
    s.ResumeTiming();
  }
}

void OpenLibrary(benchmark::State& s) {
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  for (auto _ : s) {
    std::vector<LibraryEntry> entries = GatherLibrary();
    if (entries.size() < kCampaigns) {
      s.SkipWithError("the campaigns were not found");
      break;
    }
    LibraryState state;
    state.count = static_cast<int>(entries.size());
    ReadShownThumbnails(entries, state);
    DrawLibrary(state, entries, frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
}

}  // namespace

namespace bench {

void AddMakerComparisons(std::vector<Comparison>& out) {
  out.push_back({GROUP_MAKING, "Make a level 1024x768 (vs tessera-tool import)", "maker", "import", MakerLevel,
                 ImportLevel, Budget::RatioAtMost, 2});
  // Its budget is three frames of a 60 Hz display (50 ms), which RESULTS.md
  // holds the time against; the ratio to one heaviest play frame is shown.
  out.push_back({GROUP_MAKING, "Open the library, 500 campaigns (vs play frame)", "library", "frame", OpenLibrary,
                 HeaviestPlayFrame, Budget::None, 0});
}

bool SetUpMakerBench(const std::string& scratch) {
  g_scratch = scratch;
  std::error_code ec;
  fs::create_directories(scratch, ec);
  g_picture = scratch + "/photo.bmp";
  WritePicture(g_picture);
  // The player's folders in the scratch folder: 500 campaigns made from one,
  // their files linked, each with an id of its own; the library's first
  // gathering makes their thumbnails into the cache, as a player's first
  // opening does.
  SetEnvironment("XDG_DATA_HOME", scratch + "/data");
  SetEnvironment("XDG_CACHE_HOME", scratch + "/cache");
  SetEnvironment("TESSERA_PATH", "");
  const fs::path campaigns = content::PlayerCampaignsFolder();
  fs::path first;
  content::ImportReport report;
  std::string error;
  if (!content::MakeCampaign(campaigns, "Campaign 0", OnePicture(), first, report, error)) {
    std::fprintf(stderr, "maker bench: %s\n", error.c_str());
    return false;
  }
  for (int i = 1; i < kCampaigns; ++i) {
    const fs::path copy = campaigns / ("Campaign_" + std::to_string(i));
    fs::create_directories(copy, ec);
    for (const auto& entry : fs::directory_iterator(first, ec)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = entry.path().filename().string();
      if (name == "System.ini") {
        content::Bytes bytes;
        content::ReadHostFile(entry.path().string(), bytes);
        std::string text(bytes.begin(), bytes.end());
        const std::string key = "CampaignId=";
        const size_t at = text.find(key);
        if (at != std::string::npos)
          text.replace(at + key.size(), text.find_first_of("\r\n", at) - at - key.size(), "bench-" + std::to_string(i));
        HostWriteFileAtomically((copy / name).string(), text.data(), text.size());
      } else {
        fs::create_hard_link(entry.path(), copy / name, ec);
      }
    }
  }
  std::vector<LibraryEntry> entries = GatherLibrary();
  for (LibraryState shown; shown.top < static_cast<int>(entries.size()); shown.top += LIBRARY_ROWS_SHOWN)
    ReadShownThumbnails(entries, shown);
  return entries.size() >= kCampaigns;
}

void TearDownMakerBench() {}

}  // namespace bench
