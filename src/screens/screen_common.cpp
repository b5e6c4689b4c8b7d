#include "screens/screen_common.h"

#include "game/localization.h"
#include "gfx/image.h"
#include "gfx/text.h"

namespace tessera {

void DrawCaption(int size, uint16_t colour, int x, int y, const char* text) {
  RenderText(size, colour, x, y, CAPTION_SPACING, text, BackBuffer, CAPTION_WRAP, SCREEN_WIDTH, SCREEN_HEIGHT);
}

const char* MenuText(const char* key, char (&buffer)[256]) {
  LookupText(buffer, key, TEXT_MENU);
  return buffer;
}

}  // namespace tessera
