#pragma once
// Movie playback: blocks until the movie ends or, with `skip`, until Escape or a
// left-button release. Failures are written to log.txt and the game goes on.

namespace tessera {

void PlayMovie(const char* fileName, bool skip);

}  // namespace tessera
