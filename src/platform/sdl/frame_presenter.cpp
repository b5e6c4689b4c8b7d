#include "platform/sdl/frame_presenter.h"

#include <cstring>

namespace tessera {

uint64_t RefreshPeriodUs(int hz) {
  if (hz < 20 || hz > 1000) hz = 60;
  return (1000000 + static_cast<uint64_t>(hz) - 1) / static_cast<uint64_t>(hz);
}

FramePresenter::FramePresenter(uint64_t refreshUs)
    : refreshUs_(refreshUs),
      latest_(static_cast<size_t>(kWidth) * kHeight, 0),
      shown_(static_cast<size_t>(kWidth) * kHeight, 0) {}

void FramePresenter::FrameComposed(uint64_t nowUs, PresentTarget& target) {
  // One pass over both frames; it stops at the first difference, so a changed
  // frame usually costs far less than an unchanged one.
  changed_ = std::memcmp(latest_.data(), shown_.data(), latest_.size() * sizeof(uint16_t)) != 0 ||
             !presentedOnce_;
  Tick(nowUs, target);
}

void FramePresenter::Tick(uint64_t nowUs, PresentTarget& target) {
  if (nowUs >= DueAt()) Present(nowUs, target);
}

uint64_t FramePresenter::DueAt() const {
  if (!changed_ && !repaint_) return kNever;
  return presentedOnce_ ? lastUs_ + refreshUs_ : 0;
}

void FramePresenter::Repaint(bool upload) {
  if (!presentedOnce_) return;  // the first frame is still to come
  repaint_ = true;
  reupload_ = reupload_ || upload;
}

void FramePresenter::Present(uint64_t nowUs, PresentTarget& target) {
  if (changed_) {
    target.Upload(latest_.data());
    shown_ = latest_;
  } else if (reupload_) {
    target.Upload(shown_.data());
  }
  target.Show();
  changed_ = repaint_ = reupload_ = false;
  presentedOnce_ = true;
  lastUs_ = nowUs;
  ++presentations_;
}

}  // namespace tessera
