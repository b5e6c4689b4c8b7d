// Which frames reach the display: unchanged ones never, changed ones at most
// once per refresh and the latest of them, and never later than one refresh.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfx/image.h"
#include "gfx/present.h"
#include "platform/sdl/frame_presenter.h"

namespace tessera {
namespace {

constexpr uint64_t kRefresh = 16667;  // 60 Hz

struct RecordingTarget : PresentTarget {
  void Upload(const uint16_t* pixels) override { uploads.emplace_back(pixels, pixels + 800 * 600); }
  void Show() override { ++shows; }
  std::vector<std::vector<uint16_t>> uploads;
  int shows = 0;
};

class PresenterTest : public ::testing::Test {
 protected:
  PresenterTest() : presenter(kRefresh), frame(800 * 600) {
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
  }
  // Composes `pixels` with the pointer at (x, y), as the game's presentation does.
  void Compose(uint64_t us, const std::vector<uint16_t>& pixels, int x = 100, int y = 100) {
    CopyFrameToSurface(pixels.data(), presenter.Surface(), FramePresenter::kPitch);
    StampCursor(cursor.get(), x, y, presenter.Surface(), FramePresenter::kPitch);
    presenter.FrameComposed(us, target);
  }
  std::vector<uint16_t> Stamped(const std::vector<uint16_t>& pixels, int x, int y) {
    std::vector<uint16_t> out(pixels);
    StampCursor(cursor.get(), x, y, reinterpret_cast<uint8_t*>(out.data()), FramePresenter::kPitch);
    return out;
  }

  FramePresenter presenter;
  RecordingTarget target;
  std::vector<uint16_t> frame;
  ImagePtr cursor = [] {
    ImagePtr c = CreateImage(8, 8, 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) c->At(x, y) = x == y ? 0 : 0xFFFF;  // a key-coloured diagonal
    return c;
  }();
};

TEST_F(PresenterTest, OnlyFramesThatDifferFromTheScreenAreShown) {
  Compose(0, frame);
  ASSERT_EQ(target.shows, 1);  // the first frame at once
  EXPECT_EQ(target.uploads.back(), Stamped(frame, 100, 100));
  // The same pixels again, however long after: nothing to do.
  for (uint64_t t = 5000; t < 200000; t += 5000) Compose(t, frame);
  EXPECT_EQ(target.shows, 1);
  EXPECT_EQ(presenter.DueAt(), FramePresenter::kNever);

  // One pixel, in the last row's last place.
  std::vector<uint16_t> changed(frame);
  changed.back() ^= 1;
  Compose(200000, changed);
  ASSERT_EQ(target.shows, 2);
  EXPECT_EQ(target.uploads.back(), Stamped(changed, 100, 100));

  // The pointer moved by one pixel over an unchanged frame.
  Compose(300000, changed, 101, 100);
  ASSERT_EQ(target.shows, 3);
  EXPECT_EQ(target.uploads.back(), Stamped(changed, 101, 100));
  EXPECT_EQ(std::memcmp(presenter.Shown(), target.uploads.back().data(), 800 * 600 * 2), 0);
}

TEST_F(PresenterTest, FramesWithinOneRefreshAreMergedAndTheLatestIsShownOnTime) {
  Compose(1000, frame);
  ASSERT_EQ(target.shows, 1);
  // Three frames within the refresh: none shown yet, the last one due a refresh after the first.
  for (int k = 1; k <= 3; ++k) Compose(1000 + 5000 * k, frame, 100 + k, 100);
  EXPECT_EQ(target.shows, 1);
  EXPECT_EQ(presenter.DueAt(), 1000 + kRefresh);
  presenter.Tick(1000 + kRefresh - 1, target);
  EXPECT_EQ(target.shows, 1);
  presenter.Tick(1000 + kRefresh, target);
  ASSERT_EQ(target.shows, 2);
  EXPECT_EQ(target.uploads.back(), Stamped(frame, 103, 100));

  // A change undone before its refresh came leaves nothing to show.
  Compose(20000, frame, 150, 150);
  EXPECT_NE(presenter.DueAt(), FramePresenter::kNever);
  Compose(25000, frame, 103, 100);
  EXPECT_EQ(presenter.DueAt(), FramePresenter::kNever);

  // A frame composed long after the last presentation is shown at once.
  Compose(500000, frame, 7, 7);
  EXPECT_EQ(target.shows, 3);
  // Continuous change, the owner calling back at each due time: one frame per refresh.
  uint64_t t = 500000;
  for (int k = 0; k < 120; ++k) {
    t += 5000;
    while (presenter.DueAt() < t) presenter.Tick(presenter.DueAt(), target);
    Compose(t, frame, 200 + k, 300);
  }
  EXPECT_EQ(target.shows, static_cast<int>(3 + 600000 / kRefresh));
}

TEST_F(PresenterTest, RepaintShowsTheScreenFrameAgainAndUploadsItOnlyWhenAsked) {
  presenter.Repaint(true);  // before the first frame there is nothing to show
  EXPECT_EQ(presenter.DueAt(), FramePresenter::kNever);
  Compose(0, frame);
  presenter.Repaint();
  presenter.Tick(kRefresh, target);
  EXPECT_EQ(target.shows, 2);
  EXPECT_EQ(target.uploads.size(), 1u);
  presenter.Repaint(true);
  presenter.Tick(2 * kRefresh, target);
  ASSERT_EQ(target.uploads.size(), 2u);
  EXPECT_EQ(target.uploads[1], target.uploads[0]);
}

}  // namespace
}  // namespace tessera
