#include "media/movie.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/files.h"
#include "app/frame_pump.h"
#include "app/input_state.h"
#include "app/log.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"
#include "media/sound.h"
#include "platform/audio.h"
#include "platform/file_system.h"
#include "platform/movie.h"
#include "platform/platform.h"

namespace tessera {

namespace {

// How far the sound track is decoded ahead of the picture, so the stream never
// runs dry between two frames.
constexpr uint32_t kAudioLeadMs = 300;
// A frame this late is decoded but not drawn, so the picture catches up with
// the sound.
constexpr uint32_t kDropLateMs = 100;
// No frame holds the movie up longer than this past the one before it,
// whatever its time stamp claims.
constexpr uint32_t kMaxFrameGapMs = 10000;

struct MovieState {
  std::unique_ptr<MovieDecoder> decoder;
  AudioDevice* stream = nullptr;  // the sound device while it plays our track
};
MovieState g_movie;

bool SkipRequested(bool skip) {
  return skip && (InputState.LastKey == VK_ESCAPE || InputState.MouseEvent == MOUSE_LEFT_UP);
}

// Feeds the sound track up to `until` of movie time; never waits on the device.
class TrackFeeder {
 public:
  TrackFeeder(MovieDecoder& decoder, AudioDevice* device) : decoder_(decoder), device_(device) {}

  void FeedUntil(uint32_t until) {
    if (!device_ || fedMs_ >= until) return;
    pcm_.clear();
    decoder_.DecodeAudioUntil(until, pcm_);
    if (pcm_.empty()) {
      fedMs_ = until;  // nothing more for now; ask again when the picture moves on
      return;
    }
    device_->QueueStream(pcm_.data(), pcm_.size());
    fedBytes_ += pcm_.size();
    const uint32_t rate = std::max<uint32_t>(decoder_.AudioFormat().avgBytesPerSec, 1);
    fedMs_ = std::max(fedMs_, static_cast<uint32_t>(std::min<uint64_t>(fedBytes_ * 1000 / rate, UINT32_MAX)));
  }

 private:
  MovieDecoder& decoder_;
  AudioDevice* device_;
  std::vector<uint8_t> pcm_;
  uint64_t fedBytes_ = 0;
  uint32_t fedMs_ = 0;
};

// Copies a frame into the back buffer at (left, top), clipped to the screen.
void DrawFrame(const std::vector<uint16_t>& pixels, int width, int height, int left, int top) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) return;
  const int x0 = std::max(0, -left), y0 = std::max(0, -top);
  const int x1 = std::min(width, SCREEN_WIDTH - left), y1 = std::min(height, SCREEN_HEIGHT - top);
  if (x0 >= x1 || y0 >= y1) return;
  for (int y = y0; y < y1; ++y)
    std::memcpy(&BackBuffer[static_cast<size_t>(top + y) * SCREEN_WIDTH + left + x0],
                &pixels[static_cast<size_t>(y) * width + x0], static_cast<size_t>(x1 - x0) * sizeof(uint16_t));
}

void Fail(const char* message) {
  WriteLog(message);
  CloseMovie();
}

// A movie still on its way (a web page brings a campaign's files while the game
// runs) is waited for with the frames going on, so that the player can skip it
// before it arrives as while it plays; false when the player did. Asked before
// the path is mapped: mapping a path waits for its file.
bool AwaitMovie(const char* fileName, bool skip) {
  std::string path = fileName;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (!HostArriving(path)) return true;
  std::fprintf(stderr, "waiting for %s to arrive\n", path.c_str());
  do {
    PumpFrame();
    if (SkipRequested(skip)) return false;
  } while (HostArriving(path));
  return true;
}

}  // namespace

void PlayMovie(const char* fileName, bool skip) {
  ClearFrameInput();
  if (!fileName) fileName = "";
  Trace("movie %s", fileName);
  if (AwaitMovie(fileName, skip) && OpenMovie(fileName) == 1) RunMovie(skip);
  // The key or click that ended the movie is not for the next screen.
  ClearFrameInput();
}

int OpenMovie(const char* fileName) {
  CloseMovie();
  std::string error;
  g_movie.decoder = Sys().OpenMovie(HostPath(fileName ? fileName : ""), error);
  if (!g_movie.decoder) {
    Fail(error.empty() ? "MMStream OpenFile failed" : error.c_str());
    return 0;
  }
  return 1;
}

void RunMovie(bool skip) {
  if (!g_movie.decoder) return;
  MovieDecoder& decoder = *g_movie.decoder;
  if (!decoder.HasVideo()) return Fail("MMStream GetMediaStream failed");
  const ChannelMasks masks{PixelFormat.red.mask, PixelFormat.green.mask, PixelFormat.blue.mask};
  std::string error;
  if (!decoder.StartVideo(masks, SCREEN_WIDTH, SCREEN_HEIGHT, error)) return Fail(error.c_str());
  {
    SurfaceLock lock;
    if (!Sys().LockSurface(lock)) return Fail("lpDDSPrimary7 didn't initialized");
    Sys().UnlockSurface();
  }
  const int width = std::min(decoder.Width(), SCREEN_WIDTH);
  const int height = std::min(decoder.Height(), SCREEN_HEIGHT);
  if (width <= 0 || height <= 0) return Fail("DDERR_INVALIDRECT");
  const int left = static_cast<int>(static_cast<uint32_t>(SCREEN_WIDTH - width) >> 1);
  const int top = static_cast<int>(static_cast<uint32_t>(SCREEN_HEIGHT - height) >> 1);

  AudioDevice* device = SoundDevice();
  if (device && decoder.HasAudio() && device->OpenStream(decoder.AudioFormat())) g_movie.stream = device;
  TrackFeeder track(decoder, g_movie.stream);

  Platform& sys = Sys();
  const uint32_t start = sys.Milliseconds();
  auto elapsed = [&] { return sys.Milliseconds() - start; };
  // Pumps until movie time `until`, at least once; false when the player skipped.
  auto waitUntil = [&](uint32_t until) {
    do {
      PumpFrame();
      if (SkipRequested(skip)) return false;
      track.FeedUntil(elapsed() + kAudioLeadMs);
    } while (static_cast<int32_t>(elapsed() - until) < 0);
    return true;
  };

  std::vector<uint16_t> pixels;
  uint32_t frameAt = 0, frameEnd = 0;
  bool finished = true;
  track.FeedUntil(kAudioLeadMs);
  for (;;) {
    uint32_t pts = 0, duration = 0;
    if (!decoder.NextVideoFrame(pixels, pts, duration)) break;
    // Movie time only moves forward: a frame stamped before its predecessor
    // is shown at once, and none waits longer than kMaxFrameGapMs.
    const uint32_t latest = frameAt > UINT32_MAX - kMaxFrameGapMs ? UINT32_MAX : frameAt + kMaxFrameGapMs;
    frameAt = std::clamp(pts, frameAt, latest);
    if (!waitUntil(frameAt)) {
      finished = false;
      break;
    }
    if (elapsed() - frameAt <= kDropLateMs) {
      DrawFrame(pixels, decoder.Width(), decoder.Height(), left, top);
      PresentFrame(BackBuffer);
    }
    frameEnd = frameAt + std::min(duration, kMaxFrameGapMs);
  }
  // The last picture stays for its own time, as every other did.
  if (finished && static_cast<int32_t>(frameEnd - elapsed()) > 0) waitUntil(frameEnd);
  CloseMovie();
}

void CloseMovie() {
  if (g_movie.stream) g_movie.stream->CloseStream();
  g_movie.stream = nullptr;
  g_movie.decoder.reset();
}

}  // namespace tessera
