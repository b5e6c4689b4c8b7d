// WAV files through all four steps, reading the samples in pieces of varying
// size; the data chunk can never hand out more than it holds or than the file has.
#include <vector>

#include "fuzz_support.h"
#include "media/wav.h"

using namespace tessera;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();
  if (!world.Write("Sound.wav", data, size)) return 0;

  RiffFilePtr file;
  WaveFormatPtr format;
  WaveChunk riff;
  const int opened = WavOpen("Sound.wav", file, format, riff);
  if (opened != WAV_OK) {
    fuzz::Require(!file && !format, "a failed open left the file or the format");
    return 0;
  }
  fuzz::Require(file && format, "an open without file or format");
  fuzz::Require(format->extra.size() == format->extraSize, "extra bytes differ from their count");

  WaveChunk chunk;
  if (WavSeekData(file.get(), riff, chunk) == WAV_OK) {
    fuzz::Require(chunk.dataOffset <= size, "data chunk starts past the end");
    const uint32_t declared = chunk.size;
    uint64_t total = 0;
    // Piece sizes from the input's first bytes: 1, 2, 7, ... up to 4 KiB.
    const uint32_t pieces[] = {1, 2, 7, 64, 511, 4096};
    std::vector<uint8_t> buffer(4096);
    for (int step = 0; step < 4096; ++step) {
      const uint32_t count = pieces[(size > 0 ? data[step % size] : 0) % 6];
      uint32_t got = 0;
      const uint32_t before = chunk.size;
      const int r = WavRead(file.get(), count, buffer.data(), chunk, got);
      fuzz::Require(got <= count, "read more than asked");
      fuzz::Require(got <= before, "read past the data chunk");
      if (r == WAV_OK) fuzz::Require(chunk.size == before - got, "data size did not count down by the bytes read");
      total += got;
      if (r != WAV_OK || got == 0) break;
    }
    fuzz::Require(total <= declared, "read more than the chunk declares");
    fuzz::Require(total <= size, "read more than the file holds");
  }
  fuzz::Require(WavClose(file, format) == WAV_OK && !file && !format, "close left something open");
  return 0;
}
