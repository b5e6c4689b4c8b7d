#pragma once
// Window messages as the screens' tests hand them to a screen's handler.
#include <cstdint>

#include "platform/platform.h"

namespace tessera::test {

inline WindowMessage Message(MessageKind kind, uint32_t key = 0, int x = 0, int y = 0) {
  WindowMessage m;
  m.kind = kind;
  m.virtualKey = key;
  m.x = x;
  m.y = y;
  return m;
}
inline WindowMessage Key(uint32_t key) { return Message(MessageKind::KeyDown, key); }

}  // namespace tessera::test
