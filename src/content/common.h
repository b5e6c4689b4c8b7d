#pragma once
// Small helpers shared by the content tool: little-endian bytes, files on the
// host, and an RGB canvas the generators paint into.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tessera::content {

using Bytes = std::vector<uint8_t>;

inline uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void Put32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void Put16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// Host file access (plain '/' paths). Writing creates the parent folders.
// Reading fails for what is not a plain file, and for a file of more than
// `maxBytes`.
bool ReadHostFile(const std::string& path, Bytes& out, uint64_t maxBytes = UINT64_MAX >> 1);
bool WriteHostFile(const std::string& path, const Bytes& bytes);
bool WriteHostFile(const std::string& path, const std::string& text);
bool MakeHostDirs(const std::string& path);
// `size` bytes at `position` of an open file (a member of an archive read
// without the rest); false unless all of them could be read.
bool ReadHostFileRange(std::FILE* file, uint64_t position, uint64_t size, Bytes& out);
std::string BaseName(const std::string& path);
// Text from a file as it may be printed: control bytes, and with
// `escapeHighBytes` every byte from 0x80 too, shown as \xNN so hostile data
// cannot garble a terminal or a log; longer than `room` bytes, its first `keep`
// are kept and "..." follows.
std::string EscapedForPrinting(const std::string& text, bool escapeHighBytes, size_t room, size_t keep);

struct Colour {
  float r = 0, g = 0, b = 0;  // 0..255
};
inline Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Colour Scale(Colour a, float k) { return {a.r * k, a.g * k, a.b * k}; }
// Hue in turns (0..1), saturation and value 0..1.
Colour Hsv(float h, float s, float v);
// A smooth cyclic palette through the given stops.
Colour Palette(const std::vector<Colour>& stops, float t);

// Top row first, three bytes per pixel (red, green, blue).
struct Canvas {
  int width = 0;
  int height = 0;
  Bytes rgb;

  Canvas() = default;
  Canvas(int w, int h, Colour fill = {});
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  void Set(int x, int y, Colour c);
  Colour Get(int x, int y) const;
  // Alpha 0..1 over what is there.
  void Blend(int x, int y, Colour c, float alpha);
  void FillRect(int x, int y, int w, int h, Colour c);
  void FrameRect(int x, int y, int w, int h, int thickness, Colour c);
  // Soft-edged disc and line (anti-aliased by distance).
  void Disc(float cx, float cy, float radius, Colour c, float alpha = 1.0f);
  void Line(float x0, float y0, float x1, float y1, float width, Colour c, float alpha = 1.0f);
  void RoundRect(int x, int y, int w, int h, int radius, Colour c);
  // Vertical gradient over a rectangle.
  void Gradient(int x, int y, int w, int h, Colour top, Colour bottom);
  // Bevelled panel: a lighter top-left edge and a darker bottom-right edge.
  void Bevel(int x, int y, int w, int h, int thickness, Colour light, Colour dark);
  // Pure black would be transparent in keyed drawing; lifts such pixels.
  void AvoidKeyBlack(int x, int y, int w, int h);
  void Paste(const Canvas& src, int x, int y);
  Canvas Mirrored() const;
  Bytes EncodeBmp() const;
};

// Deterministic generator for everything the tool makes (xorshift).
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 16);
  }
  float Unit() { return static_cast<float>(Next() & 0xFFFFFF) / 16777216.0f; }
  float Range(float a, float b) { return a + (b - a) * Unit(); }
  int Int(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint64_t state_;
};

// Smooth value noise in 0..1.
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, uint32_t seed, int octaves);

}  // namespace tessera::content
