#pragma once
// The per-iteration pump every waiting or animating loop calls, and the small
// interval timer that paces animations and clocks.
#include <cstdint>

namespace tessera {

extern uint32_t FrameClock;
extern int32_t ShowFps;
extern int32_t ShowMousePosition;

// Sleeps 5 ms, samples the clock, clears the frame's input events, dispatches
// the pending window messages and toggles the debug overlays on F1/F2 release.
void PumpFrame();

struct IntervalTimer {
  uint32_t period = 0;
  uint32_t reference = 0;

  void Start(uint32_t periodMs);
  void Restart();
  // True once the current interval is over (strictly more than the period has
  // passed); a new interval then begins now.
  bool Elapsed();
};

}  // namespace tessera
