#include "platform/sdl/sdl_platform.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <ctime>

#include "platform/backends.h"

namespace tessera {

int DefaultWindowScale(int desktopWidth, int desktopHeight) {
  int scale = 1;
  while (800 * (scale + 1) * 10 <= desktopWidth * 9 && 600 * (scale + 1) * 10 <= desktopHeight * 9) ++scale;
  return scale;
}

namespace {

uint32_t VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<uint32_t>(key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + static_cast<uint32_t>(key - SDLK_KP_1);
  switch (key) {
    case SDLK_KP_0: return 0x60;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    default: return 0;
  }
}

MouseButton ButtonOf(uint8_t sdlButton) {
  if (sdlButton == SDL_BUTTON_RIGHT) return MouseButton::Right;
  if (sdlButton == SDL_BUTTON_MIDDLE) return MouseButton::Middle;
  return MouseButton::Left;
}

int32_t Clamp(int32_t v, int32_t hi) { return v < 0 ? 0 : v > hi ? hi : v; }

class SdlPlatform : public Platform {
 public:
  explicit SdlPlatform(const SdlOptions& options) : options_(options) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Our own main starts the program (SDL2main is not linked on Windows).
    SDL_SetMainReady();
    SDL_Init(SDL_INIT_TIMER);
    startTicks_ = SDL_GetTicks();
  }
  ~SdlPlatform() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  DesktopSize ReadDesktopSize() override {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) desktop_ = {mode.w, mode.h};
    else desktop_ = {800, 600};
    return desktop_;
  }

  bool CreateGameWindow(bool fullScreen, int x, int y, std::string& error) override {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      error = std::string("cannot open the display: ") + SDL_GetError();
      return false;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    int scale = options_.scale > 0 ? options_.scale : DefaultWindowScale(desktop_.width, desktop_.height);
    Uint32 flags = SDL_WINDOW_BORDERLESS;
    int w = 800 * scale, h = 600 * scale;
    if (fullScreen) {
      // The desktop keeps its mode; the window covers it (also where no window
      // manager applies the full-screen state) and the frame is letterboxed.
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      w = desktop_.width;
      h = desktop_.height;
      x = y = 0;
    } else if (scale > 1 || desktop_.width >= w) {
      x = desktop_.width >= w ? (desktop_.width - w) / 2 : 0;
      y = desktop_.height >= h ? (desktop_.height - h) / 2 : 0;
    }
    window_ = SDL_CreateWindow("GAME", x, y, w, h, flags);
    if (!window_) {
      error = std::string("cannot create the window: ") + SDL_GetError();
      return false;
    }
    SDL_ShowCursor(SDL_DISABLE);
    return true;
  }

  bool InitDisplay(std::string& error) override {
    // No vertical sync: the game paces itself with a 5 ms sleep per frame, and a
    // 60 Hz wait would merge a quick press and release into one frame.
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      error = std::string("cannot create the renderer: ") + SDL_GetError();
      return false;
    }
    // Letterboxing and the mapping of pointer positions to frame pixels.
    SDL_RenderSetLogicalSize(renderer_, 800, 600);
    SDL_RenderSetIntegerScale(renderer_, SDL_FALSE);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    if (!texture_) {
      error = std::string("cannot create the frame texture: ") + SDL_GetError();
      return false;
    }
    return true;
  }

  std::unique_ptr<AudioDevice> OpenAudio(std::string& error) override { return CreateOpenAlAudio(error); }

  bool ReadSurfaceMasks(ChannelMasks& masks) override {
    int bpp = 0;
    Uint32 r, g, b, a;
    if (!SDL_PixelFormatEnumToMasks(SDL_PIXELFORMAT_RGB565, &bpp, &r, &g, &b, &a)) return false;
    masks = {r, g, b};
    return true;
  }

  bool InitInput(std::string&) override { return true; }
  void ReleaseDisplay() override {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    if (renderer_) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
  }
  void ReleaseInput() override {}

  uint32_t Milliseconds() override { return SDL_GetTicks(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }
  LocalTime Now() override {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    if (const std::tm* local = std::localtime(&now)) t = *local;  // only this thread asks
    return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  }

  bool PollMessage(WindowMessage& m) override {
    if (options_.maxMs != 0 && SDL_GetTicks() - startTicks_ >= options_.maxMs) {
      m = WindowMessage{};
      m.kind = MessageKind::Close;
      return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      m = WindowMessage{};
      switch (e.type) {
        case SDL_QUIT:
          m.kind = MessageKind::Close;
          return true;
        case SDL_WINDOWEVENT:
          if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            m.kind = MessageKind::Close;
            return true;
          }
          if (e.window.event == SDL_WINDOWEVENT_ENTER) SDL_ShowCursor(SDL_DISABLE);
          break;
        case SDL_MOUSEMOTION:
          m.kind = MessageKind::MouseMove;
          m.x = Clamp(e.motion.x, 799);
          m.y = Clamp(e.motion.y, 599);
          if (e.motion.state & SDL_BUTTON_LMASK) m.held |= HELD_LEFT;
          if (e.motion.state & SDL_BUTTON_RMASK) m.held |= HELD_RIGHT;
          if (e.motion.state & SDL_BUTTON_MMASK) m.held |= HELD_MIDDLE;
          return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
          if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT &&
              e.button.button != SDL_BUTTON_MIDDLE)
            break;
          m.button = ButtonOf(e.button.button);
          m.x = Clamp(e.button.x, 799);
          m.y = Clamp(e.button.y, 599);
          if (e.type == SDL_MOUSEBUTTONUP)
            m.kind = MessageKind::ButtonUp;
          else  // the second press of a double click arrives as the double message
            m.kind = (e.button.clicks >= 2 && e.button.clicks % 2 == 0) ? MessageKind::ButtonDouble
                                                                          : MessageKind::ButtonDown;
          return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
          if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_F4 && (e.key.keysym.mod & KMOD_ALT)) {
            m.kind = MessageKind::Close;
            return true;
          }
          uint32_t vk = VirtualKeyOf(e.key.keysym.sym);
          if (vk == 0 || vk == VK_MENU) break;  // system keys are not recorded
          m.kind = e.type == SDL_KEYDOWN ? MessageKind::KeyDown : MessageKind::KeyUp;
          m.virtualKey = vk;
          return true;
        }
        default:
          break;
      }
    }
    return false;
  }

  bool LeftButtonHeld() override {
    SDL_PumpEvents();
    return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
  }

  bool LockSurface(SurfaceLock& lock) override {
    void* pixels = nullptr;
    int pitch = 0;
    if (!texture_ || SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return false;
    lock.pixels = static_cast<uint8_t*>(pixels);
    lock.pitch = pitch;
    return true;
  }
  void UnlockSurface() override { SDL_UnlockTexture(texture_); }
  void ShowSurface() override {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  int ShowMessage(const char* text) override {
    std::fprintf(stderr, "message: %s\n", text);
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
      SDL_ShowCursor(SDL_ENABLE);
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "message", text, window_);
      SDL_ShowCursor(SDL_DISABLE);
    }
    return 1;
  }

  std::unique_ptr<MovieDecoder> OpenMovie(const std::string& hostPath, std::string& error) override {
    return OpenFfmpegMovie(hostPath, error);
  }
  std::unique_ptr<GlyphRasterizer> CreateGlyphRasterizer(Charset charset) override {
    return CreateFreeTypeRasterizer(charset);
  }

 private:
  SdlOptions options_;
  uint32_t startTicks_ = 0;
  DesktopSize desktop_{800, 600};
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
};

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform(const SdlOptions& options) {
  return std::make_unique<SdlPlatform>(options);
}

}  // namespace tessera
