#include "gfx/present.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "app/frame_pump.h"
#include "app/input_state.h"
#include "app/log.h"
#include "gfx/bmp_write.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/platform.h"

namespace tessera {

const Image* CursorImage = nullptr;

namespace {

struct FpsCounter {
  uint32_t count = 0;
  uint32_t start = 0;
  bool started = false;
  uint32_t rate = 0;
} g_fps;

}  // namespace

void ResetFpsCounter() { g_fps = FpsCounter{}; }

void DrawFpsOverlay(uint16_t* backBuffer) {
  ++g_fps.count;
  if (!g_fps.started) {
    g_fps.start = FrameClock;
    g_fps.started = true;
  } else if (FrameClock - g_fps.start > 1000) {
    g_fps.rate = g_fps.count * 1000 / (FrameClock - g_fps.start);
    g_fps.count = 0;
    g_fps.started = false;
  }
  char text[32];
  std::snprintf(text, sizeof text, "FPS= %u", g_fps.rate);
  RenderText(16, 0xFFFF, 10, 10, 0, text, backBuffer, 800, SCREEN_WIDTH, SCREEN_HEIGHT);
}

void CopyFrameToSurface(const uint16_t* backBuffer, uint8_t* surface, int pitch) {
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    std::memcpy(surface + static_cast<size_t>(y) * pitch, backBuffer + static_cast<size_t>(y) * SCREEN_WIDTH,
                SCREEN_WIDTH * sizeof(uint16_t));
}

void StampCursor(const Image* cursor, int mouseX, int mouseY, uint8_t* surface, int pitch) {
  if (!cursor || !cursor->Covered()) return;
  // Clip the picture to the screen once, then copy the non-key pixels.
  const int x0 = mouseX < 0 ? -mouseX : 0;
  const int y0 = mouseY < 0 ? -mouseY : 0;
  const int x1 = std::min<int>(cursor->width, SCREEN_WIDTH - mouseX);
  const int y1 = std::min<int>(cursor->height, SCREEN_HEIGHT - mouseY);
  for (int j = y0; j < y1; ++j) {
    auto* row = reinterpret_cast<uint16_t*>(surface + static_cast<size_t>(mouseY + j) * pitch) + mouseX;
    const uint16_t* src = cursor->Row(j);
    for (int i = x0; i < x1; ++i)
      if (src[i] != cursor->key) row[i] = src[i];
  }
}

bool DumpSurface(const uint8_t* surface, int pitch, const char* hostPath) {
  std::vector<uint8_t> rgb(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT * 3);
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    const auto* row = reinterpret_cast<const uint16_t*>(surface + static_cast<size_t>(y) * pitch);
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      Rgb c = UnpackPixel(row[x]);
      uint8_t* out = &rgb[(static_cast<size_t>(y) * SCREEN_WIDTH + x) * 3];
      out[0] = c.r;
      out[1] = c.g;
      out[2] = c.b;
    }
  }
  return WriteBmp24(hostPath, SCREEN_WIDTH, SCREEN_HEIGHT, rgb.data());
}

void PresentFrame(uint16_t* backBuffer) {
  if (ShowFps == 1) DrawFpsOverlay(backBuffer);
  if (ShowMousePosition == 1) {
    char text[32];
    std::snprintf(text, sizeof text, "X = %d", InputState.MouseX);
    RenderText(16, 0xFFFF, 50, 10, 0, text, backBuffer, 800, SCREEN_WIDTH, SCREEN_HEIGHT);
    std::snprintf(text, sizeof text, "Y = %d", InputState.MouseY);
    RenderText(16, 0xFFFF, 10, 40, 0, text, backBuffer, 800, SCREEN_WIDTH, SCREEN_HEIGHT);
  }
  Platform& sys = Sys();
  SurfaceLock lock;
  if (!sys.LockSurface(lock)) {
    if (EngineConfig.FullScreen == 0) ShowMessage("Back Surface lock fail : Retry");
    return;  // the frame is dropped
  }
  CopyFrameToSurface(backBuffer, lock.pixels, lock.pitch);
  StampCursor(CursorImage, InputState.MouseX, InputState.MouseY, lock.pixels, lock.pitch);
  std::string dump;
  while (sys.TakeDueDump(dump))
    if (!DumpSurface(lock.pixels, lock.pitch, dump.c_str()))
      std::fprintf(stderr, "tessera: cannot write dump %s\n", dump.c_str());
  sys.UnlockSurface();
  sys.ShowSurface();
}

}  // namespace tessera
