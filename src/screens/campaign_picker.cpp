#include "screens/campaign_picker.h"

#include <algorithm>

#include "gfx/draw.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"
#include "gfx/text.h"

namespace tessera {

namespace {

constexpr int kLeft = 100;
constexpr int kWidth = 600;
constexpr int kFirstLineY = 110;
constexpr int kLineHeight = 34;
constexpr int kVisibleLines = 12;
constexpr int kTextSize = 20;

void Select(PickerState& state, int line) {
  state.selected = std::clamp(line, 0, std::max(0, state.count - 1));
  if (state.selected < state.top) state.top = state.selected;
  if (state.selected >= state.top + kVisibleLines) state.top = state.selected - kVisibleLines + 1;
}

// Folder names are shown in plain ASCII: other bytes mean different letters in
// the game's code pages.
std::string Shown(const std::string& name) {
  std::string text;
  for (unsigned char c : name) text += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
  if (text.size() > 56) text = text.substr(0, 53) + "...";
  return text;
}

// A plain arrow for the pointer: the game's own cursor belongs to a game not yet loaded.
void DrawPointer(int x, int y, uint16_t* frame) {
  if (x < 0 || y < 0) return;
  for (int row = 0; row < 14; ++row)
    for (int col = 0; col <= row / 2 + row / 4 && col < 8; ++col) {
      const int px = x + col, py = y + row;
      if (px >= SCREEN_WIDTH || py >= SCREEN_HEIGHT) continue;
      const bool edge = col == 0 || col == row / 2 + row / 4 || row == 13;
      frame[py * SCREEN_WIDTH + px] = edge ? PackRgb(0, 0, 0) : PackRgb(255, 255, 255);
    }
}

}  // namespace

int PickerLineAt(const PickerState& state, int x, int y) {
  if (x < kLeft || x >= kLeft + kWidth || y < kFirstLineY) return -1;
  const int row = (y - kFirstLineY) / kLineHeight;
  const int line = state.top + row;
  return row < kVisibleLines && line < state.count ? line : -1;
}

PickerStep HandlePickerMessage(PickerState& state, const WindowMessage& message) {
  switch (message.kind) {
    case MessageKind::MouseMove: {
      state.mouseX = message.x;
      state.mouseY = message.y;
      const int line = PickerLineAt(state, message.x, message.y);
      if (line >= 0) Select(state, line);
      break;
    }
    case MessageKind::ButtonDown:
      if (message.button == MouseButton::Left) state.pressed = PickerLineAt(state, message.x, message.y);
      break;
    case MessageKind::ButtonUp: {
      if (message.button != MouseButton::Left) break;
      const int line = PickerLineAt(state, message.x, message.y);
      const bool same = line >= 0 && line == state.pressed;
      state.pressed = -1;
      if (same) {
        Select(state, line);
        return PickerStep::Chosen;
      }
      break;
    }
    case MessageKind::KeyDown:
      switch (message.virtualKey) {
        case VK_UP: Select(state, state.selected - 1); break;
        case VK_DOWN: Select(state, state.selected + 1); break;
        case VK_PRIOR: Select(state, state.selected - kVisibleLines); break;
        case VK_NEXT: Select(state, state.selected + kVisibleLines); break;
        case VK_HOME: Select(state, 0); break;
        case VK_END: Select(state, state.count - 1); break;
        case VK_RETURN:
        case VK_SPACE:
          if (state.count > 0) return PickerStep::Chosen;
          break;
        case VK_ESCAPE: return PickerStep::Quit;
        default: break;
      }
      break;
    case MessageKind::Close: return PickerStep::Quit;
    default: break;
  }
  return PickerStep::None;
}

void DrawPicker(const PickerState& state, const std::vector<std::string>& names, uint16_t* frame) {
  FillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 28, 40, frame);
  auto text = [&](int size, uint16_t colour, int x, int y, const std::string& line) {
    RenderText(size, colour, x, y, 0, line.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
  };
  text(28, PackRgb(240, 220, 160), kLeft, 50, "Choose a game");
  const int last = std::min(state.count, state.top + kVisibleLines);
  for (int line = state.top; line < last; ++line) {
    const int y = kFirstLineY + (line - state.top) * kLineHeight;
    const bool selected = line == state.selected;
    if (selected) FillRect(kLeft - 10, y, kWidth + 20, kLineHeight - 4, 60, 72, 104, frame);
    const std::string& name = static_cast<size_t>(line) < names.size() ? names[line] : std::string();
    text(kTextSize, selected ? PackRgb(255, 255, 255) : PackRgb(190, 196, 210), kLeft, y + 5, Shown(name));
  }
  if (state.top > 0) text(16, PackRgb(150, 156, 170), kLeft + kWidth - 40, kFirstLineY - 24, "more");
  if (last < state.count)
    text(16, PackRgb(150, 156, 170), kLeft + kWidth - 40, kFirstLineY + kVisibleLines * kLineHeight, "more");
  text(16, PackRgb(150, 156, 170), kLeft, 560, "Click a game, or Up/Down and Return. Escape quits.");
  DrawPointer(state.mouseX, state.mouseY, frame);
}

int PickCampaign(const std::vector<std::string>& names) {
  PickerState state;
  state.count = static_cast<int>(names.size());
  if (state.count == 0) return -1;
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  Platform& sys = Sys();
  for (;;) {
    WindowMessage message;
    while (sys.PollMessage(message)) {
      const PickerStep step = HandlePickerMessage(state, message);
      if (step == PickerStep::Chosen) return state.selected;
      if (step == PickerStep::Quit) return -1;
    }
    DrawPicker(state, names, frame.data());
    PresentFrame(frame.data());
    sys.Sleep(15);
  }
}

}  // namespace tessera
