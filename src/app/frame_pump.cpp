#include "app/frame_pump.h"

#include "app/input_state.h"
#include "platform/platform.h"

namespace tessera {

uint32_t FrameClock = 0;
int32_t ShowFps = 0;
int32_t ShowMousePosition = 0;

namespace {
InputDriver* g_driver = nullptr;
}

void SetInputDriver(InputDriver* driver) { g_driver = driver; }

void PumpFrame() {
  Platform& sys = Sys();
  sys.Sleep(5);
  FrameClock = sys.Milliseconds();
  ClearFrameInput();
  WindowMessage message;
  while (sys.PollMessage(message)) HandleWindowMessage(message);
  if (g_driver) {
    static std::vector<WindowMessage> driven;
    driven.clear();
    g_driver->Drive(driven);
    for (const WindowMessage& m : driven) HandleWindowMessage(m);
  }
  if (InputState.KeyEvent == KEY_RELEASED) {
    if (InputState.LastKey == VK_F1) ShowFps = ShowFps == 0 ? 1 : 0;
    if (InputState.LastKey == VK_F2) ShowMousePosition = ShowMousePosition == 0 ? 1 : 0;
  }
}

void IntervalTimer::Start(uint32_t periodMs) {
  period = periodMs;
  reference = Sys().Milliseconds();
}

void IntervalTimer::Restart() { reference = Sys().Milliseconds(); }

bool IntervalTimer::Elapsed() {
  uint32_t now = Sys().Milliseconds();
  if (now - reference > period) {
    reference = now;
    return true;
  }
  return false;
}

}  // namespace tessera
