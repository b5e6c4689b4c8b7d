#pragma once
// The picture record every drawing operation works on, and the one back buffer
// every frame is composed into.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tessera {

// Pixels of an image are not zeroed when the storage grows: loaders and board
// set-up write every pixel, and a level start makes 2000 pieces.
template <class T>
struct DefaultInitAllocator : std::allocator<T> {
  using std::allocator<T>::allocator;
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    if constexpr (sizeof...(Args) == 0)
      ::new (static_cast<void*>(p)) U;
    else
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using PixelVector = std::vector<uint16_t, DefaultInitAllocator<uint16_t>>;

struct Image {
  uint16_t key = 0;  // transparent colour of the keyed operations
  uint16_t width = 0;
  uint16_t height = 0;
  // The image's own pixels: row-major, top row first, width * height. Empty in
  // a view, which shows a rectangle of another image's pixels without copying
  // them (a level's pieces are views of its pictures).
  PixelVector pixels;
  std::shared_ptr<Image> viewed;  // the image a view shows part of, kept alive by the view
  size_t viewOffset = 0;          // index of the view's top-left pixel in viewed->pixels

  // Pixels from one row to the next.
  size_t Stride() const { return viewed ? viewed->width : width; }
  uint16_t* Row(int y) { return Base() + static_cast<size_t>(y) * Stride(); }
  const uint16_t* Row(int y) const { return Base() + static_cast<size_t>(y) * Stride(); }
  uint16_t& At(int x, int y) { return Row(y)[x]; }
  uint16_t At(int x, int y) const { return Row(y)[x]; }
  // Whether every pixel inside the sides lies in storage: a view whose picture
  // was resized under it, or sides set without pixels, are never read.
  // Inline: every drawing operation asks, hundreds of times a frame.
  bool Covered() const {
    if (width == 0 || height == 0) return true;
    const size_t last = (static_cast<size_t>(height) - 1) * Stride() + width;  // one past the last pixel read
    if (!viewed) return pixels.size() >= last;
    return viewOffset <= viewed->pixels.size() && last <= viewed->pixels.size() - viewOffset;
  }

 private:
  uint16_t* Base() { return viewed ? viewed->pixels.data() + viewOffset : pixels.data(); }
  const uint16_t* Base() const { return viewed ? viewed->pixels.data() + viewOffset : pixels.data(); }
};

// Slots hold pictures that may have failed to load (null).
using ImagePtr = std::unique_ptr<Image>;

// A zero-filled image of the given size.
ImagePtr CreateImage(int width, int height, uint16_t key = 0);
// An image whose pixels are left unset: for callers that write every one.
ImagePtr CreateImageForOverwrite(int width, int height, uint16_t key = 0);
// Makes `view` show the rectangle of `source` at (x, y): writing through the
// view writes the source. A view of a view shows the same pixels of the first
// image. False, leaving `view` as it was, when the rectangle is not wholly
// inside the source or the source is null or not covered.
bool MakeView(Image& view, const std::shared_ptr<Image>& source, int x, int y, int width, int height);

constexpr int SCREEN_WIDTH = 800;
constexpr int SCREEN_HEIGHT = 600;

// 800x600 pixels, row stride 800.
extern uint16_t BackBuffer[SCREEN_WIDTH * SCREEN_HEIGHT];

}  // namespace tessera
