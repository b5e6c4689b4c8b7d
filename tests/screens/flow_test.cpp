// Whole flows of the game binary over a small campaign the tests make: input
// scripts in, the trace and frame dumps out.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/campaign.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

struct GameRun {
  RunResult result;
  std::string trace;
};

class FlowTest : public ::testing::Test {
 protected:
  GameRun Play(const std::string& input, const std::string& extra = "", uint64_t maxMs = 60000) {
    dir.Write("in.txt", input);
    GameRun run;
    run.result = RunGame("--headless --workdir " + dir.path() + " --input " + (dir / "in.txt") + " --trace " +
                         (dir / "trace.txt") + " --dump-dir " + dir.path() + " --max-ms " + std::to_string(maxMs) +
                         " " + extra);
    run.trace = ReadText(dir / "trace.txt");
    return run;
  }
  // The state changes of a trace as "old new level" lines.
  static std::vector<std::string> States(const std::string& trace) {
    std::vector<std::string> out;
    std::istringstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
      size_t p = line.find(" state ");
      if (p != std::string::npos) out.push_back(line.substr(p + 7));
    }
    return out;
  }
  static bool Has(const std::vector<std::string>& states, const std::string& change) {
    for (const std::string& s : states)
      if (s == change || s.rfind(change + " ", 0) == 0) return true;
    return false;
  }
  Picture Dump(const std::string& name) {
    Picture p;
    EXPECT_TRUE(ReadBmp24(dir / (name + ".bmp"), p)) << name;
    return p;
  }
  static uint32_t Rgb(CampaignColour c) {
    // The colour as it comes back from a 5-6-5 surface.
    return (uint32_t(c.r & 0xF8) << 16) | (uint32_t(c.g & 0xFC) << 8) | (c.b & 0xF8);
  }
  ScratchDir dir;
};

TEST_F(FlowTest, AutoplayPlaysTheCampaignToItsEndAndQuits) {
  BuildCampaign(dir);
  RunResult r = RunGame("--headless --autoplay --workdir " + dir.path() + " --trace " + (dir / "trace.txt") +
                        " --max-ms 600000");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::string> s = States(ReadText(dir / "trace.txt"));
  EXPECT_TRUE(Has(s, "7 0")) << ReadText(dir / "trace.txt");
  EXPECT_TRUE(Has(s, "0 1 Level00"));
  EXPECT_TRUE(Has(s, "1 9 Level00"));
  EXPECT_TRUE(Has(s, "9 2 Level00"));
  EXPECT_TRUE(Has(s, "2 1 Level01"));
  EXPECT_TRUE(Has(s, "2 10 GameEnd"));
  EXPECT_TRUE(Has(s, "10 7 GameEnd"));
  EXPECT_TRUE(Has(s, "7 12 GameEnd"));
}

}  // namespace
}  // namespace tessera::test
