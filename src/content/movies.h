#pragma once
// Short AVI movies (MPEG-4 video, PCM sound) encoded with FFmpeg's libraries.
#include <functional>
#include <string>
#include <vector>

#include "content/common.h"

namespace tessera::content {

struct MovieSpec {
  int width = 320;
  int height = 240;
  int fps = 15;
  int frames = 60;
  // Paints frame `index` (0-based) into a canvas of the movie's size.
  std::function<void(int index, Canvas& frame)> paint;
  std::vector<int16_t> sound;  // mono, 22050 Hz
};

// Writes the movie to `hostPath`; false with `error` on any failure. The output
// is bit-exact: the same description gives the same bytes.
bool EncodeAvi(const MovieSpec& plan, const std::string& hostPath, std::string& error);

}  // namespace tessera::content
