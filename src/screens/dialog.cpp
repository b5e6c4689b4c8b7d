#include "screens/dialog.h"

#include <algorithm>

#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "screens/library.h"
#include "screens/ui_text.h"

namespace tessera {

namespace {

constexpr int kX = 130, kY = 200, kW = 540, kH = 200;
constexpr int kButtonW = 170, kButtonH = 40, kButtonY = kY + kH - 56, kButtonGap = 16;
constexpr int kEntryX = kX + 24, kEntryY = kY + 84, kEntryW = kW - 48, kEntryH = 36;

int ButtonX(const Dialog& d, int i) {
  const int count = static_cast<int>(d.buttons.size());
  const int right = kX + kW - 24;
  return right - (count - i) * kButtonW - (count - 1 - i) * kButtonGap;
}

}  // namespace

int DialogButtonAt(const Dialog& d, int x, int y) {
  if (y < kButtonY || y >= kButtonY + kButtonH) return -1;
  for (int i = 0; i < static_cast<int>(d.buttons.size()); ++i)
    if (x >= ButtonX(d, i) && x < ButtonX(d, i) + kButtonW) return i;
  return -1;
}

int HandleDialogMessage(Dialog& d, const WindowMessage& m) {
  const int count = static_cast<int>(d.buttons.size());
  switch (m.kind) {
    case MessageKind::MouseMove:
      d.mouseX = m.x;
      d.mouseY = m.y;
      d.hovered = DialogButtonAt(d, m.x, m.y);
      if (d.hovered >= 0) d.focus = d.hovered;
      break;
    case MessageKind::ButtonDown:
      if (m.button == MouseButton::Left) d.pressed = DialogButtonAt(d, m.x, m.y);
      break;
    case MessageKind::ButtonUp: {
      if (m.button != MouseButton::Left) break;
      const int hit = DialogButtonAt(d, m.x, m.y);
      const bool same = hit >= 0 && hit == d.pressed;
      d.pressed = -1;
      if (same) return hit;
      break;
    }
    case MessageKind::Text:
      if (!d.entry) break;
      for (unsigned char c : m.text)
        if (c < 0x20 || c == 0x7F) return kDialogNone;
      if (d.text.size() + m.text.size() <= d.maxTextBytes) d.text += m.text;
      break;
    case MessageKind::KeyDown:
      switch (m.virtualKey) {
        case VK_RETURN: return count > 0 ? d.focus : kDialogNone;
        case VK_ESCAPE: return kDialogCancel;
        case VK_BACK:
          if (d.entry) d.text = DropLastCharacter(d.text);
          break;
        case VK_LEFT: d.focus = std::max(0, d.focus - 1); break;
        case VK_RIGHT: d.focus = std::min(count - 1, d.focus + 1); break;
        case VK_TAB: d.focus = count > 0 ? (d.focus + 1) % count : 0; break;
        default: break;
      }
      break;
    case MessageKind::Close: return kDialogQuit;
    default: break;
  }
  return kDialogNone;
}

void DrawDialog(const Dialog& d, uint16_t* frame) {
  // The screen below darkened to a quarter, so the question stands out: each
  // channel shifted down two bits, what spills into the next one dropped.
  uint16_t keep = 0;
  for (const ChannelFormat* c : {&PixelFormat.red, &PixelFormat.green, &PixelFormat.blue})
    keep = static_cast<uint16_t>(keep | (c->mask & (c->mask >> 2)));
  for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) frame[i] = static_cast<uint16_t>((frame[i] >> 2) & keep);
  FillRect(kX, kY, kW, kH, 36, 42, 60, frame);
  FrameRect(kX, kY, kW, kH, 2, 150, 156, 170, frame);
  const uint16_t plain = PackRgb(220, 224, 232), lit = PackRgb(255, 255, 255);
  DrawShownText(d.heading, 24, PackRgb(240, 220, 160), kX + 24, kY + 20, kW - 48, frame);
  if (!d.detail.empty()) DrawShownText(d.detail, 16, plain, kX + 24, kY + 56, kW - 48, frame);
  if (d.entry) {
    FillRect(kEntryX, kEntryY, kEntryW, kEntryH, 16, 18, 28, frame);
    FrameRect(kEntryX, kEntryY, kEntryW, kEntryH, 2, 220, 200, 120, frame);
    const std::string shown = ShownText(d.text, 20, kEntryW - 24);
    RenderText(20, lit, kEntryX + 8, kEntryY + 8, 0, shown.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
    FillRect(kEntryX + 8 + static_cast<int>(shown.size()) * 10 + 1, kEntryY + 7, 2, 22, 240, 220, 160, frame);
  }
  for (int i = 0; i < static_cast<int>(d.buttons.size()); ++i) {
    const int x = ButtonX(d, i);
    const bool focused = i == d.focus;
    FillRect(x, kButtonY, kButtonW, kButtonH, focused ? 84 : 60, focused ? 100 : 72, focused ? 144 : 104, frame);
    FrameRect(x, kButtonY, kButtonW, kButtonH, 2, focused ? 240 : 150, focused ? 220 : 156, focused ? 160 : 170,
              frame);
    DrawShownText(d.buttons[i], 20, focused ? lit : plain, x + 14, kButtonY + 10, kButtonW - 20, frame);
  }
  DrawPlainPointer(d.mouseX, d.mouseY, frame);
}

}  // namespace tessera
