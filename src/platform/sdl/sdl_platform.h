#pragma once
// The window back end: SDL2 for the window, input and presentation, OpenAL for
// sound, FFmpeg for movies, FreeType for glyphs.
#include <memory>

#include "platform/platform.h"

namespace tessera {

struct SdlOptions {
  int scale = 0;  // 0: the largest integer factor that fits the desktop comfortably
  uint64_t maxMs = 0;  // after this many milliseconds the run ends as if the window closed
};

std::unique_ptr<Platform> CreateSdlPlatform(const SdlOptions& options);

// The largest integer factor for which 800x600 stays within 90% of the desktop (at least 1).
int DefaultWindowScale(int desktopWidth, int desktopHeight);

}  // namespace tessera
