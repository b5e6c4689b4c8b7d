#include "platform/headless/headless_platform.h"

#include <chrono>
#include <cstdio>

#include "platform/backends.h"

namespace tessera {

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options) : options_(std::move(options)) {
  if (options_.pitch < 1600) options_.pitch = 1600;
  delivered_.assign(options_.script.size(), false);
}

HeadlessPlatform::~HeadlessPlatform() = default;

bool HeadlessPlatform::InitDisplay(std::string&) {
  surface_.assign(static_cast<size_t>(options_.pitch) * 600, 0);
  return true;
}

std::unique_ptr<AudioDevice> HeadlessPlatform::OpenAudio(std::string&) { return CreateSilentAudio(); }

bool HeadlessPlatform::ReadSurfaceMasks(ChannelMasks& masks) {
  masks = options_.pixel555 ? ChannelMasks{0x7C00, 0x03E0, 0x001F} : ChannelMasks{0xF800, 0x07E0, 0x001F};
  return true;
}

// The start time plus the virtual seconds gone, carried into minutes, hours,
// days, months and years as the calendar does (no time zone, no leap seconds).
LocalTime HeadlessPlatform::Now() {
  using namespace std::chrono;
  const LocalTime& start = options_.startTime;
  const int months = start.month - 1;
  const int yearCarry = months >= 0 ? months / 12 : -((11 - months) / 12);
  const year_month firstMonth{year{start.year + yearCarry}, month{static_cast<unsigned>(months - yearCarry * 12 + 1)}};
  const sys_seconds when = sys_days{firstMonth / 1} + days{start.day - 1} + hours{start.hour} +
                           minutes{start.minute} + seconds{start.second + static_cast<int>(elapsed_ / 1000)};
  const sys_days day = floor<days>(when);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{when - day};
  return LocalTime{static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                   static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
                   static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())};
}

void HeadlessPlatform::Track(WindowMessage& m) {
  switch (m.kind) {
    case MessageKind::MouseMove:
      x_ = m.x;
      y_ = m.y;
      m.held = held_;
      break;
    case MessageKind::ButtonDown:
    case MessageKind::ButtonDouble:
    case MessageKind::ButtonUp: {
      uint32_t bit = m.button == MouseButton::Left ? HELD_LEFT : m.button == MouseButton::Right ? HELD_RIGHT : HELD_MIDDLE;
      if (m.kind == MessageKind::ButtonUp)
        held_ &= ~bit;
      else
        held_ |= bit;
      m.x = x_;
      m.y = y_;
      break;
    }
    default:
      break;
  }
}

void HeadlessPlatform::Post(const WindowMessage& message) { posted_.push_back(message); }

bool HeadlessPlatform::PollMessage(WindowMessage& message) {
  if (closing_) return false;
  if (options_.maxMs != 0 && elapsed_ >= options_.maxMs) {
    closing_ = true;
    message = WindowMessage{};
    message.kind = MessageKind::Close;
    return true;
  }
  // Script events due now, in file order.
  for (size_t i = nextEvent_; i < options_.script.size(); ++i) {
    if (delivered_[i]) continue;
    const ScriptEvent& e = options_.script[i];
    if (e.ms > elapsed_) continue;
    if (e.kind == ScriptEvent::Kind::Dump) continue;  // taken at presentation
    delivered_[i] = true;
    if (e.kind == ScriptEvent::Kind::Quit) {
      closing_ = true;
      message = WindowMessage{};
      message.kind = MessageKind::Close;
      return true;
    }
    message = e.message;
    Track(message);
    return true;
  }
  while (nextEvent_ < options_.script.size() && delivered_[nextEvent_]) ++nextEvent_;
  if (!posted_.empty()) {
    message = posted_.front();
    posted_.pop_front();
    Track(message);
    return true;
  }
  return false;
}

bool HeadlessPlatform::LockSurface(SurfaceLock& lock) {
  if (surface_.empty()) return false;
  lock.pixels = surface_.data();
  lock.pitch = options_.pitch;
  return true;
}

bool HeadlessPlatform::TakeDueDump(std::string& path) {
  for (size_t i = 0; i < options_.script.size(); ++i) {
    const ScriptEvent& e = options_.script[i];
    if (delivered_[i] || e.kind != ScriptEvent::Kind::Dump || e.ms > elapsed_) continue;
    delivered_[i] = true;
    path = options_.dumpDir + "/" + e.name + ".bmp";
    return true;
  }
  return false;
}

int HeadlessPlatform::ShowMessage(const char* text) {
  messages_.emplace_back(text);
  if (!options_.quietMessages) std::fprintf(stderr, "message: %s\n", text);
  return 1;  // as if OK was pressed
}

std::unique_ptr<MovieDecoder> HeadlessPlatform::OpenMovie(const std::string& hostPath, std::string& error) {
  return OpenFfmpegMovie(hostPath, error);
}

std::unique_ptr<GlyphRasterizer> HeadlessPlatform::CreateGlyphRasterizer(Charset charset) {
  if (!options_.realFonts) return nullptr;
  return CreateFreeTypeRasterizer(charset);
}

}  // namespace tessera
