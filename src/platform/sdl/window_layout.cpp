#include "platform/sdl/window_layout.h"

#include <algorithm>
#include <cstdio>

namespace tessera {

FrameRect FitFrame(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  // The size that fills the window along its tighter side.
  int64_t fitW = width, fitH = height;
  if (int64_t{width} * 600 <= int64_t{height} * 800)
    fitH = int64_t{width} * 600 / 800;
  else
    fitW = int64_t{height} * 800 / 600;
  const int whole = std::min(width / 800, height / 600);
  FrameRect r;
  if (whole >= 1 && int64_t{whole} * 800 * 10 >= fitW * 9) {
    r.w = 800 * whole;
    r.h = 600 * whole;
  } else {
    r.w = static_cast<int>(std::max<int64_t>(fitW, 1));
    r.h = static_cast<int>(std::max<int64_t>(fitH, 1));
  }
  r.whole = r.w % 800 == 0 && r.h * 4 == r.w * 3;
  r.x = (width - r.w) / 2;
  r.y = (height - r.h) / 2;
  return r;
}

void MapToFrame(const FrameRect& rect, int x, int y, int32_t& frameX, int32_t& frameY) {
  auto map = [](int v, int origin, int size, int frameSize) {
    if (v <= origin || size <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(int64_t{v - origin} * frameSize / size, frameSize - 1));
  };
  frameX = map(x, rect.x, rect.w, 800);
  frameY = map(y, rect.y, rect.h, 600);
}

std::filesystem::path ScreenshotPath(const std::filesystem::path& folder, const LocalTime& t) {
  char stem[64];
  std::snprintf(stem, sizeof stem, "tessera-%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  std::filesystem::path path = folder / (std::string(stem) + ".png");
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(path, ec); ++n)
    path = folder / (std::string(stem) + "-" + std::to_string(n) + ".png");
  return path;
}

std::vector<uint8_t> FrameToRgb(const uint16_t* frame) {
  std::vector<uint8_t> rgb(static_cast<size_t>(800) * 600 * 3);
  for (size_t i = 0; i < static_cast<size_t>(800) * 600; ++i) {
    const uint16_t p = frame[i];
    rgb[i * 3] = static_cast<uint8_t>((p >> 11) << 3);
    rgb[i * 3 + 1] = static_cast<uint8_t>(((p >> 5) & 0x3F) << 2);
    rgb[i * 3 + 2] = static_cast<uint8_t>((p & 0x1F) << 3);
  }
  return rgb;
}

}  // namespace tessera
