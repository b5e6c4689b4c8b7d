#pragma once
// Which composed frames reach the display, and when. The game composes a frame
// every 5 ms whether or not anything moved; a frame whose pixels (the pointer
// included) equal the picture on screen is not shown again, and changed frames
// are shown at most once per display refresh: frames composed in between are
// merged, the latest wins, and none waits longer than one refresh. Nothing here
// waits: the owner asks when the next presentation is due and calls back then.
#include <cstdint>
#include <vector>

namespace tessera {

// Where presented frames go: the window's texture and renderer.
class PresentTarget {
 public:
  virtual ~PresentTarget() = default;
  // Copies an 800x600 frame (1600-byte rows) into the display's texture.
  virtual void Upload(const uint16_t* pixels) = 0;
  // Draws the texture into the window and shows it.
  virtual void Show() = 0;
};

class FramePresenter {
 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;
  static constexpr int kPitch = kWidth * 2;
  static constexpr uint64_t kNever = UINT64_MAX;

  // `refreshUs`: the display's refresh period in microseconds.
  explicit FramePresenter(uint64_t refreshUs);

  // Where the game composes its next frame: 800x600 pixels, kPitch bytes a row.
  uint8_t* Surface() { return reinterpret_cast<uint8_t*>(latest_.data()); }

  // A frame has been composed into Surface() at `nowUs`: remembered when its
  // pixels differ from those on screen, and shown now if a presentation is due.
  void FrameComposed(uint64_t nowUs, PresentTarget& target);
  // Shows what waits, once it is due; the owner calls this at DueAt().
  void Tick(uint64_t nowUs, PresentTarget& target);
  // When something waits to be shown: the earliest time it may be; kNever when
  // nothing waits.
  uint64_t DueAt() const;

  // The window lost or changed its picture (resized, exposed, full screen): the
  // frame on screen is drawn again at the next due time. `upload`: the texture
  // lost its pixels too.
  void Repaint(bool upload = false);
  // A new refresh period (the window moved to another display).
  void SetRefresh(uint64_t refreshUs) { refreshUs_ = refreshUs; }

  // The frame on screen (800x600, 800 pixels a row); all zero before the first.
  const uint16_t* Shown() const { return shown_.data(); }
  uint64_t Presentations() const { return presentations_; }

 private:
  void Present(uint64_t nowUs, PresentTarget& target);

  uint64_t refreshUs_;
  std::vector<uint16_t> latest_;
  std::vector<uint16_t> shown_;
  bool changed_ = false;    // latest_ differs from shown_
  bool repaint_ = false;    // the window needs the shown frame again
  bool reupload_ = false;   // ... and the texture its pixels
  bool presentedOnce_ = false;
  uint64_t lastUs_ = 0;
  uint64_t presentations_ = 0;
};

// The refresh period of a display reporting `hz` (0 or nonsense: 60 Hz).
uint64_t RefreshPeriodUs(int hz);

}  // namespace tessera
