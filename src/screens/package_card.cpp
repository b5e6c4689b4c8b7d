#include "screens/package_card.h"

#include <cstdio>

#include "gfx/bmp.h"
#include "gfx/draw.h"
#include "gfx/image.h"
#include "gfx/pixel_format.h"
#include "gfx/present.h"
#include "gfx/text.h"
#include "screens/ui_text.h"

namespace tessera {

namespace {

struct Rect {
  int x, y, w, h;
};
constexpr Rect kPicture = {100, 120, 200, 200};  // the 100x100 thumbnail, doubled
constexpr int kFactsX = 330;
constexpr int kFactsY = 120;
constexpr int kLineHeight = 34;
constexpr int kButtonY = 420;
constexpr int kButtonHeight = 48;
constexpr Rect kTwoButtons[] = {{100, kButtonY, 290, kButtonHeight}, {410, kButtonY, 290, kButtonHeight}};
constexpr Rect kThreeButtons[] = {
    {100, kButtonY, 190, kButtonHeight}, {305, kButtonY, 190, kButtonHeight}, {510, kButtonY, 190, kButtonHeight}};

const Rect* ButtonRects(const PackageCardState& state) { return state.installed ? kThreeButtons : kTwoButtons; }

const char* ButtonLabel(CardButton button, bool installed) {
  switch (button) {
    case CardButton::Install: return installed ? "Keep both" : "Install and play";
    case CardButton::Replace: return "Replace it";
    case CardButton::Cancel: return "Cancel";
  }
  return "";
}

std::string LanguageName(const std::string& language) {
  if (language == "English") return "English";
  if (language == "ChineseSimplify") return "Chinese (simplified)";
  if (language == "ChineseTraditional") return "Chinese (traditional)";
  if (language == "Japanese") return "Japanese";
  return ShownText(language, 20, 400);
}

std::string SizeText(uint64_t bytes) {
  char text[32];
  if (bytes >= 1000000)
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  else
    std::snprintf(text, sizeof text, "%llu kB", static_cast<unsigned long long>((bytes + 999) / 1000));
  return text;
}

bool Inside(const Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

}  // namespace

Charset PackageCardCharset(const content::PackageInfo& info) {
  return info.manifest.language == "ChineseTraditional" ? Charset::Big5 : Charset::GB2312;
}

std::vector<CardButton> CardButtons(const PackageCardState& state) {
  if (state.installed) return {CardButton::Replace, CardButton::Install, CardButton::Cancel};
  return {CardButton::Install, CardButton::Cancel};
}

int CardButtonAt(const PackageCardState& state, int x, int y) {
  const int count = static_cast<int>(CardButtons(state).size());
  for (int i = 0; i < count; ++i)
    if (Inside(ButtonRects(state)[i], x, y)) return i;
  return -1;
}

CardStep HandleCardMessage(PackageCardState& state, const WindowMessage& message, CardButton& chosen) {
  const std::vector<CardButton> buttons = CardButtons(state);
  switch (message.kind) {
    case MessageKind::MouseMove:
      state.mouseX = message.x;
      state.mouseY = message.y;
      state.hovered = CardButtonAt(state, message.x, message.y);
      break;
    case MessageKind::ButtonDown:
      if (message.button == MouseButton::Left) state.pressed = CardButtonAt(state, message.x, message.y);
      break;
    case MessageKind::ButtonUp: {
      if (message.button != MouseButton::Left) break;
      const int at = CardButtonAt(state, message.x, message.y);
      const bool same = at >= 0 && at == state.pressed;
      state.pressed = -1;
      if (same) {
        chosen = buttons[at];
        return CardStep::Chosen;
      }
      break;
    }
    case MessageKind::KeyDown:
      if (message.virtualKey == VK_RETURN) {
        chosen = buttons.front();
        return CardStep::Chosen;
      }
      if (message.virtualKey == VK_ESCAPE) {
        chosen = CardButton::Cancel;
        return CardStep::Chosen;
      }
      break;
    case MessageKind::Close:
      chosen = CardButton::Cancel;
      return CardStep::Quit;
    default: break;
  }
  return CardStep::None;
}

void DrawPackageCard(const PackageCardState& state, const content::PackageInfo& info, uint16_t* frame) {
  FillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 28, 40, frame);
  auto text = [&](int size, uint16_t colour, int x, int y, const std::string& line) {
    RenderText(size, colour, x, y, 0, line.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
  };
  const uint16_t plain = PackRgb(220, 224, 232), dim = PackRgb(150, 156, 170);
  text(28, PackRgb(240, 220, 160), 100, 50, "Install this campaign?");

  FillRect(kPicture.x - 4, kPicture.y - 4, kPicture.w + 8, kPicture.h + 8, 60, 72, 104, frame);
  ImagePtr picture;
  if (!info.thumbnail.empty() && DecodeBmp(info.thumbnail.data(), info.thumbnail.size(), picture) == BmpStatus::Ok &&
      picture && picture->width <= kPicture.w && picture->height <= kPicture.h)
    DrawImageScaled(picture.get(), kPicture.w, kPicture.h, frame, kPicture.x, kPicture.y);
  else
    FillRect(kPicture.x, kPicture.y, kPicture.w, kPicture.h, 40, 46, 64, frame);

  const content::Manifest& m = info.manifest;
  text(24, PackRgb(255, 255, 255), kFactsX, kFactsY, ShownText(m.title, 24, 360));
  text(20, plain, kFactsX, kFactsY + kLineHeight + 6,
       m.author.empty() ? std::string("Author unknown") : "by " + ShownText(m.author, 20, 360));
  text(20, plain, kFactsX, kFactsY + 2 * kLineHeight + 6, LanguageName(m.language));
  text(20, plain, kFactsX, kFactsY + 3 * kLineHeight + 6,
       std::to_string(m.levels) + (m.levels == 1 ? " level" : " levels"));
  text(20, plain, kFactsX, kFactsY + 4 * kLineHeight + 6,
       SizeText(info.packageBytes) + " (" + SizeText(info.claimedBytes) + " unpacked)");
  if (state.installed)
    text(20, PackRgb(240, 200, 120), 100, 370, "This campaign is installed already; replacing it keeps your saves.");

  const std::vector<CardButton> buttons = CardButtons(state);
  for (size_t i = 0; i < buttons.size(); ++i) {
    const Rect& r = ButtonRects(state)[i];
    const bool lit = static_cast<int>(i) == state.hovered;
    FillRect(r.x, r.y, r.w, r.h, lit ? 84 : 60, lit ? 100 : 72, lit ? 144 : 104, frame);
    FrameRect(r.x, r.y, r.w, r.h, 2, 150, 156, 170, frame);
    text(20, lit ? PackRgb(255, 255, 255) : plain, r.x + 16, r.y + 13, ButtonLabel(buttons[i], state.installed));
  }
  text(16, dim, 100, 540, "Return chooses the first button, Escape cancels.");
  // A plain pointer: no campaign's cursor is loaded yet.
  if (state.mouseX >= 0 && state.mouseY >= 0)
    FillRect(state.mouseX, state.mouseY, 3, 3, 255, 255, 255, frame);
}

CardButton ShowPackageCard(const content::PackageInfo& info, bool installed) {
  PackageCardState state;
  state.installed = installed;
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  Platform& sys = Sys();
  InitTextRenderer(PackageCardCharset(info));
  for (;;) {
    WindowMessage message;
    CardButton chosen = CardButton::Cancel;
    while (sys.PollMessage(message)) {
      const CardStep step = HandleCardMessage(state, message, chosen);
      if (step != CardStep::None) {
        InitTextRenderer();
        return chosen;
      }
    }
    DrawPackageCard(state, info, frame.data());
    PresentFrame(frame.data());
    sys.Sleep(15);
  }
}

}  // namespace tessera
