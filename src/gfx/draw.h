#pragma once
// The drawing operations. Destinations are pixel arrays with a row stride of
// 800 (the back buffer). A null image draws nothing.
#include <cstdint>

#include "gfx/image.h"

namespace tessera {

void DrawImage(int x, int y, const Image* image, uint16_t* destination);
void DrawImageKeyed(int x, int y, const Image* image, uint16_t* destination);
void DrawImageKeyedClipped(int x, int y, const Image* image, uint16_t* destination);
void DrawImageGrey(int x, int y, const Image* image, uint16_t* destination);
void DrawImagePart(const Image* image, uint16_t* destination, int sx, int sy, int w, int h, int dx, int dy);
void DrawImageScaled(const Image* image, int dw, int dh, uint16_t* destination, int x, int y);
void FillRect(int x, int y, int w, int h, uint32_t r, uint32_t g, uint32_t b, uint16_t* destination);
void FrameRect(int x, int y, int w, int h, int t, uint32_t r, uint32_t g, uint32_t b, uint16_t* destination);
// Target width and height are set by the caller beforehand.
void ScaleImage(const Image* source, Image* target);
void CutImage(const Image* source, Image* target, int sx, int sy);

}  // namespace tessera
