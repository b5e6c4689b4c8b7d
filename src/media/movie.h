#pragma once
// Movie playback: blocks until the movie ends or, with `skip`, until Escape or a
// left-button release. Failures are written to log.txt and the game goes on.
// Frames are drawn centred into the BackBuffer over whatever the previous screen
// left there; a movie larger than the screen is scaled down to fit.

namespace tessera {

void PlayMovie(const char* fileName, bool skip);

// The steps PlayMovie takes. OpenMovie returns 1 when the file is open and
// ready, 0 after a failure (already logged and cleaned up); RunMovie plays the
// open movie and closes it; CloseMovie releases whatever a movie holds.
int OpenMovie(const char* fileName);
void RunMovie(bool skip);
void CloseMovie();

}  // namespace tessera
