// The opening movie in whole headless runs of the game: it plays at movie
// speed on the virtual clock, can be dumped mid-way, and Escape ends it.
#include <gtest/gtest.h>

#include <sstream>

#include "media/media_fixtures.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

class MovieFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MovieSpec plan;
    plan.width = 320;
    plan.height = 240;
    plan.fps = 10;
    plan.top.assign(20, Rgb8{0, 0, 255});
    plan.bottom.assign(20, Rgb8{255, 255, 0});
    plan.audioRate = 8000;
    plan.audioChannels = 1;
    plan.audioMs = 2000;
    dir_.Write("work/movie/begin.avi", std::string());
    std::string error;
    ASSERT_TRUE(WriteMovie(dir_ / "work/movie/begin.avi", plan, error)) << error;
  }

  RunResult Run(const std::string& script) {
    dir_.Write("input.txt", script);
    return RunGame("--headless --workdir " + dir_ / "work" + " --input " + dir_ / "input.txt" + " --trace " +
                   dir_ / "trace.txt" + " --dump-dir " + dir_.path() + " --max-ms 6000");
  }

  // Time of the first trace line that starts with `text`; -1 when none does.
  long TraceTime(const std::string& text) {
    std::istringstream in(ReadText(dir_ / "trace.txt"));
    std::string line;
    while (std::getline(in, line)) {
      size_t blank = line.find(' ');
      if (line.compare(blank + 1, text.size(), text) == 0) return std::stol(line.substr(0, blank));
    }
    return -1;
  }

  ScratchDir dir_;
};

TEST_F(MovieFlowTest, OpeningMoviePlaysAtItsOwnSpeedAndCanBeDumped) {
  RunResult run = Run("700 dump midmovie\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const long started = TraceTime("movie movie\\begin.avi");
  const long menu = TraceTime("state -1 ");
  ASSERT_GE(started, 0);
  ASSERT_LT(started, 700);
  EXPECT_GE(menu - started, 2000);
  EXPECT_LE(menu - started, 2100);
  EXPECT_EQ(ReadText(dir_ / "work/log.txt").find("MMStream"), std::string::npos);

  Picture picture;
  ASSERT_TRUE(ReadBmp24(dir_ / "midmovie.bmp", picture));
  // 320x240 centred: rows 180..419, columns 240..559; blue above yellow.
  auto near = [](uint32_t rgb, uint32_t want) {
    for (int shift : {16, 8, 0})
      if (std::abs(int((rgb >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 24) return false;
    return true;
  };
  EXPECT_TRUE(near(picture.At(400, 200), 0x0000FF)) << std::hex << picture.At(400, 200);
  EXPECT_TRUE(near(picture.At(400, 400), 0xFFFF00)) << std::hex << picture.At(400, 400);
  EXPECT_TRUE(near(picture.At(240, 180), 0x0000FF));
  EXPECT_FALSE(near(picture.At(239, 180), 0x0000FF));
  EXPECT_FALSE(near(picture.At(400, 420), 0xFFFF00));
}

TEST_F(MovieFlowTest, EscapeEndsTheOpeningMovieAndTheGameGoesOn) {
  RunResult run = Run("1000 keydown 27\n1040 keyup 27\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const long started = TraceTime("movie movie\\begin.avi");
  const long menu = TraceTime("state -1 ");
  ASSERT_GE(started, 0);
  EXPECT_GE(menu, 1000);
  EXPECT_LE(menu, 1000 + 100);
  EXPECT_LT(menu - started, 2000);
}

TEST_F(MovieFlowTest, MissingOpeningMovieIsLoggedOnceAndSkipped) {
  ASSERT_NO_FATAL_FAILURE(RemoveOrFail(dir_ / "work/movie/begin.avi"));
  RunResult run = Run("");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string log = ReadText(dir_ / "work/log.txt");
  EXPECT_NE(log.find("MMStream OpenFile failed\r\n"), std::string::npos);
  EXPECT_EQ(log.find("MMStream OpenFile failed"), log.rfind("MMStream OpenFile failed"));
  EXPECT_EQ(TraceTime("state -1 "), TraceTime("movie movie\\begin.avi"));
}

}  // namespace
}  // namespace tessera::test
