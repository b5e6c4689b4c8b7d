// The window back end on SDL's dummy video driver: the window's own keys stay
// out of the game, F12 writes the frame on screen, pointer positions arrive in
// frame pixels whatever the window's size.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "gfx/pixel_format.h"
#include "platform/backends.h"
#include "platform/process.h"
#include "platform/sdl/sdl_platform.h"
#include "support/test_support.h"

namespace tessera {
namespace {

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironment("SDL_VIDEODRIVER", "dummy");
    SdlOptions options;
    options.scale = 1;
    options.screenshotDir = shots;
    options.remember = [this](const WindowChoice& choice) { remembered.push_back(choice); };
    options.log = [this](const std::string& line) { logged += line + "\n"; };
    platform = CreateSdlPlatform(options);
    std::string error;
    platform->ReadDesktopSize();
    ASSERT_TRUE(platform->CreateGameWindow(false, 0, 0, error)) << error;
    ASSERT_TRUE(platform->InitDisplay(error)) << error;
    Drain();
  }

  void Key(bool down, SDL_Keycode sym, SDL_Scancode code, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }
  std::vector<WindowMessage> Drain() {
    std::vector<WindowMessage> out;
    WindowMessage m;
    while (platform->PollMessage(m)) out.push_back(m);
    return out;
  }

  test::ScratchDir dir;
  test::ScopedWorkDir workDir{dir.path()};
  std::filesystem::path shots = std::filesystem::path(dir.path()) / "screenshots";
  std::vector<WindowChoice> remembered;
  std::string logged;  // the lines the back end gave for the game's log
  std::unique_ptr<SdlPlatform> platform;
};

TEST_F(SdlWindowTest, AltEnterTogglesFullScreenAndBackAndNoWindowKeyReachesTheGame) {
  Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
  Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
  Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT, true);  // auto-repeat
  Key(false, SDLK_LALT, SDL_SCANCODE_LALT);
  Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN);  // released after Alt: still the window's
  Key(true, SDLK_F12, SDL_SCANCODE_F12);
  Key(false, SDLK_F12, SDL_SCANCODE_F12);
  Key(true, SDLK_a, SDL_SCANCODE_A);
  Key(false, SDLK_a, SDL_SCANCODE_A);
  Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN);
  Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN);
  std::vector<uint32_t> keys;
  for (const WindowMessage& m : Drain())
    if (m.kind == MessageKind::KeyDown || m.kind == MessageKind::KeyUp)
      keys.push_back((m.kind == MessageKind::KeyDown ? 1000 : 2000) + m.virtualKey);
  EXPECT_EQ(keys, (std::vector<uint32_t>{1000 + 'A', 2000 + 'A', 1000 + VK_RETURN, 2000 + VK_RETURN}));
  WindowChoice choice;
  ASSERT_TRUE(platform->ReadWindowChoice(choice));
  EXPECT_TRUE(choice.fullScreen);
  EXPECT_EQ(choice.width, 800);  // the size it goes back to
  EXPECT_EQ(choice.height, 600);

  // Back to the window; closing it tells how it was left, once.
  Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  std::vector<WindowMessage> messages = Drain();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().kind, MessageKind::Close);
  platform->ReleaseDisplay();
  ASSERT_EQ(remembered.size(), 1u);
  EXPECT_FALSE(remembered[0].fullScreen);
  EXPECT_EQ(remembered[0].width, 800);
  EXPECT_EQ(remembered[0].height, 600);
}

TEST_F(SdlWindowTest, F12WritesTheFrameOnScreenPixelForPixelWithoutOverwriting) {
  SurfaceLock lock;
  ASSERT_TRUE(platform->LockSurface(lock));
  std::vector<uint16_t> frame(800 * 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      frame[y * 800 + x] = static_cast<uint16_t>((x * 131 + y * 977) ^ (x << 5));
      std::memcpy(lock.pixels + y * lock.pitch + x * 2, &frame[y * 800 + x], 2);
    }
  platform->UnlockSurface();
  platform->ShowSurface();
  for (int shot = 0; shot < 2; ++shot) {
    Key(true, SDLK_F12, SDL_SCANCODE_F12);
    Key(false, SDLK_F12, SDL_SCANCODE_F12);
  }
  for (const WindowMessage& m : Drain()) EXPECT_NE(m.kind, MessageKind::KeyDown);

  // The encoder is deterministic: the same bytes are the same pixels, each
  // channel widened as the frame dumps widen it.
  std::vector<uint8_t> rgb;
  for (uint16_t p : frame) {
    const Rgb c = UnpackPixel(p);
    rgb.insert(rgb.end(), {c.r, c.g, c.b});
  }
  std::vector<uint8_t> expected;
  std::string error;
  ASSERT_TRUE(EncodePng(rgb.data(), 800, 600, 2400, expected, error)) << error;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(shots)) {
    ++files;  // two presses within a second: two files
    EXPECT_EQ(entry.path().extension(), ".png");
    EXPECT_NE(logged.find("screenshot " + entry.path().string()), std::string::npos) << logged;
    EXPECT_TRUE(test::ReadBytes(entry.path().string()) == expected) << entry.path();
  }
  EXPECT_EQ(files, 2);
}

TEST_F(SdlWindowTest, PointerPositionsArriveInFramePixelsInAResizedWindow) {
  SDL_Window* window = nullptr;
  for (Uint32 id = 1; id < 1000 && !window; ++id) window = SDL_GetWindowFromID(id);
  ASSERT_NE(window, nullptr);
  SDL_SetWindowSize(window, 1200, 600);  // the frame at 1x, 200 pixels of bar each side
  Drain();
  auto motion = [](int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = SDL_BUTTON_LMASK;
    SDL_PushEvent(&e);
  };
  motion(600, 300);
  motion(100, 599);
  motion(1199, -40);  // captured while held, above the window
  std::vector<std::pair<int, int>> at;
  std::vector<WindowMessage> messages = Drain();
  for (const WindowMessage& m : messages) at.emplace_back(m.x, m.y);
  EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{400, 300}, {0, 599}, {799, 0}}));
  EXPECT_EQ(messages.at(0).held, HELD_LEFT);
}

}  // namespace
}  // namespace tessera
