// The OpenAL back end on OpenAL Soft's null output, which mixes like a real
// device without a sound card.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "game/settings.h"
#include "media/media_fixtures.h"
#include "media/sound.h"
#include "platform/backends.h"
#include "platform/process.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class OpenAlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironment("ALSOFT_DRIVERS", "null");
    SetEnvironment("ALSOFT_LOGLEVEL", "0");
    std::string error;
    audio_ = CreateOpenAlAudio(error);
    if (!audio_) GTEST_SKIP() << "OpenAL null output unavailable: " << error;
  }

  static PcmFormat Pcm(uint16_t channels, uint16_t bits, uint32_t rate = 8000, uint16_t tag = FORMAT_TAG_PCM) {
    PcmFormat f;
    f.formatTag = tag;
    f.channels = channels;
    f.bitsPerSample = bits;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
  }

  std::unique_ptr<AudioDevice> audio_;
  std::vector<uint8_t> block_ = std::vector<uint8_t>(8000, 0x80);
};

TEST_F(OpenAlTest, PlaysEightAndSixteenBitMonoAndStereoAtAnyRate) {
  const PcmFormat formats[] = {Pcm(1, 8), Pcm(2, 8, 11025), Pcm(1, 16, 22050), Pcm(2, 16, 44100), Pcm(2, 16, 7350),
                               Pcm(2, 32, 48000, FORMAT_TAG_FLOAT)};  // OpenAL Soft always has float
  for (const PcmFormat& f : formats) {
    SCOPED_TRACE(f.bitsPerSample * 100 + f.channels);
    EXPECT_TRUE(audio_->LoadVoice(1, f, block_.data(), block_.size()));
    EXPECT_TRUE(audio_->SetVoiceVolume(1, -2000));
    audio_->PlayVoice(1, true);
    audio_->PlayVoice(1, false);
  }
}

TEST_F(OpenAlTest, OtherFormatsLeaveTheVoiceEmpty) {
  ASSERT_TRUE(audio_->LoadVoice(2, Pcm(1, 8), block_.data(), block_.size()));
  const PcmFormat formats[] = {Pcm(1, 24), Pcm(3, 16), Pcm(0, 16), Pcm(1, 4), Pcm(2, 16, 0), Pcm(1, 8, 8000, 2)};
  for (const PcmFormat& f : formats) {
    SCOPED_TRACE(f.bitsPerSample * 100 + f.channels);
    EXPECT_FALSE(audio_->LoadVoice(2, f, block_.data(), block_.size()));
    EXPECT_FALSE(audio_->SetVoiceVolume(2, 0));  // nothing left to set
    audio_->PlayVoice(2, false);               // and nothing to play
  }
}

TEST_F(OpenAlTest, BlockShorterThanOneFrameIsRefused) {
  EXPECT_FALSE(audio_->LoadVoice(0, Pcm(2, 16), block_.data(), 3));
  EXPECT_TRUE(audio_->LoadVoice(0, Pcm(2, 16), block_.data(), 7));  // one whole frame and a bit
}

TEST_F(OpenAlTest, VolumeRangeIsFullLevelDownToMinusOneHundredDecibels) {
  ASSERT_TRUE(audio_->LoadVoice(4, Pcm(1, 16), block_.data(), block_.size()));
  EXPECT_TRUE(audio_->SetVoiceVolume(4, 0));
  EXPECT_TRUE(audio_->SetVoiceVolume(4, VOICE_VOLUME_MIN));
  EXPECT_FALSE(audio_->SetVoiceVolume(4, 1));
  EXPECT_FALSE(audio_->SetVoiceVolume(4, VOICE_VOLUME_MIN - 1));
  EXPECT_FALSE(audio_->SetVoiceVolume(5, 0));
  EXPECT_FALSE(audio_->LoadVoice(-1, Pcm(1, 16), block_.data(), block_.size()));
}

TEST_F(OpenAlTest, ReleasedVoiceTakesNoVolume) {
  ASSERT_TRUE(audio_->LoadVoice(3, Pcm(1, 8), block_.data(), block_.size()));
  audio_->PlayVoice(3, true);
  audio_->ReleaseVoice(3);
  EXPECT_FALSE(audio_->SetVoiceVolume(3, -100));
  audio_->ReleaseVoice(3);  // twice is harmless
}

TEST(VolumeGainTest, HundredthsOfADecibelBecomeLinearGain) {
  EXPECT_FLOAT_EQ(GainFromHundredthsDb(0), 1.0f);
  EXPECT_NEAR(GainFromHundredthsDb(-2000), 0.1f, 1e-6);
  EXPECT_NEAR(GainFromHundredthsDb(-4000), 0.01f, 1e-7);
  EXPECT_NEAR(GainFromHundredthsDb(-600), 0.501f, 1e-3);  // -6 dB is about half
}

TEST_F(OpenAlTest, StreamReportsWhatIsQueuedAndDrainsAsItPlays) {
  const PcmFormat f = Pcm(2, 16, 22050);
  ASSERT_TRUE(audio_->OpenStream(f));
  std::vector<uint8_t> half(f.avgBytesPerSec / 2, 0);
  audio_->QueueStream(half.data(), half.size());
  audio_->QueueStream(half.data(), half.size());
  uint32_t queued = audio_->StreamQueuedMs();
  EXPECT_LE(queued, 1000u);
  EXPECT_GT(queued, 700u);
  // The null output plays in real time.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_LT(audio_->StreamQueuedMs(), queued);
  // Bytes short of a whole frame wait for the rest instead of being played as noise.
  uint8_t odd[3] = {1, 2, 3};
  audio_->QueueStream(odd, 3);
  audio_->QueueStream(odd, 1);
  audio_->CloseStream();
  EXPECT_EQ(audio_->StreamQueuedMs(), 0u);
  EXPECT_FALSE(audio_->OpenStream(Pcm(1, 12)));
}

// The whole way from a WAV file to the loudspeaker, heard through OpenAL Soft's
// "wave" output, which writes what it mixes to a file. The device is chosen
// when the library starts, so the playing half runs in a process of its own.
class OpenAlPlatform : public MediaPlatform {
 public:
  OpenAlPlatform() : MediaPlatform(QuietMediaOptions()) {}
  std::unique_ptr<AudioDevice> OpenAudio(std::string& error) override { return CreateOpenAlAudio(error); }
};

constexpr int16_t kLevel = 16000;  // a constant level survives resampling unchanged

TEST(OpenAlOutputTest, MusicReachesTheOutputForItsLengthAndAtItsVolume) {
  if (const char* work = std::getenv("TESSERA_WAVE_CHILD")) {
    // The playing half: 400 ms of a constant level at music volume 100, a
    // pause, then the same at volume 50 (-20 dB).
    ScopedWorkDir dir(work);
    OpenAlPlatform platform;
    ASSERT_TRUE(InitSound());
    ASSERT_TRUE(HaveSoundDevice()) << SoundDeviceError();
    std::string samples;
    for (int i = 0; i < 8000 * 400 / 1000; ++i) samples += Le16(static_cast<uint16_t>(kLevel));
    std::string wav = Riff("WAVE", PcmFmtChunk(1, 8000, 16) + Chunk("data", samples));
    FILE* f = std::fopen("level.wav", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(wav.data(), 1, wav.size(), f);
    std::fclose(f);
    for (int volume : {100, 50}) {
      GameSettings.MusicVolume = volume;
      PlayMusic("level.wav", false);
      ASSERT_TRUE(ChannelHoldsSound(MUSIC_CHANNEL));
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    ReleaseSound();
    GameSettings = GameSettingsRecord{};
    return;
  }

  // OpenAL with no output at all (Emscripten's plays through the browser's Web
  // Audio, which Node.js has not) has no wave writer either.
  SetEnvironment("ALSOFT_DRIVERS", "null");
  std::string error;
  if (!CreateOpenAlAudio(error)) GTEST_SKIP() << "no OpenAL output here: " << error;
  ScratchDir dir;
  dir.Write("alsoft.conf", "[wave]\nfile = " + dir / "out.wav" + "\n");
  const std::string self = CurrentExecutable();
  ASSERT_FALSE(self.empty());
  RunResult child = RunCommand("TESSERA_WAVE_CHILD=" + dir.path() + " ALSOFT_DRIVERS=wave ALSOFT_LOGLEVEL=0 ALSOFT_CONF=" +
                               dir / "alsoft.conf" + " " + self + " --gtest_filter=OpenAlOutputTest.*");
  ASSERT_EQ(child.exitCode, 0) << child.output;
  if (child.output.find("[  SKIPPED ]") != std::string::npos) GTEST_SKIP() << child.output;

  // The wave output: a RIFF file of 32-bit float frames.
  std::vector<uint8_t> out = ReadBytes(dir / "out.wav");
  if (out.size() < 44) GTEST_SKIP() << "OpenAL Soft's wave output is not available here";
  uint16_t channels = 0, bits = 0;
  uint32_t rate = 0;
  size_t at = 12, dataAt = 0, dataSize = 0;
  while (at + 8 <= out.size()) {
    uint32_t size;
    std::memcpy(&size, &out[at + 4], 4);
    if (std::memcmp(&out[at], "fmt ", 4) == 0 && at + 24 <= out.size()) {
      std::memcpy(&channels, &out[at + 10], 2);
      std::memcpy(&rate, &out[at + 12], 4);
      std::memcpy(&bits, &out[at + 22], 2);
    }
    if (std::memcmp(&out[at], "data", 4) == 0) {
      dataAt = at + 8;
      dataSize = std::min<size_t>(size, out.size() - dataAt);
      break;
    }
    at += 8 + size + (size & 1);
  }
  ASSERT_EQ(bits, 32);
  ASSERT_GT(channels, 0);
  ASSERT_GT(rate, 0u);
  const size_t frames = dataSize / 4 / channels;
  std::vector<float> left(frames);
  for (size_t i = 0; i < frames; ++i) std::memcpy(&left[i], &out[dataAt + i * 4 * channels], 4);

  // The two stretches of sound: how long each lasts and how loud it is in its middle.
  struct Stretch {
    size_t first = 0, last = 0;
  };
  std::vector<Stretch> heard;
  for (size_t i = 0; i < frames; ++i) {
    if (std::abs(left[i]) <= 0.002f) continue;
    if (heard.empty() || i - heard.back().last > rate / 10)
      heard.push_back({i, i});
    else
      heard.back().last = i;
  }
  ASSERT_EQ(heard.size(), 2u) << "expected two sounds";
  double levels[2];
  for (int n = 0; n < 2; ++n) {
    EXPECT_NEAR((heard[n].last - heard[n].first + 1) * 1000.0 / rate, 400.0, 40.0) << n;
    std::vector<float> middle(left.begin() + static_cast<long>(heard[n].first + rate / 10),
                              left.begin() + static_cast<long>(heard[n].first + rate / 5));
    std::nth_element(middle.begin(), middle.begin() + static_cast<long>(middle.size() / 2), middle.end());
    levels[n] = std::abs(middle[middle.size() / 2]);
  }
  EXPECT_GT(levels[0], 0.1);
  // -20 dB is a tenth of the amplitude.
  EXPECT_NEAR(levels[1] / levels[0], 0.1, 0.005);
}

}  // namespace
}  // namespace tessera::test
