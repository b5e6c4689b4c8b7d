#pragma once
// Pictures from 24-bit BMP files, loose or inside the picture archives.
#include <cstdint>
#include <string>

#include "gfx/image.h"

namespace tessera {

// Loads `path` (backslash-composed) into `slot`; 1 on success, 0 on failure
// (the slot then stays as it was). `loose` reads the path from disk even when
// the game is packaged.
int LoadBmpImage(const char* path, ImagePtr& slot, int loose);

// The archive a picture path is read from when packaged.
const char* ArchiveForPath(const char* path);

}  // namespace tessera
