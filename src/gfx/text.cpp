// Placeholder until the glyph cache lands: draws nothing.
#include "gfx/text.h"

namespace tessera {

bool InitTextRenderer() { return true; }
bool InitTextRenderer(std::unique_ptr<GlyphRasterizer>) { return true; }
void ReleaseTextRenderer() {}
void RenderText(int, uint16_t, int, int, int, const char*, uint16_t*, int, int, int) {}
int CountTextLines(const char*, int, int, int) { return 1; }

}  // namespace tessera
