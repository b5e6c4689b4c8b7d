#pragma once
// The one narrow interface between the game and the machine it runs on: clock,
// sleep, window messages, a lockable 16-bit surface, a message box, the desktop
// size and the local time, plus the sound, movie and glyph services declared in
// their own headers. The game never includes a back end's headers.
#include <cstdint>
#include <memory>
#include <string>

namespace tessera {

class AudioDevice;
class MovieDecoder;
class GlyphRasterizer;

// Held-button bits of a mouse move, laid out as the Windows key-state parameter.
enum HeldButtons : uint32_t { HELD_LEFT = 0x01, HELD_RIGHT = 0x02, HELD_MIDDLE = 0x10 };

enum class MouseButton : uint8_t { Left = 0, Right = 1, Middle = 2 };

enum class MessageKind : uint8_t {
  MouseMove,     // x, y, held
  ButtonDown,    // x, y, button
  ButtonUp,      // x, y, button
  ButtonDouble,  // x, y, button: the second press of a double click
  KeyDown,       // virtualKey (auto-repeat sends more of these)
  KeyUp,         // virtualKey
  Close,         // the window was closed (window manager, Alt+F4, end of a headless run)
  Drop,          // path: a file or folder dropped onto the window
  Text,          // text: typed text, UTF-8 (after the system's input method composed it)
};

struct WindowMessage {
  MessageKind kind = MessageKind::MouseMove;
  MouseButton button = MouseButton::Left;
  int32_t x = 0;  // frame pixels, 0..799
  int32_t y = 0;  // frame pixels, 0..599
  uint32_t held = 0;
  uint32_t virtualKey = 0;  // Windows virtual-key numbering
  std::string path;         // Drop: the host path (UTF-8 on Windows)
  std::string text;         // Text: what was typed, UTF-8
};

// Windows virtual-key codes the platform layers translate to.
enum VirtualKey : uint32_t {
  VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
  VK_PAUSE = 19, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35,
  VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45,
  VK_DELETE = 46, VK_F1 = 112, VK_F2 = 113, VK_F12 = 123,
};

struct ChannelMasks {
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
};

// A locked view of the display surface: 800x600 16-bit pixels, `pitch` bytes per row.
struct SurfaceLock {
  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
};

struct DesktopSize {
  int32_t width = 0;
  int32_t height = 0;
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum class Charset : uint8_t { GB2312, Big5 };

class Platform {
 public:
  virtual ~Platform() = default;

  // Set-up and release, in start-up order. Each set-up step returns false on
  // failure after describing it in `error`.
  virtual DesktopSize ReadDesktopSize() = 0;
  virtual bool CreateGameWindow(bool fullScreen, int x, int y, std::string& error) = 0;
  virtual bool InitDisplay(std::string& error) = 0;
  // Opens the audio device; null when there is none (the game then runs silent).
  virtual std::unique_ptr<AudioDevice> OpenAudio(std::string& error) = 0;
  virtual bool ReadSurfaceMasks(ChannelMasks& masks) = 0;
  virtual bool InitInput(std::string& error) = 0;
  virtual void ReleaseDisplay() = 0;
  virtual void ReleaseInput() = 0;

  // Millisecond clock: 32 bits, wrapping.
  virtual uint32_t Milliseconds() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  virtual LocalTime Now() = 0;

  // Takes the next pending window message; false when none is pending.
  virtual bool PollMessage(WindowMessage& message) = 0;
  // The left button's state right now (the start logos poll it).
  virtual bool LeftButtonHeld() = 0;

  virtual bool LockSurface(SurfaceLock& lock) = 0;
  virtual void UnlockSurface() = 0;
  virtual void ShowSurface() = 0;
  // A frame the platform wants kept (headless dumps): gives its name once it is due.
  virtual bool TakeDueDump(std::string& name) { (void)name; return false; }

  virtual int ShowMessage(const char* text) = 0;

  virtual std::unique_ptr<MovieDecoder> OpenMovie(const std::string& hostPath, std::string& error) = 0;
  virtual std::unique_ptr<GlyphRasterizer> CreateGlyphRasterizer(Charset charset) = 0;
};

// The platform the game runs on; set once by start-up (and by tests).
Platform& Sys();
void SetPlatform(Platform* platform);
// The platform set, or null (for code that sets one for a while and puts the old one back).
Platform* CurrentPlatform();

}  // namespace tessera
