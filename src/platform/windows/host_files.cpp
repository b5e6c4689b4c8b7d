// A desktop's game browses the player's disk itself, and a drop gives the
// player's own files: there is no host chooser, and nothing to free.
#include "platform/host_files.h"

namespace tessera {

bool ChooseFilesWithHost(HostFileKind) { return false; }

void ReleaseHostFiles() {}

}  // namespace tessera
