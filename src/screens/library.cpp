#include "screens/library.h"

#include <algorithm>

#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "screens/ui_text.h"

namespace tessera {

namespace {

constexpr int kLeft = 60;
constexpr int kWidth = 680;
constexpr int kFirstRowY = 80;
constexpr int kRowHeight = 74;
constexpr int kVisibleRows = LIBRARY_ROWS_SHOWN;
constexpr int kThumb = 64;
constexpr int kTitleX = kLeft + kThumb + 20;
constexpr int kMakeX = kLeft, kMakeY = kFirstRowY + kVisibleRows * kRowHeight + 10, kMakeW = 330, kMakeH = 40;
constexpr int kOpenX = kMakeX + kMakeW + 10, kOpenW = 100;
constexpr int kHintX = kOpenX + kOpenW + 20;

constexpr int kActionH = 26;
struct ActionBox {
  int x, w;
  const char* label;
};
constexpr ActionBox kActions[kActionCount] = {{436, 120, "Add pictures"}, {564, 80, "Rename"}, {652, 80, "Delete"}};

bool SelectedIsOwn(const LibraryState& state) {
  return state.selected >= 0 && state.selected < state.count && static_cast<size_t>(state.selected) < state.own.size() &&
         state.own[state.selected];
}

}  // namespace

int LibraryActionAt(const LibraryState& state, int x, int y) {
  if (!SelectedIsOwn(state) || state.selected < state.top || state.selected >= state.top + kVisibleRows) return -1;
  const int rowY = kFirstRowY + (state.selected - state.top) * kRowHeight + 36;
  if (y < rowY || y >= rowY + kActionH) return -1;
  for (int a = 0; a < kActionCount; ++a)
    if (x >= kActions[a].x && x < kActions[a].x + kActions[a].w) return a;
  return -1;
}

void SelectLibraryRow(LibraryState& state, int row) {
  state.selected = std::clamp(row, 0, state.count + 1);
  if (state.selected >= state.count) return;  // the buttons are always in view
  if (state.selected < state.top) state.top = state.selected;
  if (state.selected >= state.top + kVisibleRows) state.top = state.selected - kVisibleRows + 1;
}

int LibraryRowAt(const LibraryState& state, int x, int y) {
  if (x >= kMakeX && x < kMakeX + kMakeW && y >= kMakeY && y < kMakeY + kMakeH) return state.count;
  if (x >= kOpenX && x < kOpenX + kOpenW && y >= kMakeY && y < kMakeY + kMakeH) return state.count + 1;
  if (x < kLeft || x >= kLeft + kWidth || y < kFirstRowY) return -1;
  const int row = (y - kFirstRowY) / kRowHeight;
  const int index = state.top + row;
  return row < kVisibleRows && index < state.count ? index : -1;
}

LibraryStep HandleLibraryMessage(LibraryState& state, const WindowMessage& message) {
  auto chosen = [&state] {
    return state.selected == state.count + 1 ? LibraryStep::Open
           : state.selected == state.count   ? LibraryStep::Make
                                             : LibraryStep::Play;
  };
  switch (message.kind) {
    case MessageKind::MouseMove: {
      state.mouseX = message.x;
      state.mouseY = message.y;
      const int row = LibraryRowAt(state, message.x, message.y);
      if (row >= 0) SelectLibraryRow(state, row);
      break;
    }
    case MessageKind::ButtonDown:
      if (message.button != MouseButton::Left) break;
      state.pressedAction = LibraryActionAt(state, message.x, message.y);
      state.pressed = state.pressedAction >= 0 ? -1 : LibraryRowAt(state, message.x, message.y);
      break;
    case MessageKind::ButtonUp: {
      if (message.button != MouseButton::Left) break;
      const int action = LibraryActionAt(state, message.x, message.y);
      const bool sameAction = action >= 0 && action == state.pressedAction;
      state.pressedAction = -1;
      if (sameAction) {
        state.pressed = -1;
        return action == kActionAdd ? LibraryStep::AddPictures
                                    : action == kActionRename ? LibraryStep::Rename : LibraryStep::Delete;
      }
      const int row = LibraryRowAt(state, message.x, message.y);
      const bool same = row >= 0 && row == state.pressed;
      state.pressed = -1;
      if (same) {
        SelectLibraryRow(state, row);
        return chosen();
      }
      break;
    }
    case MessageKind::KeyDown:
      switch (message.virtualKey) {
        case VK_UP: SelectLibraryRow(state, state.selected - 1); break;
        case VK_DOWN: SelectLibraryRow(state, std::min(state.selected + 1, state.count)); break;
        case VK_RIGHT:  // from the make button to "Open..." beside it
          if (state.selected == state.count) SelectLibraryRow(state, state.count + 1);
          break;
        case VK_LEFT:
          if (state.selected == state.count + 1) SelectLibraryRow(state, state.count);
          break;
        case VK_PRIOR: SelectLibraryRow(state, state.selected - kVisibleRows); break;
        case VK_NEXT: SelectLibraryRow(state, std::min(state.selected + kVisibleRows, std::max(0, state.count - 1))); break;
        case VK_HOME: SelectLibraryRow(state, 0); break;
        case VK_END: SelectLibraryRow(state, std::max(0, state.count - 1)); break;
        case VK_RETURN:
        case VK_SPACE: return chosen();
        case VK_ESCAPE: return LibraryStep::Back;
        case VK_F2:
          if (SelectedIsOwn(state)) return LibraryStep::Rename;
          break;
        case VK_DELETE:
          if (SelectedIsOwn(state)) return LibraryStep::Delete;
          break;
        default: break;
      }
      break;
    case MessageKind::Close: return LibraryStep::Quit;
    default: break;
  }
  return LibraryStep::None;
}

std::string ProgressText(const LibraryEntry& entry) {
  if (entry.won <= 0) return "new";
  if (entry.won >= entry.levels) return "all " + std::to_string(entry.levels) + " levels won";
  return std::to_string(entry.won) + " of " + std::to_string(entry.levels) + " levels won";
}

void DrawPlainPointer(int x, int y, uint16_t* frame) {
  if (x < 0 || y < 0) return;
  for (int row = 0; row < 14; ++row)
    for (int col = 0; col <= row / 2 + row / 4 && col < 8; ++col) {
      const int px = x + col, py = y + row;
      if (px >= SCREEN_WIDTH || py >= SCREEN_HEIGHT) continue;
      const bool edge = col == 0 || col == row / 2 + row / 4 || row == 13;
      frame[py * SCREEN_WIDTH + px] = edge ? PackRgb(0, 0, 0) : PackRgb(255, 255, 255);
    }
}

void DrawLibrary(const LibraryState& state, const std::vector<LibraryEntry>& entries, uint16_t* frame) {
  FillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 28, 40, frame);
  auto text = [&](int size, uint16_t colour, int x, int y, const std::string& line) {
    RenderText(size, colour, x, y, 0, line.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
  };
  const uint16_t dim = PackRgb(150, 156, 170);
  text(28, PackRgb(240, 220, 160), kLeft, 28, "Library");
  if (!state.message.empty()) DrawShownText(state.message, 16, PackRgb(240, 170, 120), kLeft + 130, 36, kWidth - 130, frame);
  if (state.count == 0) text(20, dim, kLeft, kFirstRowY + 20, "No campaigns yet: make one from your pictures.");
  const int last = std::min(state.count, state.top + kVisibleRows);
  for (int index = state.top; index < last; ++index) {
    const int y = kFirstRowY + (index - state.top) * kRowHeight;
    const bool selected = index == state.selected;
    if (selected) FillRect(kLeft - 8, y - 4, kWidth + 16, kRowHeight - 2, 60, 72, 104, frame);
    const LibraryEntry* entry = static_cast<size_t>(index) < entries.size() ? &entries[index] : nullptr;
    if (entry && entry->thumbnail)
      DrawImageScaled(entry->thumbnail.get(), kThumb, kThumb, frame, kLeft, y);
    else
      FillRect(kLeft, y, kThumb, kThumb, 40, 46, 64, frame);
    if (!entry) continue;
    DrawShownText(entry->title, 24, selected ? PackRgb(255, 255, 255) : PackRgb(210, 214, 226), kTitleX, y + 6,
                  kLeft + kWidth - kTitleX - 8, frame);
    std::string facts = ProgressText(*entry);
    if (entry->own) facts += "   made by you";
    text(16, entry->won > 0 ? PackRgb(170, 220, 170) : dim, kTitleX, y + 40, facts);
    if (!selected || !entry->own) continue;
    const int pressed = state.pressedAction;
    for (int a = 0; a < kActionCount; ++a) {
      const ActionBox& box = kActions[a];
      const bool hover = LibraryActionAt(state, state.mouseX, state.mouseY) == a || pressed == a;
      FillRect(box.x, y + 36, box.w, kActionH, hover ? 110 : 80, hover ? 126 : 92, hover ? 176 : 132, frame);
      FrameRect(box.x, y + 36, box.w, kActionH, 1, 170, 176, 190, frame);
      text(16, PackRgb(240, 242, 248), box.x + 8, y + 41, box.label);
    }
  }
  if (state.top > 0) text(16, dim, kLeft + kWidth - 40, kFirstRowY - 22, "more");
  if (last < state.count) text(16, dim, kLeft + kWidth - 40, kMakeY - 4, "more");

  const bool makeLit = state.selected == state.count;
  FillRect(kMakeX, kMakeY, kMakeW, kMakeH, makeLit ? 84 : 60, makeLit ? 100 : 72, makeLit ? 144 : 104, frame);
  FrameRect(kMakeX, kMakeY, kMakeW, kMakeH, 2, 150, 156, 170, frame);
  text(20, makeLit ? PackRgb(255, 255, 255) : PackRgb(220, 224, 232), kMakeX + 14, kMakeY + 10,
       "Make a puzzle from pictures...");
  const bool openLit = state.selected == state.count + 1;
  FillRect(kOpenX, kMakeY, kOpenW, kMakeH, openLit ? 84 : 60, openLit ? 100 : 72, openLit ? 144 : 104, frame);
  FrameRect(kOpenX, kMakeY, kOpenW, kMakeH, 2, 150, 156, 170, frame);
  text(20, openLit ? PackRgb(255, 255, 255) : PackRgb(220, 224, 232), kOpenX + 14, kMakeY + 10, "Open...");
  text(16, dim, kHintX, kMakeY + 4, "Enter plays, Escape goes back.");
  text(16, dim, kHintX, kMakeY + 22, "Or drop pictures here.");
  DrawPlainPointer(state.mouseX, state.mouseY, frame);
}

}  // namespace tessera
