// PNG files through FFmpeg's PNG encoder: screenshots and the tool's icons. The
// encoder does the compression; the file goes to disk by atomic replace, so a
// failed write never leaves half a picture under the final name.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
}

#include <cstring>
#include <memory>

#include "platform/backends.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "platform/file_system.h"

namespace tessera {

bool EncodePng(const uint8_t* rgb, int width, int height, int stride, std::vector<uint8_t>& png,
               std::string& error) {
  png.clear();
  if (!rgb || width <= 0 || height <= 0 || width > 16384 || height > 16384 || stride < width * 3) {
    error = "no picture to write";
    return false;
  }
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (!codec) {
    error = "this build has no PNG encoder";
    return false;
  }
  CodecPtr context(avcodec_alloc_context3(codec));
  FramePtr frame(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!context || !frame || !packet) {
    error = "out of memory";
    return false;
  }
  context->width = width;
  context->height = height;
  context->pix_fmt = AV_PIX_FMT_RGB24;
  context->time_base = AVRational{1, 1};
  if (avcodec_open2(context.get(), codec, nullptr) < 0) {
    error = "cannot start the PNG encoder";
    return false;
  }
  frame->width = width;
  frame->height = height;
  frame->format = AV_PIX_FMT_RGB24;
  if (av_frame_get_buffer(frame.get(), 0) < 0) {
    error = "out of memory";
    return false;
  }
  for (int y = 0; y < height; ++y)
    std::memcpy(frame->data[0] + static_cast<size_t>(y) * frame->linesize[0],
                rgb + static_cast<size_t>(y) * stride, static_cast<size_t>(width) * 3);
  if (avcodec_send_frame(context.get(), frame.get()) < 0 || avcodec_send_frame(context.get(), nullptr) < 0) {
    error = "the PNG encoder refused the picture";
    return false;
  }
  while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
    png.insert(png.end(), packet->data, packet->data + packet->size);
    av_packet_unref(packet.get());
  }
  if (png.empty()) {
    error = "the PNG encoder gave nothing";
    return false;
  }
  return true;
}

bool WritePngFile(const std::string& path, const uint8_t* rgb, int width, int height, int stride,
                  std::string& error) {
  std::vector<uint8_t> png;
  if (!EncodePng(rgb, width, height, stride, png, error)) return false;
  if (!HostWriteFileAtomically(path, png.data(), png.size())) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace tessera
