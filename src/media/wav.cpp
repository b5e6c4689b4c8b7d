#include "media/wav.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "app/uninitialised_array.h"
#include "platform/file_system.h"

namespace tessera {

namespace {

constexpr size_t READ_AHEAD = 4096;
constexpr uint32_t ID_RIFF = FourCC('R', 'I', 'F', 'F');
constexpr uint32_t ID_LIST = FourCC('L', 'I', 'S', 'T');
constexpr uint32_t ID_WAVE = FourCC('W', 'A', 'V', 'E');
constexpr uint32_t ID_FMT = FourCC('f', 'm', 't', ' ');
constexpr uint32_t ID_DATA = FourCC('d', 'a', 't', 'a');

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// The end of a chunk's data including its pad byte, in 64 bits so that a size
// near 4 GiB cannot wrap around.
uint64_t ChunkEnd(const WaveChunk& chunk) {
  return chunk.dataOffset + chunk.size + (chunk.size & 1u);
}

}  // namespace

std::unique_ptr<RiffFile> RiffFile::Open(const char* composedPath) {
  if (!composedPath) return nullptr;
  FilePtr f = OpenFile(composedPath, "rb");
  if (!f) return nullptr;
  uint64_t size = 0;
  if (!HostFileSize(f.get(), size)) return nullptr;
  return std::unique_ptr<RiffFile>(new RiffFile(std::move(f), size));
}

// The reader keeps its own read-ahead and reads with positioned reads: chunk
// navigation seeks back and forth over the first bytes of the file, and every
// stdio seek would throw the read-ahead away and cost a system call.
bool RiffFile::Seek(uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
  position_ = offset;
  return true;
}

size_t RiffFile::ReadFromFile(uint8_t* destination, size_t count) {
  size_t done = 0;
  while (done < count) {
    const uint64_t at = position_ + done;
    if (at > static_cast<uint64_t>(INT64_MAX)) break;
    const int64_t got = HostReadAt(file_.get(), at, destination + done, count - done);
    if (got < 0) failed_ = true;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

size_t RiffFile::Read(void* destination, size_t count) {
  auto* out = static_cast<uint8_t*>(destination);
  size_t done = 0;
  while (done < count) {
    if (position_ >= bufferAt_ && position_ - bufferAt_ < bufferLength_) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(count - done, bufferAt_ + bufferLength_ - position_));
      std::memcpy(out + done, buffer_.get() + (position_ - bufferAt_), n);
      done += n;
      position_ += n;
      continue;
    }
    if (count - done >= READ_AHEAD) {  // samples go straight to their destination
      const size_t got = ReadFromFile(out + done, count - done);
      done += got;
      position_ += got;
      break;
    }
    if (!buffer_) buffer_ = MakeUninitialisedArray<uint8_t>(READ_AHEAD);
    bufferAt_ = position_;
    bufferLength_ = ReadFromFile(buffer_.get(), READ_AHEAD);
    if (bufferLength_ == 0) break;
  }
  return done;
}

bool RiffFile::ReadHeader(WaveChunk& chunk) {
  uint8_t header[8];
  if (Read(header, 8) != 8) return false;
  chunk.id = Le32(header);
  chunk.size = Le32(header + 4);
  chunk.formType = 0;
  chunk.dataOffset = position_;
  if (chunk.id == ID_RIFF || chunk.id == ID_LIST) {
    uint8_t form[4];
    if (Read(form, 4) != 4) return false;
    chunk.formType = Le32(form);
  }
  return true;
}

int RiffFile::Descend(WaveChunk& chunk, const WaveChunk* parent, bool find) {
  if (!find || !parent) {
    WaveChunk found;
    if (!ReadHeader(found)) return WAV_ERR_CHUNK_NOT_FOUND;
    chunk = found;
    return WAV_OK;
  }
  // A parent may claim more than the file holds; the file's end bounds the search.
  const uint64_t limit = std::min<uint64_t>(parent->dataOffset + parent->size, size_);
  const uint32_t wanted = chunk.id;
  while (position_ + 8 <= limit) {
    WaveChunk found;
    if (!ReadHeader(found)) return WAV_ERR_CHUNK_NOT_FOUND;
    if (found.id == wanted) {
      chunk = found;
      return WAV_OK;
    }
    const uint64_t next = ChunkEnd(found);
    if (next > limit || !Seek(next)) return WAV_ERR_CHUNK_NOT_FOUND;
  }
  return WAV_ERR_CHUNK_NOT_FOUND;
}

int RiffFile::Ascend(const WaveChunk& chunk) { return Seek(ChunkEnd(chunk)) ? WAV_OK : WAV_ERR_SEEK; }

int WavOpen(const char* fileName, RiffFilePtr& file, WaveFormatPtr& format, WaveChunk& riff) {
  format.reset();
  file = RiffFile::Open(fileName);
  if (!file) return WAV_ERR_OPEN;

  auto fail = [&](int code) {
    format.reset();
    file.reset();
    return code;
  };

  int result = file->Descend(riff, nullptr, false);
  if (result != WAV_OK) return fail(result);
  if (riff.id != ID_RIFF || riff.formType != ID_WAVE) return fail(WAV_ERR_FORMAT);

  WaveChunk fmt;
  fmt.id = ID_FMT;
  result = file->Descend(fmt, &riff, true);
  if (result != WAV_OK) return fail(result);
  if (fmt.size < 16) return fail(WAV_ERR_FORMAT);

  uint8_t head[16];
  if (file->Read(head, 16) != 16) return fail(WAV_ERR_READ);
  uint16_t extraSize = 0;
  if (Le16(head) != 1) {
    uint8_t cb[2];
    if (file->Read(cb, 2) != 2) return fail(WAV_ERR_READ);
    extraSize = Le16(cb);
  }
  // The extra bytes must come from the file; an announced size beyond its end
  // is refused before anything is allocated for it.
  if (extraSize > file->Size() - std::min(file->Size(), file->Tell())) return fail(WAV_ERR_FORMAT);

  try {
    format = std::make_unique<WaveFormat>();
    format->extra.resize(extraSize);
  } catch (const std::bad_alloc&) {
    return fail(WAV_ERR_NO_MEMORY);
  }
  format->formatTag = Le16(head);
  format->channels = Le16(head + 2);
  format->samplesPerSec = Le32(head + 4);
  format->avgBytesPerSec = Le32(head + 8);
  format->blockAlign = Le16(head + 12);
  format->bitsPerSample = Le16(head + 14);
  format->extraSize = extraSize;
  if (extraSize != 0 && file->Read(format->extra.data(), extraSize) != extraSize) return fail(WAV_ERR_FORMAT);

  result = file->Ascend(fmt);
  if (result != WAV_OK) return fail(result);
  return WAV_OK;
}

int WavSeekData(RiffFile* file, const WaveChunk& riff, WaveChunk& data) {
  if (!file) return WAV_ERR_NOT_OPEN;
  if (!file->Seek(riff.dataOffset + 4)) return WAV_ERR_SEEK;
  data = WaveChunk{};
  data.id = ID_DATA;
  return file->Descend(data, &riff, true);
}

int WavRead(RiffFile* file, uint32_t count, uint8_t* destination, WaveChunk& data, uint32_t& bytesRead) {
  bytesRead = 0;
  if (!file) return WAV_ERR_NOT_OPEN;
  const uint32_t n = std::min(count, data.size);
  data.size -= n;
  if (n == 0) return WAV_OK;
  if (!destination) return WAV_ERR_NOT_OPEN;
  if (file->Read(destination, n) != n) return file->Failed() ? WAV_ERR_IO : WAV_ERR_TRUNCATED;
  bytesRead = n;
  return WAV_OK;
}

int WavClose(RiffFilePtr& file, WaveFormatPtr& format) {
  format.reset();
  file.reset();
  return WAV_OK;
}

}  // namespace tessera
