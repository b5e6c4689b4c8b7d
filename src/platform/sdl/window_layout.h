#pragma once
// The window's arithmetic, apart from SDL: where the 800x600 frame sits in a
// window of any size, which frame pixel a window position falls on, and the
// screenshots' names and pixels.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/platform.h"

namespace tessera {

// The frame's place in the window, in the window's pixels. `whole`: scaled by a
// whole factor (every frame pixel the same size on screen).
struct FrameRect {
  int x = 0, y = 0, w = 800, h = 600;
  bool whole = true;
};

// The frame scaled to fit a window of `width` x `height`, its aspect kept, centred
// between black bars. The largest whole factor that fits is taken when it gives
// up no more than a tenth of the size that fits; otherwise the frame fills the
// window along one side (at least one pixel each way).
FrameRect FitFrame(int width, int height);

// The frame pixel under window position (x, y); positions outside the frame
// give the nearest pixel on its edge.
void MapToFrame(const FrameRect& rect, int x, int y, int32_t& frameX, int32_t& frameY);

// "tessera-YYYY-MM-DD_HH-MM-SS.png" in `folder`, with "-2", "-3", ... before the
// extension while a file of that name exists.
std::filesystem::path ScreenshotPath(const std::filesystem::path& folder, const LocalTime& time);

// An 800x600 RGB565 frame (800 pixels a row) as 24-bit RGB rows, each channel
// widened as the game's frame dumps do.
std::vector<uint8_t> FrameToRgb(const uint16_t* frame);

}  // namespace tessera
