#include "screens/confirm_box.h"

#include <cstring>

#include "game/interface_images.h"
#include "game/rules.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "screens/screen_common.h"

namespace tessera {

namespace {

struct ButtonHighlight {
  int32_t x, y;
  ImagePtr InterfaceImageSet::*picture;
};

constexpr ButtonHighlight PLAY_BUTTON_HIGHLIGHTS[PLAY_BUTTON_COUNT] = {
    {4, 502, &InterfaceImageSet::OM_Boss_Item},
    {59, 502, &InterfaceImageSet::OM_Restart_Item},
    {4, 549, &InterfaceImageSet::OM_Save_Item},
    {59, 549, &InterfaceImageSet::OM_Settings_Item},
};

}  // namespace

void DrawConfirmBox() {
  if (ConfirmState != CONFIRM_ASKING) return;
  if (const Image* box = InterfaceImages.OM_Messagebox_BG.get())
    DrawImageKeyed((800 - box->width) / 2, (600 - box->height) / 2, box, BackBuffer);
  char text[256];
  MenuText("Confirm", text);
  DrawCaption(CONFIRM_TEXT_SIZE, PackRgb(200, 200, 200), 395 - 5 * static_cast<int>(std::strlen(text)), 230, text);
  if (ConfirmHover == CONFIRM_HOVER_YES)
    DrawImage(CONFIRM_YES_BUTTON.left, CONFIRM_YES_BUTTON.top, InterfaceImages.OM_Messagebox_Y.get(), BackBuffer);
  else if (ConfirmHover == CONFIRM_HOVER_NO)
    DrawImage(CONFIRM_NO_BUTTON.left, CONFIRM_NO_BUTTON.top, InterfaceImages.OM_Messagebox_N.get(), BackBuffer);
}

void DrawPlayButtonHint() {
  if (HoveredPlayButton < 0 || HoveredPlayButton >= PLAY_BUTTON_COUNT) return;
  const ButtonHighlight& h = PLAY_BUTTON_HIGHLIGHTS[HoveredPlayButton];
  DrawImage(h.x, h.y, (InterfaceImages.*h.picture).get(), BackBuffer);
  DrawImage(138, 495, InterfaceImages.OptionHint.get(), BackBuffer);
  char text[256];
  DrawCaption(PLAY_HINT_SIZE, PackRgb(70, 70, 70), 200, 530, MenuText(PLAY_BUTTONS[HoveredPlayButton].hintKey, text));
}

}  // namespace tessera
