#pragma once
// Files the player hands the game through its host rather than through the
// game's own file browser. A web page's game sees none of the player's disk:
// the page's file chooser picks the files, and the page puts copies of them
// into the game's in-memory file system and hands them over as drops. On a
// desktop the game's browser reads the disk itself, so there the call does
// nothing. One implementation per system (platform/posix, platform/windows,
// platform/web).

namespace tessera {

enum class HostFileKind { Pictures, Package };

// Asks the host to let the player choose files of `kind` with its own chooser.
// True when it does: the files chosen arrive later as Drop window messages,
// and none when the player cancels. False where the game's own browser is the
// way. Called while the player's click or key is handled: a browser opens its
// chooser only within moments of one.
bool ChooseFilesWithHost(HostFileKind kind);

}  // namespace tessera
