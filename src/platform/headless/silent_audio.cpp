// Placeholder until the silent back end lands.
#include "platform/backends.h"

namespace tessera {

std::unique_ptr<AudioDevice> CreateSilentAudio() { return nullptr; }

}  // namespace tessera
