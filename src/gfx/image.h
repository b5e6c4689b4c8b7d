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
  PixelVector pixels;  // row-major, top row first, width * height

  uint16_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const uint16_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
  uint16_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Slots hold pictures that may have failed to load (null).
using ImagePtr = std::unique_ptr<Image>;

// A zero-filled image of the given size.
ImagePtr CreateImage(int width, int height, uint16_t key = 0);
// An image whose pixels are left unset: for callers that write every one.
ImagePtr CreateImageForOverwrite(int width, int height, uint16_t key = 0);

constexpr int SCREEN_WIDTH = 800;
constexpr int SCREEN_HEIGHT = 600;

// 800x600 pixels, row stride 800.
extern uint16_t BackBuffer[SCREEN_WIDTH * SCREEN_HEIGHT];

}  // namespace tessera
