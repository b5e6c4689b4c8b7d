// Placeholder until the sound channels land: plays nothing.
#include "media/sound.h"

namespace tessera {

bool InitSound() { return true; }
void ReleaseSound() {}
bool HaveSoundDevice() { return false; }
const char* SoundDeviceError() { return "sound not built yet"; }
void PlayMusic(const char*, bool) {}
void PlayEffect(const char*, bool) {}
int SetMusicVolume(int) { return 0; }
int SetSoundVolume(int) { return 0; }
void StopMusic() {}

}  // namespace tessera
