#pragma once
// Moving a folder or file to the system's trash, from where the player can
// bring it back: the freedesktop.org trash on Linux and other POSIX desktops,
// the Recycle Bin on Windows. Where there is none (the browser), or the item
// cannot go there (another file system without a trash of its own), it is
// left where it is and the caller asks before deleting it for good.
#include <string>

namespace tessera {

// False with `error` saying why when the item was not moved (it is then
// untouched).
bool MoveToTrash(const std::string& path, std::string& error);

}  // namespace tessera
