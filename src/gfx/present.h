#pragma once
// Presentation: the debug overlays into the back buffer, the row copy into the
// display surface (any pitch), the cursor stamped into the surface, and showing it.
#include <cstdint>

#include "gfx/image.h"

namespace tessera {

// The pointer picture; its key colour is transparent. Null draws no pointer.
extern const Image* CursorImage;

void PresentFrame(uint16_t* backBuffer);

// The logic of presenting, on plain memory.
void CopyFrameToSurface(const uint16_t* backBuffer, uint8_t* surface, int pitch);
void StampCursor(const Image* cursor, int mouseX, int mouseY, uint8_t* surface, int pitch);
// Counts a frame and draws "FPS= %d" at (10, 10).
void DrawFpsOverlay(uint16_t* backBuffer);
// Forgets the frames-per-second measurement (start-up, tests).
void ResetFpsCounter();
// Writes the surface as an 800x600 24-bit BMP of unpacked pixels.
bool DumpSurface(const uint8_t* surface, int pitch, const char* hostPath);

}  // namespace tessera
