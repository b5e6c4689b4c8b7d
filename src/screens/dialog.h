#pragma once
// A small question drawn over a screen: a heading, a line of detail, an
// optional line of text to type (a new title), and buttons. The focused button
// is lit; Enter presses it, Escape cancels, Left/Right/Tab move the focus.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessera {

struct Dialog {
  std::string heading;  // UTF-8
  std::string detail;   // UTF-8, may be empty
  bool entry = false;   // a line of text to type
  std::string text;     // UTF-8: the entry's text
  size_t maxTextBytes = 100;
  std::vector<std::string> buttons;
  int focus = 0;  // the button Enter presses
  int hovered = -1, pressed = -1;
  int mouseX = -1, mouseY = -1;
};

// A button's index when one was pressed; kDialogNone, kDialogCancel (Escape),
// kDialogQuit (the window closed).
constexpr int kDialogNone = -1, kDialogCancel = -2, kDialogQuit = -3;
int HandleDialogMessage(Dialog& dialog, const WindowMessage& message);
// The button at a frame position, or -1.
int DialogButtonAt(const Dialog& dialog, int x, int y);
// Over what `frame` already shows.
void DrawDialog(const Dialog& dialog, uint16_t* frame);

}  // namespace tessera
