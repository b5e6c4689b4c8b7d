#include "screens/slot_list.h"

#include <cstdio>
#include <cstring>

#include "app/input_state.h"
#include "game/save_slots.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "screens/screen_common.h"

namespace tessera {

void DrawSlotList() {
  const uint16_t grey = PackRgb(200, 200, 200);
  for (int n = 0; n < SAVE_SLOT_COUNT; ++n) {
    const int y = 145 + SLOT_PITCH * n;
    const SaveSlot& slot = SaveSlots[n];
    if (slot.IsEmpty) {
      char text[256];
      MenuText("Empty", text);
      DrawCaption(SLOT_TEXT_SIZE, grey, 400 - 6 * static_cast<int>(std::strlen(text)), y, text);
      continue;
    }
    DrawCaption(SLOT_TEXT_SIZE, grey, 275, y, slot.record.level);
    char stamp[64];
    FormatSlotLabel(slot.record, stamp);
    DrawCaption(SLOT_TEXT_SIZE, grey, 375, y, stamp);
  }
  if (SelectedSlot != -1)
    FrameRect(SLOT_LEFT, SLOT_TOP + SLOT_PITCH * SelectedSlot, 296, 30, 2, 243, 81, 0, BackBuffer);
}

void FormatSlotLabel(const SaveRecord& r, char (&out)[64]) {
  std::snprintf(out, sizeof out, "%02u-%02u/%02u:%02u:%02u", r.month, r.day, r.hour, r.minute, r.second);
}

int32_t HitSlot() {
  const int32_t x = InputState.MouseX, y = InputState.MouseY;
  if (x < SLOT_LEFT || x > SLOT_RIGHT) return -1;
  for (int n = 0; n < SAVE_SLOT_COUNT; ++n)
    if (y >= SLOT_TOP + SLOT_PITCH * n && y <= SLOT_TOP + 30 + SLOT_PITCH * n) return n;
  return -1;
}

}  // namespace tessera
