// Placeholder until the FFmpeg decoder lands.
#include "platform/backends.h"

namespace tessera {

std::unique_ptr<MovieDecoder> OpenFfmpegMovie(const std::string&, std::string& error) {
  error = "MMStream OpenFile failed";
  return nullptr;
}

}  // namespace tessera
