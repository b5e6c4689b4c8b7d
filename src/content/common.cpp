#include "content/common.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "gfx/bmp_write.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace tessera::content {

namespace fs = std::filesystem;

bool ReadHostFile(const std::string& path, Bytes& out, uint64_t maxBytes) {
  // One open, one size, one positioned read: a library of hundreds of
  // campaigns reads a small file from each.
  out.clear();
  std::FILE* file = HostOpen(path, "rb");
  if (!file) return false;
  const bool ok = HostReadWhole(file, out, maxBytes);
  std::fclose(file);
  return ok;
}

bool ReadHostFileRange(std::FILE* file, uint64_t position, uint64_t size, Bytes& out) {
  out.resize(static_cast<size_t>(size));
  for (size_t done = 0; done < out.size();) {
    const int64_t got = HostReadAt(file, position + done, out.data() + done, out.size() - done);
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

bool MakeHostDirs(const std::string& path) {
  std::error_code ec;
  if (path.empty()) return true;
  const fs::path folder = HostFsPath(path);
  fs::create_directories(folder, ec);
  return fs::is_directory(folder, ec);
}

bool WriteHostFile(const std::string& path, const Bytes& bytes) {
  fs::path p = HostFsPath(path);
  if (p.has_parent_path() && !MakeHostDirs(HostPathString(p.parent_path()))) return false;
  // Written beside the target and renamed over it: a failed or interrupted write
  // never leaves a half-written game file, and a file shared through a hard link
  // is replaced rather than changed under its other names.
  std::string temp = path + ".part" + std::to_string(CurrentProcessId());
  std::FILE* f = HostOpen(temp, "wb");
  if (!f) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) fs::rename(HostFsPath(temp), p, ec);
  if (!ok || ec) {
    fs::remove(HostFsPath(temp), ec);
    return false;
  }
  return true;
}

bool WriteHostFile(const std::string& path, const std::string& text) {
  return WriteHostFile(path, Bytes(text.begin(), text.end()));
}

std::string BaseName(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string EscapedForPrinting(const std::string& text, bool escapeHighBytes, size_t room, size_t keep) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || (escapeHighBytes && c >= 0x80)) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out.size() > room ? out.substr(0, keep) + "..." : out;
}

Colour Hsv(float h, float s, float v) {
  h = h - std::floor(h);
  float c = v * s;
  float hp = h * 6.0f;
  float x = c * (1.0f - std::fabs(std::fmod(hp, 2.0f) - 1.0f));
  float r = 0, g = 0, b = 0;
  if (hp < 1) { r = c; g = x; }
  else if (hp < 2) { r = x; g = c; }
  else if (hp < 3) { g = c; b = x; }
  else if (hp < 4) { g = x; b = c; }
  else if (hp < 5) { r = x; b = c; }
  else { r = c; b = x; }
  float m = v - c;
  return {(r + m) * 255.0f, (g + m) * 255.0f, (b + m) * 255.0f};
}

Colour Palette(const std::vector<Colour>& stops, float t) {
  if (stops.empty()) return {};
  t = t - std::floor(t);
  float pos = t * static_cast<float>(stops.size());
  size_t i = static_cast<size_t>(pos) % stops.size();
  float f = pos - std::floor(pos);
  f = f * f * (3 - 2 * f);
  return Mix(stops[i], stops[(i + 1) % stops.size()], f);
}

Canvas::Canvas(int w, int h, Colour fill) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {
  FillRect(0, 0, w, h, fill);
}

static uint8_t Clamp8(float v) { return static_cast<uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

void Canvas::Set(int x, int y, Colour c) {
  if (!Inside(x, y)) return;
  uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  p[0] = Clamp8(c.r);
  p[1] = Clamp8(c.g);
  p[2] = Clamp8(c.b);
}

Colour Canvas::Get(int x, int y) const {
  if (!Inside(x, y)) return {};
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return {float(p[0]), float(p[1]), float(p[2])};
}

void Canvas::Blend(int x, int y, Colour c, float alpha) {
  if (!Inside(x, y) || alpha <= 0) return;
  if (alpha >= 1) return Set(x, y, c);
  Set(x, y, Mix(Get(x, y), c, alpha));
}

void Canvas::FillRect(int x, int y, int w, int h, Colour c) {
  for (int j = std::max(0, y); j < std::min(height, y + h); ++j)
    for (int i = std::max(0, x); i < std::min(width, x + w); ++i) Set(i, j, c);
}

void Canvas::FrameRect(int x, int y, int w, int h, int t, Colour c) {
  FillRect(x, y, w, t, c);
  FillRect(x, y + h - t, w, t, c);
  FillRect(x, y, t, h, c);
  FillRect(x + w - t, y, t, h, c);
}

void Canvas::Disc(float cx, float cy, float radius, Colour c, float alpha) {
  int x0 = static_cast<int>(std::floor(cx - radius - 1)), x1 = static_cast<int>(std::ceil(cx + radius + 1));
  int y0 = static_cast<int>(std::floor(cy - radius - 1)), y1 = static_cast<int>(std::ceil(cy + radius + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      float a = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);
      Blend(x, y, c, a * alpha);
    }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float w, Colour c, float alpha) {
  int bx0 = static_cast<int>(std::floor(std::min(x0, x1) - w - 1)), bx1 = static_cast<int>(std::ceil(std::max(x0, x1) + w + 1));
  int by0 = static_cast<int>(std::floor(std::min(y0, y1) - w - 1)), by1 = static_cast<int>(std::ceil(std::max(y0, y1) + w + 1));
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  for (int y = std::max(0, by0); y <= std::min(height - 1, by1); ++y)
    for (int x = std::max(0, bx0); x <= std::min(width - 1, bx1); ++x) {
      float px = x + 0.5f - x0, py = y + 0.5f - y0;
      float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
      float d = std::hypot(px - t * dx, py - t * dy);
      float a = std::clamp(w / 2 - d + 0.5f, 0.0f, 1.0f);
      Blend(x, y, c, a * alpha);
    }
}

void Canvas::RoundRect(int x, int y, int w, int h, int r, Colour c) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      float dx = std::max({0.0f, float(r) - i - 0.5f, i + 0.5f - float(w - r)});
      float dy = std::max({0.0f, float(r) - j - 0.5f, j + 0.5f - float(h - r)});
      float d = std::hypot(dx, dy);
      Blend(x + i, y + j, c, std::clamp(float(r) - d + 0.5f, 0.0f, 1.0f));
    }
}

void Canvas::Gradient(int x, int y, int w, int h, Colour top, Colour bottom) {
  for (int j = 0; j < h; ++j) {
    Colour c = Mix(top, bottom, h > 1 ? float(j) / float(h - 1) : 0.0f);
    FillRect(x, y + j, w, 1, c);
  }
}

void Canvas::Bevel(int x, int y, int w, int h, int t, Colour light, Colour dark) {
  for (int k = 0; k < t; ++k) {
    FillRect(x + k, y + k, w - 2 * k, 1, light);
    FillRect(x + k, y + k, 1, h - 2 * k, light);
    FillRect(x + k, y + h - 1 - k, w - 2 * k, 1, dark);
    FillRect(x + w - 1 - k, y + k, 1, h - 2 * k, dark);
  }
}

void Canvas::AvoidKeyBlack(int x, int y, int w, int h) {
  for (int j = std::max(0, y); j < std::min(height, y + h); ++j)
    for (int i = std::max(0, x); i < std::min(width, x + w); ++i) {
      uint8_t* p = &rgb[(static_cast<size_t>(j) * width + i) * 3];
      if (p[0] < 8 && p[1] < 8 && p[2] < 8) p[0] = p[1] = p[2] = 10;
    }
}

void Canvas::Paste(const Canvas& src, int x, int y) {
  for (int j = 0; j < src.height; ++j)
    for (int i = 0; i < src.width; ++i) Set(x + i, y + j, src.Get(i, j));
}

Canvas Canvas::Mirrored() const {
  Canvas out(width, height);
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) out.Set(width - 1 - i, j, Get(i, j));
  return out;
}

Bytes Canvas::EncodeBmp() const { return EncodeBmp24(width, height, rgb.data()); }

static float Hash2(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / 16777215.0f;
}

float ValueNoise(float x, float y, uint32_t seed) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  float fx = x - xi, fy = y - yi;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  float a = Hash2(xi, yi, seed), b = Hash2(xi + 1, yi, seed);
  float c = Hash2(xi, yi + 1, seed), d = Hash2(xi + 1, yi + 1, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * ValueNoise(x, y, seed + static_cast<uint32_t>(o) * 101u);
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

}  // namespace tessera::content
