#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace tessera {

namespace {
Platform* g_platform = nullptr;
}

Platform& Sys() {
  if (!g_platform) {
    std::fputs("tessera: no platform set\n", stderr);
    std::abort();
  }
  return *g_platform;
}

void SetPlatform(Platform* platform) { g_platform = platform; }

Platform* CurrentPlatform() { return g_platform; }

}  // namespace tessera
