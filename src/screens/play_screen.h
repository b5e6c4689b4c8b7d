#pragma once
// The play screen: the board, its clock, counters, previews and title.
#include <array>
#include <cstdint>

#include "game/text_places.h"

namespace tessera {

enum PlayScreenMode : int {
  PLAY_MODE_PICTURE = 0,  // the solution picture in place of the board
  PLAY_MODE_PLAY = 1,
  PLAY_MODE_BOARD_ONLY = 2,  // no grid, no hovered-cell frame (behind the failure banner)
};

struct ScreenPoint {
  int32_t x, y;
};

// The clock's 60 border segments, in the order they fill, and the picture of
// each: from the middle of the top edge leftwards, down, along the bottom, up
// the right side and back towards the middle, leaving room for the clock text.
struct ClockSegment {
  int32_t x, y, picture;
};

constexpr ClockSegment ClockSegmentAt(int i) {
  if (i < 4) return {240 - 32 * i, 12, 0};
  if (i == 4) return {112, 12, 1};
  if (i <= 20) return {112, 44 + 32 * (i - 5), 2};
  if (i == 21) return {112, 556, 3};
  if (i <= 37) return {144 + 32 * (i - 22), 556, 4};
  if (i == 38) return {656, 556, 5};
  if (i <= 54) return {656, 524 - 32 * (i - 39), 6};
  if (i == 55) return {656, 12, 7};
  return {624 - 32 * (i - 56), 12, 0};
}

constexpr std::array<ClockSegment, 60> MakeClockSegments() {
  std::array<ClockSegment, 60> table{};
  for (int i = 0; i < 60; ++i) table[i] = ClockSegmentAt(i);
  return table;
}

inline constexpr std::array<ClockSegment, 60> CLOCK_SEGMENTS = MakeClockSegments();

constexpr ScreenPoint DIRECTION_MARKS[4] = {{38, 398}, {38, 460}, {7, 429}, {69, 429}};

void DrawPlayScreen(int mode);
void DrawSpiders();
void DrawLevelTitle();
// Every spider one row down; one that leaves the board is gone.
void DropSpiders();

// The clock text for the seconds left: "'%02d" up to a minute, else "%d'%02d".
void FormatClock(int32_t remaining, char (&out)[32]);
// The number of border segments shown for the seconds left.
int32_t ClockSegmentCount(int32_t remaining, int32_t clockFresh);

}  // namespace tessera
