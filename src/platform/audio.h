#pragma once
// Audio back end: one voice per sound channel (four effects, one music) holding a
// whole PCM block, plus one streaming voice for movie sound tracks.
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tessera {

constexpr uint16_t FORMAT_TAG_PCM = 1;
constexpr uint16_t FORMAT_TAG_FLOAT = 3;

struct PcmFormat {
  uint16_t formatTag = FORMAT_TAG_PCM;  // 1 PCM, 3 IEEE float
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

// Voice volumes are hundredths of a decibel, 0 (full level) down to this.
constexpr int VOICE_VOLUME_MIN = -10000;

// The linear gain of a volume in hundredths of a decibel.
inline float GainFromHundredthsDb(int hundredthsDb) {
  return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  // Replaces whatever the voice held with a copy of `bytes` of PCM data.
  // False when the format cannot be played (the voice is then empty).
  virtual bool LoadVoice(int voice, const PcmFormat& format, const uint8_t* data, size_t bytes) = 0;
  virtual void PlayVoice(int voice, bool loop) = 0;
  virtual void ReleaseVoice(int voice) = 0;  // stop and empty
  // Volume in hundredths of a decibel, VOICE_VOLUME_MIN..0. False for an empty
  // voice or a volume out of range.
  virtual bool SetVoiceVolume(int voice, int hundredthsDb) = 0;

  // Streaming voice for a movie's sound track: 16-bit interleaved PCM at the
  // movie's own rate. Queueing never blocks.
  virtual bool OpenStream(const PcmFormat& format) = 0;
  virtual void QueueStream(const uint8_t* data, size_t bytes) = 0;
  // Milliseconds of queued sound not yet played.
  virtual uint32_t StreamQueuedMs() = 0;
  virtual void CloseStream() = 0;
};

}  // namespace tessera
