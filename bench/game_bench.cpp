// The game's own costs against the physical floor under each: the heaviest
// play frame and its presentation against a plain copy of the frame's bytes,
// a level load against reading the archive it comes from, sound files against
// SDL's reader, and texts and localized lines cached against their first use.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "app/files.h"
#include "app/input_state.h"
#include "app/uninitialised_array.h"
#include "app/profile.h"
#include "game/board.h"
#include "game/game_state.h"
#include "game/interface_images.h"
#include "game/level_definition.h"
#include "game/localization.h"
#include "game/random.h"
#include "game/rules.h"
#include "game/spiders.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"
#include "gfx/text.h"
#include "media/wav.h"
#include "platform/backends.h"
#include "platform/headless/headless_platform.h"
#include "screens/play_screen.h"
#include "bench_files.h"
#include "ratio_table.h"

namespace {

using namespace tessera;

constexpr size_t kFrameBytes = SCREEN_WIDTH * SCREEN_HEIGHT * 2;  // 960000
constexpr int kLayers = 5;
constexpr int kSplit = 25;
constexpr const char* kLevel = "Glass";
constexpr const char* kWave = "Sound\\Gallery.wav";

std::string g_gameDir;
std::unique_ptr<HeadlessPlatform> g_platform;
std::shared_ptr<GlyphRasterizer> g_face;

// Lets the text renderer be rebuilt without reopening the face.
class SharedFace : public GlyphRasterizer {
 public:
  bool Rasterize(uint16_t code, int size, uint32_t rows[32]) override { return g_face->Rasterize(code, size, rows); }
};

// ---- The game folder --------------------------------------------------------

std::string LevelSection() {
  std::string s = "[GameBegin]\r\nTotalBeginPicture=0\r\n\r\n";
  s += std::string("[") + kLevel + "]\r\nLevelName=Stained Glass\r\nBGMusicName=Gallery.wav\r\n";
  s += "BlendPictureNum=" + std::to_string(kLayers) + "\r\n";
  for (int k = 0; k < kLayers; ++k) s += "BlendPicture0" + std::to_string(k) + "=Glass_" + std::to_string(k) + "\r\n";
  s += "SplitSize=" + std::to_string(kSplit) + "\r\nLimitedTime=780\r\nStoneRation=10\r\n";
  s += "StaticSpiderNum=5\r\nDynamicSpiderNum=5\r\nTalkerHeadNum=0\r\n";
  s += "BeginTalkNum=1\r\nBeginTalk00=TalkerHead00:1+G_B0\r\nEndTalkNum=1\r\nEndTalk00=TalkerHead00:2+G_E0\r\n";
  s += "Goto=GameEnd\r\nSelectionTalkNum=0\r\nEndPlay=\r\n\r\n";
  // The rest of a campaign's script, so the section is found among others.
  for (int l = 0; l < 12; ++l) {
    s += "[Level" + std::to_string(l) + "]\r\nLevelName=Room " + std::to_string(l) + "\r\nBlendPictureNum=3\r\n";
    for (int k = 0; k < 3; ++k) s += "BlendPicture0" + std::to_string(k) + "=Room_" + std::to_string(k) + "\r\n";
    s += "SplitSize=50\r\nLimitedTime=300\r\nStoneRation=20\r\nBeginTalkNum=2\r\n";
    s += "BeginTalk00=TalkerHead00:1+R_B0\r\nBeginTalk01=TalkerHead01:2+R_B1\r\nGoto=Level" + std::to_string(l + 1) +
         "\r\n\r\n";
  }
  return s;
}

std::string Localization() {
  std::string s =
      "[Menu]\r\nGameOption=Options\r\nSaveGame=Save game\r\nRestartLevel=Restart level\r\n"
      "BossComing=Boss is coming!\r\nSetting=Settings\r\nRestartGame=Resume\r\nExitGame=Main menu\r\n"
      "Save=Save\r\nLoad=Load\r\nConfirm=Are you sure?\r\nEmpty=- empty -\r\n\r\n[Talk]\r\n";
  char line[128];
  for (int l = 0; l < 12; ++l)
    for (int n = 0; n < 4; ++n) {
      std::snprintf(line, sizeof line, "L%02d_B%d=The window of this room is broken into pieces; turn them back.\r\n",
                    l, n);
      s += line;
    }
  return s;
}

void WriteGameFolder() {
  namespace fs = std::filesystem;
  fs::create_directories(g_gameDir + "/Sound");
  std::vector<std::pair<std::string, bench::Bytes>> members;
  for (int k = 0; k < kLayers; ++k)
    members.emplace_back("Glass_" + std::to_string(k) + ".bmp", bench::NoiseBmp(500, 500, 100 + k, false));
  members.emplace_back("stone2.bmp", bench::NoiseBmp(kSplit, kSplit, 1, false));
  for (int f = 0; f < EXPLOSION_FRAME_COUNT; ++f)
    members.emplace_back("StoneExplode2" + std::to_string(f) + ".bmp", bench::NoiseBmp(kSplit, kSplit, 10 + f, true));
  for (int kind = 0; kind < SPIDER_KIND_COUNT; ++kind)
    for (int f = 0; f < SPIDER_FRAME_COUNT; ++f)
      members.emplace_back("Spider2" + std::to_string(kind) + std::to_string(f) + ".bmp",
                           bench::NoiseBmp(kSplit, kSplit, 20 + f, true));
  members.emplace_back("cobweb2.bmp", bench::NoiseBmp(kSplit, kSplit, 30, true));
  bench::WriteBytes(g_gameDir + "/Picture.dat", bench::PackArchive(members));
  bench::WriteText(g_gameDir + "/Script.dat", LevelSection());
  bench::WriteText(g_gameDir + "/Localization.dat", Localization());
  // A second of CD-quality music.
  bench::WriteBytes(g_gameDir + "/Sound/Gallery.wav", bench::PcmWave(44100, 2, 16, 176400));
}

void UsePackagedGameFolder() {
  bench::EnterFolder(g_gameDir);
  EngineConfig = EngineConfigRecord{};
  EngineConfig.Packaged = 1;
  EngineConfig.Language = LANGUAGE_ENGLISH;
}

// ---- The heaviest play frame --------------------------------------------------

ImagePtr Busy(int w, int h, uint32_t seed, bool holes) {
  ImagePtr image = CreateImage(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245 + 12345;
      const bool hole = holes && (x / 4 + y / 4) % 4 == 0;
      image->At(x, y) = hole ? 0 : static_cast<uint16_t>((seed >> 16) | 1);
    }
  return image;
}

void LoadPlayInterface() {
  InterfaceImages.GameBG = Busy(800, 600, 1, false);
  for (int i = 0; i < 8; ++i) InterfaceImages.ClockBorder[i] = Busy(32, 32, 10 + i, false);
  for (int i = 0; i < 2; ++i) InterfaceImages.RatioSpot[i] = Busy(9, 8, 20 + i, true);
  for (int i = 0; i < 4; ++i) InterfaceImages.Direction[i] = Busy(30, 30, 30 + i, true);
  InterfaceImages.OM_Boss_Item = Busy(50, 47, 40, true);
  InterfaceImages.OM_Restart_Item = Busy(50, 47, 41, true);
  InterfaceImages.OM_Save_Item = Busy(50, 47, 42, true);
  InterfaceImages.OM_Settings_Item = Busy(50, 47, 43, true);
  InterfaceImages.OptionHint = Busy(300, 80, 44, false);
  InterfaceImages.Cursor = Busy(20, 24, 45, true);
  CursorImage = InterfaceImages.Cursor.get();
}

// Five 500x500 layers cut into 25-pixel pieces, stones, explosions in every
// frame, ten spiders, cobwebs, 400 goal spots, the hovered cell's five previews,
// a nearly full clock, the play-button hint and its text.
bool BuildHeaviestFrame() {
  UsePackagedGameFolder();
  SetCurrentLevelName(kLevel);
  ReadLevelDefinition();
  LoadPlayInterface();
  InitTextRenderer(std::make_unique<SharedFace>());
  ResetRand(7);
  LayerSet layers;
  for (int k = 0; k < kLayers; ++k) layers[k] = Busy(500, 500, 200 + k, false);
  if (SetUpLevel(std::move(layers)) != 1) return false;
  if (!Board.StonePicture || !Board.SpiderFrames[1][3] || !Board.ExplosionFrames[3]) return false;

  int stones = 0, exploding = 0, webs = 0;
  for (int cell = 0; cell < Board.CellCount; ++cell) {
    if (Board.Stone[cell] == 1) ++stones;
    // Stones breaking all over the board, in every frame of the explosion.
    if (cell % 13 == 0) {
      Board.Exploding[cell] = 1;
      Board.ExplosionFrame[cell] = exploding++ % EXPLOSION_FRAME_COUNT;
    }
    if (cell % 37 == 5) {
      Board.Cobweb[cell] = 1;
      ++webs;
    }
  }
  if (stones == 0 || StaticSpiderNum + DynamicSpiderNum != 10) return false;
  for (int i = 0; i < StaticSpiderNum; ++i) StaticSpiders[i].frame = i % SPIDER_FRAME_COUNT;
  for (int i = 0; i < DynamicSpiderNum; ++i) DynamicSpiders[i].frame = (i + 1) % SPIDER_FRAME_COUNT;
  Board.CobwebCount = webs;
  Board.CorrectCount = 217;
  int hovered = 0;
  while (hovered < Board.CellCount && Board.Stone[hovered] == 1) ++hovered;
  Board.HoveredCell = hovered;
  Board.HoveredPosition = 2;
  PointerDirection = DIRECTION_RIGHT;
  HoveredPlayButton = PLAY_BUTTON_RESTART;
  ConfirmState = CONFIRM_CLOSED;
  ElapsedSeconds = 59;  // 59 of 60 clock segments
  ClockFresh = 0;
  InputState.MouseX = 400;
  InputState.MouseY = 300;
  // One untimed frame fills the glyph cache, as every frame after the first finds it.
  DrawPlayScreen(PLAY_MODE_PLAY);
  return true;
}

void PlainCopy(benchmark::State& s) {
  std::vector<uint8_t> from(kFrameBytes, 0x5A), to(kFrameBytes);
  // The copy's target escapes, or clang (WebAssembly) drops a copy nobody reads.
  benchmark::DoNotOptimize(to.data());
  for (auto _ : s) {
    std::memcpy(to.data(), from.data(), kFrameBytes);
    benchmark::ClobberMemory();
  }
}

void PlayFrame(benchmark::State& s) {
  if (!BuildHeaviestFrame()) {
    s.SkipWithError("the heaviest frame could not be built");
    return;
  }
  for (auto _ : s) {
    DrawPlayScreen(PLAY_MODE_PLAY);
    benchmark::ClobberMemory();
  }
  FreeLevel();
}

void Present(benchmark::State& s) {
  LoadPlayInterface();
  InputState.MouseX = 400;
  InputState.MouseY = 300;
  const uint64_t before = g_platform->FramesShown();
  for (auto _ : s) {
    PresentFrame(BackBuffer);
    benchmark::ClobberMemory();
  }
  if (g_platform->FramesShown() == before) s.SkipWithError("no frame was shown");
}

// ---- Level loading ----------------------------------------------------------

void LoadLevelFromArchives(benchmark::State& s) {
  UsePackagedGameFolder();
  SetCurrentLevelName(kLevel);
  for (auto _ : s) {
    ClearProfileCache();  // the script is read from the file too
    if (LoadLevel() != 1) {
      s.SkipWithError(LoadLevelFailure());
      break;
    }
    benchmark::DoNotOptimize(Board.PieceImage[kLayers - 1][MAX_CELLS - 1].get());
  }
  if (Board.CellCount != 400 || Board.LayerCount != kLayers || !Board.PieceImage[kLayers - 1][399])
    s.SkipWithError("the level did not have 2000 pieces");
  FreeLevel();
}

// The same archive and script bytes, read with nothing made of them.
void ReadArchiveBytes(benchmark::State& s) {
  UsePackagedGameFolder();
  std::vector<uint8_t> buffer(std::filesystem::file_size("Picture.dat") + std::filesystem::file_size("Script.dat"));
  for (auto _ : s) {
    size_t total = 0;
    for (const char* name : {"Picture.dat", "Script.dat"}) {
      std::FILE* f = std::fopen(name, "rb");
      if (!f) break;
      total += std::fread(buffer.data() + total, 1, buffer.size() - total, f);
      std::fclose(f);
    }
    if (total != buffer.size()) s.SkipWithError("short read");
    benchmark::DoNotOptimize(buffer.data());
  }
}

// ---- Sound files ----------------------------------------------------------------

void OursWave(benchmark::State& s) {
  UsePackagedGameFolder();
  for (auto _ : s) {
    RiffFilePtr file;
    WaveFormatPtr format;
    WaveChunk riff, data;
    uint32_t got = 0;
    if (WavOpen(kWave, file, format, riff) != WAV_OK || WavSeekData(file.get(), riff, data) != WAV_OK) {
      s.SkipWithError("WavOpen failed");
      break;
    }
    // Each load owns its samples, as SDL's does; neither clears them first.
    const uint32_t wanted = data.size;
    auto samples = MakeUninitialisedArray<uint8_t>(wanted);
    if (WavRead(file.get(), wanted, samples.get(), data, got) != WAV_OK || got != wanted) {
      s.SkipWithError("WavRead came up short");
      break;
    }
    WavClose(file, format);
    benchmark::DoNotOptimize(samples.get());
  }
}

void SdlWave(benchmark::State& s) {
  UsePackagedGameFolder();
  const std::string path = HostPath(kWave);
  for (auto _ : s) {
    SDL_AudioSpec format;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &format, &buffer, &length)) {
      s.SkipWithError(SDL_GetError());
      break;
    }
    benchmark::DoNotOptimize(buffer);
    SDL_FreeWAV(buffer);
  }
}

// ---- Cached against first use ---------------------------------------------------

void LookupUnchanged(benchmark::State& s) {
  UsePackagedGameFolder();
  char text[256];
  ClearProfileCache();
  LookupText(text, "RestartLevel", TEXT_MENU);
  for (auto _ : s) {
    LookupText(text, "RestartLevel", TEXT_MENU);
    benchmark::DoNotOptimize(text);
  }
  if (std::strcmp(text, "Restart level") != 0) s.SkipWithError("the line was not found");
}

void LookupFirst(benchmark::State& s) {
  UsePackagedGameFolder();
  char text[256];
  for (auto _ : s) {
    ClearProfileCache();
    LookupText(text, "RestartLevel", TEXT_MENU);
    benchmark::DoNotOptimize(text);
  }
  if (std::strcmp(text, "Restart level") != 0) s.SkipWithError("the line was not found");
}

}  // namespace

namespace bench {

void AddGameComparisons(std::vector<Comparison>& out) {
  out.push_back({GROUP_FRAME, "DrawPlayScreen heaviest (25px, 5 layers)", "draw", "memcpy", PlayFrame, PlainCopy,
                 Budget::RatioAtMost, 3.0});
  out.push_back({GROUP_FRAME, "PresentFrame (row copy, cursor)", "present", "memcpy", Present, PlainCopy,
                 Budget::RatioAtMost, 2.0});
  out.push_back({GROUP_LOADING, "LoadLevel 2000 pieces (vs fread of archive)", "load", "fread", LoadLevelFromArchives,
                 ReadArchiveBytes, Budget::RatioAtMost, 5.0});
  out.push_back({GROUP_LOADING, "WavOpen..WavRead 1 s (vs SDL_LoadWAV)", "ours", "sdl", OursWave, SdlWave,
                 Budget::RatioAtMost, 1.0});
  out.push_back({GROUP_CACHES, "LookupText unchanged file (vs first read)", "unchanged",
                 "first", LookupUnchanged, LookupFirst, Budget::SpeedUpAtLeast, 10.0});
}

void HeaviestPlayFrame(benchmark::State& s) { PlayFrame(s); }

bool SetUpGameBench(const std::string& scratch) {
  g_gameDir = scratch;
  WriteGameFolder();
  HeadlessOptions options;
  options.quietMessages = true;
  options.realFonts = false;  // the text renderer gets its face below
  g_platform = std::make_unique<HeadlessPlatform>(options);
  SetPlatform(g_platform.get());
  std::string error;
  ChannelMasks masks;
  if (!g_platform->InitDisplay(error) || !g_platform->ReadSurfaceMasks(masks)) {
    std::fprintf(stderr, "headless display: %s\n", error.c_str());
    return false;
  }
  SetPixelFormat(masks);
  g_face = CreateFreeTypeRasterizer(Charset::GB2312);
  if (!g_face) {
    std::fprintf(stderr, "no font face: the play frame cannot be drawn as the game draws it\n");
    return false;
  }
  return true;
}

void TearDownGameBench() {
  FreeLevel();
  CursorImage = nullptr;
  ReleaseInterfaceImages();
  ReleaseTextRenderer();
  g_face.reset();
  SetPlatform(nullptr);
  g_platform.reset();
}

}  // namespace bench
