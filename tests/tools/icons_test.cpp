// What the install takes from the tool besides the campaigns: the icons in the
// theme sizes, and one version line shared by the game and the tool.
extern "C" {
#include <libavcodec/avcodec.h>
}

#include <gtest/gtest.h>

#include <regex>

#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

struct Rgb {
  int r = -1, g = -1, b = -1;
};

// The pixels of a PNG file through FFmpeg's decoder; empty when it is no PNG.
std::vector<uint8_t> DecodePng(const std::string& path, int& width, int& height) {
  std::vector<uint8_t> bytes = ReadBytes(path), rgb;
  bytes.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PNG);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  packet->data = bytes.data();
  packet->size = static_cast<int>(bytes.size() - AV_INPUT_BUFFER_PADDING_SIZE);
  if (avcodec_open2(context, codec, nullptr) == 0 && avcodec_send_packet(context, packet) == 0 &&
      avcodec_receive_frame(context, frame) == 0 && frame->format == AV_PIX_FMT_RGB24) {
    width = frame->width;
    height = frame->height;
    for (int y = 0; y < height; ++y)
      rgb.insert(rgb.end(), frame->data[0] + y * frame->linesize[0], frame->data[0] + y * frame->linesize[0] + width * 3);
  }
  packet->data = nullptr;
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return rgb;
}

Rgb At(const std::vector<uint8_t>& rgb, int width, int x, int y) {
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return {p[0], p[1], p[2]};
}

TEST(IconsTest, EveryThemeSizeShowsTheMosaicWithOneTurnedPiece) {
  ScratchDir dir;
  RunResult r = RunTool("make-icons " + Quote(dir / "hicolor") + " --name game.Id");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (int side : {48, 128, 256}) {
    std::string size = std::to_string(side) + "x" + std::to_string(side);
    int width = 0, height = 0;
    std::vector<uint8_t> rgb = DecodePng(dir / ("hicolor/" + size + "/apps/game.Id.png"), width, height);
    ASSERT_FALSE(rgb.empty()) << size;
    EXPECT_EQ(width, side);
    EXPECT_EQ(height, side);
    // The corner is the plain background; the gaps between pieces are too.
    Rgb corner = At(rgb, width, 0, 0), gap = At(rgb, width, side * 86 / 256, side * 50 / 256);
    EXPECT_EQ(corner.r, 0x16);
    EXPECT_EQ(corner.b, 0x2e);
    EXPECT_EQ(gap.g, corner.g) << size;
    // The top right piece is its left neighbour's sky with the colours turned.
    Rgb sky = At(rgb, width, side * 128 / 256, side * 50 / 256);
    Rgb decoy = At(rgb, width, side * 206 / 256, side * 50 / 256);
    EXPECT_NEAR(decoy.r, sky.g, 2) << size;
    EXPECT_NEAR(decoy.g, sky.b, 2) << size;
    EXPECT_NEAR(decoy.b, sky.r, 2) << size;
    EXPECT_GT(sky.b, sky.g + 40) << "the sky at the top is blue";
  }
  std::string svg = ReadText(dir / "hicolor/scalable/apps/game.Id.svg");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("viewBox=\"0 0 256 256\""), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST(IconsTest, BadArgumentsAndUnwritableFoldersFail) {
  ScratchDir dir;
  for (const char* args : {"", "--name x", "a b", "a --name", "a --name bad/name", "a --size 3"}) {
    RunResult r = RunTool(std::string("make-icons ") + args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_NE(r.output.find("usage: tessera-tool make-icons"), std::string::npos) << args;
  }
  dir.Write("taken", "a file where the folder should be");
  RunResult r = RunTool("make-icons " + Quote(dir / "taken"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("cannot create"), std::string::npos) << r.output;
}

TEST(VersionTest, TheGameAndTheToolPrintOneVersion) {
  RunResult tool = RunTool("--version"), game = RunGame("--version");
  ASSERT_EQ(tool.exitCode, 0) << tool.output;
  ASSERT_EQ(game.exitCode, 0) << game.output;
  std::smatch m;
  ASSERT_TRUE(std::regex_match(tool.output, m, std::regex("tessera-tool ([0-9]+\\.[0-9]+[^\\n]*)\\n")))
      << tool.output;
  EXPECT_EQ(game.output, "tessera " + m[1].str() + "\n");
}

}  // namespace
}  // namespace tessera::test
