#pragma once
// The game's state machine: the start logos and opening movie, then one screen
// or step after another as GameState says, until the player quits.

namespace tessera {

void GameMainLoop();

}  // namespace tessera
