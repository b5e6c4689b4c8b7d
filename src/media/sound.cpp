#include "media/sound.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/files.h"
#include "app/log.h"
#include "media/wav.h"
#include "platform/audio.h"
#include "platform/platform.h"

namespace tessera {

uint32_t ChannelEndTime[SOUND_CHANNELS] = {};
uint32_t LastDuration = 0;

namespace {

struct SoundState {
  std::unique_ptr<AudioDevice> device;
  std::string deviceError;
  std::array<bool, SOUND_CHANNELS> holds{};
};
SoundState g_sound;

// The player's volumes live with the game's settings, a layer above this one,
// which binds them here; unbound, both are at full level.
const int32_t* g_musicVolume = nullptr;
const int32_t* g_soundVolume = nullptr;

int MusicVolumeSetting() { return g_musicVolume ? *g_musicVolume : 100; }
int SoundVolumeSetting() { return g_soundVolume ? *g_soundVolume : 100; }

bool ValidChannel(int n) { return n >= 0 && n < SOUND_CHANNELS; }

void EmptyChannel(int n) {
  if (!g_sound.holds[n]) return;
  if (g_sound.device) g_sound.device->ReleaseVoice(n);
  g_sound.holds[n] = false;
}

// The format the voice is given. An extensible record names its real tag in
// the first two bytes of its sub-format.
PcmFormat VoiceFormat(const WaveFormat& f) {
  PcmFormat p;
  p.formatTag = f.formatTag;
  if (f.formatTag == 0xFFFE && f.extraSize >= 22 && f.extra.size() >= 22 && f.extra[8] == 0 && f.extra[9] == 0)
    p.formatTag = static_cast<uint16_t>(f.extra[6] | f.extra[7] << 8);
  p.channels = f.channels;
  p.samplesPerSec = f.samplesPerSec;
  p.avgBytesPerSec = f.avgBytesPerSec;
  p.blockAlign = f.blockAlign;
  p.bitsPerSample = f.bitsPerSample;
  return p;
}

// Milliseconds of `bytes` at `avgBytesPerSec`. The product needs 64 bits: in 32
// it wraps for anything longer than about 24 s of CD audio and the channel
// would count as free long before its sound ends.
uint32_t PlayTime(uint64_t bytes, uint32_t avgBytesPerSec) {
  uint64_t ms = bytes * 1000 / avgBytesPerSec;
  // End times are compared as signed differences; keep them within reach.
  return static_cast<uint32_t>(std::min<uint64_t>(ms, INT32_MAX));
}

int LoadChannel(const char* fileName, int n) {
  EmptyChannel(n);

  RiffFilePtr file;
  WaveFormatPtr format;
  WaveChunk riff;
  if (WavOpen(fileName, file, format, riff) != WAV_OK) return 0;
  WaveChunk data;
  if (WavSeekData(file.get(), riff, data) != WAV_OK) {
    WavClose(file, format);
    return 0;
  }
  // No voice for an empty block or a format without a byte rate; and a data
  // chunk that claims more than the file holds is refused before its block is
  // allocated, as its read would come up short anyway.
  const uint64_t available = file->Size() - std::min(file->Size(), file->Tell());
  if (data.size == 0 || format->avgBytesPerSec == 0 || data.size > available) {
    WavClose(file, format);
    return 0;
  }
  std::vector<uint8_t> block;
  try {
    block.resize(data.size);
  } catch (const std::bad_alloc&) {
    WavClose(file, format);
    return 0;
  }
  uint32_t got = 0;
  if (WavRead(file.get(), data.size, block.data(), data, got) != WAV_OK) {
    WavClose(file, format);
    return 0;
  }
  if (g_sound.device && !g_sound.device->LoadVoice(n, VoiceFormat(*format), block.data(), got)) {
    WavClose(file, format);
    return 0;
  }
  g_sound.holds[n] = true;
  LastDuration = PlayTime(got, format->avgBytesPerSec);
  WavClose(file, format);
  return 1;
}

int StartChannel(int n, bool loop) {
  if (!g_sound.holds[n]) return 0;
  if (g_sound.device) g_sound.device->PlayVoice(n, loop);
  return 1;
}

int SetChannelVolume(int n, int volume) {
  if (!ValidChannel(n) || !g_sound.holds[n]) return 0;
  const int hundredths = (volume * 10000 + 1500000) / 250 - 10000;
  if (hundredths > 0 || hundredths < VOICE_VOLUME_MIN) return 0;
  if (!g_sound.device) return 1;
  return g_sound.device->SetVoiceVolume(n, hundredths) ? 1 : 0;
}

// The first effect channel whose sound has played through; else the one that
// finishes soonest, the lower channel on ties.
int ChooseEffectChannel(uint32_t now) {
  for (int n = 0; n < MUSIC_CHANNEL; ++n)
    if (ChannelEndTime[n] <= now) return n;
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int n = 0; n < MUSIC_CHANNEL; ++n) {
    int64_t distance = std::llabs(static_cast<int64_t>(static_cast<int32_t>(now - ChannelEndTime[n])));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = n;
    }
  }
  return best;
}

bool FileOpens(const char* fileName) { return fileName && OpenFile(fileName, "rb") != nullptr; }

}  // namespace

bool InitSound() {
  ReleaseSound();
  std::fill(std::begin(ChannelEndTime), std::end(ChannelEndTime), 0u);
  LastDuration = 0;
  std::string error;
  g_sound.device = Sys().OpenAudio(error);
  g_sound.deviceError = g_sound.device ? "" : (error.empty() ? "no audio device" : error);
  return true;
}

void ReleaseSound() {
  for (int n = 0; n < SOUND_CHANNELS; ++n) EmptyChannel(n);
  g_sound.device.reset();
}

bool HaveSoundDevice() { return g_sound.device != nullptr; }

const char* SoundDeviceError() { return g_sound.deviceError.c_str(); }

AudioDevice* SoundDevice() { return g_sound.device.get(); }

bool ChannelHoldsSound(int channel) { return ValidChannel(channel) && g_sound.holds[channel]; }

void PlayMusic(const char* fileName, bool loop) {
  LastDuration = 0;
  if (!FileOpens(fileName)) return;
  Trace("sound %d %s %d", MUSIC_CHANNEL, fileName, loop ? 1 : 0);
  LoadChannel(fileName, MUSIC_CHANNEL);
  SetMusicVolume(MusicVolumeSetting());
  StartChannel(MUSIC_CHANNEL, loop);
  ChannelEndTime[MUSIC_CHANNEL] = Sys().Milliseconds() + LastDuration;
}

void PlayEffect(const char* fileName, bool loop) {
  LastDuration = 0;
  if (!FileOpens(fileName)) return;
  const int n = ChooseEffectChannel(Sys().Milliseconds());
  Trace("sound %d %s %d", n, fileName, loop ? 1 : 0);
  LoadChannel(fileName, n);
  SetSoundVolume(SoundVolumeSetting());
  StartChannel(n, loop);
  ChannelEndTime[n] = Sys().Milliseconds() + LastDuration;
}

int SetMusicVolume(int volume) { return SetChannelVolume(MUSIC_CHANNEL, volume); }

int SetSoundVolume(int volume) {
  int result = 0;
  for (int n = 0; n < MUSIC_CHANNEL; ++n) result = SetChannelVolume(n, volume);
  return result;
}

void StopMusic() { EmptyChannel(MUSIC_CHANNEL); }

void BindVolumeSettings(const int32_t* musicVolume, const int32_t* soundVolume) {
  g_musicVolume = musicVolume;
  g_soundVolume = soundVolume;
}

}  // namespace tessera
