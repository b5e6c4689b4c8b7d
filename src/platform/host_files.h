#pragma once
// Files the player hands the game through its host rather than through the
// game's own file browser. A web page's game sees none of the player's disk:
// the page's file chooser picks the files, and the page puts copies of them
// into the game's in-memory file system and hands them over as drops. On a
// desktop the game's browser reads the disk itself, so there both calls do
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

// The game is done with the files the host handed over (made into a puzzle,
// installed, or set aside): the host frees its copies of them, all but those
// still waiting to be delivered. The player's own files are never touched.
void ReleaseHostFiles();

// Calls ReleaseHostFiles when it goes out of scope, whichever way the flow
// that took the files ends.
class ReleaseHostFilesAtEnd {
 public:
  ReleaseHostFilesAtEnd() = default;
  ~ReleaseHostFilesAtEnd() { ReleaseHostFiles(); }
  ReleaseHostFilesAtEnd(const ReleaseHostFilesAtEnd&) = delete;
  ReleaseHostFilesAtEnd& operator=(const ReleaseHostFilesAtEnd&) = delete;
};

}  // namespace tessera
