#include "content/captions.h"

#include <vector>

#include "app/engine_config.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/headless/headless_platform.h"

namespace tessera::content {

struct CaptionFont::State {
  std::unique_lock<std::mutex> lock{CaptionLock()};
  std::unique_ptr<HeadlessPlatform> platform;
  Platform* previous = CurrentPlatform();
  PixelFormatRecord previousFormat = PixelFormat;
  int32_t previousLanguage = EngineConfig.Language;
};

std::mutex& CaptionLock() {
  static std::mutex lock;
  return lock;
}

CaptionFont::CaptionFont(int language) : state_(std::make_unique<State>()) {
  HeadlessOptions options;
  options.quietMessages = true;
  options.realFonts = true;
  state_->platform = std::make_unique<HeadlessPlatform>(options);
  SetPlatform(state_->platform.get());
  std::string error;
  state_->platform->InitDisplay(error);
  ChannelMasks masks;
  state_->platform->ReadSurfaceMasks(masks);
  SetPixelFormat(masks);
  EngineConfig.Language = language;
  InitTextRenderer();
}

CaptionFont::~CaptionFont() {
  ReleaseTextRenderer();
  SetPlatform(state_->previous);
  PixelFormat = state_->previousFormat;
  EngineConfig.Language = state_->previousLanguage;
  if (state_->previous) InitTextRenderer();
}

void DrawCaption(Canvas& canvas, const std::string& text, int size, int x, int y, Colour colour, bool shadow) {
  if (canvas.width <= 0 || canvas.height <= 0) return;
  // The renderer stamps one colour into a 16-bit array; any non-zero pixel there
  // is ink, whatever the pixel layout.
  std::vector<uint16_t> ink(static_cast<size_t>(canvas.width) * canvas.height, 0);
  RenderText(size, 0xFFFF, x, y, 0, text.c_str(), ink.data(), 8000, canvas.width, canvas.height);
  if (shadow) {
    for (int j = canvas.height - 1; j >= 0; --j)
      for (int i = canvas.width - 1; i >= 0; --i)
        if (ink[static_cast<size_t>(j) * canvas.width + i] == 0xFFFF) canvas.Set(i + 1, j + 1, Colour{16, 14, 20});
  }
  for (int j = 0; j < canvas.height; ++j)
    for (int i = 0; i < canvas.width; ++i)
      if (ink[static_cast<size_t>(j) * canvas.width + i] == 0xFFFF) canvas.Set(i, j, colour);
}

void DrawCaptionCentred(Canvas& canvas, const std::string& text, int size, int cx, int y, Colour colour,
                        bool shadow) {
  int width = static_cast<int>(text.size()) * (size / 2);
  DrawCaption(canvas, text, size, cx - width / 2, y, colour, shadow);
}

}  // namespace tessera::content
