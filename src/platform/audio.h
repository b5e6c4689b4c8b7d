#pragma once
// Audio back end: one voice per sound channel (four effects, one music) holding a
// whole PCM block, plus one streaming voice for movie sound tracks.
#include <cstddef>
#include <cstdint>

namespace tessera {

struct PcmFormat {
  uint16_t formatTag = 1;  // 1 PCM, 3 IEEE float
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  // Replaces whatever the voice held with a copy of `bytes` of PCM data.
  // False when the format cannot be played (the voice is then empty).
  virtual bool LoadVoice(int voice, const PcmFormat& format, const uint8_t* data, size_t bytes) = 0;
  virtual void PlayVoice(int voice, bool loop) = 0;
  virtual void ReleaseVoice(int voice) = 0;  // stop and empty
  // Volume in hundredths of a decibel (0 full level, -4000 quietest).
  virtual bool SetVoiceVolume(int voice, int hundredthsDb) = 0;

  // Streaming voice for a movie's sound track.
  virtual bool OpenStream(const PcmFormat& format) = 0;
  virtual void QueueStream(const uint8_t* data, size_t bytes) = 0;
  // Milliseconds of queued sound not yet played.
  virtual uint32_t StreamQueuedMs() = 0;
  virtual void CloseStream() = 0;
};

}  // namespace tessera
