#include "game/random.h"

namespace tessera {

namespace {
uint32_t State = 1;
}  // namespace

int32_t Rand() {
  State = State * 214013u + 2531011u;  // wraps modulo 2^32 by unsigned arithmetic
  return static_cast<int32_t>((State >> 16) & 0x7FFF);
}

void ResetRand(uint32_t state) { State = state; }

uint32_t RandState() { return State; }

}  // namespace tessera
