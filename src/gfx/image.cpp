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

bool MakeView(Image& view, const std::shared_ptr<Image>& source, int x, int y, int width, int height) {
  if (!source || !source->Covered() || x < 0 || y < 0 || width < 0 || height < 0) return false;
  if (x > source->width - width || y > source->height - height) return false;
  const size_t offset = static_cast<size_t>(y) * source->Stride() + static_cast<size_t>(x);
  view.pixels = PixelVector();
  view.width = static_cast<uint16_t>(width);
  view.height = static_cast<uint16_t>(height);
  view.viewOffset = source->viewed ? source->viewOffset + offset : offset;
  view.viewed = source->viewed ? source->viewed : source;
  return true;
}

}  // namespace tessera
