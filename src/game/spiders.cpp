#include "game/spiders.h"

#include <algorithm>
#include <cstdlib>

#include "game/level_definition.h"
#include "game/random.h"
#include "game/rules.h"

namespace tessera {

int32_t StaticSpiderNum = 0;
int32_t DynamicSpiderNum = 0;
Spider StaticSpiders[MAX_STATIC_SPIDERS];
Spider DynamicSpiders[MAX_DYNAMIC_SPIDERS];

namespace {

Spider StaticSpiderSetUp[MAX_STATIC_SPIDERS];
Spider DynamicSpiderSetUp[MAX_DYNAMIC_SPIDERS];

bool CanHoldSpider(int32_t cell) {
  if (Board.SpiderOccupied[cell] == 1) return false;
  return LevelDefinition.StoneRation >= 0 || Board.Stone[cell] == 1;
}

// Places up to `wanted` spiders of one kind into `spiders`; gives how many fit.
int32_t PlaceKind(Spider* spiders, Spider* setUp, int32_t capacity, int32_t wanted, int32_t kind) {
  wanted = std::clamp(wanted, 0, capacity);
  int32_t placed = 0;
  for (int32_t i = 0; i < capacity; ++i) spiders[i] = Spider{};
  for (; placed < wanted; ++placed) {
    const int32_t cell = PlaceSpider();
    if (cell < 0) break;
    Spider& spider = spiders[placed];
    spider.kind = kind;
    spider.cell = cell;
    spider.target = -1;
    spider.pathTarget = -1;
    spider.pathLength = 0;
    spider.wakeCountdown = SPIDER_WAKE_TICKS;
    spider.awake = 0;
    spider.frame = 0;
    spider.stepTimer.Start(SPIDER_STEP_MS);
    spider.frameTimer.Start(SPIDER_FRAME_MS);
  }
  std::copy(spiders, spiders + capacity, setUp);
  return placed;
}

int32_t Sign(int32_t v) { return (v > 0) - (v < 0); }

}  // namespace

void InitSpiders() {
  std::fill(std::begin(Board.SpiderOccupied), std::end(Board.SpiderOccupied), 0);
  std::fill(std::begin(Board.InitialSpiderOccupied), std::end(Board.InitialSpiderOccupied), 0);
  StaticSpiderNum = PlaceKind(StaticSpiders, StaticSpiderSetUp, MAX_STATIC_SPIDERS, LevelDefinition.StaticSpiderNum,
                              SPIDER_KIND_STATIC);
  DynamicSpiderNum = PlaceKind(DynamicSpiders, DynamicSpiderSetUp, MAX_DYNAMIC_SPIDERS,
                               LevelDefinition.DynamicSpiderNum, SPIDER_KIND_DYNAMIC);
}

int32_t PlaceSpider() {
  const int32_t count = Board.CellCount;
  if (count <= 0) return -1;
  // Drawing until a cell qualifies would never end when none does. When one
  // does, the draws reach it: the generator runs through all 2^32 states, so
  // every value 0 to 32767, and every cell number, comes up.
  bool any = false;
  for (int32_t cell = 0; cell < count && !any; ++cell) any = CanHoldSpider(cell);
  if (!any) return -1;
  int32_t cell;
  do {
    cell = Rand() % count;
  } while (!CanHoldSpider(cell));
  Board.SpiderOccupied[cell] = 1;
  Board.InitialSpiderOccupied[cell] = 1;
  return cell;
}

int32_t SpiderTarget(const Spider& spider) {
  const int32_t hovered = Board.HoveredCell;
  if (spider.kind == SPIDER_KIND_DYNAMIC) return hovered;
  if (hovered < 0 || spider.cell < 0 || Board.BoardSide <= 0) return -1;
  const int32_t side = Board.BoardSide;
  const bool rowNear = std::abs(hovered / side - spider.cell / side) < STATIC_SPIDER_SIGHT;
  const bool columnNear = std::abs(hovered % side - spider.cell % side) < STATIC_SPIDER_SIGHT;
  return rowNear && columnNear ? hovered : -1;
}

void PlanSpiderPath(Spider& spider) {
  const int32_t side = Board.BoardSide;
  const int32_t start = spider.cell;
  const int32_t goal = spider.target;
  spider.pathLength = 0;
  if (side <= 0 || start < 0 || goal < 0 || start >= Board.CellCount || goal >= Board.CellCount) return;

  int32_t dr = start / side - goal / side;
  int32_t dc = start % side - goal % side;
  const double slope = dc != 0 ? static_cast<double>(dr) / dc : 0.0;
  int32_t* path = spider.path;
  path[0] = goal;
  int32_t k = 0;
  // Every step takes one off |dr| + |dc|, so the walk ends at the start cell
  // within that many steps and the path never outgrows the board.
  while (path[k] != start) {
    int32_t next;
    if (dr == 0) {
      const int32_t a = Sign(dc);
      next = path[k] + a;
      dc -= a;
    } else if (dc == 0) {
      const int32_t a = Sign(dr);
      next = path[k] + a * side;
      dr -= a;
    } else if (std::abs(static_cast<double>(dr) / dc) > std::abs(slope)) {
      const int32_t a = Sign(dr);
      next = path[k] + a * side;
      dr -= a;
    } else {
      const int32_t a = Sign(dc);
      next = path[k] + a;
      dc -= a;
    }
    // A stone cuts the path: the spider can come no nearer than the cell
    // before the first stone on its line.
    if (Board.Stone[path[k]] == 1) {
      path[0] = next;
      k = 0;
    } else {
      path[++k] = next;
    }
  }
  spider.pathLength = k;
}

void UpdateSpider(Spider& spider) {
  if (spider.cell < 0 || spider.cell >= Board.CellCount) return;
  if (Board.Stone[spider.cell] == 1) return;

  if (spider.awake == 0) {
    if (spider.stepTimer.Elapsed()) --spider.wakeCountdown;
    if (spider.wakeCountdown <= 0) {
      spider.awake = 1;
      spider.stepTimer.Restart();
    }
    return;
  }

  const int32_t t = SpiderTarget(spider);
  spider.target = t;
  if (t != spider.pathTarget) {
    spider.pathTarget = t;
    if (t == -1) {
      spider.pathLength = 0;
    } else {
      PlanSpiderPath(spider);
    }
  }

  if (Board.TouchLatch == 0 && spider.cell == Board.HoveredCell) {
    Board.TouchLatch = 1;
    if (Board.Cobweb[spider.cell] != 1) {
      Board.Cobweb[spider.cell] = 1;
      ++Board.CobwebCount;
    }
    PlayBoardEffect(SOUND_TOUCH_SPIDER);
  }

  // The tick is used up even when there is nowhere to go.
  if (spider.stepTimer.Elapsed() && spider.pathLength > 0) {
    const int32_t next = spider.path[spider.pathLength - 1];
    if (Board.SpiderOccupied[next] != 1) {
      Board.SpiderOccupied[spider.cell] = 0;
      Board.SpiderOccupied[next] = 1;
      spider.cell = next;
      --spider.pathLength;
    }
  }

  if (spider.frameTimer.Elapsed()) spider.frame = (spider.frame + 1) % SPIDER_FRAME_COUNT;
}

void UpdateSpiders() {
  for (int32_t i = 0; i < StaticSpiderNum; ++i) UpdateSpider(StaticSpiders[i]);
  for (int32_t i = 0; i < DynamicSpiderNum; ++i) UpdateSpider(DynamicSpiders[i]);
}

void ResetSpiders() {
  std::copy(std::begin(Board.InitialSpiderOccupied), std::end(Board.InitialSpiderOccupied),
            std::begin(Board.SpiderOccupied));
  std::copy(std::begin(StaticSpiderSetUp), std::end(StaticSpiderSetUp), std::begin(StaticSpiders));
  std::copy(std::begin(DynamicSpiderSetUp), std::end(DynamicSpiderSetUp), std::begin(DynamicSpiders));
}

}  // namespace tessera
