#include "gfx/pixel_format.h"

#include "app/log.h"

namespace tessera {

PixelFormatRecord PixelFormat = {{0xF800, 11, 1}, {0x07E0, 5, 0}, {0x001F, 0, 1}};

namespace {

void Analyse(uint32_t mask, ChannelFormat& channel) {
  int low = 0, high = 0;
  for (int bit = 0; bit < 32; ++bit)
    if (mask & (1u << bit)) {
      low = bit;
      break;
    }
  for (int bit = 31; bit >= 0; --bit)
    if (mask & (1u << bit)) {
      high = bit;
      break;
    }
  channel.shift = low;
  channel.narrow = (high - low + 1) != 6 ? 1 : 0;
}

}  // namespace

void SetPixelFormat(const ChannelMasks& masks) {
  Analyse(masks.red, PixelFormat.red);
  Analyse(masks.green, PixelFormat.green);
  Analyse(masks.blue, PixelFormat.blue);
  PixelFormat.red.mask = static_cast<uint16_t>(masks.red);
  PixelFormat.green.mask = static_cast<uint16_t>(masks.green);
  PixelFormat.blue.mask = static_cast<uint16_t>(masks.blue);
}

bool ReadPixelFormat() {
  ChannelMasks masks;
  if (!Sys().ReadSurfaceMasks(masks)) {
    ShowMessage("SetPixelFormat() failed\n");
    return false;
  }
  SetPixelFormat(masks);
  ChannelMasks again;
  if (!Sys().ReadSurfaceMasks(again)) {
    ShowMessage("StorePixelFormatData() failed");
    UseFallbackMasks();
    return true;
  }
  PixelFormat.red.mask = static_cast<uint16_t>(again.red);
  PixelFormat.green.mask = static_cast<uint16_t>(again.green);
  PixelFormat.blue.mask = static_cast<uint16_t>(again.blue);
  return true;
}

void UseFallbackMasks() {
  PixelFormat.red.mask = 0xFC00;
  PixelFormat.green.mask = 0x07E0;
  PixelFormat.blue.mask = 0x001F;
}

uint16_t PackRgb(uint32_t r, uint32_t g, uint32_t b) {
  r &= 0xFF;
  g &= 0xFF;
  b &= 0xFF;
  const PixelFormatRecord& f = PixelFormat;
  uint32_t pixel = (((r >> (2 + f.red.narrow)) << f.red.shift) & f.red.mask) |
                   (((g >> (2 + f.green.narrow)) << f.green.shift) & f.green.mask) |
                   ((b >> (2 + f.blue.narrow)) & f.blue.mask);
  return static_cast<uint16_t>(pixel);
}

Rgb UnpackPixel(uint16_t pixel) {
  const PixelFormatRecord& f = PixelFormat;
  auto channel = [pixel](const ChannelFormat& c) {
    return static_cast<uint8_t>((((pixel & c.mask) >> c.shift) << (2 + c.narrow)) & 0xFF);
  };
  return Rgb{channel(f.red), channel(f.green), channel(f.blue)};
}

}  // namespace tessera
