// OpenAL Soft on the default device: one source per sound channel with a new
// buffer for every load, and one source fed with a queue of buffers for the
// sound track of a movie.
#include <AL/al.h>
#include <AL/alc.h>

#include <array>
#include <deque>
#include <vector>

#include "platform/backends.h"

namespace tessera {

namespace {

constexpr int kVoices = 5;

struct DeviceCloser {
  void operator()(ALCdevice* d) const { if (d) alcCloseDevice(d); }
};
struct ContextDestroyer {
  void operator()(ALCcontext* c) const {
    if (!c) return;
    if (alcGetCurrentContext() == c) alcMakeContextCurrent(nullptr);
    alcDestroyContext(c);
  }
};

class OpenAlAudio : public AudioDevice {
 public:
  OpenAlAudio(std::unique_ptr<ALCdevice, DeviceCloser> device, std::unique_ptr<ALCcontext, ContextDestroyer> context)
      : device_(std::move(device)), context_(std::move(context)) {
    alGenSources(kVoices, sources_.data());
    float32_ = alIsExtensionPresent("AL_EXT_FLOAT32") == AL_TRUE;
  }

  ~OpenAlAudio() override {
    CloseStream();
    for (int v = 0; v < kVoices; ++v) ReleaseVoice(v);
    alDeleteSources(kVoices, sources_.data());
    // The context goes before the device (member order does the rest).
    context_.reset();
  }

  bool Ready() const { return alGetError() == AL_NO_ERROR; }

  bool LoadVoice(int voice, const PcmFormat& format, const uint8_t* data, size_t bytes) override {
    if (!Valid(voice)) return false;
    ReleaseVoice(voice);
    ALenum alFormat = FormatOf(format);
    size_t frame = FrameBytes(format);
    if (alFormat == 0 || frame == 0 || format.samplesPerSec == 0 || !data) return false;
    bytes -= bytes % frame;  // a partial last frame cannot be played
    if (bytes == 0 || bytes > static_cast<size_t>(INT32_MAX)) return false;
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) return false;
    alBufferData(buffer, alFormat, data, static_cast<ALsizei>(bytes), static_cast<ALsizei>(format.samplesPerSec));
    if (alGetError() != AL_NO_ERROR) {
      alDeleteBuffers(1, &buffer);
      return false;
    }
    // A fresh buffer starts at full level, as a newly created sound buffer does.
    alSourcef(sources_[voice], AL_GAIN, 1.0f);
    alSourcei(sources_[voice], AL_BUFFER, static_cast<ALint>(buffer));
    buffers_[voice] = buffer;
    return true;
  }

  void PlayVoice(int voice, bool loop) override {
    if (!Valid(voice) || buffers_[voice] == 0) return;
    alSourcei(sources_[voice], AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourceRewind(sources_[voice]);
    alSourcePlay(sources_[voice]);
  }

  void ReleaseVoice(int voice) override {
    if (!Valid(voice) || buffers_[voice] == 0) return;
    alSourceStop(sources_[voice]);
    alSourcei(sources_[voice], AL_BUFFER, 0);
    alDeleteBuffers(1, &buffers_[voice]);
    buffers_[voice] = 0;
  }

  bool SetVoiceVolume(int voice, int hundredthsDb) override {
    if (!Valid(voice) || buffers_[voice] == 0) return false;
    if (hundredthsDb > 0 || hundredthsDb < VOICE_VOLUME_MIN) return false;
    alGetError();
    alSourcef(sources_[voice], AL_GAIN, GainFromHundredthsDb(hundredthsDb));
    return alGetError() == AL_NO_ERROR;
  }

  bool OpenStream(const PcmFormat& format) override {
    CloseStream();
    streamFormat_ = FormatOf(format);
    streamFrame_ = FrameBytes(format);
    if (streamFormat_ == 0 || streamFrame_ == 0 || format.samplesPerSec == 0) return false;
    alGetError();
    alGenSources(1, &stream_);
    if (alGetError() != AL_NO_ERROR) {
      stream_ = 0;
      return false;
    }
    streamRate_ = format.samplesPerSec;
    return true;
  }

  void QueueStream(const uint8_t* data, size_t bytes) override {
    if (stream_ == 0 || !data) return;
    partial_.insert(partial_.end(), data, data + bytes);
    size_t whole = partial_.size() - partial_.size() % streamFrame_;
    if (whole == 0) return;
    Reclaim();
    ALuint buffer = 0;
    if (!spare_.empty()) {
      buffer = spare_.back();
      spare_.pop_back();
    } else {
      alGenBuffers(1, &buffer);
    }
    alGetError();
    alBufferData(buffer, streamFormat_, partial_.data(), static_cast<ALsizei>(whole), static_cast<ALsizei>(streamRate_));
    if (alGetError() != AL_NO_ERROR) {
      alDeleteBuffers(1, &buffer);
      partial_.clear();
      return;
    }
    alSourceQueueBuffers(stream_, 1, &buffer);
    queued_.push_back({buffer, whole});
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(whole));
    ALint state = 0;
    alGetSourcei(stream_, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(stream_);  // first queue, or it ran dry
  }

  uint32_t StreamQueuedMs() override {
    if (stream_ == 0) return 0;
    Reclaim();
    uint64_t bytes = 0;
    for (const Queued& q : queued_) bytes += q.bytes;
    ALint offset = 0;
    alGetSourcei(stream_, AL_BYTE_OFFSET, &offset);
    if (offset > 0 && static_cast<uint64_t>(offset) <= bytes) bytes -= static_cast<uint64_t>(offset);
    uint64_t frames = bytes / streamFrame_;
    return static_cast<uint32_t>(frames * 1000 / streamRate_);
  }

  void CloseStream() override {
    if (stream_ != 0) {
      alSourceStop(stream_);
      alSourcei(stream_, AL_BUFFER, 0);  // unqueues everything
      alDeleteSources(1, &stream_);
      stream_ = 0;
    }
    for (const Queued& q : queued_) alDeleteBuffers(1, &q.buffer);
    for (ALuint b : spare_) alDeleteBuffers(1, &b);
    queued_.clear();
    spare_.clear();
    partial_.clear();
  }

 private:
  struct Queued {
    ALuint buffer;
    size_t bytes;
  };

  static bool Valid(int voice) { return voice >= 0 && voice < kVoices; }

  static size_t FrameBytes(const PcmFormat& f) {
    if (f.channels == 0 || f.bitsPerSample == 0 || f.bitsPerSample % 8 != 0) return 0;
    return static_cast<size_t>(f.channels) * (f.bitsPerSample / 8);
  }

  ALenum FormatOf(const PcmFormat& f) const {
    if (f.channels != 1 && f.channels != 2) return 0;
    const bool mono = f.channels == 1;
    if (f.formatTag == FORMAT_TAG_PCM) {
      if (f.bitsPerSample == 8) return mono ? AL_FORMAT_MONO8 : AL_FORMAT_STEREO8;
      if (f.bitsPerSample == 16) return mono ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
      return 0;
    }
    if (f.formatTag == FORMAT_TAG_FLOAT && f.bitsPerSample == 32 && float32_)
      return alGetEnumValue(mono ? "AL_FORMAT_MONO_FLOAT32" : "AL_FORMAT_STEREO_FLOAT32");
    return 0;
  }

  // Takes back the buffers the stream has finished playing.
  void Reclaim() {
    ALint done = 0;
    alGetSourcei(stream_, AL_BUFFERS_PROCESSED, &done);
    while (done-- > 0 && !queued_.empty()) {
      ALuint buffer = 0;
      alSourceUnqueueBuffers(stream_, 1, &buffer);
      queued_.pop_front();
      spare_.push_back(buffer);
    }
  }

  std::unique_ptr<ALCdevice, DeviceCloser> device_;
  std::unique_ptr<ALCcontext, ContextDestroyer> context_;
  std::array<ALuint, kVoices> sources_{};
  std::array<ALuint, kVoices> buffers_{};
  bool float32_ = false;

  ALuint stream_ = 0;
  ALenum streamFormat_ = 0;
  size_t streamFrame_ = 0;
  uint32_t streamRate_ = 0;
  std::deque<Queued> queued_;
  std::vector<ALuint> spare_;
  std::vector<uint8_t> partial_;  // bytes short of a whole frame wait here
};

}  // namespace

std::unique_ptr<AudioDevice> CreateOpenAlAudio(std::string& error) {
  std::unique_ptr<ALCdevice, DeviceCloser> device(alcOpenDevice(nullptr));
  if (!device) {
    error = "cannot open the default audio device";
    return nullptr;
  }
  std::unique_ptr<ALCcontext, ContextDestroyer> context(alcCreateContext(device.get(), nullptr));
  if (!context || alcMakeContextCurrent(context.get()) != ALC_TRUE) {
    error = "cannot create an audio context";
    return nullptr;
  }
  alGetError();
  auto audio = std::make_unique<OpenAlAudio>(std::move(device), std::move(context));
  if (!audio->Ready()) {
    error = "cannot create the audio sources";
    return nullptr;
  }
  return audio;
}

}  // namespace tessera
