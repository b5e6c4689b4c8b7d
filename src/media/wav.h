#pragma once
// RIFF WAVE reading in four steps: open and read the format, position at the
// sample data, copy the samples, close. The samples are handed on exactly as
// the file holds them; nothing is converted here.
#include <cstdint>
#include <memory>
#include <vector>

#include "app/files.h"

namespace tessera {

enum WavResult : int {
  WAV_OK = 0,
  WAV_ERR_NO_MEMORY = 0xE000,
  WAV_ERR_OPEN = 0xE100,
  WAV_ERR_FORMAT = 0xE101,     // not RIFF WAVE, short "fmt ", or extra format bytes missing
  WAV_ERR_READ = 0xE102,       // the 16 format bytes or the extra size came up short
  WAV_ERR_TRUNCATED = 0xE103,  // the file ended before the requested sample bytes
  // The chunk reader's own failures.
  WAV_ERR_CHUNK_NOT_FOUND = 0xE104,
  WAV_ERR_SEEK = 0xE105,
  WAV_ERR_IO = 0xE106,  // the host reported a read error (not an end of file)
  WAV_ERR_NOT_OPEN = 0xE107,
};

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// A chunk as the reader navigates it. `dataOffset` is where the chunk's data
// begins in the file (for "RIFF" that is the form type).
struct WaveChunk {
  uint32_t id = 0;
  uint32_t size = 0;
  uint32_t formType = 0;
  uint64_t dataOffset = 0;
};

// The "fmt " record as handed to the sound buffer: the 16 bytes of the chunk,
// the extra size (0 for PCM) and that many extra bytes.
struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;
  std::vector<uint8_t> extra;

  size_t RecordSize() const { return 18u + extraSize; }
};
using WaveFormatPtr = std::unique_ptr<WaveFormat>;

// A buffered reader with RIFF chunk navigation. Every move is checked against
// the real size of the file, so a chunk that claims more than the file holds
// can never lead the reader astray.
class RiffFile {
 public:
  // Null when the composed path cannot be opened for reading.
  static std::unique_ptr<RiffFile> Open(const char* composedPath);

  uint64_t Size() const { return size_; }
  uint64_t Tell() const { return position_; }
  bool Seek(uint64_t offset);
  // Copies up to `count` bytes; fewer only at the end of the file or on an error.
  size_t Read(void* destination, size_t count);
  bool Failed() const { return failed_; }

  // Reads the chunk header at the current position into `chunk`, or with a
  // parent and `find`, searches the parent's children from the current position
  // for `chunk.id` (sizes rounded up to even). On success the reader stands at
  // the chunk's data.
  int Descend(WaveChunk& chunk, const WaveChunk* parent, bool find);
  // Moves past the end of `chunk` (and its pad byte).
  int Ascend(const WaveChunk& chunk);

 private:
  explicit RiffFile(FilePtr file, uint64_t size) : file_(std::move(file)), size_(size) {}
  bool ReadHeader(WaveChunk& chunk);

  // Copies up to `count` bytes at the current position straight from the file.
  size_t ReadFromFile(uint8_t* destination, size_t count);

  FilePtr file_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  bool failed_ = false;
  // Read-ahead of the chunk headers; seeks within it cost nothing.
  std::unique_ptr<uint8_t[]> buffer_;
  uint64_t bufferAt_ = 0;
  size_t bufferLength_ = 0;
};
using RiffFilePtr = std::unique_ptr<RiffFile>;

// On success: the open file stands just after the "fmt " chunk, `format` holds
// the format record and `riff` the RIFF chunk. On failure all three are empty.
int WavOpen(const char* fileName, RiffFilePtr& file, WaveFormatPtr& format, WaveChunk& riff);
// Finds the "data" chunk (before or after "fmt ") and stands at its first byte.
int WavSeekData(RiffFile* file, const WaveChunk& riff, WaveChunk& data);
// Copies at most `count` bytes of the data chunk; `data.size` counts down, so
// the chunk record doubles as the read position.
int WavRead(RiffFile* file, uint32_t count, uint8_t* destination, WaveChunk& data, uint32_t& bytesRead);
int WavClose(RiffFilePtr& file, WaveFormatPtr& format);

}  // namespace tessera
