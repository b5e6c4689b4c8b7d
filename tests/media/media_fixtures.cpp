#include "media/media_fixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <cstdlib>

#include "gfx/pixel_format.h"

namespace tessera::test {

// ---- WAV bytes ----

std::string Le16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(uint16_t(v & 0xFFFF)) + Le16(uint16_t(v >> 16)); }

std::string ChunkHeader(const std::string& id, uint32_t declared) { return id.substr(0, 4) + Le32(declared); }

std::string Chunk(const std::string& id, const std::string& data) {
  std::string out = ChunkHeader(id, static_cast<uint32_t>(data.size())) + data;
  if (data.size() % 2) out += '\0';
  return out;
}

std::string Riff(const std::string& form, const std::string& body) {
  return ChunkHeader("RIFF", static_cast<uint32_t>(body.size() + 4)) + form + body;
}

std::string FormatFields(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}

std::string PcmFmtChunk(uint16_t channels, uint32_t rate, uint16_t bits) {
  return Chunk("fmt ", FormatFields(1, channels, rate, bits));
}

std::string Pattern(size_t count, uint8_t first) {
  std::string s(count, '\0');
  for (size_t i = 0; i < count; ++i) s[i] = static_cast<char>(static_cast<uint8_t>(first + i));
  return s;
}

std::string PcmWav(uint32_t ms, uint32_t rate, uint16_t channels, uint16_t bits) {
  const uint64_t bytes = uint64_t{rate} * channels * (bits / 8) * ms / 1000;
  return Riff("WAVE", PcmFmtChunk(channels, rate, bits) + Chunk("data", Pattern(bytes)));
}

// ---- Audio that records ----

bool AudioRecord::Saw(const std::string& call) const {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool RecordingAudio::LoadVoice(int voice, const PcmFormat& format, const uint8_t*, size_t bytes) {
  record_->calls.push_back("load " + std::to_string(voice));
  if (record_->rejectLoads || voice < 0 || voice > 4) return false;
  record_->formats[voice] = format;
  record_->bytes[voice] = bytes;
  return true;
}

void RecordingAudio::PlayVoice(int voice, bool loop) {
  record_->calls.push_back("play " + std::to_string(voice) + (loop ? " loop" : " once"));
}

void RecordingAudio::ReleaseVoice(int voice) { record_->calls.push_back("release " + std::to_string(voice)); }

bool RecordingAudio::SetVoiceVolume(int voice, int hundredthsDb) {
  record_->calls.push_back("volume " + std::to_string(voice) + " " + std::to_string(hundredthsDb));
  return true;
}

bool RecordingAudio::OpenStream(const PcmFormat& format) {
  record_->calls.push_back("open stream");
  record_->streamOpen = true;
  record_->streamFormat = format;
  record_->stream.clear();
  return true;
}

void RecordingAudio::QueueStream(const uint8_t* data, size_t bytes) {
  record_->stream.insert(record_->stream.end(), data, data + bytes);
}

void RecordingAudio::CloseStream() {
  record_->calls.push_back("close stream");
  record_->streamOpen = false;
}

MediaPlatform::MediaPlatform(HeadlessOptions options, bool initDisplay) : HeadlessPlatform(std::move(options)) {
  SetPlatform(this);
  std::string error;
  if (initDisplay) InitDisplay(error);
  ChannelMasks masks;
  ReadSurfaceMasks(masks);
  SetPixelFormat(masks);
}

MediaPlatform::~MediaPlatform() { SetPlatform(nullptr); }

std::unique_ptr<AudioDevice> MediaPlatform::OpenAudio(std::string& error) {
  if (noAudio) {
    error = audioError;
    return nullptr;
  }
  return std::make_unique<RecordingAudio>(audio);
}

void MediaPlatform::ShowSurface() {
  HeadlessPlatform::ShowSurface();
  ShownFrame frame;
  frame.ms = ElapsedMs();
  frame.streamBytes = audio->stream.size();
  if (keepFrames) {
    frame.surface.resize(800 * 600);
    for (int y = 0; y < 600; ++y)
      std::copy_n(reinterpret_cast<const uint16_t*>(Surface().data() + static_cast<size_t>(y) * Pitch()), 800,
                  frame.surface.begin() + y * 800);
  }
  frames.push_back(std::move(frame));
}

std::unique_ptr<MovieDecoder> MediaPlatform::OpenMovie(const std::string& hostPath, std::string& error) {
  if (fakeMovie) return fakeMovie();
  return HeadlessPlatform::OpenMovie(hostPath, error);
}

HeadlessOptions QuietMediaOptions() {
  HeadlessOptions options;
  options.quietMessages = true;
  options.realFonts = false;
  return options;
}

ScriptEvent KeyAt(uint32_t ms, bool down, uint32_t key) {
  ScriptEvent e;
  e.ms = ms;
  e.message.kind = down ? MessageKind::KeyDown : MessageKind::KeyUp;
  e.message.virtualKey = key;
  return e;
}

ScriptEvent ButtonAt(uint32_t ms, MessageKind kind, MouseButton button) {
  ScriptEvent e;
  e.ms = ms;
  e.message.kind = kind;
  e.message.button = button;
  e.atCurrentPosition = true;
  return e;
}

// ---- Movies ----

int16_t TrackSample(size_t i, int channel) {
  return static_cast<int16_t>((static_cast<int>(i % 997) * 37 + channel * 5000) % 20000 - 10000);
}

namespace {

struct Encoder {
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  ~Encoder() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
};

bool Drain(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVPacket* packet) {
  for (;;) {
    int r = avcodec_receive_packet(codec, packet);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    if (av_interleaved_write_frame(format, packet) < 0) return false;
  }
}

// Full-range RGB to the limited-range YUV the MPEG-4 decoder reads back.
void ToYuv(Rgb8 c, uint8_t& y, uint8_t& u, uint8_t& v) {
  auto clamp = [](int x) { return static_cast<uint8_t>(std::clamp(x, 0, 255)); };
  y = clamp((66 * c.r + 129 * c.g + 25 * c.b + 128) / 256 + 16);
  u = clamp((-38 * c.r - 74 * c.g + 112 * c.b + 128) / 256 + 128);
  v = clamp((112 * c.r - 94 * c.g - 18 * c.b + 128) / 256 + 128);
}

}  // namespace

bool WriteMovie(const std::string& hostPath, const MovieSpec& plan, std::string& error) {
  Encoder e;
  if (avformat_alloc_output_context2(&e.format, nullptr, "avi", hostPath.c_str()) < 0) {
    error = "no avi muxer";
    return false;
  }
  const AVCodec* vcodec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  AVStream* vstream = avformat_new_stream(e.format, nullptr);
  e.video = avcodec_alloc_context3(vcodec);
  if (!vcodec || !vstream || !e.video) {
    error = "no mpeg4 encoder";
    return false;
  }
  e.video->width = plan.width;
  e.video->height = plan.height;
  e.video->time_base = AVRational{1, plan.fps};
  e.video->framerate = AVRational{plan.fps, 1};
  e.video->pix_fmt = AV_PIX_FMT_YUV420P;
  e.video->gop_size = 1;
  e.video->flags |= AV_CODEC_FLAG_QSCALE;
  e.video->global_quality = FF_QP2LAMBDA * 2;
  if (e.format->oformat->flags & AVFMT_GLOBALHEADER) e.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(e.video, vcodec, nullptr) < 0 || avcodec_parameters_from_context(vstream->codecpar, e.video) < 0) {
    error = "cannot open the video encoder";
    return false;
  }
  vstream->time_base = e.video->time_base;

  AVStream* astream = nullptr;
  if (plan.audioRate > 0) {
    const AVCodec* acodec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    astream = avformat_new_stream(e.format, nullptr);
    e.audio = avcodec_alloc_context3(acodec);
    if (!acodec || !astream || !e.audio) {
      error = "no pcm encoder";
      return false;
    }
    e.audio->sample_fmt = AV_SAMPLE_FMT_S16;
    e.audio->sample_rate = plan.audioRate;
    av_channel_layout_default(&e.audio->ch_layout, plan.audioChannels);
    e.audio->time_base = AVRational{1, plan.audioRate};
    if (avcodec_open2(e.audio, acodec, nullptr) < 0 || avcodec_parameters_from_context(astream->codecpar, e.audio) < 0) {
      error = "cannot open the audio encoder";
      return false;
    }
    astream->time_base = e.audio->time_base;
  }

  if (avio_open(&e.format->pb, hostPath.c_str(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(e.format, nullptr) < 0) {
    error = "cannot write " + hostPath;
    return false;
  }
  e.frame = av_frame_alloc();
  e.packet = av_packet_alloc();

  // Sound first, in blocks of a tenth of a second, then the pictures: the muxer
  // interleaves them by time.
  if (astream) {
    const int total = static_cast<int>(int64_t{plan.audioRate} * plan.audioMs / 1000);
    const int block = std::max(1, plan.audioRate / 10);
    for (int at = 0; at < total; at += block) {
      av_frame_unref(e.frame);
      e.frame->nb_samples = std::min(block, total - at);
      e.frame->format = AV_SAMPLE_FMT_S16;
      e.frame->sample_rate = plan.audioRate;
      av_channel_layout_copy(&e.frame->ch_layout, &e.audio->ch_layout);
      if (av_frame_get_buffer(e.frame, 0) < 0) return false;
      auto* samples = reinterpret_cast<int16_t*>(e.frame->data[0]);
      for (int i = 0; i < e.frame->nb_samples; ++i)
        for (int c = 0; c < plan.audioChannels; ++c) samples[i * plan.audioChannels + c] = TrackSample(at + i, c);
      e.frame->pts = at;
      if (avcodec_send_frame(e.audio, e.frame) < 0 || !Drain(e.format, e.audio, astream, e.packet)) {
        error = "cannot encode sound";
        return false;
      }
    }
  }
  for (size_t n = 0; n < plan.top.size(); ++n) {
    av_frame_unref(e.frame);
    e.frame->format = AV_PIX_FMT_YUV420P;
    e.frame->width = plan.width;
    e.frame->height = plan.height;
    if (av_frame_get_buffer(e.frame, 0) < 0) return false;
    const Rgb8 lower = n < plan.bottom.size() ? plan.bottom[n] : plan.top[n];
    for (int y = 0; y < plan.height; ++y) {
      uint8_t yy, uu, vv;
      ToYuv(y < plan.height / 2 ? plan.top[n] : lower, yy, uu, vv);
      std::fill_n(e.frame->data[0] + y * e.frame->linesize[0], plan.width, yy);
      if (y % 2 == 0) {
        std::fill_n(e.frame->data[1] + (y / 2) * e.frame->linesize[1], (plan.width + 1) / 2, uu);
        std::fill_n(e.frame->data[2] + (y / 2) * e.frame->linesize[2], (plan.width + 1) / 2, vv);
      }
    }
    e.frame->pts = static_cast<int64_t>(n);
    if (avcodec_send_frame(e.video, e.frame) < 0 || !Drain(e.format, e.video, vstream, e.packet)) {
      error = "cannot encode a picture";
      return false;
    }
  }
  avcodec_send_frame(e.video, nullptr);
  Drain(e.format, e.video, vstream, e.packet);
  if (e.audio) {
    avcodec_send_frame(e.audio, nullptr);
    Drain(e.format, e.audio, astream, e.packet);
  }
  if (av_write_trailer(e.format) < 0) {
    error = "cannot finish " + hostPath;
    return false;
  }
  return true;
}

bool Near(uint16_t pixel, Rgb8 colour, int tolerance) {
  Rgb c = UnpackPixel(pixel);
  return std::abs(c.r - colour.r) <= tolerance && std::abs(c.g - colour.g) <= tolerance &&
         std::abs(c.b - colour.b) <= tolerance;
}

}  // namespace tessera::test
