// The OpenAL back end on OpenAL Soft's null output, which mixes like a real
// device without a sound card.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/backends.h"

namespace tessera::test {
namespace {

class OpenAlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("ALSOFT_DRIVERS", "null", 1);
    ::setenv("ALSOFT_LOGLEVEL", "0", 1);
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

}  // namespace
}  // namespace tessera::test
