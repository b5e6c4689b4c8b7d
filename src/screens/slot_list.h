#pragma once
// The ten save slots as the save and load pages list them.
#include <cstdint>

#include "game/text_places.h"

namespace tessera {

constexpr int32_t SLOT_LEFT = 257;
constexpr int32_t SLOT_RIGHT = 553;
constexpr int32_t SLOT_TOP = 142;
constexpr int32_t SLOT_PITCH = 36;

struct SaveRecord;

void DrawSlotList();
// "month-day/hour:minute:second", two digits each.
void FormatSlotLabel(const SaveRecord& record, char (&out)[64]);
// The slot under the pointer, or -1.
int32_t HitSlot();

}  // namespace tessera
