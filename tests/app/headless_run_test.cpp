// End-to-end runs of the game binary on the headless back end.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tessera {
namespace {

using test::RunGame;

TEST(HeadlessRunTest, EmptyFolderRunsToTheTimeLimitQuickly) {
  test::ScratchDir dir;
  test::RunResult r = RunGame("--headless --workdir " + dir.path() + " --max-ms 2000");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_LT(r.seconds, 5.0);
}

TEST(HeadlessRunTest, DumpWritesTheNextPresentedFrameAsA24BitBmp) {
  test::ScratchDir dir;
  dir.Write("in.txt", "# dump after a few frames\n40 move 12 34\n150 dump first\n300 quit\n");
  test::RunResult r = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "in.txt") +
                              " --dump-dir " + dir.path() + " --max-ms 5000");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  test::Picture pic;
  ASSERT_TRUE(test::ReadBmp24(dir / "first.bmp", pic));
  EXPECT_EQ(pic.width, 800);
  EXPECT_EQ(pic.height, 600);
  std::vector<uint8_t> raw = test::ReadBytes(dir / "first.bmp");
  EXPECT_EQ(raw.size(), 54u + 800 * 600 * 3);
}

TEST(HeadlessRunTest, TraceShowsTheStartMenuAndQuitEndsTheRun) {
  test::ScratchDir dir;
  dir.Write("in.txt", "500 quit\n");
  test::RunResult r = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "in.txt") +
                              " --trace " + (dir / "trace.txt"));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string trace = test::ReadText(dir / "trace.txt");
  EXPECT_NE(trace.find(" state -1 7"), std::string::npos) << trace;
}

TEST(HeadlessRunTest, RelativeInputAndTracePathsAreTakenFromWhereTheGameStarted) {
  test::ScratchDir dir;
  dir.Write("in.txt", "500 quit\n");
  dir.Write("game/.keep", "");
  test::RunResult r = test::RunCommand("cd " + dir.path() + " && " + test::GameBinary() +
                                       " --headless --workdir game --input in.txt --trace trace.txt");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_FALSE(test::ReadText(dir / "trace.txt").empty());
}

TEST(HeadlessRunTest, MalformedScriptStopsStartUpNamingFileAndLine) {
  test::ScratchDir dir;
  dir.Write("bad.txt", "10 move 1 2\n20 fly away\n");
  test::RunResult r = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "bad.txt"));
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.output.find("bad.txt"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("line 2"), std::string::npos) << r.output;
}

TEST(HeadlessRunTest, BadCommandLinesAndFoldersFailLoudly) {
  EXPECT_EQ(RunGame("--frobnicate").exitCode, 2);
  EXPECT_EQ(RunGame("--headless --pixel-format 888").exitCode, 2);
  EXPECT_EQ(RunGame("--headless --max-ms -1").exitCode, 2);
  test::RunResult r = RunGame("--headless --workdir /nonexistent/folder --max-ms 10");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("/nonexistent/folder"), std::string::npos) << r.output;
}

TEST(HeadlessRunTest, ClockStartNearTheWrapAndTheOtherPixelLayoutRun) {
  test::ScratchDir dir;
  test::RunResult r = RunGame("--headless --workdir " + dir.path() +
                              " --clock-start 4294966296 --pixel-format 555 --max-ms 3000");
  EXPECT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace
}  // namespace tessera
