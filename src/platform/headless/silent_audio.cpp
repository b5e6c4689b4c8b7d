// The audio device of headless runs: takes every sound as a real device would
// and plays nothing, so the channel rules above it run unchanged.
#include <array>

#include "platform/backends.h"

namespace tessera {

namespace {

constexpr int kVoices = 5;

class SilentAudio : public AudioDevice {
 public:
  bool LoadVoice(int voice, const PcmFormat&, const uint8_t*, size_t) override {
    if (!Valid(voice)) return false;
    loaded_[voice] = true;
    return true;
  }
  void PlayVoice(int, bool) override {}
  void ReleaseVoice(int voice) override {
    if (Valid(voice)) loaded_[voice] = false;
  }
  bool SetVoiceVolume(int voice, int hundredthsDb) override {
    return Valid(voice) && loaded_[voice] && hundredthsDb <= 0 && hundredthsDb >= VOICE_VOLUME_MIN;
  }

  // The stream is played the moment it is queued.
  bool OpenStream(const PcmFormat&) override { return true; }
  void QueueStream(const uint8_t*, size_t) override {}
  uint32_t StreamQueuedMs() override { return 0; }
  void CloseStream() override {}

 private:
  static bool Valid(int voice) { return voice >= 0 && voice < kVoices; }
  std::array<bool, kVoices> loaded_{};
};

}  // namespace

std::unique_ptr<AudioDevice> CreateSilentAudio() { return std::make_unique<SilentAudio>(); }

}  // namespace tessera
