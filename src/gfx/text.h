#pragma once
// The text renderer: one- and two-byte characters of the game's code page,
// rasterised by the platform's font engine into one-bit cells, cached, and
// stamped in one colour. Sizes 16, 20, 24, 28 and 32.
#include <cstdint>
#include <memory>

#include "platform/glyphs.h"

namespace tessera {

// Builds the fonts for the configured language's character set and empties the cache.
bool InitTextRenderer();
// Same, with a given font engine (tests inject fakes).
bool InitTextRenderer(std::unique_ptr<GlyphRasterizer> rasterizer);
void ReleaseTextRenderer();

void RenderText(int size, uint16_t colour, int x, int y, int spacing, const char* text, uint16_t* destination,
                int wrapWidth, int destWidth, int destHeight);

int CountTextLines(const char* text, int size, int wrapWidth, int spacing);

}  // namespace tessera
