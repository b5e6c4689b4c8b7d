#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>

#include "app/frame_pump.h"
#include "app/input_state.h"
#include "app/log.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "media/media_fixtures.h"
#include "media/movie.h"
#include "media/sound.h"
#include "platform/backends.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

constexpr Rgb8 kRed{255, 0, 0};
constexpr Rgb8 kGreen{0, 255, 0};
constexpr Rgb8 kBlue{0, 0, 255};
constexpr Rgb8 kWhite{255, 255, 255};
// What the previous screen left in the back buffer.
constexpr Rgb8 kBackdrop{200, 120, 40};

class MovieTest : public ::testing::Test {
 protected:
  void Start(std::vector<ScriptEvent> script = {}, bool pixel555 = false, bool display = true) {
    HeadlessOptions options = QuietMediaOptions();
    options.script = std::move(script);
    options.pixel555 = pixel555;
    platform_ = std::make_unique<MediaPlatform>(options, display);
    InputState = InputStateRecord{};
    ASSERT_TRUE(InitSound());
    ASSERT_TRUE(OpenTrace(dir_ / "trace.txt", platform_->Milliseconds()));
    DeleteLog();
    backdrop_ = PackRgb(kBackdrop.r, kBackdrop.g, kBackdrop.b);
    std::fill(std::begin(BackBuffer), std::end(BackBuffer), backdrop_);
  }

  void TearDown() override {
    CloseTrace();
    ReleaseSound();
  }

  // Writes a movie below the scratch folder; the composed name the game would use.
  std::string Movie(const std::string& relative, const MovieSpec& plan) {
    std::string error;
    std::string host = dir_ / relative;
    dir_.Write(relative, std::string());  // creates the folders
    EXPECT_TRUE(WriteMovie(host, plan, error)) << error;
    std::string composed = relative;
    std::replace(composed.begin(), composed.end(), '/', '\\');
    return composed;
  }

  static MovieSpec Frames(int width, int height, std::vector<Rgb8> colours, int fps = 10) {
    MovieSpec plan;
    plan.width = width;
    plan.height = height;
    plan.fps = fps;
    plan.top = std::move(colours);
    return plan;
  }

  std::string Log() { return ReadText(dir_ / "log.txt"); }

  std::vector<std::string> TraceLines() {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(dir_ / "trace.txt"));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line.substr(line.find(' ') + 1));
    return lines;
  }

  static uint16_t At(const std::vector<uint16_t>& surface, int x, int y) { return surface[y * 800 + x]; }

  ScratchDir dir_;
  ScopedWorkDir work_{dir_.path()};
  std::unique_ptr<MediaPlatform> platform_;
  uint16_t backdrop_ = 0;
};

// ---- picture ----

TEST_F(MovieTest, FramesAreDrawnCentredInTheirRectangleOverThePreviousScreen) {
  Start();
  const std::string name = Movie("movie/begin.avi", Frames(640, 480, {kRed, kGreen, kBlue}));
  PlayMovie(name.c_str(), true);
  ASSERT_EQ(platform_->frames.size(), 3u);
  const Rgb8 expected[] = {kRed, kGreen, kBlue};
  for (size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const auto& s = platform_->frames[k].surface;
    EXPECT_TRUE(Near(At(s, 400, 300), expected[k]));
    // The rectangle runs from (80, 60) to (720, 540), right and bottom exclusive.
    EXPECT_TRUE(Near(At(s, 80, 60), expected[k]));
    EXPECT_TRUE(Near(At(s, 719, 539), expected[k]));
    EXPECT_EQ(At(s, 79, 60), backdrop_);
    EXPECT_EQ(At(s, 80, 59), backdrop_);
    EXPECT_EQ(At(s, 720, 539), backdrop_);
    EXPECT_EQ(At(s, 719, 540), backdrop_);
    EXPECT_EQ(At(s, 0, 0), backdrop_);
    EXPECT_EQ(At(s, 799, 599), backdrop_);
  }
  EXPECT_TRUE(Near(BackBuffer[300 * 800 + 400], kBlue));  // the last frame stays for the next screen
  EXPECT_EQ(Log(), "");
}

TEST_F(MovieTest, FramesFollowTheirTimeStampsOnTheClock) {
  Start();
  const std::string name = Movie("movie/end.avi", Frames(64, 48, {kRed, kGreen, kBlue, kWhite, kRed}, 10));
  const uint64_t before = platform_->ElapsedMs();
  PlayMovie(name.c_str(), true);
  ASSERT_EQ(platform_->frames.size(), 5u);
  for (size_t k = 0; k < 5; ++k) {
    const uint64_t at = platform_->frames[k].ms - before;
    EXPECT_GE(at, 100 * k) << k;
    EXPECT_LE(at, 100 * k + 10) << k;
  }
  // The last frame is shown for its own tenth of a second too.
  const uint64_t total = platform_->ElapsedMs() - before;
  EXPECT_GE(total, 500u);
  EXPECT_LE(total, 510u);
}

TEST_F(MovieTest, PictureIsNotUpsideDownOrSwapped) {
  Start();
  MovieSpec plan = Frames(320, 240, {kRed});
  plan.bottom = {kBlue};
  PlayMovie(Movie("movie/halves.avi", plan).c_str(), true);
  ASSERT_EQ(platform_->frames.size(), 1u);
  EXPECT_TRUE(Near(BackBuffer[(180 + 10) * 800 + 400], kRed));
  EXPECT_TRUE(Near(BackBuffer[(420 - 10) * 800 + 400], kBlue));
}

TEST_F(MovieTest, FiveFiveFiveDisplayLayoutGetsTheRightColours) {
  Start({}, true);
  ASSERT_EQ(PixelFormat.green.mask, 0x03E0);
  PlayMovie(Movie("movie/555.avi", Frames(160, 120, {kGreen, kRed})).c_str(), true);
  ASSERT_EQ(platform_->frames.size(), 2u);
  EXPECT_TRUE(Near(At(platform_->frames[0].surface, 400, 300), kGreen));
  EXPECT_TRUE(Near(At(platform_->frames[1].surface, 400, 300), kRed));
  EXPECT_EQ(At(platform_->frames[1].surface, 319, 300), backdrop_);
  EXPECT_TRUE(Near(At(platform_->frames[1].surface, 320, 240), kRed));
}

TEST_F(MovieTest, MovieLargerThanTheScreenIsScaledDownToFit) {
  Start();
  PlayMovie(Movie("movie/big.avi", Frames(1600, 1200, {kGreen})).c_str(), true);
  EXPECT_TRUE(Near(BackBuffer[0], kGreen));
  EXPECT_TRUE(Near(BackBuffer[600 * 800 - 1], kGreen));

  // Wider than the screen: 1000x300 becomes 800x240, centred from row 180.
  std::fill(std::begin(BackBuffer), std::end(BackBuffer), backdrop_);
  PlayMovie(Movie("movie/wide.avi", Frames(1000, 300, {kRed})).c_str(), true);
  EXPECT_EQ(BackBuffer[179 * 800], backdrop_);
  EXPECT_TRUE(Near(BackBuffer[180 * 800], kRed));
  EXPECT_TRUE(Near(BackBuffer[419 * 800 + 799], kRed));
  EXPECT_EQ(BackBuffer[420 * 800 + 799], backdrop_);
}

TEST_F(MovieTest, OddSizedMovieKeepsItsRectangle) {
  Start();
  // (800 - 66) / 2 = 367, (600 - 34) / 2 = 283; a width that is not a multiple
  // of 8 must still be converted to its last column.
  PlayMovie(Movie("movie/odd.avi", Frames(66, 34, {kWhite})).c_str(), true);
  EXPECT_EQ(BackBuffer[283 * 800 + 366], backdrop_);
  EXPECT_TRUE(Near(BackBuffer[283 * 800 + 367], kWhite));
  EXPECT_TRUE(Near(BackBuffer[316 * 800 + 432], kWhite));
  EXPECT_EQ(BackBuffer[316 * 800 + 433], backdrop_);
  EXPECT_EQ(BackBuffer[317 * 800 + 432], backdrop_);
}

// ---- sound track ----

TEST_F(MovieTest, SoundTrackIsDecodedWholeAndKeptAheadOfThePicture) {
  Start();
  MovieSpec plan = Frames(64, 48, {kRed, kGreen, kBlue, kWhite, kRed});
  plan.audioRate = 22050;
  plan.audioChannels = 2;
  plan.audioMs = 500;
  PlayMovie(Movie("movie/talk.avi", plan).c_str(), true);

  const AudioRecord& audio = *platform_->audio;
  EXPECT_TRUE(audio.Saw("open stream"));
  EXPECT_TRUE(audio.Saw("close stream"));
  EXPECT_FALSE(audio.streamOpen);
  EXPECT_EQ(audio.streamFormat.channels, 2);
  EXPECT_EQ(audio.streamFormat.samplesPerSec, 22050u);
  EXPECT_EQ(audio.streamFormat.bitsPerSample, 16);
  EXPECT_EQ(audio.streamFormat.avgBytesPerSec, 88200u);

  // Every sample arrives unchanged and in order.
  const size_t samples = 22050 / 2;
  ASSERT_EQ(audio.stream.size(), samples * 4);
  std::vector<int16_t> pcm(samples * 2);
  std::memcpy(pcm.data(), audio.stream.data(), audio.stream.size());
  size_t wrong = 0;
  for (size_t i = 0; i < samples; ++i)
    for (int c = 0; c < 2; ++c)
      if (pcm[i * 2 + c] != TrackSample(i, c)) ++wrong;
  EXPECT_EQ(wrong, 0u);

  // Whenever a picture is shown the sound has been handed over at least up to
  // that moment, and not more than a short lead beyond it.
  ASSERT_EQ(platform_->frames.size(), 5u);
  const uint64_t start = platform_->frames[0].ms - 5;
  for (const ShownFrame& f : platform_->frames) {
    const uint64_t soundMs = f.streamBytes * 1000 / 88200;
    const uint64_t pictureMs = f.ms - start;
    EXPECT_GE(soundMs, std::min<uint64_t>(pictureMs, 500)) << pictureMs;
    EXPECT_LE(soundMs, pictureMs + 400) << pictureMs;
  }
}

TEST_F(MovieTest, MonoTrackStaysMono) {
  Start();
  MovieSpec plan = Frames(64, 48, {kRed, kGreen});
  plan.audioRate = 11025;
  plan.audioChannels = 1;
  plan.audioMs = 200;
  PlayMovie(Movie("movie/mono.avi", plan).c_str(), true);
  EXPECT_EQ(platform_->audio->streamFormat.channels, 1);
  EXPECT_EQ(platform_->audio->stream.size(), 11025u * 200 / 1000 * 2);
}

TEST_F(MovieTest, MovieWithoutASoundTrackOpensNoStream) {
  Start();
  PlayMovie(Movie("movie/quiet.avi", Frames(64, 48, {kRed})).c_str(), true);
  EXPECT_FALSE(platform_->audio->Saw("open stream"));
}

// ---- skipping ----

class MovieSkipTest : public MovieTest {
 protected:
  // Plays a five-second movie with `script`; the milliseconds it lasted.
  uint64_t PlayLong(std::vector<ScriptEvent> script, bool skip) {
    Start(std::move(script));
    std::vector<Rgb8> colours(50, kGreen);
    const std::string name = Movie("movie/long.avi", Frames(64, 48, colours));
    const uint64_t before = platform_->ElapsedMs();
    PlayMovie(name.c_str(), skip);
    return platform_->ElapsedMs() - before;
  }

  void ExpectInputCleared() {
    EXPECT_EQ(InputState.LastKey, 0);
    EXPECT_EQ(InputState.KeyEvent, KEY_NONE);
    EXPECT_EQ(InputState.MouseEvent, MOUSE_NONE);
  }
};

TEST_F(MovieSkipTest, EscapePressEndsTheMovieWithinOneFrame) {
  const uint64_t lasted = PlayLong({KeyAt(1250, true, VK_ESCAPE)}, true);
  EXPECT_GE(lasted, 1250u);
  EXPECT_LE(lasted, 1250u + 100);
  EXPECT_LE(platform_->frames.size(), 14u);
  ExpectInputCleared();
}

TEST_F(MovieSkipTest, EscapeReleaseAloneAlsoSkips) {
  const uint64_t lasted = PlayLong({KeyAt(300, false, VK_ESCAPE)}, true);
  EXPECT_LE(lasted, 400u);
  ExpectInputCleared();
}

TEST_F(MovieSkipTest, LeftButtonReleaseSkipsButItsPressDoesNot) {
  const uint64_t lasted = PlayLong({ButtonAt(200, MessageKind::ButtonDown, MouseButton::Left),
                                    ButtonAt(700, MessageKind::ButtonUp, MouseButton::Left)},
                                   true);
  EXPECT_GE(lasted, 700u);
  EXPECT_LE(lasted, 800u);
  ExpectInputCleared();
}

TEST_F(MovieSkipTest, RightClickAndOtherKeysDoNotSkip) {
  const uint64_t lasted = PlayLong({ButtonAt(200, MessageKind::ButtonDown, MouseButton::Right),
                                    ButtonAt(250, MessageKind::ButtonUp, MouseButton::Right),
                                    KeyAt(300, true, VK_SPACE), KeyAt(320, false, VK_RETURN)},
                                   true);
  EXPECT_GE(lasted, 5000u);
  EXPECT_EQ(platform_->frames.size(), 50u);
}

TEST_F(MovieSkipTest, WithoutTheSkipFlagEscapeIsIgnored) {
  const uint64_t lasted = PlayLong({KeyAt(300, true, VK_ESCAPE), ButtonAt(400, MessageKind::ButtonUp, MouseButton::Left)},
                                   false);
  EXPECT_GE(lasted, 5000u);
}

TEST_F(MovieSkipTest, TheSkippingKeyDoesNotReachTheNextScreen) {
  // Pressed and released within one pump (pumps come every 5 ms): the release
  // is what the pump leaves, and it ends the movie.
  PlayLong({KeyAt(497, true, VK_ESCAPE), KeyAt(499, false, VK_ESCAPE)}, true);
  ExpectInputCleared();
  // The next screen's first pump finds nothing left over either.
  PumpFrame();
  ExpectInputCleared();
}

TEST_F(MovieSkipTest, InputPendingBeforeTheMovieIsClearedFirst) {
  Start();
  const std::string name = Movie("movie/short.avi", Frames(64, 48, {kRed, kRed, kRed}));
  // A previous screen's Escape still in the record must not end the movie at once.
  InputState.LastKey = VK_ESCAPE;
  InputState.KeyEvent = KEY_RELEASED;
  InputState.MouseEvent = MOUSE_LEFT_UP;
  PlayMovie(name.c_str(), true);
  EXPECT_EQ(platform_->frames.size(), 3u);
}

// ---- failures ----

TEST_F(MovieTest, MissingFileLeavesExactlyOneLogLineAndReturnsAtOnce) {
  Start();
  const uint64_t before = platform_->ElapsedMs();
  PlayMovie("movie\\missing.avi", true);
  EXPECT_EQ(Log(), "MMStream OpenFile failed\r\n");
  EXPECT_EQ(platform_->ElapsedMs(), before);
  EXPECT_TRUE(platform_->frames.empty());
  const auto trace = TraceLines();
  EXPECT_EQ(trace, (std::vector<std::string>{"movie movie\\missing.avi", "log MMStream OpenFile failed"}));
  EXPECT_EQ(BackBuffer[0], backdrop_);
}

TEST_F(MovieTest, EachFailedMovieAddsItsOwnLine) {
  Start();
  dir_.Write("movie/garbage.avi", std::string(4096, 'x'));
  dir_.Write("movie/empty.avi", std::string());
  PlayMovie("movie\\garbage.avi", true);
  PlayMovie("movie\\empty.avi", true);
  PlayMovie(nullptr, true);
  EXPECT_EQ(Log(), "MMStream OpenFile failed\r\nMMStream OpenFile failed\r\nMMStream OpenFile failed\r\n");
}

TEST_F(MovieTest, FileWithoutPictureNamesTheMissingVideoStream) {
  Start();
  dir_.Write("movie/sound.avi", PcmWav(500, 8000, 1, 16));
  PlayMovie("movie\\sound.avi", true);
  EXPECT_EQ(Log(), "MMStream GetMediaStream failed\r\n");
  EXPECT_FALSE(platform_->audio->Saw("open stream"));
}

TEST_F(MovieTest, NoDisplaySurfaceIsReported) {
  Start({}, false, false);
  PlayMovie(Movie("movie/begin.avi", Frames(64, 48, {kRed})).c_str(), true);
  EXPECT_EQ(Log(), "lpDDSPrimary7 didn't initialized\r\n");
}

TEST_F(MovieTest, DisplayLayoutTheConverterCannotWriteIsReported) {
  Start();
  SetPixelFormat(ChannelMasks{0x0F00, 0x00F0, 0x000F});
  PlayMovie(Movie("movie/begin.avi", Frames(64, 48, {kRed})).c_str(), true);
  EXPECT_EQ(Log(), "DDERR_INVALIDPIXELFORMAT\r\n");
}

TEST_F(MovieTest, NamesAreFoundWhateverTheirLetterCase) {
  Start();
  Movie("Movie/Begin.avi", Frames(64, 48, {kGreen}));
  PlayMovie("movie\\BEGIN.AVI", true);
  EXPECT_EQ(platform_->frames.size(), 1u);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(TraceLines().front(), "movie movie\\BEGIN.AVI");
}

// Damaged copies of a movie with sound: each plays what it can or logs one
// line, and none holds the game longer than the movie could last.
TEST_F(MovieTest, DamagedMoviesEndWithAtMostOneLogLineEach) {
  Start();
  platform_->keepFrames = false;
  MovieSpec plan = Frames(48, 32, {kRed, kGreen, kBlue, kWhite, kRed, kGreen});
  plan.audioRate = 8000;
  plan.audioChannels = 1;
  plan.audioMs = 600;
  Movie("movie/good.avi", plan);
  const std::vector<uint8_t> good = ReadBytes(dir_ / "movie/good.avi");
  std::mt19937 random(99);
  for (int round = 0; round < 40; ++round) {
    std::vector<uint8_t> bytes = good;
    for (int hit = 0; hit < 1 + round % 8; ++hit) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    if (round % 4 == 3) bytes.resize(random() % bytes.size());
    dir_.Write("movie/damaged.avi", bytes);
    DeleteLog();
    const uint64_t before = platform_->ElapsedMs();
    PlayMovie("movie\\damaged.avi", false);
    EXPECT_LE(platform_->ElapsedMs() - before, 60000u) << round;
    const std::string log = Log();
    EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 1) << round << ": " << log;
  }
}

// ---- a decoder that misbehaves ----

struct FakeFrame {
  uint32_t pts = 0;
  uint32_t duration = 0;
  size_t pixels = 0;  // how many pixels the frame really has
};

class FakeDecoder : public MovieDecoder {
 public:
  FakeDecoder(int w, int h, std::vector<FakeFrame> frames) : w_(w), h_(h), frames_(std::move(frames)) {}
  bool HasVideo() const override { return true; }
  bool StartVideo(const ChannelMasks&, int, int, std::string&) override { return true; }
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  bool NextVideoFrame(std::vector<uint16_t>& pixels, uint32_t& ptsMs, uint32_t& durationMs) override {
    if (next_ >= frames_.size()) return false;
    const FakeFrame& f = frames_[next_++];
    pixels.assign(f.pixels, 0x1234);
    ptsMs = f.pts;
    durationMs = f.duration;
    return true;
  }
  bool HasAudio() const override { return false; }
  PcmFormat AudioFormat() const override { return {}; }
  void DecodeAudioUntil(uint32_t, std::vector<uint8_t>&) override {}

 private:
  int w_, h_;
  std::vector<FakeFrame> frames_;
  size_t next_ = 0;
};

TEST_F(MovieTest, AbsurdTimeStampsCannotHoldTheGameForever) {
  Start();
  platform_->keepFrames = false;
  platform_->fakeMovie = [] {
    return std::make_unique<FakeDecoder>(
        10, 10, std::vector<FakeFrame>{{0, 40, 100}, {4000000000u, 4000000000u, 100}, {4000000040u, 40, 100}});
  };
  dir_.Write("movie/fake.avi", std::string("x"));
  const uint64_t before = platform_->ElapsedMs();
  PlayMovie("movie\\fake.avi", true);
  EXPECT_EQ(platform_->frames.size(), 3u);
  EXPECT_LE(platform_->ElapsedMs() - before, 31000u);
}

TEST_F(MovieTest, FramesLargerThanTheScreenOrShortOfPixelsNeverWriteOutside) {
  Start();
  platform_->keepFrames = false;
  // Claims 2000x2000 and delivers it: only the screen's part is copied.
  platform_->fakeMovie = [] {
    return std::make_unique<FakeDecoder>(2000, 2000, std::vector<FakeFrame>{{0, 40, 2000u * 2000u}});
  };
  PlayMovie("movie\\fake.avi", true);
  EXPECT_EQ(BackBuffer[0], 0x1234);
  EXPECT_EQ(BackBuffer[800 * 600 - 1], 0x1234);

  // Claims 640x480 and delivers a tenth: nothing is drawn from it.
  std::fill(std::begin(BackBuffer), std::end(BackBuffer), backdrop_);
  platform_->fakeMovie = [] {
    return std::make_unique<FakeDecoder>(640, 480, std::vector<FakeFrame>{{0, 40, 640u * 48u}});
  };
  PlayMovie("movie\\fake.avi", true);
  EXPECT_EQ(BackBuffer[300 * 800 + 400], backdrop_);
  EXPECT_EQ(platform_->frames.size(), 2u);
}

TEST_F(MovieTest, FramesStampedBackwardsAreShownAtOnce) {
  Start();
  platform_->keepFrames = false;
  platform_->fakeMovie = [] {
    return std::make_unique<FakeDecoder>(8, 8, std::vector<FakeFrame>{{500, 0, 64}, {100, 0, 64}, {0, 0, 64}});
  };
  const uint64_t before = platform_->ElapsedMs();
  PlayMovie("movie\\fake.avi", true);
  ASSERT_EQ(platform_->frames.size(), 3u);
  EXPECT_LE(platform_->frames[2].ms - platform_->frames[0].ms, 20u);
  EXPECT_LE(platform_->ElapsedMs() - before, 530u);
}

}  // namespace
}  // namespace tessera::test

namespace tessera {
namespace {

TEST(MovieContainerTest, APlaylistIsNotFollowedToOtherFiles) {
  test::ScratchDir dir;
  // The file a playlist names is a real movie: only the container rule stops it.
  std::string made;
  test::MovieSpec plan;
  plan.top = plan.bottom = {{200, 0, 0}, {0, 200, 0}};
  ASSERT_TRUE(test::WriteMovie(dir / "secret.avi", plan, made)) << made;
  std::string direct;
  ASSERT_NE(OpenFfmpegMovie(dir / "secret.avi", direct), nullptr) << direct;
  dir.Write("list.avi", "ffconcat version 1.0\nfile secret.avi\n");
  dir.Write("list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nsecret.avi\n#EXT-X-ENDLIST\n");
  for (const char* name : {"list.avi", "list.m3u8"}) {
    std::string error;
    EXPECT_EQ(OpenFfmpegMovie(dir / name, error), nullptr) << name;
    EXPECT_EQ(error, "MMStream OpenFile failed") << name;
  }
}

}  // namespace
}  // namespace tessera
