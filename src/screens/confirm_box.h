#pragma once
// The yes/no confirmation box and the play buttons' highlight and hint, shared
// by the play screen and the option menu. They draw from the state the play
// input keeps; they change nothing.

namespace tessera {

// The question in the box ("Confirm") and a play button's hint (its hintKey).
constexpr int CONFIRM_TEXT_SIZE = 24;
constexpr int PLAY_HINT_SIZE = 24;

void DrawConfirmBox();
void DrawPlayButtonHint();

}  // namespace tessera
