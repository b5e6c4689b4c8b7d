#pragma once
// Small builders of the files the benchmarks read: whole files, picture
// archives, busy 24-bit pictures and sound files.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bench {

using Bytes = std::vector<uint8_t>;

void WriteBytes(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);

// A picture archive: the member count, 300 index entries, then the members.
Bytes PackArchive(const std::vector<std::pair<std::string, Bytes>>& members);

// A 24-bit BMP of noise from `seed`; with `holes`, blocks of black (the key colour).
Bytes NoiseBmp(int width, int height, uint32_t seed, bool holes);

// A PCM RIFF WAVE with a "LIST" chunk before "fmt " and "data", as editors write them.
Bytes PcmWave(uint32_t samplesPerSec, uint16_t channels, uint16_t bitsPerSample, uint32_t dataBytes);

}  // namespace bench
