#pragma once
// Movie decoder: the primary video stream converted to the display's 16-bit
// layout, and the primary audio stream as interleaved PCM.
#include <cstdint>
#include <vector>

#include "platform/audio.h"
#include "platform/platform.h"

namespace tessera {

class MovieDecoder {
 public:
  virtual ~MovieDecoder() = default;

  virtual bool HasVideo() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Decodes the next video frame into `pixels` (Width x Height, row-major),
  // packed with `masks`; `ptsMs` is its presentation time from the movie's start.
  // False at the end of the stream or on a decoding error.
  virtual bool NextVideoFrame(const ChannelMasks& masks, std::vector<uint16_t>& pixels, uint32_t& ptsMs) = 0;

  virtual bool HasAudio() const = 0;
  virtual PcmFormat AudioFormat() const = 0;
  // Appends decoded sound up to at least `ptsMs` of movie time to `out`.
  virtual void DecodeAudioUntil(uint32_t ptsMs, std::vector<uint8_t>& out) = 0;
};

}  // namespace tessera
