#pragma once
// Small builders shared by the picture and text tests: BMP files, picture
// archives, a guarded screen, and a fake font engine whose glyphs can be read
// back from the pixels they leave.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/image.h"
#include "platform/glyphs.h"

namespace tessera::test {

inline void PutU16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Colours are 0xRRGGBB, top row first.
using Colours = std::vector<uint32_t>;

struct BmpHeaderFields {
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top row first
  uint16_t bitsPerPixel = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  uint32_t imageSize = 0;
  bool standardMasks = false;  // the three colour masks at info-header offset 40
};

// A BMP file: headers as given, then `pixelData` exactly as given.
inline std::vector<uint8_t> MakeBmpFile(const BmpHeaderFields& f, const std::vector<uint8_t>& pixelData) {
  // A hostile header size is written into the field only; 40 bytes follow it.
  const size_t written = f.headerSize <= 256 ? f.headerSize : 40;
  std::vector<uint8_t> b(14 + std::max<size_t>(written, 40), 0);
  b[0] = 'B';
  b[1] = 'M';
  PutU32(b, 2, static_cast<uint32_t>(14 + f.headerSize + pixelData.size()));
  PutU32(b, 10, 14 + f.headerSize);
  PutU32(b, 14, f.headerSize);
  PutU32(b, 18, static_cast<uint32_t>(f.width));
  PutU32(b, 22, static_cast<uint32_t>(f.height));
  PutU16(b, 26, 1);
  PutU16(b, 28, f.bitsPerPixel);
  PutU32(b, 30, f.compression);
  PutU32(b, 34, f.imageSize);
  if (f.standardMasks) {
    PutU32(b, 54, 0x00FF0000);
    PutU32(b, 58, 0x0000FF00);
    PutU32(b, 62, 0x000000FF);
  }
  b.resize(14 + written);  // a header size below 40 cuts the fields short
  b.insert(b.end(), pixelData.begin(), pixelData.end());
  return b;
}

// Rows encoded as a BMP stores them: blue, green, red (and a pad byte for 32
// bits), each row padded to 4 bytes with `pad`, bottom row first unless topDown.
inline std::vector<uint8_t> EncodeRows(int width, int height, const Colours& colours, int bitsPerPixel = 24,
                                       bool topDown = false, uint8_t pad = 0) {
  const int bpp = bitsPerPixel / 8;
  const size_t stride = (static_cast<size_t>(width) * bpp + 3) / 4 * 4;
  std::vector<uint8_t> data(stride * height, pad);
  for (int y = 0; y < height; ++y) {
    const int fileRow = topDown ? y : height - 1 - y;
    uint8_t* row = data.data() + fileRow * stride;
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colours[static_cast<size_t>(y) * width + x];
      row[x * bpp + 0] = static_cast<uint8_t>(c);
      row[x * bpp + 1] = static_cast<uint8_t>(c >> 8);
      row[x * bpp + 2] = static_cast<uint8_t>(c >> 16);
      if (bpp == 4) row[x * bpp + 3] = 0x7F;
    }
  }
  return data;
}

// Colours that differ per pixel and survive 16-bit packing unchanged.
inline uint32_t PatternColour(int x, int y) {
  const uint32_t r = (x * 40 + 8) & 0xF8, g = (y * 36 + 4) & 0xFC, b = ((x + y) * 24 + 16) & 0xF8;
  return (r << 16) | (g << 8) | b;
}
inline Colours Pattern(int width, int height) {
  Colours c;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) c.push_back(PatternColour(x, y));
  return c;
}

// A plain 24-bit bottom-up BMP of the pattern.
inline std::vector<uint8_t> MakePatternBmp(int width, int height) {
  BmpHeaderFields f;
  f.width = width;
  f.height = height;
  return MakeBmpFile(f, EncodeRows(width, height, Pattern(width, height)));
}

struct ArchiveMember {
  std::string name;
  std::vector<uint8_t> data;
};

constexpr size_t kIndexEnd = 4 + 300 * 136;
inline size_t EntryOffsetField(int entry) { return 4 + static_cast<size_t>(entry) * 136 + 128; }

// Count, the 300-entry index and the members in order after it. `count` below
// zero means the number of members.
inline std::vector<uint8_t> MakeArchive(const std::vector<ArchiveMember>& members, int32_t count = -1) {
  std::vector<uint8_t> b(kIndexEnd, 0);
  PutU32(b, 0, static_cast<uint32_t>(count < 0 ? static_cast<int32_t>(members.size()) : count));
  for (size_t i = 0; i < members.size(); ++i) {
    std::memcpy(&b[4 + i * 136], members[i].name.data(), std::min<size_t>(members[i].name.size(), 128));
    PutU32(b, EntryOffsetField(static_cast<int>(i)), static_cast<uint32_t>(b.size()));
    b.insert(b.end(), members[i].data.begin(), members[i].data.end());
  }
  return b;
}

// An 800x600 destination with guard rows before and after it, to catch writes
// outside the screen.
struct GuardedScreen {
  static constexpr size_t kGuard = 4 * SCREEN_WIDTH;
  static constexpr uint16_t kGuardValue = 0xA5A5;
  std::vector<uint16_t> memory;
  explicit GuardedScreen(uint16_t fill = 0)
      : memory(kGuard * 2 + SCREEN_WIDTH * SCREEN_HEIGHT, kGuardValue) {
    std::fill(pixels(), pixels() + SCREEN_WIDTH * SCREEN_HEIGHT, fill);
  }
  uint16_t* pixels() { return memory.data() + kGuard; }
  uint16_t At(int x, int y) { return pixels()[y * SCREEN_WIDTH + x]; }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (memory[i] != kGuardValue || memory[memory.size() - 1 - i] != kGuardValue) return false;
    return true;
  }
  size_t Count(uint16_t value) {
    return static_cast<size_t>(std::count(pixels(), pixels() + SCREEN_WIDTH * SCREEN_HEIGHT, value));
  }
};

// An image whose every pixel is a distinct-looking function of its position.
inline ImagePtr NumberedImage(int width, int height, uint16_t key = 0) {
  ImagePtr image = CreateImage(width, height, key);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image->At(x, y) = static_cast<uint16_t>(1 + x + y * 131);
  return image;
}

// What a fake font engine was asked for.
struct RasterLog {
  std::vector<std::pair<uint16_t, int>> calls;  // code, size
  uint16_t forNow = 0;  // a code whose glyph is drawn for now only (its face is on its way)
};

// Fake font engine. Signature glyphs ink the cell's top-left pixel and the
// character code in column 1 (bit 15 at row 0), so tests can read text back
// from a destination; a space inks nothing. Solid glyphs ink the whole 32x32 cell.
class FakeRasterizer : public GlyphRasterizer {
 public:
  enum class Mode { Signature, Solid };
  FakeRasterizer(std::shared_ptr<RasterLog> log, Mode mode = Mode::Signature) : log_(std::move(log)), mode_(mode) {}
  bool Rasterize(uint16_t code, int size, uint32_t rows[32]) override {
    if (log_) log_->calls.emplace_back(code, size);
    const bool final = !log_ || log_->forNow == 0 || code != log_->forNow;
    if (mode_ == Mode::Solid) {
      for (int r = 0; r < 32; ++r) rows[r] = 0xFFFFFFFFu;
      return final;
    }
    if (code == 0x2000) return final;
    rows[0] |= 0x80000000u;
    for (int r = 0; r < 16; ++r)
      if (code & (0x8000u >> r)) rows[r] |= 0x40000000u;
    return final;
  }

 private:
  std::shared_ptr<RasterLog> log_;
  Mode mode_;
};

// The code of the signature glyph whose top-left is (x, y), or 0 when nothing
// of `colour` is there.
inline uint16_t SignatureAt(const uint16_t* pixels, int destWidth, int x, int y, uint16_t colour = 0xFFFF) {
  if (pixels[y * destWidth + x] != colour) return 0;
  uint16_t code = 0;
  for (int r = 0; r < 16; ++r)
    if (pixels[(y + r) * destWidth + x + 1] == colour) code |= static_cast<uint16_t>(0x8000u >> r);
  return code;
}

// One-byte text read back from signature glyphs `advance` apart (no ink reads as a space).
inline std::string ReadSignatures(const uint16_t* pixels, int destWidth, int x, int y, int advance, int count,
                                  uint16_t colour = 0xFFFF) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    const uint16_t code = SignatureAt(pixels, destWidth, x + k * advance, y, colour);
    text.push_back(code == 0 ? ' ' : static_cast<char>(code >> 8));
  }
  return text;
}

}  // namespace tessera::test
