#pragma once
// Start-up and shutdown: the command line, the game folder found or picked, the
// devices set up in their fixed order, the game, then the devices released.

namespace tessera {

// The whole program; returns its exit code (2 for a bad command line, 1 for a
// failed set-up step).
int RunTessera(int argc, char** argv);

}  // namespace tessera
