// Placeholder until the movie player lands.
#include "media/movie.h"

#include "app/input_state.h"
#include "app/log.h"

namespace tessera {

void PlayMovie(const char*, bool) {
  ClearFrameInput();
  WriteLog("MMStream OpenFile failed");
  ClearFrameInput();
}

}  // namespace tessera
