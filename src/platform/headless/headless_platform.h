#pragma once
// The headless back end: a memory surface, a virtual clock that moves only when
// the game sleeps, input from a script or from a driver, frame dumps, silent audio.
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/input_script.h"
#include "platform/platform.h"

namespace tessera {

struct HeadlessOptions {
  uint32_t clockStart = 0;
  bool pixel555 = false;
  int32_t pitch = 1600;          // bytes per surface row (at least 1600)
  uint64_t maxMs = 0;            // 0: no limit
  std::string dumpDir = ".";
  std::vector<ScriptEvent> script;
  LocalTime startTime{2000, 1, 1, 0, 0, 0};
  DesktopSize desktop{1024, 768};
  bool realFonts = true;         // FreeType glyphs (false: no text drawn)
  bool quietMessages = false;    // do not print message boxes
};

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(HeadlessOptions options);
  ~HeadlessPlatform() override;

  DesktopSize ReadDesktopSize() override { return options_.desktop; }
  bool CreateGameWindow(bool, int, int, std::string&) override { return true; }
  bool InitDisplay(std::string&) override;
  std::unique_ptr<AudioDevice> OpenAudio(std::string& error) override;
  bool ReadSurfaceMasks(ChannelMasks& masks) override;
  bool InitInput(std::string&) override { return true; }
  void ReleaseDisplay() override {}
  void ReleaseInput() override {}

  uint32_t Milliseconds() override { return options_.clockStart + static_cast<uint32_t>(elapsed_); }
  void Sleep(uint32_t ms) override { elapsed_ += ms; }
  LocalTime Now() override;

  bool PollMessage(WindowMessage& message) override;
  bool LeftButtonHeld() override { return (held_ & HELD_LEFT) != 0; }

  bool LockSurface(SurfaceLock& lock) override;
  void UnlockSurface() override {}
  void ShowSurface() override { ++framesShown_; }
  bool TakeDueDump(std::string& path) override;

  int ShowMessage(const char* text) override;

  std::unique_ptr<MovieDecoder> OpenMovie(const std::string& hostPath, std::string& error) override;
  std::unique_ptr<GlyphRasterizer> CreateGlyphRasterizer(Charset charset) override;

  // Driver interface (tests, autoplay, monkey): queue a message for the next pump.
  // Button messages take the position of the latest mouse message.
  void Post(const WindowMessage& message);
  uint64_t ElapsedMs() const { return elapsed_; }
  uint64_t FramesShown() const { return framesShown_; }
  const std::vector<uint8_t>& Surface() const { return surface_; }
  int32_t Pitch() const { return options_.pitch; }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  void Track(WindowMessage& message);

  HeadlessOptions options_;
  uint64_t elapsed_ = 0;
  uint64_t framesShown_ = 0;
  size_t nextEvent_ = 0;
  std::vector<bool> delivered_;
  std::deque<WindowMessage> posted_;
  uint32_t held_ = 0;
  int32_t x_ = 0, y_ = 0;
  bool closing_ = false;
  std::vector<uint8_t> surface_;
  std::vector<std::string> messages_;
};

}  // namespace tessera
