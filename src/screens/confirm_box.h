#pragma once
// The yes/no confirmation box and the play buttons' highlight and hint, shared
// by the play screen and the option menu. They draw from the state the play
// input keeps; they change nothing.

#include "game/text_places.h"

namespace tessera {

void DrawConfirmBox();
void DrawPlayButtonHint();

}  // namespace tessera
