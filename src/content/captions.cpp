#include "content/captions.h"

#include <optional>
#include <vector>

#include "app/engine_config.h"
#include "gfx/text.h"
#include "platform/backends.h"

namespace tessera::content {

struct CaptionFont::State {
  std::optional<OwnTextRenderer> renderer;
  State* outer = nullptr;
};

namespace {

// The innermost caption font alive on this thread.
thread_local CaptionFont::State* t_font = nullptr;

}  // namespace

std::mutex& CaptionLock() {
  static std::mutex lock;
  return lock;
}

CaptionFont::CaptionFont(int language) : state_(std::make_unique<State>()) {
  const Charset charset = language == LANGUAGE_CHINESE_TRADITIONAL ? Charset::Big5 : Charset::GB2312;
  {
    // Finding and opening the face may touch what the window's font engine uses.
    std::lock_guard<std::mutex> lock(CaptionLock());
    state_->renderer.emplace(charset, CreateFreeTypeRasterizer(charset));
  }
  state_->outer = t_font;
  t_font = state_.get();
}

CaptionFont::~CaptionFont() {
  t_font = state_->outer;
  std::lock_guard<std::mutex> lock(CaptionLock());
  state_->renderer.reset();
}

void DrawCaption(Canvas& canvas, const std::string& text, int size, int x, int y, Colour colour, bool shadow) {
  if (canvas.width <= 0 || canvas.height <= 0) return;
  // The renderer stamps one colour into a 16-bit array; any non-zero pixel there
  // is ink, whatever the pixel layout.
  std::vector<uint16_t> ink(static_cast<size_t>(canvas.width) * canvas.height, 0);
  if (t_font) {
    std::lock_guard<std::mutex> lock(CaptionLock());
    t_font->renderer->Swap();
    RenderText(size, 0xFFFF, x, y, 0, text.c_str(), ink.data(), 8000, canvas.width, canvas.height);
    t_font->renderer->Swap();
  } else {
    RenderText(size, 0xFFFF, x, y, 0, text.c_str(), ink.data(), 8000, canvas.width, canvas.height);
  }
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
