#pragma once
// The one input record every screen polls after PumpFrame: the latest mouse
// event and key event of the frame, the last message winning.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace tessera {

enum MouseEventCode : uint8_t {
  MOUSE_NONE = 0,
  MOUSE_MOVE = 241,
  MOUSE_LEFT_DRAG = 242,
  MOUSE_RIGHT_DRAG = 243,
  MOUSE_LEFT_DOWN = 244,
  MOUSE_LEFT_UP = 245,
  MOUSE_LEFT_DOUBLE = 246,
  MOUSE_RIGHT_DOWN = 247,
  MOUSE_RIGHT_UP = 248,
  MOUSE_RIGHT_DOUBLE = 249,
  MOUSE_MIDDLE_DOWN = 250,
  MOUSE_MIDDLE_UP = 251,
  MOUSE_MIDDLE_DOUBLE = 252,
};

enum KeyEventKind : int32_t { KEY_NONE = 0, KEY_PRESSED = 1, KEY_RELEASED = 2 };

struct InputStateRecord {
  int32_t MouseX = 0;
  int32_t MouseY = 0;
  uint8_t MouseEvent = 0;
  int32_t PrevMouseX = 0;
  int32_t PrevMouseY = 0;
  int32_t KeyEvent = 0;
  uint8_t LastKey = 0;
};

extern InputStateRecord InputState;

// What a file or folder dropped onto the window does; none: nothing.
void SetDropHandler(std::function<void(const std::string& path)> handler);

// Applies one window message to InputState. A Close message ends the process
// at once with exit code 0, as destroying the window does.
void HandleWindowMessage(const WindowMessage& message);

// The per-frame clearing PumpFrame does before dispatching (also used around movies).
void ClearFrameInput();

}  // namespace tessera
