// The codec library's side of the content code: photos decoded, squared and
// scaled for import; movies probed for the linter and written for the demo.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/codecs.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace tessera {

namespace {

std::string AvError(int code) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, buf, sizeof buf);
  return buf;
}

// By content, not by name: a photo saved with the wrong extension still loads.
AVCodecID SniffPicture(const std::vector<uint8_t>& b) {
  static const uint8_t PNG[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (b.size() >= 8 && std::memcmp(b.data(), PNG, 8) == 0) return AV_CODEC_ID_PNG;
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return AV_CODEC_ID_MJPEG;
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return AV_CODEC_ID_BMP;
  return AV_CODEC_ID_NONE;
}

struct FormatDeleter {
  void operator()(AVFormatContext* f) const {
    if (!f) return;
    if (f->pb) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};

bool Drain(AVCodecContext* codec, AVStream* stream, AVFormatContext* fmt, AVPacket* pkt, std::string& error) {
  for (;;) {
    int rc = avcodec_receive_packet(codec, pkt);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) {
      error = "encoding failed: " + AvError(rc);
      return false;
    }
    av_packet_rescale_ts(pkt, codec->time_base, stream->time_base);
    pkt->stream_index = stream->index;
    rc = av_interleaved_write_frame(fmt, pkt);
    if (rc < 0) {
      error = "writing failed: " + AvError(rc);
      return false;
    }
  }
}

}  // namespace

bool DecodeSquarePicture(std::vector<uint8_t>&& bytes, int side, int64_t maxPixels, SquarePicture& out,
                         std::string& error) {
  // A picture that is refused is named with its reason; the decoder's own
  // chatter would only bury that.
  av_log_set_level(AV_LOG_QUIET);
  AVCodecID id = SniffPicture(bytes);
  if (id == AV_CODEC_ID_NONE) {
    error = "neither PNG, JPEG nor BMP";
    return false;
  }
  const AVCodec* codec = avcodec_find_decoder(id);
  if (!codec) {
    error = "no decoder for this kind of picture";
    return false;
  }
  CodecPtr ctx(avcodec_alloc_context3(codec));
  FramePtr frame(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!ctx || !frame || !packet) {
    error = "out of memory";
    return false;
  }
  ctx->thread_count = 1;
  ctx->max_pixels = maxPixels;
  int rc = avcodec_open2(ctx.get(), codec, nullptr);
  if (rc < 0) {
    error = "decoder: " + AvError(rc);
    return false;
  }
  // The packet buffer carries the padding the decoders read past the end.
  rc = av_new_packet(packet.get(), static_cast<int>(bytes.size()));
  if (rc < 0) {
    error = "out of memory";
    return false;
  }
  std::memcpy(packet->data, bytes.data(), bytes.size());
  bytes = std::vector<uint8_t>();
  rc = avcodec_send_packet(ctx.get(), packet.get());
  if (rc >= 0) avcodec_send_packet(ctx.get(), nullptr);
  if (rc >= 0) rc = avcodec_receive_frame(ctx.get(), frame.get());
  if (rc < 0) {
    error = "cannot be decoded: " + AvError(rc);
    return false;
  }
  if (frame->width <= 0 || frame->height <= 0 ||
      static_cast<int64_t>(frame->width) * frame->height > maxPixels) {
    error = "picture size " + std::to_string(frame->width) + "x" + std::to_string(frame->height) + " refused";
    return false;
  }
  int square = std::min(frame->width, frame->height);
  frame->crop_left = static_cast<size_t>((frame->width - square) / 2);
  frame->crop_right = static_cast<size_t>(frame->width - square) - frame->crop_left;
  frame->crop_top = static_cast<size_t>((frame->height - square) / 2);
  frame->crop_bottom = static_cast<size_t>(frame->height - square) - frame->crop_top;
  // Pictures of one bit per pixel can only be cut at the right and the bottom.
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
  if (desc && (desc->flags & AV_PIX_FMT_FLAG_BITSTREAM)) {
    frame->crop_right += frame->crop_left;
    frame->crop_bottom += frame->crop_top;
    frame->crop_left = frame->crop_top = 0;
  }
  rc = av_frame_apply_cropping(frame.get(), AV_FRAME_CROP_UNALIGNED);
  if (rc < 0 || frame->width != square || frame->height != square) {
    error = "cannot be cropped: " + (rc < 0 ? AvError(rc) : std::string("unexpected size"));
    return false;
  }
  // Area averaging when shrinking keeps fine detail from turning into noise;
  // bicubic when enlarging a small picture.
  int flags = (frame->width >= side ? SWS_AREA : SWS_BICUBIC) | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;
  ScalerPtr sws(sws_getContext(frame->width, frame->height,
                                                          static_cast<AVPixelFormat>(frame->format), side, side,
                                                          AV_PIX_FMT_RGB24, flags, nullptr, nullptr, nullptr));
  if (!sws) {
    error = "its pixel format cannot be converted";
    return false;
  }
  out.rgb.assign(static_cast<size_t>(side) * side * 3, 0);
  uint8_t* dst[4] = {out.rgb.data(), nullptr, nullptr, nullptr};
  int dstStride[4] = {side * 3, 0, 0, 0};
  if (sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride) != side) {
    error = "cannot be scaled";
    return false;
  }
  const AVDictionaryEntry* tag = av_dict_get(frame->metadata, "Orientation", nullptr, 0);
  out.orientation = tag ? std::atoi(tag->value) : 0;
  return true;
}

// Opens the movie and decodes its first video frame.
bool ProbeMovie(const std::string& hostPath, std::string& why, bool& hasAudio) {
  // The findings say what is wrong; FFmpeg's own chatter would only bury them.
  av_log_set_level(AV_LOG_QUIET);
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, hostPath.c_str(), nullptr, nullptr) < 0) {
    why = "cannot be opened as a movie";
    return false;
  }
  FormatPtr fmt(raw);
  if (avformat_find_stream_info(fmt.get(), nullptr) < 0) {
    why = "stream information unreadable";
    return false;
  }
  int vi = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  hasAudio = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  if (vi < 0) {
    why = "no video stream";
    return false;
  }
  const AVCodec* codec = avcodec_find_decoder(fmt->streams[vi]->codecpar->codec_id);
  if (!codec) {
    why = "no decoder for its video";
    return false;
  }
  CodecPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx || avcodec_parameters_to_context(ctx.get(), fmt->streams[vi]->codecpar) < 0 ||
      avcodec_open2(ctx.get(), codec, nullptr) < 0) {
    why = "video decoder cannot be opened";
    return false;
  }
  if (ctx->width > 800 || ctx->height > 600) {
    why = "video of " + std::to_string(ctx->width) + "x" + std::to_string(ctx->height) + " is larger than the screen";
    return false;
  }
  PacketPtr pkt(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  for (int packets = 0; packets < 500 && av_read_frame(fmt.get(), pkt.get()) >= 0; ++packets) {
    bool ours = pkt->stream_index == vi;
    if (ours) avcodec_send_packet(ctx.get(), pkt.get());
    av_packet_unref(pkt.get());
    if (ours && avcodec_receive_frame(ctx.get(), frame.get()) >= 0) return true;
  }
  avcodec_send_packet(ctx.get(), nullptr);
  if (avcodec_receive_frame(ctx.get(), frame.get()) >= 0) return true;
  why = "no video frame could be decoded";
  return false;
}

bool WriteAvi(const AviPlan& plan, const std::string& hostPath, std::string& error) {
  if (plan.width <= 0 || plan.height <= 0 || plan.width % 2 || plan.height % 2 || plan.fps <= 0 || plan.frames <= 0) {
    error = "bad movie size";
    return false;
  }
  AVFormatContext* raw = nullptr;
  int rc = avformat_alloc_output_context2(&raw, nullptr, "avi", hostPath.c_str());
  std::unique_ptr<AVFormatContext, FormatDeleter> fmt(raw);
  if (rc < 0 || !fmt) {
    error = "no AVI muxer: " + AvError(rc);
    return false;
  }
  fmt->flags |= AVFMT_FLAG_BITEXACT;

  const AVCodec* vcodec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  const AVCodec* acodec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
  if (!vcodec || !acodec) {
    error = "MPEG-4 or PCM encoder missing";
    return false;
  }
  CodecPtr video(avcodec_alloc_context3(vcodec));
  CodecPtr audio(avcodec_alloc_context3(acodec));
  if (!video || !audio) {
    error = "out of memory";
    return false;
  }
  video->width = plan.width;
  video->height = plan.height;
  video->pix_fmt = AV_PIX_FMT_YUV420P;
  video->time_base = AVRational{1, plan.fps};
  video->framerate = AVRational{plan.fps, 1};
  video->gop_size = plan.fps;
  video->bit_rate = 900000;
  video->thread_count = 1;
  video->flags |= AV_CODEC_FLAG_BITEXACT;
  if (fmt->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  audio->sample_rate = plan.soundRate;
  audio->sample_fmt = AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&audio->ch_layout, 1);
  audio->time_base = AVRational{1, plan.soundRate};
  audio->flags |= AV_CODEC_FLAG_BITEXACT;
  if ((rc = avcodec_open2(video.get(), vcodec, nullptr)) < 0 || (rc = avcodec_open2(audio.get(), acodec, nullptr)) < 0) {
    error = "cannot open encoder: " + AvError(rc);
    return false;
  }
  AVStream* vs = avformat_new_stream(fmt.get(), nullptr);
  AVStream* as = avformat_new_stream(fmt.get(), nullptr);
  if (!vs || !as) {
    error = "out of memory";
    return false;
  }
  avcodec_parameters_from_context(vs->codecpar, video.get());
  avcodec_parameters_from_context(as->codecpar, audio.get());
  vs->time_base = video->time_base;
  as->time_base = audio->time_base;
  if ((rc = avio_open(&fmt->pb, hostPath.c_str(), AVIO_FLAG_WRITE)) < 0) {
    error = "cannot create " + hostPath + ": " + AvError(rc);
    return false;
  }
  if ((rc = avformat_write_header(fmt.get(), nullptr)) < 0) {
    error = "cannot write header: " + AvError(rc);
    return false;
  }

  FramePtr frame(av_frame_alloc());
  FramePtr sound(av_frame_alloc());
  PacketPtr pkt(av_packet_alloc());
  if (!frame || !sound || !pkt) {
    error = "out of memory";
    return false;
  }
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = plan.width;
  frame->height = plan.height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) {
    error = "out of memory";
    return false;
  }
  const int samplesPerFrame = plan.soundRate / plan.fps;
  const size_t frameBytes = static_cast<size_t>(plan.width) * plan.height * 3;
  std::vector<uint8_t> rgb;
  for (int i = 0; i < plan.frames; ++i) {
    rgb.assign(frameBytes, 0);
    if (plan.paint) plan.paint(i, rgb);
    if (rgb.size() != frameBytes) {
      error = "a movie frame of the wrong size";
      return false;
    }
    if (av_frame_make_writable(frame.get()) < 0) {
      error = "frame not writable";
      return false;
    }
    for (int y = 0; y < plan.height; ++y)
      for (int x = 0; x < plan.width; ++x) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * plan.width + x) * 3];
        int Y = ((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) >> 8) + 16;
        frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(Y);
      }
    for (int y = 0; y < plan.height / 2; ++y)
      for (int x = 0; x < plan.width / 2; ++x) {
        int r = 0, g = 0, b = 0;
        for (int k = 0; k < 4; ++k) {
          const uint8_t* p = &rgb[(static_cast<size_t>(2 * y + k / 2) * plan.width + 2 * x + k % 2) * 3];
          r += p[0];
          g += p[1];
          b += p[2];
        }
        r /= 4, g /= 4, b /= 4;
        frame->data[1][y * frame->linesize[1] + x] = static_cast<uint8_t>(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
        frame->data[2][y * frame->linesize[2] + x] = static_cast<uint8_t>(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
      }
    frame->pts = i;
    if ((rc = avcodec_send_frame(video.get(), frame.get())) < 0) {
      error = "encoding failed: " + AvError(rc);
      return false;
    }
    if (!Drain(video.get(), vs, fmt.get(), pkt.get(), error)) return false;

    sound->format = AV_SAMPLE_FMT_S16;
    sound->sample_rate = plan.soundRate;
    av_channel_layout_default(&sound->ch_layout, 1);
    sound->nb_samples = samplesPerFrame;
    if (av_frame_get_buffer(sound.get(), 0) < 0) {
      error = "out of memory";
      return false;
    }
    int16_t* dst = reinterpret_cast<int16_t*>(sound->data[0]);
    for (int k = 0; k < samplesPerFrame; ++k) {
      size_t at = static_cast<size_t>(i) * samplesPerFrame + k;
      dst[k] = plan.sound && at < plan.sound->size() ? (*plan.sound)[at] : 0;
    }
    sound->pts = static_cast<int64_t>(i) * samplesPerFrame;
    if ((rc = avcodec_send_frame(audio.get(), sound.get())) < 0) {
      error = "encoding failed: " + AvError(rc);
      return false;
    }
    av_frame_unref(sound.get());
    if (!Drain(audio.get(), as, fmt.get(), pkt.get(), error)) return false;
  }
  avcodec_send_frame(video.get(), nullptr);
  if (!Drain(video.get(), vs, fmt.get(), pkt.get(), error)) return false;
  avcodec_send_frame(audio.get(), nullptr);
  if (!Drain(audio.get(), as, fmt.get(), pkt.get(), error)) return false;
  if ((rc = av_write_trailer(fmt.get())) < 0) {
    error = "cannot finish file: " + AvError(rc);
    return false;
  }
  return true;
}

}  // namespace tessera
