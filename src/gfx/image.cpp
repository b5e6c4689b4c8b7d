#include "gfx/image.h"

namespace tessera {

uint16_t BackBuffer[SCREEN_WIDTH * SCREEN_HEIGHT];

ImagePtr CreateImageForOverwrite(int width, int height, uint16_t key) {
  auto image = std::make_unique<Image>();
  image->key = key;
  image->width = static_cast<uint16_t>(width);
  image->height = static_cast<uint16_t>(height);
  image->pixels.resize(static_cast<size_t>(image->width) * image->height);
  return image;
}

ImagePtr CreateImage(int width, int height, uint16_t key) {
  auto image = std::make_unique<Image>();
  image->key = key;
  image->width = static_cast<uint16_t>(width);
  image->height = static_cast<uint16_t>(height);
  image->pixels.assign(static_cast<size_t>(image->width) * image->height, 0);
  return image;
}

}  // namespace tessera
