// Each drawing operation, the archive bitmap loader and the text renderer
// against SDL2's software equivalent doing the same work on RGB565 surfaces.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "gfx/bmp.h"
#include "gfx/draw.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/backends.h"
#include "bench_files.h"
#include "ratio_table.h"

namespace {

using namespace tessera;

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

SurfacePtr MakeSurface(int w, int h) {
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565));
}

// Busy pictures; with holes, a quarter of the pixels in small blocks are the key (0).
ImagePtr Picture(int w, int h, bool holes) {
  ImagePtr image = CreateImage(w, h);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245 + 12345;
      uint16_t p = static_cast<uint16_t>((seed >> 16) | 1);
      if (holes && ((x / 4 + y / 4) % 4 == 0)) p = 0;
      image->At(x, y) = p;
    }
  return image;
}

SurfacePtr SurfaceOf(const Image& image) {
  SurfacePtr s = MakeSurface(image.width, image.height);
  for (int y = 0; y < image.height; ++y)
    std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, image.Row(y), image.width * 2u);
  return s;
}

std::vector<uint16_t> g_screen(SCREEN_WIDTH * SCREEN_HEIGHT);

SurfacePtr Screen() { return MakeSurface(SCREEN_WIDTH, SCREEN_HEIGHT); }

void Blit(SDL_Surface* src, const SDL_Rect* part, SDL_Surface* dst, int x, int y) {
  SDL_Rect at{x, y, 0, 0};
  SDL_BlitSurface(src, const_cast<SDL_Rect*>(part), dst, &at);
}

// ---- Drawing ----------------------------------------------------------

void OursDrawImage(benchmark::State& s) {
  auto image = Picture(500, 500, false);
  for (auto _ : s) {
    DrawImage(150, 50, image.get(), g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlDrawImage(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(500, 500, false));
  auto dst = Screen();
  for (auto _ : s) {
    Blit(src.get(), nullptr, dst.get(), 150, 50);
    benchmark::ClobberMemory();
  }
}

// A board's worth of 25-pixel pieces per iteration, as the play screen draws them.
void OursDrawPieces(benchmark::State& s) {
  auto piece = Picture(25, 25, false);
  for (auto _ : s) {
    for (int j = 0; j < 20; ++j)
      for (int i = 0; i < 20; ++i) DrawImage(150 + 25 * i, 50 + 25 * j, piece.get(), g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlDrawPieces(benchmark::State& s) {
  auto piece = SurfaceOf(*Picture(25, 25, false));
  auto dst = Screen();
  for (auto _ : s) {
    for (int j = 0; j < 20; ++j)
      for (int i = 0; i < 20; ++i) Blit(piece.get(), nullptr, dst.get(), 150 + 25 * i, 50 + 25 * j);
    benchmark::ClobberMemory();
  }
}

void OursKeyed(benchmark::State& s) {
  auto sprite = Picture(100, 100, true);
  for (auto _ : s) {
    DrawImageKeyed(300, 200, sprite.get(), g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlKeyed(benchmark::State& s) {
  auto sprite = SurfaceOf(*Picture(100, 100, true));
  SDL_SetColorKey(sprite.get(), SDL_TRUE, 0);
  auto dst = Screen();
  for (auto _ : s) {
    Blit(sprite.get(), nullptr, dst.get(), 300, 200);
    benchmark::ClobberMemory();
  }
}

// 400 goal spots of 25 pixels, keyed.
void OursKeyedSpots(benchmark::State& s) {
  auto spot = Picture(25, 25, true);
  for (auto _ : s) {
    for (int j = 0; j < 20; ++j)
      for (int i = 0; i < 20; ++i) DrawImageKeyed(150 + 25 * i, 50 + 25 * j, spot.get(), g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlKeyedSpots(benchmark::State& s) {
  auto spot = SurfaceOf(*Picture(25, 25, true));
  SDL_SetColorKey(spot.get(), SDL_TRUE, 0);
  auto dst = Screen();
  for (auto _ : s) {
    for (int j = 0; j < 20; ++j)
      for (int i = 0; i < 20; ++i) Blit(spot.get(), nullptr, dst.get(), 150 + 25 * i, 50 + 25 * j);
    benchmark::ClobberMemory();
  }
}

void OursKeyedClipped(benchmark::State& s) {
  auto sprite = Picture(100, 100, true);
  for (auto _ : s) {
    DrawImageKeyedClipped(750, 550, sprite.get(), g_screen.data());
    DrawImageKeyedClipped(-50, -50, sprite.get(), g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlKeyedClipped(benchmark::State& s) {
  auto sprite = SurfaceOf(*Picture(100, 100, true));
  SDL_SetColorKey(sprite.get(), SDL_TRUE, 0);
  auto dst = Screen();
  for (auto _ : s) {
    Blit(sprite.get(), nullptr, dst.get(), 750, 550);
    Blit(sprite.get(), nullptr, dst.get(), -50, -50);
    benchmark::ClobberMemory();
  }
}

// SDL has no grey blit; its nearest per-pixel colour transform is a
// colour-modulated blit.
void OursGrey(benchmark::State& s) {
  auto image = Picture(500, 500, false);
  for (auto _ : s) {
    DrawImageGrey(150, 50, image.get(), g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlGrey(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(500, 500, false));
  SDL_SetSurfaceColorMod(src.get(), 180, 180, 180);
  auto dst = Screen();
  for (auto _ : s) {
    Blit(src.get(), nullptr, dst.get(), 150, 50);
    benchmark::ClobberMemory();
  }
}

// The doors of the level transition: two halves of a full-screen picture.
void OursPart(benchmark::State& s) {
  auto image = Picture(800, 600, false);
  for (auto _ : s) {
    DrawImagePart(image.get(), g_screen.data(), 0, 0, 400, 600, 0, 0);
    DrawImagePart(image.get(), g_screen.data(), 400, 0, 400, 600, 400, 0);
    benchmark::ClobberMemory();
  }
}
void SdlPart(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(800, 600, false));
  auto dst = Screen();
  const SDL_Rect left{0, 0, 400, 600}, right{400, 0, 400, 600};
  for (auto _ : s) {
    Blit(src.get(), &left, dst.get(), 0, 0);
    Blit(src.get(), &right, dst.get(), 400, 0);
    benchmark::ClobberMemory();
  }
}

// A layer preview: the 500x500 layer into 100x100.
void OursScaled(benchmark::State& s) {
  auto image = Picture(500, 500, false);
  for (auto _ : s) {
    DrawImageScaled(image.get(), 100, 100, g_screen.data(), 660, 50);
    benchmark::ClobberMemory();
  }
}
void SdlScaled(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(500, 500, false));
  auto dst = Screen();
  for (auto _ : s) {
    SDL_Rect at{660, 50, 100, 100};
    SDL_BlitScaled(src.get(), nullptr, dst.get(), &at);
    benchmark::ClobberMemory();
  }
}

void OursScaledUp(benchmark::State& s) {
  auto image = Picture(25, 25, false);
  for (auto _ : s) {
    DrawImageScaled(image.get(), 200, 200, g_screen.data(), 100, 100);
    benchmark::ClobberMemory();
  }
}
void SdlScaledUp(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(25, 25, false));
  auto dst = Screen();
  for (auto _ : s) {
    SDL_Rect at{100, 100, 200, 200};
    SDL_BlitScaled(src.get(), nullptr, dst.get(), &at);
    benchmark::ClobberMemory();
  }
}

void OursFill(benchmark::State& s) {
  for (auto _ : s) {
    FillRect(150, 50, 500, 500, 40, 80, 120, g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlFill(benchmark::State& s) {
  auto dst = Screen();
  for (auto _ : s) {
    SDL_Rect r{150, 50, 500, 500};
    SDL_FillRect(dst.get(), &r, SDL_MapRGB(dst->format, 40, 80, 120));
    benchmark::ClobberMemory();
  }
}

// The board's grid: 21 horizontal and 21 vertical lines of 2 pixels.
void OursGrid(benchmark::State& s) {
  for (auto _ : s) {
    for (int k = 0; k <= 20; ++k) {
      FillRect(150, 50 + 25 * k - 1, 500, 2, 255, 255, 255, g_screen.data());
      FillRect(150 + 25 * k - 1, 50, 2, 500, 255, 255, 255, g_screen.data());
    }
    benchmark::ClobberMemory();
  }
}
void SdlGrid(benchmark::State& s) {
  auto dst = Screen();
  for (auto _ : s) {
    for (int k = 0; k <= 20; ++k) {
      SDL_Rect h{150, 50 + 25 * k - 1, 500, 2}, v{150 + 25 * k - 1, 50, 2, 500};
      SDL_FillRect(dst.get(), &h, SDL_MapRGB(dst->format, 255, 255, 255));
      SDL_FillRect(dst.get(), &v, SDL_MapRGB(dst->format, 255, 255, 255));
    }
    benchmark::ClobberMemory();
  }
}

void OursFrame(benchmark::State& s) {
  for (auto _ : s) {
    FrameRect(31, 76, 52, 52, 2, 255, 0, 0, g_screen.data());
    benchmark::ClobberMemory();
  }
}
void SdlFrame(benchmark::State& s) {
  auto dst = Screen();
  for (auto _ : s) {
    const Uint32 red = SDL_MapRGB(dst->format, 255, 0, 0);
    SDL_Rect bands[4] = {{31, 76, 52, 2}, {31, 126, 52, 2}, {31, 78, 2, 48}, {81, 78, 2, 48}};
    for (SDL_Rect& band : bands) SDL_FillRect(dst.get(), &band, red);
    benchmark::ClobberMemory();
  }
}

void OursScaleImage(benchmark::State& s) {
  auto image = Picture(500, 500, false);
  auto thumb = CreateImage(100, 100);
  for (auto _ : s) {
    ScaleImage(image.get(), thumb.get());
    benchmark::ClobberMemory();
  }
}
void SdlScaleImage(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(500, 500, false));
  auto thumb = MakeSurface(100, 100);
  for (auto _ : s) {
    SDL_BlitScaled(src.get(), nullptr, thumb.get(), nullptr);
    benchmark::ClobberMemory();
  }
}

// Cutting a whole layer into 100 pieces of 50 pixels.
void OursCut(benchmark::State& s) {
  auto image = Picture(500, 500, false);
  auto piece = CreateImage(50, 50);
  for (auto _ : s) {
    for (int j = 0; j < 10; ++j)
      for (int i = 0; i < 10; ++i) CutImage(image.get(), piece.get(), 50 * i, 50 * j);
    benchmark::ClobberMemory();
  }
}
void SdlCut(benchmark::State& s) {
  auto src = SurfaceOf(*Picture(500, 500, false));
  auto piece = MakeSurface(50, 50);
  for (auto _ : s) {
    for (int j = 0; j < 10; ++j)
      for (int i = 0; i < 10; ++i) {
        SDL_Rect r{50 * i, 50 * j, 50, 50};
        SDL_BlitSurface(src.get(), &r, piece.get(), nullptr);
      }
    benchmark::ClobberMemory();
  }
}

// ---- Loading ----------------------------------------------------------

std::string g_dataDir;

// A 500x500 24-bit picture, loose and as the 20th member of Picture.dat.
void WriteLoadData() {
  const bench::Bytes layer = bench::NoiseBmp(500, 500, 99, false);
  bench::WriteBytes(g_dataDir + "/layer.bmp", layer);
  std::vector<std::pair<std::string, bench::Bytes>> members;
  for (int i = 0; i < 19; ++i) members.emplace_back("Other" + std::to_string(i) + ".bmp", bench::NoiseBmp(2, 2, i, false));
  members.emplace_back("Level01.bmp", layer);
  bench::WriteBytes(g_dataDir + "/Picture.dat", bench::PackArchive(members));
}

void OursLoad(benchmark::State& s) {
  bench::EnterFolder(g_dataDir);
  EngineConfig.Packaged = 1;
  for (auto _ : s) {
    ImagePtr slot;
    if (!LoadBmpImage("Picture\\Level01.bmp", slot, 0)) s.SkipWithError("load failed");
    benchmark::DoNotOptimize(slot.get());
  }
}
void SdlLoad(benchmark::State& s) {
  bench::EnterFolder(g_dataDir);
  for (auto _ : s) {
    SurfacePtr raw(SDL_LoadBMP("layer.bmp"));
    SurfacePtr converted(raw ? SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGB565, 0) : nullptr);
    if (!converted) s.SkipWithError("SDL load failed");
    benchmark::DoNotOptimize(converted.get());
  }
}

// ---- Text -------------------------------------------------------------

std::shared_ptr<GlyphRasterizer> g_font;

// Lets the renderer be rebuilt (its cache emptied) without reopening the face.
class SharedFont : public GlyphRasterizer {
 public:
  bool Rasterize(uint16_t code, int size, uint32_t rows[32]) override { return g_font->Rasterize(code, size, rows); }
};

// 20 characters: 12 two-byte, 8 one-byte.
std::string TwentyCharacters() {
  std::string text = "Level 7:";
  for (int k = 0; k < 12; ++k) {
    text.push_back(static_cast<char>(0xB0 + k));
    text.push_back(static_cast<char>(0xA1 + 3 * k));
  }
  return text;
}

void TextWarm(benchmark::State& s) {
  const std::string text = TwentyCharacters();
  InitTextRenderer(std::make_unique<SharedFont>());
  RenderText(24, 0xFFFF, 50, 300, 0, text.c_str(), g_screen.data(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  for (auto _ : s) {
    RenderText(24, 0xFFFF, 50, 300, 0, text.c_str(), g_screen.data(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
    benchmark::ClobberMemory();
  }
}
void TextCold(benchmark::State& s) {
  const std::string text = TwentyCharacters();
  for (auto _ : s) {
    InitTextRenderer(std::make_unique<SharedFont>());
    RenderText(24, 0xFFFF, 50, 300, 0, text.c_str(), g_screen.data(), 800, SCREEN_WIDTH, SCREEN_HEIGHT);
    benchmark::ClobberMemory();
  }
}

// ---- The table ----------------------------------------------------------

}  // namespace

namespace bench {

void AddGfxComparisons(std::vector<Comparison>& out) {
  struct Row {
    const char* name;
    void (*ours)(benchmark::State&);
    void (*sdl)(benchmark::State&);
  };
  static const Row kDrawing[] = {
      {"DrawImage 500x500", OursDrawImage, SdlDrawImage},
      {"DrawImage 400 pieces 25x25", OursDrawPieces, SdlDrawPieces},
      {"DrawImageKeyed 100x100", OursKeyed, SdlKeyed},
      {"DrawImageKeyed 400 spots 25x25", OursKeyedSpots, SdlKeyedSpots},
      {"DrawImageKeyedClipped 2x 100x100", OursKeyedClipped, SdlKeyedClipped},
      {"DrawImageGrey 500x500 (vs colour-mod blit)", OursGrey, SdlGrey},
      {"DrawImagePart 2x 400x600", OursPart, SdlPart},
      {"DrawImageScaled 500->100", OursScaled, SdlScaled},
      {"DrawImageScaled 25->200", OursScaledUp, SdlScaledUp},
      {"FillRect 500x500", OursFill, SdlFill},
      {"FillRect grid 42 lines", OursGrid, SdlGrid},
      {"FrameRect 52x52 t2", OursFrame, SdlFrame},
      {"ScaleImage 500->100", OursScaleImage, SdlScaleImage},
      {"CutImage 100 pieces 50x50", OursCut, SdlCut},
  };
  for (const Row& r : kDrawing)
    out.push_back({GROUP_DRAWING, r.name, "ours", "sdl", r.ours, r.sdl,
                   Budget::RatioAtMost, 1.0});
  out.push_back({GROUP_LOADING, "LoadBmpImage 500x500 (vs SDL_LoadBMP+convert)", "ours",
                 "sdl", OursLoad, SdlLoad, Budget::RatioAtMost, 1.0});
  out.push_back({GROUP_CACHES, "RenderText 20 chars size 24 (warm vs cold)", "warm", "cold",
                 TextWarm, TextCold, Budget::SpeedUpAtLeast, 20.0});
}

bool SetUpGfxBench(const std::string& scratch) {
  g_dataDir = scratch;
  std::filesystem::create_directories(g_dataDir);
  WriteLoadData();
  g_font = CreateFreeTypeRasterizer(Charset::GB2312);
  if (!g_font) {
    std::fprintf(stderr, "no font face: the text rows cannot be timed\n");
    return false;
  }
  return true;
}

void TearDownGfxBench() {
  ReleaseTextRenderer();
  g_font.reset();
}

}  // namespace bench
