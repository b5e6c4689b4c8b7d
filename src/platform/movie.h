#pragma once
// Movie decoder: the primary video stream converted to the display's 16-bit
// layout, and the primary audio stream as interleaved 16-bit PCM.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/platform.h"

namespace tessera {

class MovieDecoder {
 public:
  virtual ~MovieDecoder() = default;

  virtual bool HasVideo() const = 0;
  // Opens the video decoder and the converter into the layout of `masks`, at
  // the movie's own size or, when that exceeds maxWidth x maxHeight, scaled
  // down to fit with its proportions kept. False with the failing step's
  // message in `error`.
  virtual bool StartVideo(const ChannelMasks& masks, int maxWidth, int maxHeight, std::string& error) = 0;
  // The size frames come out at (after StartVideo).
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Decodes the next video frame into `pixels` (Width x Height, row-major);
  // `ptsMs` is its presentation time from the movie's start and `durationMs`
  // how long it stays (0 when unknown). False at the end of the stream or on
  // an error the stream cannot recover from.
  virtual bool NextVideoFrame(std::vector<uint16_t>& pixels, uint32_t& ptsMs, uint32_t& durationMs) = 0;

  virtual bool HasAudio() const = 0;
  // The format DecodeAudioUntil delivers: 16-bit PCM, one or two channels.
  virtual PcmFormat AudioFormat() const = 0;
  // Appends decoded sound up to at least `ptsMs` of movie time to `out` (less
  // at the end of the track). Never waits.
  virtual void DecodeAudioUntil(uint32_t ptsMs, std::vector<uint8_t>& out) = 0;
};

}  // namespace tessera
