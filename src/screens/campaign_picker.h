#pragma once
// The campaign picker: when several campaigns are found and none was played
// before, the game shows their names as lines on a plain screen, drawn with its
// own text renderer. A click on a line, or up/down and Return, picks one;
// Escape or closing the window quits.
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessera {

struct PickerState {
  int count = 0;
  int selected = 0;
  int top = 0;       // first line shown (long lists scroll)
  int pressed = -1;  // line under the left button's press
  int mouseX = -1, mouseY = -1;
};

enum class PickerStep { None, Chosen, Quit };

// The line under a frame position, or -1.
int PickerLineAt(const PickerState& state, int x, int y);
// One window message: moves the selection, or picks (state.selected), or quits.
PickerStep HandlePickerMessage(PickerState& state, const WindowMessage& message);
void DrawPicker(const PickerState& state, const std::vector<std::string>& names, uint16_t* frame);

// Runs the picker until a choice: the index picked, or -1 to quit. Needs the
// display, input and text renderer set up.
int PickCampaign(const std::vector<std::string>& names);

}  // namespace tessera
