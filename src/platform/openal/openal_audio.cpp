// Placeholder until the OpenAL back end lands.
#include "platform/backends.h"

namespace tessera {

std::unique_ptr<AudioDevice> CreateOpenAlAudio(std::string& error) {
  error = "no audio back end built";
  return nullptr;
}

}  // namespace tessera
