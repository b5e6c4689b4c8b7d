#pragma once
// Four effect channels and one music channel. Every play opens the file anew.
#include <cstdint>

namespace tessera {

constexpr int MUSIC_CHANNEL = 4;

// Opens the audio device. Without one the game runs silent (still true).
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

}  // namespace tessera
