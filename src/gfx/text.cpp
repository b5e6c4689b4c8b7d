#include "gfx/text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/engine_config.h"
#include "gfx/lanes.h"
#include "platform/platform.h"

namespace tessera {

namespace {

constexpr int CACHE_ENTRIES = 100;
constexpr int CACHE_LAST = CACHE_ENTRIES - 1;  // the slot a new glyph takes once the cache is full
constexpr int CELL = 32;

struct GlyphEntry {
  uint16_t code = 0;
  int32_t size = 0;
  uint32_t rows[CELL] = {};
  uint32_t uses = 0;
};

}  // namespace

struct TextRendererState {
  Charset charset = Charset::GB2312;
  std::unique_ptr<GlyphRasterizer> rasterizer;
  // The cache, plus the spare entry that a swap passes through.
  GlyphEntry cache[CACHE_ENTRIES + 1];
  int32_t lastSlot = -1;
};

namespace {

TextRendererState g_text;

bool ValidSize(int size) { return size >= 16 && size <= 32 && size % 4 == 0; }

// The cache entry for (code, size), rasterised on a miss. Hits move forward past
// entries used less often, so the least used glyph sits in the slot that is
// overwritten once the cache is full.
const GlyphEntry& Glyph(uint16_t code, int size) {
  GlyphEntry* cache = g_text.cache;
  for (int k = 0; k <= g_text.lastSlot; ++k) {
    if (cache[k].code != code || cache[k].size != size) continue;
    ++cache[k].uses;
    while (k > 0 && cache[k].uses > cache[k - 1].uses) {
      GlyphEntry& spare = cache[CACHE_ENTRIES];
      spare = cache[k - 1];
      cache[k - 1] = cache[k];
      cache[k] = spare;
      --k;
    }
    return cache[k];
  }
  const int slot = g_text.lastSlot < CACHE_LAST ? ++g_text.lastSlot : CACHE_LAST;
  GlyphEntry& entry = cache[slot];
  std::memset(entry.rows, 0, sizeof entry.rows);
  const bool final = g_text.rasterizer->Rasterize(code, size, entry.rows);
  entry.code = code;
  entry.size = final ? size : 0;  // drawn for now: no size matches it, so it is drawn again next time
  entry.uses = 1;
  return entry;
}

// Only ink is written, and only where it lands inside the destination: the
// columns outside it are masked off once. Each row goes in groups of eight
// columns: a group wholly inside the destination row is blended in one step
// (its ink bits spread to a lane mask), one at an edge visits its set bits.
void Stamp(const GlyphEntry& glyph, int size, uint16_t colour, int64_t x, int64_t y, uint16_t* destination,
           int destWidth, int destHeight) {
  const int64_t r0 = y < 0 ? -y : 0;
  const int64_t r1 = std::min<int64_t>(size, int64_t{destHeight} - y);
  const int64_t n0 = x < 0 ? -x : 0;
  const int64_t n1 = std::min<int64_t>(size, int64_t{destWidth} - x);
  if (r0 >= r1 || n0 >= n1) return;
  const uint32_t visible = (0xFFFFFFFFu >> n0) & ~(n1 >= CELL ? 0u : 0xFFFFFFFFu >> n1);
  const Lanes ink = Lanes{} + colour;
  const Lanes bitOfLane = {128, 64, 32, 16, 8, 4, 2, 1};
  for (int64_t r = r0; r < r1; ++r) {
    const uint32_t mask = glyph.rows[r] & visible;
    if (mask == 0) continue;
    uint16_t* row = destination + (y + r) * destWidth;
    for (int g = 0; g < CELL / LANES; ++g) {
      const uint32_t bits = (mask >> (CELL - LANES * (g + 1))) & 0xFF;  // columns 8g to 8g + 7, first one highest
      if (bits == 0) continue;
      const int64_t first = x + LANES * g;
      if (first >= 0 && first + LANES <= destWidth) {
        const Lanes on = reinterpret_cast<Lanes>(((Lanes{} + static_cast<uint16_t>(bits)) & bitOfLane) != 0);
        StoreLanes(row + first, (LoadLanes(row + first) & ~on) | (ink & on));
        continue;
      }
      for (int i = 0; i < LANES; ++i)
        if (bits & (0x80u >> i)) row[first + i] = colour;
    }
  }
}

}  // namespace

bool InitTextRenderer() {
  return InitTextRenderer(EngineConfig.Language == LANGUAGE_CHINESE_TRADITIONAL ? Charset::Big5 : Charset::GB2312);
}

bool InitTextRenderer(Charset charset) {
  g_text.charset = charset;
  auto rasterizer = Sys().CreateGlyphRasterizer(charset);
  return InitTextRenderer(std::move(rasterizer));
}

Charset TextCharset() { return g_text.charset; }

bool InitTextRenderer(std::unique_ptr<GlyphRasterizer> rasterizer) {
  g_text.rasterizer = std::move(rasterizer);
  for (GlyphEntry& entry : g_text.cache) entry = GlyphEntry{};
  g_text.lastSlot = -1;
  return true;
}

void ReleaseTextRenderer() {
  g_text.rasterizer.reset();
  g_text.lastSlot = -1;
}

OwnTextRenderer::OwnTextRenderer(Charset charset, std::unique_ptr<GlyphRasterizer> rasterizer)
    : state_(std::make_unique<TextRendererState>()) {
  state_->charset = charset;
  state_->rasterizer = std::move(rasterizer);
}

OwnTextRenderer::~OwnTextRenderer() = default;

void OwnTextRenderer::Swap() { std::swap(g_text, *state_); }

void RenderText(int size, uint16_t colour, int x, int y, int spacing, const char* text, uint16_t* destination,
                int wrapWidth, int destWidth, int destHeight) {
  if (!g_text.rasterizer || !text || !destination || !ValidSize(size) || destWidth <= 0 || destHeight <= 0)
    return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  LayOutText(text, size, wrapWidth, spacing, [&](size_t at, int n, int64_t offset, int line) {
    const unsigned char* p = bytes + at;
    const uint16_t code = static_cast<uint16_t>(p[0] * 256 + (n == 2 ? p[1] : 0));
    const GlyphEntry& glyph = Glyph(code, size);
    Stamp(glyph, size, colour, x + offset, int64_t{y} + int64_t{line} * (size + 2), destination, destWidth,
          destHeight);
  });
}

int CountTextLines(const char* text, int size, int wrapWidth, int spacing) {
  return LayOutText(text, size, wrapWidth, spacing, [](size_t, int, int64_t, int) {});
}

}  // namespace tessera
