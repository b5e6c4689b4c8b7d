#include "bench_files.h"

#include <cstring>
#include <fstream>

#include "gfx/bmp.h"
#include "gfx/bmp_write.h"

namespace bench {

namespace {

void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutU16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutTag(Bytes& b, size_t at, const char* tag) { std::memcpy(&b[at], tag, 4); }

}  // namespace

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, Bytes(text.begin(), text.end()));
}

Bytes PackArchive(const std::vector<std::pair<std::string, Bytes>>& members) {
  Bytes archive(tessera::ARCHIVE_INDEX_END, 0);
  PutU32(archive, 0, static_cast<uint32_t>(members.size()));
  for (size_t i = 0; i < members.size(); ++i) {
    const size_t entry = 4 + i * tessera::ARCHIVE_ENTRY_SIZE;
    std::memcpy(&archive[entry], members[i].first.c_str(), members[i].first.size());
    PutU32(archive, entry + tessera::ARCHIVE_NAME_SIZE, static_cast<uint32_t>(archive.size()));
    archive.insert(archive.end(), members[i].second.begin(), members[i].second.end());
  }
  return archive;
}

Bytes NoiseBmp(int width, int height, uint32_t seed, bool holes) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      const bool hole = holes && (x / 4 + y / 4) % 4 == 0;
      for (int c = 0; c < 3; ++c) p[c] = hole ? 0 : static_cast<uint8_t>(((seed = seed * 1103515245 + 12345) >> 16) | 8);
    }
  return tessera::EncodeBmp24(width, height, rgb.data());
}

Bytes PcmWave(uint32_t samplesPerSec, uint16_t channels, uint16_t bitsPerSample, uint32_t dataBytes) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  // RIFF header 12, LIST chunk 8 + 18, fmt chunk 8 + 16, data chunk 8 + data (padded to even).
  constexpr size_t kList = 12, kFmt = kList + 8 + 18, kData = kFmt + 8 + 16;
  const size_t padded = dataBytes + (dataBytes % 2);
  Bytes w(kData + 8 + padded, 0);
  PutTag(w, 0, "RIFF");
  PutU32(w, 4, static_cast<uint32_t>(w.size() - 8));
  PutTag(w, 8, "WAVE");
  PutTag(w, kList, "LIST");
  PutU32(w, kList + 4, 18);
  PutTag(w, kList + 8, "INFO");
  PutTag(w, kList + 12, "ISFT");
  PutU32(w, kList + 16, 6);
  std::memcpy(&w[kList + 20], "bench", 6);
  PutTag(w, kFmt, "fmt ");
  PutU32(w, kFmt + 4, 16);
  PutU16(w, kFmt + 8, 1);
  PutU16(w, kFmt + 10, channels);
  PutU32(w, kFmt + 12, samplesPerSec);
  PutU32(w, kFmt + 16, samplesPerSec * blockAlign);
  PutU16(w, kFmt + 20, blockAlign);
  PutU16(w, kFmt + 22, bitsPerSample);
  PutTag(w, kData, "data");
  PutU32(w, kData + 4, dataBytes);
  uint32_t seed = 7;
  for (uint32_t i = 0; i < dataBytes; ++i) w[kData + 8 + i] = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
  return w;
}

}  // namespace bench
