// Placeholder until the bitmap loader lands: loads nothing.
#include "gfx/bmp.h"

namespace tessera {

int LoadBmpImage(const char*, ImagePtr&, int) { return 0; }
const char* ArchiveForPath(const char*) { return "Localization.dat"; }

}  // namespace tessera
