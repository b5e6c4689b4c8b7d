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
// Copies of one keyed picture on a grid, each drawn as DrawImageKeyed draws it:
// copy i, for first <= i < last (i from 0), at (x + dx * (i % columns), y + dy * (i / columns)).
void DrawImageKeyedGrid(const Image* image, int x, int y, int dx, int dy, int columns, int first, int last,
                        uint16_t* destination);
// One row of DrawImageKeyed: every pixel of src but `key` over dst, for callers
// that compose their pictures row by row.
void CopyRowKeyed(const uint16_t* src, uint16_t* dst, int n, uint16_t key);
// Target width and height are set by the caller beforehand.
void ScaleImage(const Image* source, Image* target);
void CutImage(const Image* source, Image* target, int sx, int sy);

}  // namespace tessera
