#include <gtest/gtest.h>

#include <sstream>

#include "app/log.h"
#include "game/settings.h"
#include "media/media_fixtures.h"
#include "media/sound.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(false); }

  void Start(bool noAudio) {
    platform_ = std::make_unique<MediaPlatform>(QuietMediaOptions());
    platform_->noAudio = noAudio;
    GameSettings = GameSettingsRecord{};
    ASSERT_TRUE(OpenTrace(dir_ / "trace.txt", platform_->Milliseconds()));
    ASSERT_TRUE(InitSound());
  }

  void TearDown() override {
    ReleaseSound();
    CloseTrace();
    GameSettings = GameSettingsRecord{};
  }

  // A sound of `ms` milliseconds at Sound\<name>.
  std::string Sound(const std::string& name, uint32_t ms) {
    dir_.Write("Sound/" + name, PcmWav(ms));
    return "Sound\\" + name;
  }

  // The "sound ..." lines of the trace, without their time.
  std::vector<std::string> SoundLines() {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(dir_ / "trace.txt"));
    std::string line;
    while (std::getline(in, line)) {
      size_t blank = line.find(' ');
      if (blank != std::string::npos && line.compare(blank + 1, 6, "sound ") == 0) lines.push_back(line.substr(blank + 1));
    }
    return lines;
  }

  std::string LastSoundLine() {
    auto lines = SoundLines();
    return lines.empty() ? "" : lines.back();
  }

  uint32_t Now() { return platform_->Milliseconds(); }

  ScratchDir dir_;
  ScopedWorkDir work_{dir_.path()};
  std::unique_ptr<MediaPlatform> platform_;
};

// ---- choosing the effect channel ----

TEST_F(SoundTest, FiveQuickEffectsFillTheChannelsThenReplaceTheOneFinishingSoonest) {
  const std::string names[] = {Sound("a.wav", 1000), Sound("b.wav", 800), Sound("c.wav", 300), Sound("d.wav", 900)};
  for (const std::string& name : names) PlayEffect(name.c_str(), false);
  const uint32_t now = Now();
  EXPECT_EQ(ChannelEndTime[0], now + 1000);
  EXPECT_EQ(ChannelEndTime[1], now + 800);
  EXPECT_EQ(ChannelEndTime[2], now + 300);
  EXPECT_EQ(ChannelEndTime[3], now + 900);
  platform_->Sleep(100);  // none has ended yet
  const std::string fifth = Sound("e.wav", 50);
  PlayEffect(fifth.c_str(), false);
  EXPECT_EQ(SoundLines(), (std::vector<std::string>{"sound 0 Sound\\a.wav 0", "sound 1 Sound\\b.wav 0",
                                                     "sound 2 Sound\\c.wav 0", "sound 3 Sound\\d.wav 0",
                                                     "sound 2 Sound\\e.wav 0"}));
  // Taking the channel stops and discards what it was playing.
  EXPECT_TRUE(platform_->audio->Saw("release 2"));
  EXPECT_EQ(ChannelEndTime[2], Now() + 50);
}

TEST_F(SoundTest, EffectTakesTheFreeChannelOneBesideABusyChannelZero) {
  PlayEffect(Sound("long.wav", 2000).c_str(), false);
  PlayEffect(Sound("short.wav", 100).c_str(), false);
  platform_->Sleep(150);
  PlayEffect(Sound("next.wav", 100).c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 1 Sound\\next.wav 0");
  EXPECT_TRUE(ChannelHoldsSound(0));
}

TEST_F(SoundTest, ChannelCountsAsFreeAtExactlyItsEndTime) {
  PlayEffect(Sound("tick.wav", 100).c_str(), false);
  platform_->Sleep(99);
  PlayEffect(Sound("tock.wav", 100).c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 1 Sound\\tock.wav 0");
  platform_->Sleep(1);  // channel 0 ends now
  PlayEffect(Sound("tack.wav", 100).c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 0 Sound\\tack.wav 0");
}

TEST_F(SoundTest, TiesGoToTheLowerChannel) {
  const std::string same = Sound("same.wav", 500);
  for (int i = 0; i < 4; ++i) PlayEffect(same.c_str(), false);
  PlayEffect(same.c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 0 Sound\\same.wav 0");

  // Channels 1 and 3 finish together and soonest: 1 wins.
  platform_->Sleep(600);
  PlayEffect(Sound("p.wav", 900).c_str(), false);   // 0
  PlayEffect(Sound("q.wav", 300).c_str(), false);   // 1
  PlayEffect(Sound("r.wav", 700).c_str(), false);   // 2
  PlayEffect(Sound("s.wav", 300).c_str(), false);   // 3
  PlayEffect(Sound("t.wav", 10).c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 1 Sound\\t.wav 0");
}

TEST_F(SoundTest, LoopingEffectHoldsItsChannelForOnePlayThroughOnly) {
  PlayEffect(Sound("loop.wav", 400).c_str(), true);
  EXPECT_EQ(LastSoundLine(), "sound 0 Sound\\loop.wav 1");
  EXPECT_TRUE(platform_->audio->Saw("play 0 loop"));
  EXPECT_EQ(ChannelEndTime[0], Now() + 400);
  platform_->Sleep(400);
  PlayEffect(Sound("after.wav", 10).c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 0 Sound\\after.wav 0");
  EXPECT_TRUE(platform_->audio->Saw("play 0 once"));
}

TEST_F(SoundTest, EveryPlayReadsTheFileAnew) {
  const std::string name = Sound("change.wav", 100);
  PlayEffect(name.c_str(), false);
  EXPECT_EQ(LastDuration, 100u);
  dir_.Write("Sound/change.wav", PcmWav(250));
  platform_->Sleep(200);
  PlayEffect(name.c_str(), false);
  EXPECT_EQ(LastDuration, 250u);
  EXPECT_EQ(platform_->audio->bytes[0], 2000u);
}

// ---- volume ----

TEST_F(SoundTest, VolumeIsFortyHundredthsOfADecibelPerStepNeverSilent) {
  PlayMusic(Sound("music.wav", 100).c_str(), true);
  const std::pair<int, int> cases[] = {{100, 0}, {50, -2000}, {0, -4000}, {1, -3960}, {99, -40}};
  for (auto [volume, hundredths] : cases) {
    platform_->audio->Clear();
    EXPECT_EQ(SetMusicVolume(volume), 1);
    EXPECT_EQ(platform_->audio->calls, std::vector<std::string>{"volume 4 " + std::to_string(hundredths)});
  }
}

TEST_F(SoundTest, VolumeAboveFullLevelIsRefused) {
  PlayMusic(Sound("music.wav", 100).c_str(), false);
  platform_->audio->Clear();
  EXPECT_EQ(SetMusicVolume(101), 0);
  EXPECT_TRUE(platform_->audio->calls.empty());
}

TEST_F(SoundTest, SoundVolumeSetsEveryLoadedEffectChannelAndReportsChannelThree) {
  EXPECT_EQ(SetSoundVolume(30), 0);  // nothing played yet: nothing changes
  EXPECT_TRUE(platform_->audio->calls.empty());

  PlayEffect(Sound("a.wav", 500).c_str(), false);
  PlayEffect(Sound("b.wav", 500).c_str(), false);
  PlayEffect(Sound("c.wav", 500).c_str(), false);
  platform_->audio->Clear();
  EXPECT_EQ(SetSoundVolume(50), 0);  // channel 3 is still empty
  EXPECT_EQ(platform_->audio->calls,
            (std::vector<std::string>{"volume 0 -2000", "volume 1 -2000", "volume 2 -2000"}));
  PlayEffect(Sound("d.wav", 500).c_str(), false);
  EXPECT_EQ(SetSoundVolume(50), 1);
}

TEST_F(SoundTest, PlaysApplyThePlayersVolumeSettings) {
  GameSettings.SoundVolume = 25;
  GameSettings.MusicVolume = 75;
  PlayEffect(Sound("fx.wav", 100).c_str(), false);
  EXPECT_EQ(platform_->audio->calls,
            (std::vector<std::string>{"load 0", "volume 0 -3000", "play 0 once"}));
  platform_->audio->Clear();
  PlayMusic(Sound("bgm.wav", 100).c_str(), true);
  EXPECT_EQ(platform_->audio->calls, (std::vector<std::string>{"load 4", "volume 4 -1000", "play 4 loop"}));
}

// ---- music ----

TEST_F(SoundTest, NewMusicStopsTheOldAtOnceAndStartsFromItsBeginning) {
  PlayMusic(Sound("first.wav", 3000).c_str(), true);
  platform_->Sleep(1000);
  platform_->audio->Clear();
  PlayMusic(Sound("second.wav", 2000).c_str(), true);
  EXPECT_EQ(platform_->audio->calls,
            (std::vector<std::string>{"release 4", "load 4", "volume 4 0", "play 4 loop"}));
  EXPECT_EQ(ChannelEndTime[MUSIC_CHANNEL], Now() + 2000);
  EXPECT_EQ(LastSoundLine(), "sound 4 Sound\\second.wav 1");
}

TEST_F(SoundTest, StopMusicEmptiesTheMusicChannelOnly) {
  PlayEffect(Sound("fx.wav", 100).c_str(), false);
  StopMusic();  // nothing to stop
  EXPECT_FALSE(platform_->audio->Saw("release 4"));
  PlayMusic(Sound("bgm.wav", 100).c_str(), true);
  StopMusic();
  EXPECT_TRUE(platform_->audio->Saw("release 4"));
  EXPECT_FALSE(ChannelHoldsSound(MUSIC_CHANNEL));
  EXPECT_TRUE(ChannelHoldsSound(0));
  EXPECT_EQ(SetMusicVolume(100), 0);
}

TEST_F(SoundTest, LongFilesGetTheirWholePlayTime) {
  // 25 s of CD-quality stereo: the byte count times 1000 does not fit 32 bits.
  dir_.Write("Music/Long.wav", PcmWav(25000, 44100, 2, 16));
  PlayMusic("Music\\Long.wav", false);
  EXPECT_EQ(LastDuration, 25000u);
  EXPECT_EQ(ChannelEndTime[MUSIC_CHANNEL], Now() + 25000);
  // An effect of the same length keeps its channel busy all that time.
  dir_.Write("Sound/Long.wav", PcmWav(25000, 44100, 2, 16));
  PlayEffect("Sound\\Long.wav", false);
  platform_->Sleep(24000);
  PlayEffect(Sound("short.wav", 10).c_str(), false);
  EXPECT_EQ(LastSoundLine(), "sound 1 Sound\\short.wav 0");
}

// ---- files that are missing or wrong ----

TEST_F(SoundTest, MissingFilePlaysNothingAndChangesNothing) {
  PlayEffect(Sound("fx.wav", 300).c_str(), false);
  const uint32_t end0 = ChannelEndTime[0];
  platform_->audio->Clear();
  PlayEffect("Sound\\Nothing.wav", false);
  PlayMusic("Music\\Nothing.wav", true);
  EXPECT_EQ(LastDuration, 0u);
  EXPECT_TRUE(platform_->audio->calls.empty());
  EXPECT_EQ(SoundLines().size(), 1u);
  EXPECT_EQ(ChannelEndTime[0], end0);
  EXPECT_TRUE(ChannelHoldsSound(0));
  PlayEffect(nullptr, false);
  EXPECT_EQ(SoundLines().size(), 1u);
}

TEST_F(SoundTest, InvalidFileEmptiesTheChosenChannelAndFreesIt) {
  PlayEffect(Sound("fx.wav", 300).c_str(), false);
  platform_->Sleep(300);
  dir_.Write("Sound/broken.wav", std::string("this is not a wave file"));
  platform_->audio->Clear();
  PlayEffect("Sound\\broken.wav", false);
  EXPECT_EQ(LastSoundLine(), "sound 0 Sound\\broken.wav 0");
  EXPECT_FALSE(ChannelHoldsSound(0));
  EXPECT_EQ(LastDuration, 0u);
  EXPECT_EQ(ChannelEndTime[0], Now());
  EXPECT_EQ(platform_->audio->calls, std::vector<std::string>{"release 0"});  // nothing started
}

TEST_F(SoundTest, DataChunkClaimingMoreThanTheFileLeavesTheChannelEmpty) {
  dir_.Write("Sound/liar.wav",
             "RIFF" + Le32(0xFFFFFFFF) + "WAVE" + PcmFmtChunk(1, 8000, 8) + ChunkHeader("data", 0xFFFFFFF0) + Pattern(64));
  PlayEffect("Sound\\liar.wav", false);
  EXPECT_FALSE(ChannelHoldsSound(0));
  EXPECT_FALSE(platform_->audio->Saw("load 0"));
  EXPECT_EQ(ChannelEndTime[0], Now());
}

TEST_F(SoundTest, EmptyDataOrZeroByteRateGivesNoSound) {
  dir_.Write("Sound/empty.wav", Riff("WAVE", PcmFmtChunk(1, 8000, 8) + Chunk("data", "")));
  PlayEffect("Sound\\empty.wav", false);
  EXPECT_FALSE(ChannelHoldsSound(0));
  // A byte rate of zero would divide the play time by zero.
  dir_.Write("Sound/norate.wav",
             Riff("WAVE", Chunk("fmt ", Le16(1) + Le16(1) + Le32(8000) + Le32(0) + Le16(1) + Le16(8)) +
                              Chunk("data", Pattern(100))));
  PlayEffect("Sound\\norate.wav", false);
  EXPECT_FALSE(ChannelHoldsSound(0));
  EXPECT_EQ(LastDuration, 0u);
}

TEST_F(SoundTest, FormatTheDeviceCannotPlayLeavesTheChannelEmpty) {
  platform_->audio->rejectLoads = true;
  PlayMusic(Sound("odd.wav", 500).c_str(), true);
  EXPECT_FALSE(ChannelHoldsSound(MUSIC_CHANNEL));
  EXPECT_EQ(LastDuration, 0u);
  EXPECT_EQ(ChannelEndTime[MUSIC_CHANNEL], Now());
  EXPECT_FALSE(platform_->audio->Saw("play 4 loop"));
}

TEST_F(SoundTest, ExtensibleFormatIsHandedOnByItsRealTag) {
  // Valid bits, channel mask, then the PCM sub-format GUID 00000001-0000-0010-8000-00aa00389b71.
  std::string extra = Le16(16) + Le32(3) + Le16(1) +
                      std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
  dir_.Write("Sound/ext.wav", Riff("WAVE", Chunk("fmt ", FormatFields(0xFFFE, 2, 8000, 16) + Le16(22) + extra) +
                                               Chunk("data", Pattern(3200))));
  PlayEffect("Sound\\ext.wav", false);
  ASSERT_TRUE(ChannelHoldsSound(0));
  EXPECT_EQ(platform_->audio->formats[0].formatTag, FORMAT_TAG_PCM);
  EXPECT_EQ(platform_->audio->formats[0].channels, 2);
  EXPECT_EQ(LastDuration, 100u);
}

// ---- without a device ----

class SilentSoundTest : public SoundTest {
 protected:
  void SetUp() override { Start(true); }
};

TEST_F(SilentSoundTest, StartsWithoutADeviceAndKeepsTheChannelRules) {
  EXPECT_FALSE(HaveSoundDevice());
  EXPECT_STREQ(SoundDeviceError(), "no device in this test");
  EXPECT_EQ(SoundDevice(), nullptr);
  PlayEffect(Sound("a.wav", 500).c_str(), false);
  PlayEffect(Sound("b.wav", 100).c_str(), false);
  platform_->Sleep(100);
  PlayEffect(Sound("c.wav", 100).c_str(), false);
  EXPECT_EQ(SoundLines(), (std::vector<std::string>{"sound 0 Sound\\a.wav 0", "sound 1 Sound\\b.wav 0",
                                                     "sound 1 Sound\\c.wav 0"}));
  EXPECT_EQ(SetSoundVolume(50), 0);
  EXPECT_EQ(SetMusicVolume(50), 0);
  PlayMusic(Sound("m.wav", 100).c_str(), true);
  EXPECT_EQ(SetMusicVolume(50), 1);
}

TEST(SoundStartTest, HeadlessPlatformGivesASilentDeviceThatAcceptsEverything) {
  ScratchDir dir;
  ScopedWorkDir work(dir.path());
  ScopedPlatform platform;
  ASSERT_TRUE(InitSound());
  EXPECT_TRUE(HaveSoundDevice());
  dir.Write("Sound/x.wav", PcmWav(100, 8000, 3, 24));  // no real device plays this
  PlayEffect("Sound\\x.wav", false);
  EXPECT_TRUE(ChannelHoldsSound(0));
  EXPECT_EQ(SetSoundVolume(0), 0);  // channel 3 empty
  EXPECT_EQ(SetMusicVolume(0), 0);
  ReleaseSound();
  EXPECT_FALSE(ChannelHoldsSound(0));
}

}  // namespace
}  // namespace tessera::test
