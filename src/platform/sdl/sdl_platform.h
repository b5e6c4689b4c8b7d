#pragma once
// The window back end: SDL2 for the window, input and presentation, OpenAL for
// sound, FFmpeg for movies, FreeType for glyphs.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tessera {

// The window as the player left it, to be remembered for the next start.
struct WindowChoice {
  int width = 0;   // the window's size; while full screen, the size it returns to
  int height = 0;
  bool fullScreen = false;
};

struct SdlOptions {
  int scale = 0;  // 0: the window size below when given, else the largest factor that fits comfortably
  uint64_t maxMs = 0;  // after this many milliseconds the run ends as if the window closed
  int windowWidth = 0;   // the window's size in screen pixels when no scale is given
  int windowHeight = 0;  // (0: from the scale)
  bool smooth = false;   // linear filtering where the frame's scale is not whole
  std::filesystem::path screenshotDir;  // where F12 writes; empty: nowhere
  // Told once how the player left the window: when it is closed (the game ends
  // at once then) or when the display is released at the end of the game.
  std::function<void(const WindowChoice&)> remember;
  // Lines for the game's log (a failed switch to full screen, a screenshot
  // taken); none are kept when empty.
  std::function<void(const std::string&)> log;
};

class SdlPlatform : public Platform {
 public:
  // False while there is no window.
  virtual bool ReadWindowChoice(WindowChoice& choice) = 0;
};

std::unique_ptr<SdlPlatform> CreateSdlPlatform(const SdlOptions& options);

// The largest integer factor for which 800x600 stays within 90% of the desktop (at least 1).
int DefaultWindowScale(int desktopWidth, int desktopHeight);

}  // namespace tessera
