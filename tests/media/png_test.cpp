// PNG writing: what is written decodes to the very pixels given, and bad
// pictures or unwritable places fail with a reason instead of a broken file.
extern "C" {
#include <libavcodec/avcodec.h>
}

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "platform/backends.h"
#include "support/test_support.h"

namespace tessera {
namespace {

// Decodes a PNG with FFmpeg's decoder into tightly packed RGB rows.
std::vector<uint8_t> DecodePng(const std::vector<uint8_t>& png, int& width, int& height) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PNG);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> padded(png);
  padded.resize(png.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  packet->data = padded.data();
  packet->size = static_cast<int>(png.size());
  if (avcodec_open2(context, codec, nullptr) == 0 && avcodec_send_packet(context, packet) == 0 &&
      avcodec_receive_frame(context, frame) == 0 && frame->format == AV_PIX_FMT_RGB24) {
    width = frame->width;
    height = frame->height;
    for (int y = 0; y < height; ++y)
      rgb.insert(rgb.end(), frame->data[0] + y * frame->linesize[0],
                 frame->data[0] + y * frame->linesize[0] + width * 3);
  }
  av_frame_free(&frame);
  packet->data = nullptr;
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return rgb;
}

TEST(Png, WrittenFileDecodesToTheSamePixelsAndRowsFollowTheStride) {
  const int width = 37, height = 11, stride = width * 3 + 5;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0xEE);
  std::vector<uint8_t> expected;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width * 3; ++x) {
      rows[y * stride + x] = static_cast<uint8_t>(x * 7 + y * 31);
      expected.push_back(rows[y * stride + x]);
    }
  test::ScratchDir dir;
  const std::string path = dir / "written.png";
  std::string error;
  ASSERT_TRUE(WritePngFile(path, rows.data(), width, height, stride, error)) << error;
  const std::vector<uint8_t> png = test::ReadBytes(path);
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
  int w = 0, h = 0;
  EXPECT_EQ(DecodePng(png, w, h), expected);
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
}

TEST(Png, BadPicturesAndUnwritablePlacesFailWithAReason) {
  std::vector<uint8_t> pixel(3 * 20000, 0);
  std::vector<uint8_t> png;
  std::string error;
  EXPECT_FALSE(EncodePng(nullptr, 1, 1, 3, png, error));
  EXPECT_FALSE(EncodePng(pixel.data(), 0, 1, 3, png, error));
  EXPECT_FALSE(EncodePng(pixel.data(), 2, 1, 5, png, error));  // stride shorter than a row
  EXPECT_FALSE(EncodePng(pixel.data(), 20000, 1, 60000, png, error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(WritePngFile("/nonexistent-folder/x/shot.png", pixel.data(), 1, 1, 3, error));
  EXPECT_NE(error.find("/nonexistent-folder/x/shot.png"), std::string::npos);
  EXPECT_TRUE(EncodePng(pixel.data(), 1, 1, 3, png, error));
}

}  // namespace
}  // namespace tessera
