// Placeholder until the drawing operations land: draws nothing.
#include "gfx/draw.h"

namespace tessera {

void DrawImage(int, int, const Image*, uint16_t*) {}
void DrawImageKeyed(int, int, const Image*, uint16_t*) {}
void DrawImageKeyedClipped(int, int, const Image*, uint16_t*) {}
void DrawImageGrey(int, int, const Image*, uint16_t*) {}
void DrawImagePart(const Image*, uint16_t*, int, int, int, int, int, int) {}
void DrawImageScaled(const Image*, int, int, uint16_t*, int, int) {}
void FillRect(int, int, int, int, uint32_t, uint32_t, uint32_t, uint16_t*) {}
void FrameRect(int, int, int, int, int, uint32_t, uint32_t, uint32_t, uint16_t*) {}
void ScaleImage(const Image*, Image*) {}
void CutImage(const Image*, Image*, int, int) {}

}  // namespace tessera
