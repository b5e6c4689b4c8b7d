#include "app/input_state.h"

#include <cstdio>
#include <cstdlib>

#include "app/log.h"

namespace tessera {

InputStateRecord InputState;

namespace {

std::function<void(const std::string&)> g_dropHandler;

uint8_t ButtonCode(MouseButton button, int offset) {
  // Each button owns three consecutive codes: down, up, double.
  return static_cast<uint8_t>(MOUSE_LEFT_DOWN + 3 * static_cast<int>(button) + offset);
}

}  // namespace

void SetDropHandler(std::function<void(const std::string& path)> handler) { g_dropHandler = std::move(handler); }

void HandleWindowMessage(const WindowMessage& m) {
  switch (m.kind) {
    case MessageKind::MouseMove:
      InputState.MouseX = m.x;
      InputState.MouseY = m.y;
      if (m.held & HELD_LEFT)
        InputState.MouseEvent = MOUSE_LEFT_DRAG;
      else if (m.held & HELD_RIGHT)
        InputState.MouseEvent = MOUSE_RIGHT_DRAG;
      else
        InputState.MouseEvent = MOUSE_MOVE;
      break;
    case MessageKind::ButtonDown:
    case MessageKind::ButtonUp:
    case MessageKind::ButtonDouble:
      InputState.MouseX = m.x;
      InputState.MouseY = m.y;
      InputState.MouseEvent =
          ButtonCode(m.button, m.kind == MessageKind::ButtonDown ? 0 : m.kind == MessageKind::ButtonUp ? 1 : 2);
      break;
    case MessageKind::KeyDown:
      InputState.KeyEvent = KEY_PRESSED;
      InputState.LastKey = static_cast<uint8_t>(m.virtualKey & 0xFF);
      break;
    case MessageKind::KeyUp:
      InputState.KeyEvent = KEY_RELEASED;
      InputState.LastKey = static_cast<uint8_t>(m.virtualKey & 0xFF);
      break;
    case MessageKind::Drop:
      if (g_dropHandler) g_dropHandler(m.path);
      break;
    case MessageKind::Text:  // the game's own screens take keys, not text
      break;
    case MessageKind::Close:
      CloseTrace();
      std::fflush(nullptr);
      std::exit(0);
  }
}

void ClearFrameInput() {
  InputState.PrevMouseX = InputState.MouseX;
  InputState.PrevMouseY = InputState.MouseY;
  InputState.MouseEvent = MOUSE_NONE;
  InputState.KeyEvent = KEY_NONE;
  InputState.LastKey = 0;
}

}  // namespace tessera
