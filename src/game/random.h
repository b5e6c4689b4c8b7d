#pragma once
// The game's one pseudo-random generator. It reproduces the C runtime the game
// was first built with, so that the same levels set up in the same order after
// start-up deal the same boards. It is never seeded; only level set-up draws.
#include <cstdint>

namespace tessera {

// The next value, 0 to 32767.
int32_t Rand();

// Puts the generator back to its start-up state (tests, and tools that replay
// a run from the beginning).
void ResetRand(uint32_t state = 1);

// The raw state, for tests that check how many draws a step took.
uint32_t RandState();

}  // namespace tessera
