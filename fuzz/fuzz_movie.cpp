// Movie files: open any bytes, then decode a few frames and a little sound.
// Frames are always the promised size, sound whole sample frames.

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/backends.h"
#include "platform/movie.h"

using namespace tessera;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();
  if (!world.Write("Movie.avi", data, size)) return 0;

  std::string error;
  auto movie = OpenFfmpegMovie(world.dir() + "/Movie.avi", error);
  if (!movie) {
    fuzz::Require(!error.empty(), "failed open without a message");
    return 0;
  }
  if (movie->HasVideo()) {
    const ChannelMasks rgb565{0xF800, 0x07E0, 0x001F};
    if (movie->StartVideo(rgb565, 800, 600, error)) {
      const int w = movie->Width(), h = movie->Height();
      fuzz::Require(w >= 1 && w <= 800 && h >= 1 && h <= 600, "frame size outside the screen");
      std::vector<uint16_t> pixels;
      for (int frame = 0; frame < 4; ++frame) {
        uint32_t pts = 0, duration = 0;
        if (!movie->NextVideoFrame(pixels, pts, duration)) break;
        fuzz::Require(pixels.size() == static_cast<size_t>(w) * h, "frame of another size");
        fuzz::Require(pts <= INT32_MAX, "time beyond the clock");
      }
    } else {
      fuzz::Require(!error.empty(), "video refused without a message");
    }
  }
  if (movie->HasAudio()) {
    const PcmFormat format = movie->AudioFormat();
    fuzz::Require(format.bitsPerSample == 16 && (format.channels == 1 || format.channels == 2),
                  "sound not 16-bit mono or stereo");
    std::vector<uint8_t> pcm;
    movie->DecodeAudioUntil(200, pcm);
    fuzz::Require(pcm.size() % format.blockAlign == 0, "sound cut inside a sample frame");
  }
  return 0;
}
