#include "movies.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "platform/ffmpeg/ffmpeg_handles.h"
#include "sounds.h"

namespace tessera::tool {

namespace {

struct FormatDeleter {
  void operator()(AVFormatContext* f) const {
    if (!f) return;
    if (f->pb) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};

std::string AvError(int code) {
  char buf[128];
  av_strerror(code, buf, sizeof buf);
  return buf;
}

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

bool EncodeAvi(const MovieSpec& plan, const std::string& hostPath, std::string& error) {
  if (plan.width <= 0 || plan.height <= 0 || plan.width % 2 || plan.height % 2 || plan.fps <= 0 || plan.frames <= 0) {
    error = "bad movie size";
    return false;
  }
  size_t slash = hostPath.find_last_of('/');
  if (slash != std::string::npos && !MakeHostDirs(hostPath.substr(0, slash))) {
    error = "cannot create the folder of " + hostPath;
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
  std::unique_ptr<AVCodecContext, CodecFreer> video(avcodec_alloc_context3(vcodec));
  std::unique_ptr<AVCodecContext, CodecFreer> audio(avcodec_alloc_context3(acodec));
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
  audio->sample_rate = SOUND_RATE;
  audio->sample_fmt = AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&audio->ch_layout, 1);
  audio->time_base = AVRational{1, SOUND_RATE};
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

  std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
  std::unique_ptr<AVFrame, FrameFreer> sound(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketFreer> pkt(av_packet_alloc());
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
  const int samplesPerFrame = SOUND_RATE / plan.fps;
  Canvas canvas(plan.width, plan.height);
  for (int i = 0; i < plan.frames; ++i) {
    canvas = Canvas(plan.width, plan.height);
    if (plan.paint) plan.paint(i, canvas);
    if (av_frame_make_writable(frame.get()) < 0) {
      error = "frame not writable";
      return false;
    }
    for (int y = 0; y < plan.height; ++y)
      for (int x = 0; x < plan.width; ++x) {
        const uint8_t* p = &canvas.rgb[(static_cast<size_t>(y) * plan.width + x) * 3];
        int Y = ((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) >> 8) + 16;
        frame->data[0][y * frame->linesize[0] + x] = static_cast<uint8_t>(Y);
      }
    for (int y = 0; y < plan.height / 2; ++y)
      for (int x = 0; x < plan.width / 2; ++x) {
        int r = 0, g = 0, b = 0;
        for (int k = 0; k < 4; ++k) {
          const uint8_t* p = &canvas.rgb[(static_cast<size_t>(2 * y + k / 2) * plan.width + 2 * x + k % 2) * 3];
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
    sound->sample_rate = SOUND_RATE;
    av_channel_layout_default(&sound->ch_layout, 1);
    sound->nb_samples = samplesPerFrame;
    if (av_frame_get_buffer(sound.get(), 0) < 0) {
      error = "out of memory";
      return false;
    }
    int16_t* dst = reinterpret_cast<int16_t*>(sound->data[0]);
    for (int k = 0; k < samplesPerFrame; ++k) {
      size_t at = static_cast<size_t>(i) * samplesPerFrame + k;
      dst[k] = at < plan.sound.size() ? plan.sound[at] : 0;
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

}  // namespace tessera::tool
