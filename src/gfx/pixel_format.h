#pragma once
// The display's 16-bit pixel layout, read once at start-up; the only colour
// conversions of the game.
#include <cstdint>

#include "platform/platform.h"

namespace tessera {

struct ChannelFormat {
  uint16_t mask = 0;
  int32_t shift = 0;
  int32_t narrow = 0;  // 1 unless the channel is exactly 6 bits wide
};

struct PixelFormatRecord {
  ChannelFormat red;
  ChannelFormat green;
  ChannelFormat blue;
};

extern PixelFormatRecord PixelFormat;

// Derives shifts and widths from the masks; stores the masks.
void SetPixelFormat(const ChannelMasks& masks);
// Reads the display surface's layout; false (after its message) when it cannot.
bool ReadPixelFormat();

// The masks used when the display cannot be asked a second time; shifts and
// widths stay as analysed.
void UseFallbackMasks();

uint16_t PackRgb(uint32_t r, uint32_t g, uint32_t b);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
Rgb UnpackPixel(uint16_t pixel);

}  // namespace tessera
