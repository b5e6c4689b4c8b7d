#pragma once
// The text renderer: one- and two-byte characters of the game's code page,
// rasterised by the platform's font engine into one-bit cells, cached, and
// stamped in one colour. Sizes 16, 20, 24, 28 and 32.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/glyphs.h"
#include "platform/platform.h"

namespace tessera {

// Builds the fonts for the configured language's character set and empties the cache.
bool InitTextRenderer();
// Same, for another character set (a package's card, read before its campaign is played).
bool InitTextRenderer(Charset charset);
// Same, with a given font engine (tests inject fakes).
bool InitTextRenderer(std::unique_ptr<GlyphRasterizer> rasterizer);
void ReleaseTextRenderer();

// A renderer of one's own: a font engine and its glyph cache, for text drawn
// on another thread (captions painted into a campaign the maker builds while
// the window keeps drawing). It is swapped with the renderer in use around
// each drawing, under a lock both threads take.
struct TextRendererState;
class OwnTextRenderer {
 public:
  OwnTextRenderer(Charset charset, std::unique_ptr<GlyphRasterizer> rasterizer);
  ~OwnTextRenderer();
  OwnTextRenderer(const OwnTextRenderer&) = delete;
  OwnTextRenderer& operator=(const OwnTextRenderer&) = delete;
  // Exchanges this renderer with the one in use.
  void Swap();

 private:
  std::unique_ptr<TextRendererState> state_;
};
// The character set the renderer draws now (its two-byte characters' code page).
Charset TextCharset();

// A byte from 0xA1 up followed by one from 0x40 up is one two-byte character.
// The test reads the next byte only after a lead byte, and a NUL ends it.
inline int TextCharacterBytes(const unsigned char* p) { return p[0] >= 0xA1 && p[1] >= 0x40 ? 2 : 1; }

// The renderer's layout, which RenderText and CountTextLines follow and tools
// may ask: every character of `text` advances size / 2 + spacing pixels per
// byte; one that would start past `wrapWidth` opens a new line, one starting
// exactly there lands at the line's left edge (no wrap when `wrapWidth` is not
// positive). Calls place(byteIndex, bytes, columnOffset, line) for each
// character in order; returns the number of lines used.
template <typename Place>
int LayOutText(const char* text, int size, int wrapWidth, int spacing, Place&& place) {
  if (!text) return 1;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const int64_t advance = int64_t{spacing} + size / 2;
  int line = 0;
  size_t lineStart = 0;
  for (size_t i = 0; bytes[i] != 0;) {
    const int n = TextCharacterBytes(bytes + i);
    int64_t offset = static_cast<int64_t>(i - lineStart) * advance;
    // A wrap width that is not positive would divide by zero: such text stays on one line.
    if (wrapWidth > 0) {
      if (offset > wrapWidth) {
        ++line;
        lineStart = i;
        offset = 0;
      }
      offset %= wrapWidth;
    }
    place(i, n, offset, line);
    i += static_cast<size_t>(n);
  }
  return line + 1;
}

void RenderText(int size, uint16_t colour, int x, int y, int spacing, const char* text, uint16_t* destination,
                int wrapWidth, int destWidth, int destHeight);

int CountTextLines(const char* text, int size, int wrapWidth, int spacing);

}  // namespace tessera
