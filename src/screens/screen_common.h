#pragma once
// Small helpers every screen shares: centred captions, the menu texts, and the
// frame loop's present step.
#include <cstdint>

#include "game/rules.h"
#include "game/text_places.h"

namespace tessera {

// RenderText into the back buffer with CAPTION_SPACING and CAPTION_WRAP.
void DrawCaption(int size, uint16_t colour, int x, int y, const char* text);
// Looks `key` up in the "Menu" section (empty when missing).
const char* MenuText(const char* key, char (&buffer)[256]);

}  // namespace tessera
