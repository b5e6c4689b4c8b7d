#pragma once
// Font engine behind the text renderer: one- or two-byte characters of the
// game's code page rasterised as one-bit cells.
#include <cstdint>

namespace tessera {

class GlyphRasterizer {
 public:
  virtual ~GlyphRasterizer() = default;
  // Draws the character `code` (first byte * 256 + second byte; second byte 0 for
  // a one-byte character) at pixel size `size` into a 32x32 cell, top-left
  // aligned: rows[r] bit 31 is column 0. `rows` arrives cleared. A character the
  // face lacks leaves the cell empty (or the face's missing-glyph box). False
  // when the cell is drawn for now only (the face that has the character is
  // still on its way to a web page): it is to be asked for again.
  virtual bool Rasterize(uint16_t code, int size, uint32_t rows[32]) = 0;
};

}  // namespace tessera
