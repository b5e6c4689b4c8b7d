#include "platform/sdl/sdl_platform.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/backends.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/sdl/frame_presenter.h"
#include "platform/sdl/window_layout.h"

namespace tessera {

int DefaultWindowScale(int desktopWidth, int desktopHeight) {
  int scale = 1;
  while (800 * (scale + 1) * 10 <= desktopWidth * 9 && 600 * (scale + 1) * 10 <= desktopHeight * 9) ++scale;
  return scale;
}

namespace {

#ifdef __EMSCRIPTEN__
// clang-format off
// Pictures dropped onto the page or chosen with its button: the page writes
// them into the file system and queues their paths (Module.tesseraDrops), and
// they reach the game one at a time, as SDL gives a desktop drop. Returns the
// first path's length with its 0, taking it only when `room` holds it; 0 when
// none waits.
EM_JS(int, web_take_drop, (char* out, int room), {
  const drops = Module.tesseraDrops;
  if (!drops || drops.length === 0) return 0;
  const need = lengthBytesUTF8(drops[0]) + 1;
  if (need <= room) stringToUTF8(drops.shift(), out, room);
  return need;
});
// clang-format on

// Asked at every poll: nothing is allocated unless a path waits.
bool TakePageDrop(std::string& path) {
  const int need = web_take_drop(nullptr, 0);
  if (need <= 0) return false;
  std::vector<char> room(static_cast<size_t>(need));
  if (web_take_drop(room.data(), need) != need) return false;
  path.assign(room.data());
  return true;
}
#endif

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

uint64_t NowUs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

class SdlWindowPlatform : public SdlPlatform, private PresentTarget {
 public:
  explicit SdlWindowPlatform(const SdlOptions& options) : options_(options), presenter_(RefreshPeriodUs(60)) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Our own main starts the program (SDL2main is not linked on Windows).
    SDL_SetMainReady();
    SDL_Init(SDL_INIT_TIMER);
    startTicks_ = SDL_GetTicks();
  }
  ~SdlWindowPlatform() override {
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
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    int scale = options_.scale > 0 ? options_.scale : DefaultWindowScale(desktop_.width, desktop_.height);
    int w = 800 * scale, h = 600 * scale;
    if (options_.scale <= 0 && options_.windowWidth > 0 && options_.windowHeight > 0) {
      w = std::clamp(options_.windowWidth, kMinWidth, std::max(desktop_.width, kMinWidth));
      h = std::clamp(options_.windowHeight, kMinHeight, std::max(desktop_.height, kMinHeight));
    }
    windowedWidth_ = w;
    windowedHeight_ = h;
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (fullScreen) {
      // The desktop keeps its mode; the window covers it (also where no window
      // manager applies the full-screen state) and the frame is letterboxed.
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      w = desktop_.width;
      h = desktop_.height;
      x = y = 0;
    } else if (w != 800 || h != 600 || desktop_.width >= w) {
      x = desktop_.width >= w ? (desktop_.width - w) / 2 : 0;
      y = desktop_.height >= h ? (desktop_.height - h) / 2 : 0;
    }
    window_ = SDL_CreateWindow("GAME", x, y, w, h, flags);
    if (!window_) {
      error = std::string("cannot create the window: ") + SDL_GetError();
      return false;
    }
    fullScreen_ = fullScreen;
    everWindowed_ = !fullScreen;
    SDL_SetWindowMinimumSize(window_, kMinWidth, kMinHeight);
    SDL_ShowCursor(SDL_DISABLE);
    return true;
  }

  bool InitDisplay(std::string& error) override {
    // No vertical sync: the game paces itself with a 5 ms sleep per frame, and a
    // 60 Hz wait would merge a quick press and release into one frame. Changed
    // frames are shown at most once per refresh instead (see Sleep).
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      error = std::string("cannot create the renderer: ") + SDL_GetError();
      return false;
    }
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    if (!texture_) {
      error = std::string("cannot create the frame texture: ") + SDL_GetError();
      return false;
    }
    ReadRefreshRate();
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
    RememberWindow();
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    if (renderer_) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
  }
  void ReleaseInput() override {}

  uint32_t Milliseconds() override { return SDL_GetTicks(); }
  // A changed frame waiting for its refresh is shown during the sleep, at its
  // due time; the sleep still ends when it would have.
  void Sleep(uint32_t ms) override {
    const uint64_t end = NowUs() + uint64_t{ms} * 1000;
    if (!texture_ || presenter_.DueAt() >= end) {
      SDL_Delay(ms);
      return;
    }
    for (uint64_t due; texture_ && (due = presenter_.DueAt()) < end;) {
      const uint64_t now = NowUs();
      if (due > now) SleepMicroseconds(due - now);
      presenter_.Tick(NowUs(), *this);
    }
    const uint64_t now = NowUs();
    if (end > now) SleepMicroseconds(end - now);
  }
  LocalTime Now() override {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    if (const std::tm* local = std::localtime(&now)) t = *local;  // only this thread asks
    return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  }

  bool PollMessage(WindowMessage& m) override {
    if (options_.maxMs != 0 && SDL_GetTicks() - startTicks_ >= options_.maxMs) {
      RememberWindow();
      m = WindowMessage{};
      m.kind = MessageKind::Close;
      return true;
    }
#ifdef __EMSCRIPTEN__
    if (std::string dropped; TakePageDrop(dropped)) {
      m = WindowMessage{};
      m.kind = MessageKind::Drop;
      m.path = std::move(dropped);
      return true;
    }
#endif
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      m = WindowMessage{};
      switch (e.type) {
        case SDL_QUIT:
          RememberWindow();
          m.kind = MessageKind::Close;
          return true;
        case SDL_DROPFILE:
          // SDL hands over a UTF-8 path it allocated.
          if (!e.drop.file) break;
          m.kind = MessageKind::Drop;
          m.path = e.drop.file;
          SDL_free(e.drop.file);
          return true;
        case SDL_TEXTINPUT:
          // Text as the input method composed it (a whole Chinese word at once).
          m.kind = MessageKind::Text;
          m.text = e.text.text;
          if (m.text.empty()) break;
          return true;
        case SDL_WINDOWEVENT:
          switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
              RememberWindow();
              m.kind = MessageKind::Close;
              return true;
            case SDL_WINDOWEVENT_ENTER:
              SDL_ShowCursor(SDL_DISABLE);
              break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESTORED:
              presenter_.Repaint();
              break;
            case SDL_WINDOWEVENT_DISPLAY_CHANGED:
              ReadRefreshRate();
              break;
            default:
              break;
          }
          break;
        case SDL_RENDER_TARGETS_RESET:
          presenter_.Repaint(true);
          break;
        case SDL_MOUSEMOTION:
          m.kind = MessageKind::MouseMove;
          ToFrame(e.motion.x, e.motion.y, m);
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
          ToFrame(e.button.x, e.button.y, m);
          if (e.type == SDL_MOUSEBUTTONUP)
            m.kind = MessageKind::ButtonUp;
          else  // the second press of a double click arrives as the double message
            m.kind = (e.button.clicks >= 2 && e.button.clicks % 2 == 0) ? MessageKind::ButtonDouble
                                                                          : MessageKind::ButtonDown;
          return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
          // The window's own keys (and their releases) never reach the game.
          const size_t code = static_cast<size_t>(e.key.keysym.scancode) % windowKeys_.size();
          if (e.type == SDL_KEYUP && windowKeys_[code]) {
            windowKeys_[code] = false;
            break;
          }
          if (e.type == SDL_KEYDOWN && HandleWindowKey(e.key)) {
            windowKeys_[code] = true;
            break;
          }
          if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_F4 && (e.key.keysym.mod & KMOD_ALT)) {
            RememberWindow();
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

  // The game composes into memory; the display gets the frame only when it changed.
  bool LockSurface(SurfaceLock& lock) override {
    if (!texture_) return false;
    lock.pixels = presenter_.Surface();
    lock.pitch = FramePresenter::kPitch;
    return true;
  }
  void UnlockSurface() override {}
  void ShowSurface() override {
    if (texture_) presenter_.FrameComposed(NowUs(), *this);
  }

  bool ReadWindowChoice(WindowChoice& choice) override {
    if (!window_) return false;
    choice.fullScreen = fullScreen_;
    choice.width = windowedWidth_;
    choice.height = windowedHeight_;
    if (!fullScreen_) SDL_GetWindowSize(window_, &choice.width, &choice.height);
    return true;
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
  static constexpr int kMinWidth = 200;
  static constexpr int kMinHeight = 150;

  void Upload(const uint16_t* pixels) override {
    if (texture_) SDL_UpdateTexture(texture_, nullptr, pixels, FramePresenter::kPitch);
  }
  void Show() override {
    if (!renderer_ || !texture_) return;
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) SDL_GetWindowSize(window_, &w, &h);
    const FrameRect r = FitFrame(w, h);
    const SDL_ScaleMode mode = options_.smooth && !r.whole ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
    if (mode != scaleMode_ && SDL_SetTextureScaleMode(texture_, mode) == 0) scaleMode_ = mode;
    const SDL_Rect target{r.x, r.y, r.w, r.h};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    SDL_RenderPresent(renderer_);
  }

  void RememberWindow() {
    WindowChoice choice;
    if (remembered_ || !options_.remember || !ReadWindowChoice(choice)) return;
    remembered_ = true;
    options_.remember(choice);
  }

  void ToFrame(int x, int y, WindowMessage& m) {
    int w = 800, h = 600;
    if (window_) SDL_GetWindowSize(window_, &w, &h);
    MapToFrame(FitFrame(w, h), x, y, m.x, m.y);
  }

  void ReadRefreshRate() {
    SDL_DisplayMode mode;
    const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    presenter_.SetRefresh(
        RefreshPeriodUs(SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 ? mode.refresh_rate : 0));
  }

  // Alt+Enter and F12; true when the key press is the window's.
  bool HandleWindowKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode sym = key.keysym.sym;
    if ((sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT)) {
      if (!key.repeat) ToggleFullScreen();
      return true;
    }
    if (sym == SDLK_F12) {
      if (!key.repeat) TakeScreenshot();
      return true;
    }
    return false;
  }

  void ToggleFullScreen() {
    if (!window_) return;
    const bool leaving = fullScreen_;
    if (!leaving) {
      SDL_GetWindowSize(window_, &windowedWidth_, &windowedHeight_);
      SDL_GetWindowPosition(window_, &windowedX_, &windowedY_);
      // Covering the desktop first does it where no window manager applies the
      // full-screen state, as a window opened full screen does.
      SDL_SetWindowPosition(window_, 0, 0);
      SDL_SetWindowSize(window_, desktop_.width, desktop_.height);
    }
    if (SDL_SetWindowFullscreen(window_, leaving ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      Log(std::string("cannot switch full screen: ") + SDL_GetError());
      return;
    }
    fullScreen_ = !leaving;
    if (leaving) {
      SDL_SetWindowSize(window_, windowedWidth_, windowedHeight_);
      // A window that started full screen has no place of its own yet.
      if (everWindowed_)
        SDL_SetWindowPosition(window_, windowedX_, windowedY_);
      else
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      everWindowed_ = true;
    }
    presenter_.Repaint();
  }

  // The frame on screen, pointer included, as an 800x600 PNG.
  void TakeScreenshot() {
    std::string line;
    if (options_.screenshotDir.empty()) {
      line = "screenshot: there is no folder for screenshots";
    } else {
      std::error_code ec;
      std::filesystem::create_directories(options_.screenshotDir, ec);
      const std::filesystem::path path = ScreenshotPath(options_.screenshotDir, Now());
      const std::vector<uint8_t> rgb = FrameToRgb(presenter_.Shown());
      std::string error;
      if (WritePngFile(HostPathString(path), rgb.data(), 800, 600, 800 * 3, error))
        line = "screenshot " + HostPathString(path);
      else
        line = "screenshot: " + error;
    }
    std::fprintf(stderr, "tessera: %s\n", line.c_str());
    Log(line);
  }

  void Log(const std::string& line) {
    if (options_.log) options_.log(line);
  }

  SdlOptions options_;
  uint32_t startTicks_ = 0;
  DesktopSize desktop_{800, 600};
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_ScaleMode scaleMode_ = SDL_ScaleModeNearest;
  FramePresenter presenter_;
  bool fullScreen_ = false;
  bool remembered_ = false;
  bool everWindowed_ = false;
  int windowedWidth_ = 800;  // the window's size and place before full screen
  int windowedHeight_ = 600;
  int windowedX_ = 0;
  int windowedY_ = 0;
  std::array<bool, SDL_NUM_SCANCODES> windowKeys_{};  // keys pressed for the window, until released
};

}  // namespace

std::unique_ptr<SdlPlatform> CreateSdlPlatform(const SdlOptions& options) {
  return std::make_unique<SdlWindowPlatform>(options);
}

}  // namespace tessera
