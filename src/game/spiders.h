#pragma once
// Spiders: placed at random with the board, asleep for three ticks, then one
// cell per second along a staircase towards the hovered cell, webbing it when
// they stand on it.
#include <cstdint>

#include "app/frame_pump.h"
#include "game/board.h"

namespace tessera {

constexpr int MAX_STATIC_SPIDERS = 5;
constexpr int MAX_DYNAMIC_SPIDERS = 5;
constexpr int SPIDER_KIND_STATIC = 0;
constexpr int SPIDER_KIND_DYNAMIC = 1;
constexpr uint32_t SPIDER_STEP_MS = 1000;
constexpr uint32_t SPIDER_FRAME_MS = 250;
constexpr int32_t SPIDER_WAKE_TICKS = 3;
constexpr int32_t STATIC_SPIDER_SIGHT = 3;  // rows and columns must differ by less

struct Spider {
  int32_t kind = 0;
  int32_t cell = -1;        // -1: off the board
  int32_t target = -1;      // the cell it heads for this frame
  int32_t pathTarget = -1;  // the target the path was planned for
  int32_t pathLength = 0;   // steps left
  int32_t path[MAX_CELLS] = {};  // entry 0 the far end, pathLength - 1 the next step
  int32_t wakeCountdown = SPIDER_WAKE_TICKS;
  int32_t awake = 0;
  int32_t frame = 0;  // 0 to 3
  IntervalTimer stepTimer;
  IntervalTimer frameTimer;
};

// The spiders on the board: the level's counts, cut to the table sizes and to
// the cells there were room for.
extern int32_t StaticSpiderNum;
extern int32_t DynamicSpiderNum;
extern Spider StaticSpiders[MAX_STATIC_SPIDERS];
extern Spider DynamicSpiders[MAX_DYNAMIC_SPIDERS];

// Places the level's spiders (counts and StoneRation from LevelDefinition) and
// keeps a copy of each for ResetSpiders.
void InitSpiders();

// A random free cell (under a stone when StoneRation is negative), marked
// occupied now and at set-up; -1, with no draw, when no cell qualifies.
int32_t PlaceSpider();

// The hovered cell for a dynamic spider; for a static one only when it lies
// within two rows and two columns, else -1.
int32_t SpiderTarget(const Spider& spider);

// Fills the spider's path from its cell to its target.
void PlanSpiderPath(Spider& spider);

void UpdateSpider(Spider& spider);
// Static spiders first, then dynamic ones, each in index order.
void UpdateSpiders();

// Every spider and every occupied flag back to set-up.
void ResetSpiders();

}  // namespace tessera
