// The window back end on SDL's dummy video driver: the window's own keys stay
// out of the game, F12 writes the frame on screen, pointer positions arrive in
// frame pixels whatever the window's size.
extern "C" {
#include <libavcodec/avcodec.h>
}
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "gfx/pixel_format.h"
#include "platform/sdl/sdl_platform.h"
#include "support/test_support.h"

namespace tessera {
namespace {

// A PNG file decoded by FFmpeg into packed RGB rows (empty when it is not one).
std::vector<uint8_t> DecodePngFile(const std::filesystem::path& path, int& width, int& height) {
  std::vector<uint8_t> png = test::ReadBytes(path.string());
  const size_t size = png.size();
  png.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PNG);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  packet->data = png.data();
  packet->size = static_cast<int>(size);
  std::vector<uint8_t> rgb;
  if (avcodec_open2(context, codec, nullptr) == 0 && avcodec_send_packet(context, packet) == 0 &&
      avcodec_receive_frame(context, frame) == 0 && frame->format == AV_PIX_FMT_RGB24) {
    width = frame->width;
    height = frame->height;
    for (int y = 0; y < height; ++y)
      rgb.insert(rgb.end(), frame->data[0] + y * frame->linesize[0], frame->data[0] + y * frame->linesize[0] + width * 3);
  }
  av_frame_free(&frame);
  packet->data = nullptr;
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return rgb;
}

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SdlOptions options;
    options.scale = 1;
    options.screenshotDir = shots;
    options.remember = [this](const WindowChoice& choice) { remembered.push_back(choice); };
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
  std::unique_ptr<SdlPlatform> platform;
};

TEST_F(SdlWindowTest, AltEnterTogglesFullScreenAndBackAndNoWindowKeyReachesTheGame) {
  WindowChoice choice;
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
  ASSERT_TRUE(platform->ReadWindowChoice(choice));
  EXPECT_TRUE(choice.fullScreen);
  EXPECT_EQ(choice.width, 800);  // the size it goes back to
  EXPECT_EQ(choice.height, 600);

  Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT);
  Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT);
  Drain();
  ASSERT_TRUE(platform->ReadWindowChoice(choice));
  EXPECT_FALSE(choice.fullScreen);
  EXPECT_EQ(choice.width, 800);
  EXPECT_EQ(choice.height, 600);
}

TEST_F(SdlWindowTest, TheWindowIsRememberedOnceWhenItClosesFullScreenWithItsEarlierSize) {
  Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  std::vector<WindowMessage> messages = Drain();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().kind, MessageKind::Close);
  platform->ReleaseDisplay();
  ASSERT_EQ(remembered.size(), 1u);
  EXPECT_TRUE(remembered[0].fullScreen);
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

  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(shots)) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 2u);  // two presses within a second: two files
  const std::string log = test::ReadText(dir / "log.txt");
  for (const auto& file : files) {
    EXPECT_EQ(file.extension(), ".png");
    EXPECT_NE(log.find(file.string()), std::string::npos) << log;
    int width = 0, height = 0;
    const std::vector<uint8_t> rgb = DecodePngFile(file, width, height);
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 600);
    // The same widening of 5- and 6-bit channels as the frame dumps.
    for (size_t i = 0; i < frame.size(); ++i) {
      const Rgb c = UnpackPixel(frame[i]);
      ASSERT_TRUE(rgb[i * 3] == c.r && rgb[i * 3 + 1] == c.g && rgb[i * 3 + 2] == c.b) << "pixel " << i;
    }
  }
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
  motion(1199, -40);
  SDL_Event press{};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.button = SDL_BUTTON_LEFT;
  press.button.clicks = 1;
  press.button.x = 999;
  press.button.y = 0;
  SDL_PushEvent(&press);
  std::vector<std::pair<int, int>> at;
  std::vector<WindowMessage> messages = Drain();
  for (const WindowMessage& m : messages) at.emplace_back(m.x, m.y);
  EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{400, 300}, {0, 599}, {799, 0}, {799, 0}}));
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0].held, HELD_LEFT);
  EXPECT_EQ(messages[3].kind, MessageKind::ButtonDown);
}

}  // namespace
}  // namespace tessera
