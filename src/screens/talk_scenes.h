#pragma once
// The blocking sequences around a level: the travel screen and its doors, the
// talk before and after, the countdown and shuffle sweep, the result banners,
// the choice of the next level and the closing picture or movie.
#include <cstdint>

#include "game/text_places.h"

namespace tessera {

// Door offsets: 0 closed (the travel picture covers the screen), 400 open.
constexpr int32_t DOORS_CLOSED = 0;
constexpr int32_t DOORS_TALK = 288;
constexpr int32_t DOORS_OPEN = 400;
constexpr int32_t DOOR_STEP = 10;
constexpr uint32_t DOOR_STEP_MS = 25;

// Talk frame layout.
constexpr int32_t TALK_HEAD_BOTTOM = 396;
constexpr int32_t TALK_BAR_X = 148, TALK_BAR_Y = 396;
constexpr int32_t TALK_TEXT_X = 175, TALK_TEXT_Y = 425;
constexpr int32_t TALK_LINE_PITCH = TALK_TEXT_SIZE + 2;

// The selection line the player chose in the last closing talk that offered one.
extern int32_t ChosenSelection;

void RunLevelOpening();
void RunBeginTalk();
void RunCountdown();
void RunResultBanner();
void RunEndTalk();
void RunEndPlay();

void DrawDoors(int32_t offset);
// The selection line under the pointer, or -1.
int32_t HitSelection();
// How far the shuffle sweep moves per 25 ms step for a piece size.
int32_t SweepStep(int32_t splitSize);

}  // namespace tessera
