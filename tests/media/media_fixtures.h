#pragma once
// Builders and fakes shared by the media tests: WAV bytes, small AVI movies made
// with FFmpeg's encoders, an audio device that records what it is asked to do,
// and a headless platform that hands it out.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/headless/headless_platform.h"
#include "platform/movie.h"

namespace tessera::test {

// ---- WAV bytes ----

std::string Le16(uint16_t v);
std::string Le32(uint32_t v);
// One chunk: identifier, size, data and the pad byte of an odd size.
std::string Chunk(const std::string& id, const std::string& data);
// A chunk header whose size says `declared` whatever follows it.
std::string ChunkHeader(const std::string& id, uint32_t declared);
std::string Riff(const std::string& form, const std::string& body);
// The 16 bytes every "fmt " chunk starts with.
std::string FormatFields(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits);
std::string PcmFmtChunk(uint16_t channels, uint32_t rate, uint16_t bits);
// `count` bytes counting up from `first`, so a copy can be checked byte by byte.
std::string Pattern(size_t count, uint8_t first = 0);
// A whole PCM file of `ms` milliseconds.
std::string PcmWav(uint32_t ms, uint32_t rate = 8000, uint16_t channels = 1, uint16_t bits = 8);

// ---- Audio that records ----

struct AudioRecord {
  std::vector<std::string> calls;  // "load 0", "play 0 loop", "release 4", "volume 1 -2000"
  std::array<PcmFormat, 5> formats{};
  std::array<size_t, 5> bytes{};
  bool rejectLoads = false;  // as a device without that format would

  bool streamOpen = false;
  PcmFormat streamFormat;
  std::vector<uint8_t> stream;

  void Clear() { calls.clear(); }
  bool Saw(const std::string& call) const;
};

class RecordingAudio : public AudioDevice {
 public:
  explicit RecordingAudio(std::shared_ptr<AudioRecord> record) : record_(std::move(record)) {}
  bool LoadVoice(int voice, const PcmFormat& format, const uint8_t* data, size_t bytes) override;
  void PlayVoice(int voice, bool loop) override;
  void ReleaseVoice(int voice) override;
  bool SetVoiceVolume(int voice, int hundredthsDb) override;
  bool OpenStream(const PcmFormat& format) override;
  void QueueStream(const uint8_t* data, size_t bytes) override;
  uint32_t StreamQueuedMs() override { return 0; }
  void CloseStream() override;

 private:
  std::shared_ptr<AudioRecord> record_;
};

// One presented frame: when, and a few pixels of the surface.
struct ShownFrame {
  uint64_t ms = 0;
  size_t streamBytes = 0;  // movie sound handed to the device by then
  std::vector<uint16_t> surface;  // the whole 800x600 surface
};

// A headless platform whose audio device records into `audio` (none when
// `noAudio`), which remembers every presented frame, and whose movies may come
// from a fake decoder.
class MediaPlatform : public HeadlessPlatform {
 public:
  explicit MediaPlatform(HeadlessOptions options, bool initDisplay = true);
  ~MediaPlatform() override;

  std::unique_ptr<AudioDevice> OpenAudio(std::string& error) override;
  void ShowSurface() override;
  std::unique_ptr<MovieDecoder> OpenMovie(const std::string& hostPath, std::string& error) override;

  std::shared_ptr<AudioRecord> audio = std::make_shared<AudioRecord>();
  bool noAudio = false;
  std::string audioError = "no device in this test";
  bool keepFrames = true;
  std::vector<ShownFrame> frames;
  std::function<std::unique_ptr<MovieDecoder>()> fakeMovie;
};

HeadlessOptions QuietMediaOptions();
ScriptEvent KeyAt(uint32_t ms, bool down, uint32_t key);
ScriptEvent ButtonAt(uint32_t ms, MessageKind kind, MouseButton button);

// ---- Movies ----

struct Rgb8 {
  uint8_t r = 0, g = 0, b = 0;
};

struct MovieSpec {
  int width = 64;
  int height = 48;
  int fps = 10;
  // Frame n shows top[n] in its upper half and bottom[n] in its lower half.
  std::vector<Rgb8> top;
  std::vector<Rgb8> bottom;
  int audioRate = 0;  // 0: no sound track
  int audioChannels = 2;
  int audioMs = 0;
};

// The 16-bit sample of the test sound track at sample index i, channel c.
int16_t TrackSample(size_t i, int channel);
// Writes an AVI (MPEG-4 part 2 video, 16-bit PCM sound); false with `error`.
bool WriteMovie(const std::string& hostPath, const MovieSpec& plan, std::string& error);

// True when the 16-bit pixel unpacks to within `tolerance` of the colour.
bool Near(uint16_t pixel, Rgb8 colour, int tolerance = 24);

}  // namespace tessera::test
