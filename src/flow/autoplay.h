#pragma once
// Bots that play through the real input path: they read the game's state and
// answer with the window messages a person would produce, never writing state.
#include <cstdint>
#include <memory>

#include "app/frame_pump.h"

namespace tessera {

struct AutoplayOptions {
  int32_t choice = 0;                     // the selection taken wherever one is offered
  uint64_t timeLimitMs = 4 * 3600 * 1000;  // give up after this much game time
  int32_t maxFailuresPerLevel = 3;
};

// Starts a new game, clicks through logos, introduction, travel screens and
// talks, solves every board, takes the given choice, watches the end movie and
// quits. Ends the process with exit code 2 and a reason when it cannot go on.
std::unique_ptr<InputDriver> CreateAutoplay(const AutoplayOptions& options);

// Random presses, releases, double clicks, moves and keys from a seeded
// generator, biased towards the places where something happens.
std::unique_ptr<InputDriver> CreateMonkey(uint64_t seed);

}  // namespace tessera
