#pragma once
// The per-iteration pump every waiting or animating loop calls, and the small
// interval timer that paces animations and clocks.
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace tessera {

extern uint32_t FrameClock;
extern int32_t ShowFps;
extern int32_t ShowMousePosition;

// Sleeps 5 ms, samples the clock, clears the frame's input events, dispatches
// the pending window messages and toggles the debug overlays on F1/F2 release.
void PumpFrame();

// A source of window messages beside the platform's own (the autoplay bot, the
// monkey): asked once per pump, after the platform's messages, for the messages
// a person would have produced in that frame. They take the same path.
class InputDriver {
 public:
  virtual ~InputDriver() = default;
  virtual void Drive(std::vector<WindowMessage>& messages) = 0;
};
void SetInputDriver(InputDriver* driver);

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
