// Movies through FFmpeg: the file's best video stream decoded and converted by
// swscale straight into the display's 16-bit layout, its best audio stream
// decoded and resampled to 16-bit PCM. Packets of one stream met while reading
// for the other wait in a queue, bounded so that a badly interleaved or hostile
// file cannot hoard memory.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <deque>
#include <memory>

#include "platform/backends.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace tessera {

namespace {

// Video packets read ahead while the sound track is decoded.
constexpr size_t kMaxQueuedVideoPackets = 512;
constexpr size_t kMaxQueuedVideoBytes = 64u << 20;
// Decoded sound not yet taken by the player (about three minutes of CD audio).
constexpr size_t kMaxPendingAudioBytes = 32u << 20;
// Packets a decoder may refuse in a row before the stream counts as broken.
constexpr int kMaxRejectedPackets = 256;
// The longest a single frame is believed to stay when its stamps say more.
constexpr int64_t kMaxFrameMs = 10000;
// The fast unscaled YUV to 16-bit path leaves the last pixels of rows whose
// width is not a multiple of 8 unwritten; accurate rounding avoids that path.
constexpr int kScaleFlags = SWS_BILINEAR | SWS_ACCURATE_RND;

AVPixelFormat DisplayLayout(const ChannelMasks& m) {
  if (m.red == 0xF800 && m.green == 0x07E0 && m.blue == 0x001F) return AV_PIX_FMT_RGB565;
  if (m.red == 0x001F && m.green == 0x07E0 && m.blue == 0xF800) return AV_PIX_FMT_BGR565;
  if (m.red == 0x7C00 && m.green == 0x03E0 && m.blue == 0x001F) return AV_PIX_FMT_RGB555;
  if (m.red == 0x001F && m.green == 0x03E0 && m.blue == 0x7C00) return AV_PIX_FMT_BGR555;
  return AV_PIX_FMT_NONE;
}

int64_t FrameDuration(const AVFrame* f) {
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
  return f->duration;
#else
  return f->pkt_duration;
#endif
}

class FfmpegMovie : public MovieDecoder {
 public:
  ~FfmpegMovie() override { av_channel_layout_uninit(&inLayout_); }

  bool Open(const std::string& hostPath, std::string& error) {
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
      error = "IAMMutiMediaStream create failed";
      return false;
    }
    // Movies are plain local files: no playlists or other containers that would
    // open further files or URLs named inside the data.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", "avi,mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,mpeg,mpegts,ogg,flv,asf,wav", 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // On failure avformat_open_input frees the context itself.
    const int opened = avformat_open_input(&raw, hostPath.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) {
      error = "MMStream OpenFile failed";
      return false;
    }
    format_.reset(raw);
    if (avformat_find_stream_info(format_.get(), nullptr) < 0) {
      error = "MMStream OpenFile failed";
      return false;
    }
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!frame_ || !packet_) {
      error = "IAMMutiMediaStream create failed";
      return false;
    }
    videoIndex_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    audioIndex_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
    if (videoIndex_ < 0) videoIndex_ = -1;
    // A sound track that cannot be decoded leaves the movie silent, not unplayable.
    if (audioIndex_ < 0 || !OpenAudio()) audioIndex_ = -1;
    for (unsigned i = 0; i < format_->nb_streams; ++i)
      if (static_cast<int>(i) != videoIndex_ && static_cast<int>(i) != audioIndex_)
        format_->streams[i]->discard = AVDISCARD_ALL;
    return true;
  }

  bool HasVideo() const override { return videoIndex_ >= 0; }

  bool StartVideo(const ChannelMasks& masks, int maxWidth, int maxHeight, std::string& error) override {
    if (videoIndex_ < 0) {
      error = "MMStream GetMediaStream failed";
      return false;
    }
    AVStream* stream = format_->streams[videoIndex_];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    video_.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!video_ || avcodec_parameters_to_context(video_.get(), stream->codecpar) < 0 ||
        avcodec_open2(video_.get(), codec, nullptr) < 0) {
      error = "PMStream QueryInterface failed";
      return false;
    }
    const int w = video_->width, h = video_->height;
    if (w <= 0 || h <= 0 || maxWidth <= 0 || maxHeight <= 0) {
      error = "DDERR_INVALIDRECT";
      return false;
    }
    layout_ = DisplayLayout(masks);
    if (layout_ == AV_PIX_FMT_NONE || (video_->pix_fmt != AV_PIX_FMT_NONE && !sws_isSupportedInput(video_->pix_fmt))) {
      error = "DDERR_INVALIDPIXELFORMAT";
      return false;
    }
    width_ = w;
    height_ = h;
    if (w > maxWidth || h > maxHeight) {
      // Scale down to fit, keeping the proportions.
      if (int64_t{w} * maxHeight >= int64_t{h} * maxWidth) {
        width_ = maxWidth;
        height_ = static_cast<int>(std::max<int64_t>(1, int64_t{h} * maxWidth / w));
      } else {
        height_ = maxHeight;
        width_ = static_cast<int>(std::max<int64_t>(1, int64_t{w} * maxHeight / h));
      }
    }
    const AVRational rate = stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0 ? stream->avg_frame_rate
                                                                                               : stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0)
      nominalFrameMs_ = std::clamp<int64_t>(av_rescale(1000, rate.den, rate.num), 1, kMaxFrameMs);
    return true;
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  bool NextVideoFrame(std::vector<uint16_t>& pixels, uint32_t& ptsMs, uint32_t& durationMs) override {
    if (!video_) return false;
    int rejected = 0;
    for (;;) {
      int r = avcodec_receive_frame(video_.get(), frame_.get());
      if (r == 0) {
        bool ok = Convert(pixels);
        Stamp(ptsMs, durationMs);
        av_frame_unref(frame_.get());
        if (ok) return true;
        if (++rejected > kMaxRejectedPackets) return false;
        continue;
      }
      if (r != AVERROR(EAGAIN)) return false;  // the end, or a decoder that gave up
      if (!videoQueue_.empty()) {
        PacketPtr packet = std::move(videoQueue_.front());
        videoQueue_.pop_front();
        queuedVideoBytes_ -= std::min(queuedVideoBytes_, static_cast<size_t>(std::max(packet->size, 0)));
        r = avcodec_send_packet(video_.get(), packet.get());
        // A damaged packet is dropped; only a long run of them ends the movie.
        if (r < 0 && r != AVERROR(EAGAIN) && ++rejected > kMaxRejectedPackets) return false;
        if (r >= 0) rejected = 0;
      } else if (ended_) {
        if (videoFlushed_) return false;
        avcodec_send_packet(video_.get(), nullptr);
        videoFlushed_ = true;
      } else {
        ReadPacket();
      }
    }
  }

  bool HasAudio() const override { return audioIndex_ >= 0; }
  PcmFormat AudioFormat() const override { return audioFormat_; }

  void DecodeAudioUntil(uint32_t ptsMs, std::vector<uint8_t>& out) override {
    if (audioIndex_ < 0) return;
    while (AudioMs() < ptsMs && !ended_ && videoQueue_.size() < kMaxQueuedVideoPackets &&
           queuedVideoBytes_ < kMaxQueuedVideoBytes)
      ReadPacket();
    if (ended_ && !audioFlushed_) {
      audioFlushed_ = true;
      DecodeAudioPacket(nullptr);
    }
    out.insert(out.end(), pcm_.begin(), pcm_.end());
    pcm_.clear();
  }

 private:
  bool OpenAudio() {
    AVStream* stream = format_->streams[audioIndex_];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    audio_.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!audio_ || avcodec_parameters_to_context(audio_.get(), stream->codecpar) < 0 ||
        avcodec_open2(audio_.get(), codec, nullptr) < 0)
      return false;
    const int channels = audio_->ch_layout.nb_channels;
    const int rate = audio_->sample_rate;
    if (channels <= 0 || rate <= 0) return false;
    audioFormat_.formatTag = FORMAT_TAG_PCM;
    audioFormat_.channels = channels == 1 ? 1 : 2;
    audioFormat_.samplesPerSec = static_cast<uint32_t>(std::clamp(rate, 4000, 192000));
    audioFormat_.bitsPerSample = 16;
    audioFormat_.blockAlign = static_cast<uint16_t>(audioFormat_.channels * 2);
    audioFormat_.avgBytesPerSec = audioFormat_.samplesPerSec * audioFormat_.blockAlign;
    return true;
  }

  uint32_t AudioMs() const {
    return static_cast<uint32_t>(std::min<uint64_t>(samplesOut_ * 1000 / audioFormat_.samplesPerSec, UINT32_MAX));
  }

  // Reads one packet and hands it to its stream; at the end or on a read error
  // the file counts as ended.
  void ReadPacket() {
    if (ended_) return;
    if (av_read_frame(format_.get(), packet_.get()) < 0) {
      ended_ = true;
      return;
    }
    if (packet_->stream_index == videoIndex_ && videoIndex_ >= 0) {
      PacketPtr held(av_packet_alloc());
      if (held) {
        av_packet_move_ref(held.get(), packet_.get());
        queuedVideoBytes_ += static_cast<size_t>(std::max(held->size, 0));
        videoQueue_.push_back(std::move(held));
      }
    } else if (packet_->stream_index == audioIndex_ && audioIndex_ >= 0) {
      DecodeAudioPacket(packet_.get());
    }
    av_packet_unref(packet_.get());
  }

  void DecodeAudioPacket(const AVPacket* packet) {
    if (avcodec_send_packet(audio_.get(), packet) < 0) return;
    while (avcodec_receive_frame(audio_.get(), frame_.get()) == 0) {
      Resample(frame_.get());
      av_frame_unref(frame_.get());
    }
  }

  void Resample(const AVFrame* f) {
    if (f->nb_samples <= 0 || f->sample_rate <= 0 || f->ch_layout.nb_channels <= 0) return;
    if (!resampler_ || f->format != inFormat_ || f->sample_rate != inRate_ ||
        av_channel_layout_compare(&f->ch_layout, &inLayout_) != 0) {
      AVChannelLayout outLayout;
      av_channel_layout_default(&outLayout, audioFormat_.channels);
      SwrContext* raw = nullptr;
      if (swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(audioFormat_.samplesPerSec),
                              const_cast<AVChannelLayout*>(&f->ch_layout), static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr) < 0) {
        swr_free(&raw);
        resampler_.reset();
        return;
      }
      resampler_.reset(raw);
      if (swr_init(resampler_.get()) < 0) {
        resampler_.reset();
        return;
      }
      inFormat_ = f->format;
      inRate_ = f->sample_rate;
      av_channel_layout_uninit(&inLayout_);
      av_channel_layout_copy(&inLayout_, &f->ch_layout);
    }
    const int room = swr_get_out_samples(resampler_.get(), f->nb_samples);
    if (room <= 0) return;
    const size_t frameBytes = audioFormat_.blockAlign;
    if (pcm_.size() + static_cast<size_t>(room) * frameBytes > kMaxPendingAudioBytes) return;  // drop, never hoard
    const size_t at = pcm_.size();
    pcm_.resize(at + static_cast<size_t>(room) * frameBytes);
    uint8_t* outPlanes[1] = {pcm_.data() + at};
    int made = swr_convert(resampler_.get(), outPlanes, room, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    if (made < 0) made = 0;
    pcm_.resize(at + static_cast<size_t>(made) * frameBytes);
    samplesOut_ += static_cast<uint64_t>(made);
  }

  bool Convert(std::vector<uint16_t>& pixels) {
    const AVFrame* f = frame_.get();
    if (f->width <= 0 || f->height <= 0) return false;
    scaler_.reset(sws_getCachedContext(scaler_.release(), f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                       width_, height_, layout_, kScaleFlags, nullptr, nullptr, nullptr));
    if (!scaler_) return false;
    pixels.resize(static_cast<size_t>(width_) * height_);
    uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(pixels.data()), nullptr, nullptr, nullptr};
    int dstStride[4] = {width_ * 2, 0, 0, 0};
    return sws_scale(scaler_.get(), f->data, f->linesize, 0, f->height, dst, dstStride) == height_;
  }

  // The frame's time from the movie's start, and how long it stays.
  void Stamp(uint32_t& ptsMs, uint32_t& durationMs) {
    const AVStream* stream = format_->streams[videoIndex_];
    const AVRational ms{1, 1000};
    int64_t duration = FrameDuration(frame_.get());
    int64_t durMs = duration > 0 ? av_rescale_q(duration, stream->time_base, ms) : nominalFrameMs_;
    durMs = std::clamp<int64_t>(durMs, 0, kMaxFrameMs);
    const int64_t ts = frame_->best_effort_timestamp;
    if (ts != AV_NOPTS_VALUE && origin_ == AV_NOPTS_VALUE)
      origin_ = stream->start_time != AV_NOPTS_VALUE && stream->start_time <= ts ? stream->start_time : ts;
    int64_t offset = 0;
    int64_t at;
    // A stamp too far from the first to subtract counts as no stamp at all.
    if (ts == AV_NOPTS_VALUE || __builtin_sub_overflow(ts, origin_, &offset))
      at = lastPtsMs_ + lastDurationMs_;
    else
      at = av_rescale_q(offset, stream->time_base, ms);
    at = std::clamp<int64_t>(at, 0, INT32_MAX);
    lastPtsMs_ = at;
    lastDurationMs_ = durMs;
    ptsMs = static_cast<uint32_t>(at);
    durationMs = static_cast<uint32_t>(durMs);
  }

  FormatPtr format_;
  CodecPtr video_;
  CodecPtr audio_;
  FramePtr frame_;
  PacketPtr packet_;
  ScalerPtr scaler_;
  ResamplerPtr resampler_;
  int videoIndex_ = -1;
  int audioIndex_ = -1;
  bool ended_ = false;
  bool videoFlushed_ = false;
  bool audioFlushed_ = false;
  std::deque<PacketPtr> videoQueue_;
  size_t queuedVideoBytes_ = 0;

  AVPixelFormat layout_ = AV_PIX_FMT_NONE;
  int width_ = 0;
  int height_ = 0;
  int64_t nominalFrameMs_ = 40;
  int64_t origin_ = AV_NOPTS_VALUE;
  int64_t lastPtsMs_ = 0;
  int64_t lastDurationMs_ = 0;

  PcmFormat audioFormat_;
  std::vector<uint8_t> pcm_;
  uint64_t samplesOut_ = 0;
  int inFormat_ = -1;
  int inRate_ = 0;
  AVChannelLayout inLayout_{};
};

}  // namespace

std::unique_ptr<MovieDecoder> OpenFfmpegMovie(const std::string& hostPath, std::string& error) {
  av_log_set_level(AV_LOG_QUIET);  // failures are reported through the game's own log line
  auto movie = std::make_unique<FfmpegMovie>();
  if (!movie->Open(hostPath, error)) return nullptr;
  return movie;
}

}  // namespace tessera
