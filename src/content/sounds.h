#pragma once
// Synthesized sound effects and music loops, written as small PCM WAV files.
#include <string>
#include <vector>

#include "content/common.h"

namespace tessera::content {

constexpr int SOUND_RATE = 22050;

// 16-bit mono PCM samples to a RIFF WAVE file.
Bytes EncodeWav(const std::vector<int16_t>& samples, int rate = SOUND_RATE);

struct NamedSound {
  std::string path;  // relative to the game folder, '/' separated
  Bytes wav;
};

// The fixed effects ("Sound/...") and jingles ("Music/Success.wav", "Music/Failed.wav").
std::vector<NamedSound> MakeEffects();
// A short music loop for the music folder.
std::vector<int16_t> MakeMusicLoop(const std::string& name);

}  // namespace tessera::content
