#pragma once
// Four effect channels and one music channel. Every play opens the file anew.
#include <cstdint>

namespace tessera {

class AudioDevice;

constexpr int MUSIC_CHANNEL = 4;
constexpr int SOUND_CHANNELS = 5;

// When the sound last started on each channel will have played once through,
// on the Sys().Milliseconds() clock; all 0 at start.
extern uint32_t ChannelEndTime[SOUND_CHANNELS];
// Play time of the most recently loaded sound; 0 when the latest load failed.
extern uint32_t LastDuration;

// Opens the audio device. Without one the game runs silent (still true) and
// the channels keep their bookkeeping all the same.
bool InitSound();
void ReleaseSound();
// Whether an audio device was opened, and why not when it was not.
bool HaveSoundDevice();
const char* SoundDeviceError();
void PlayMusic(const char* fileName, bool loop);
void PlayEffect(const char* fileName, bool loop);
int SetMusicVolume(int volume);
int SetSoundVolume(int volume);
void StopMusic();

// Where the player's volumes (0..100) are read when a sound starts; the game's
// settings bind themselves here. Unbound, both are at full level.
void BindVolumeSettings(const int32_t* musicVolume, const int32_t* soundVolume);

// Whether the channel holds a loaded sound.
bool ChannelHoldsSound(int channel);
// The device movies stream their sound track to; null when running silent.
AudioDevice* SoundDevice();

}  // namespace tessera
