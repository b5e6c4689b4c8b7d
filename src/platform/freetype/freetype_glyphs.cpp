// Placeholder until the FreeType rasterizer lands.
#include "platform/backends.h"

namespace tessera {

std::unique_ptr<GlyphRasterizer> CreateFreeTypeRasterizer(Charset) { return nullptr; }

}  // namespace tessera
