#include "screens/maker_form.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "content/common.h"
#include "content/import.h"
#include "content/maker.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/file_system.h"
#include "screens/library.h"
#include "screens/ui_text.h"

namespace tessera {

namespace {

struct Rect {
  int x, y, w, h;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

constexpr Rect kTitleBox = {190, 70, 550, 36};
constexpr int kOptionY = 122, kOptionPitch = 34;
constexpr int kLessX = 330, kValueX = 370, kMoreX = 500, kArrowW = 30, kArrowH = 28;
constexpr int kPicturesY = 330, kThumbPitch = 66, kPerRow = 10, kRows = 2;
constexpr Rect kMake = {440, 540, 140, 40};
constexpr Rect kCancel = {600, 540, 140, 40};
constexpr Rect kAddPictures = {200, 540, 220, 40};
constexpr int kOptions = static_cast<int>(FormField::Pictures) - 1;
constexpr int kThumbsShown = kPerRow * kRows;

Rect LessBox(int option) { return {kLessX, kOptionY + option * kOptionPitch, kArrowW, kArrowH}; }
Rect MoreBox(int option) { return {kMoreX, kOptionY + option * kOptionPitch, kArrowW, kArrowH}; }
// `i`: the place among the thumbnails shown.
Rect ThumbBox(int i) {
  return {60 + (i % kPerRow) * kThumbPitch, kPicturesY + 24 + (i / kPerRow) * (THUMBNAIL_SHOWN + 10), THUMBNAIL_SHOWN,
          THUMBNAIL_SHOWN};
}
Rect RemoveBox(int i) {
  const Rect t = ThumbBox(i);
  return {t.x + t.w - 16, t.y, 16, 16};
}

// Each option's values, in order.
const std::vector<int>& Values(int option) {
  static const std::vector<int> pieces = {25, 50, 100}, layers = {2, 3, 4, 5},
                                times = {0, 60, 120, 180, 240, 300, 450, 600, 900, 1200, 1800, 3600},
                                stones = {0, 10, 20, 30, 40, 50, 75, 100}, spiders = {0, 1, 2, 3, 4, 5};
  switch (option) {
    case 0: return pieces;
    case 1: return layers;
    case 2: return times;
    case 3: return stones;
    default: return spiders;
  }
}

int& Value(MakerForm& form, int option) {
  switch (option) {
    case 0: return form.pieces;
    case 1: return form.layers;
    case 2: return form.time;
    case 3: return form.stones;
    default: return form.spiders;
  }
}

// The time the import gives the board, for "auto".
int AutoTime(const MakerForm& form) {
  content::ImportOptions o;
  o.pieces = form.pieces;
  o.layers = form.layers;
  return content::ImportTimeLimit(o);
}

// The shortest time the import takes for the board: half a second a piece.
int ShortestTime(const MakerForm& form) {
  const int side = 500 / form.pieces;
  return side * side / 2;
}

void Step(MakerForm& form, int option, int by) {
  const std::vector<int>& values = Values(option);
  int& value = Value(form, option);
  auto at = std::find(values.begin(), values.end(), value);
  int index = at == values.end() ? 0 : static_cast<int>(at - values.begin());
  for (int tries = 0; tries < static_cast<int>(values.size()); ++tries) {
    index = std::clamp(index + by, 0, static_cast<int>(values.size()) - 1);
    value = values[index];
    // A time too short for the pieces is passed over.
    if (option != 2 || value == 0 || value >= ShortestTime(form)) break;
    if (index == static_cast<int>(values.size()) - 1 || index == 0) break;
  }
  if (option == 0 && form.time != 0 && form.time < ShortestTime(form)) form.time = 0;
}

std::string ValueText(const MakerForm& form, int option) {
  switch (option) {
    case 0: return std::to_string(form.pieces) + " pixels";
    case 1: return std::to_string(form.layers);
    case 2: return form.time == 0 ? "auto (" + std::to_string(AutoTime(form)) + " s)" : std::to_string(form.time) + " s";
    case 3: return std::to_string(form.stones) + "%";
    default: return std::to_string(form.spiders);
  }
}

const char* const kOptionNames[] = {"Piece size", "Layers", "Time", "Stones", "Spiders"};

constexpr int kNoteWidth = 680;

// `message` in at most two lines of `room` bytes, broken at a space where
// there is one; the second is cut with "..." when drawn.
std::vector<std::string> MessageLines(const std::string& message, size_t room) {
  if (message.empty()) return {};
  if (message.size() <= room) return {message};
  size_t cut = message.rfind(' ', room);
  if (cut == std::string::npos || cut == 0) {
    cut = 0;
    while (cut < message.size() && cut + Utf8CharacterBytes(message, cut) <= room) cut += Utf8CharacterBytes(message, cut);
    return {message.substr(0, cut), message.substr(cut)};
  }
  return {message.substr(0, cut), message.substr(cut + 1)};
}

int ShownCount(const MakerForm& form) {
  return std::clamp(static_cast<int>(form.pictures.size()) - form.firstShown, 0, kThumbsShown);
}

// The chosen picture stays one of the pictures, and its thumbnail one of those
// shown: the rows shown move with it.
void KeepChosenShown(MakerForm& form) {
  const int count = static_cast<int>(form.pictures.size());
  form.chosen = std::clamp(form.chosen, 0, std::max(count - 1, 0));
  const int rows = (count + kPerRow - 1) / kPerRow;
  form.firstShown = std::clamp(form.firstShown, 0, std::max(rows - kRows, 0) * kPerRow);
  if (form.chosen < form.firstShown) form.firstShown = form.chosen / kPerRow * kPerRow;
  if (form.chosen >= form.firstShown + kThumbsShown) form.firstShown = (form.chosen / kPerRow - kRows + 1) * kPerRow;
}

// Left and Right on the pictures: the next one chosen, or with Ctrl or Shift
// held the chosen one moved a place; nothing moves past either end.
void StepPicture(MakerForm& form, int by) {
  const int to = form.chosen + by;
  if (to < 0 || to >= static_cast<int>(form.pictures.size())) return;
  if (form.modifiers != 0) std::swap(form.pictures[form.chosen], form.pictures[to]);
  form.chosen = to;
}

}  // namespace

ImagePtr ImageOfCanvas(const content::Canvas& canvas) {
  ImagePtr out = CreateImageForOverwrite(canvas.width, canvas.height);
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const uint8_t* p = &canvas.rgb[(static_cast<size_t>(y) * canvas.width + x) * 3];
      out->At(x, y) = PackRgb(p[0], p[1], p[2]);
    }
  return out;
}

void AddFormPictures(MakerForm& form, const std::string& path) {
  const std::vector<std::string> found = content::PicturesAt(path);
  if (found.empty()) form.message = "No pictures in " + HostPathString(HostFsPath(path).filename()) + ".";
  for (const std::string& picture : found) {
    MakerPicture entry;
    entry.path = picture;
    entry.name = HostPathString(HostFsPath(picture).filename());
    content::Canvas canvas;
    if (content::LoadSquarePicture(picture, THUMBNAIL_SHOWN, canvas, entry.problem)) {
      entry.thumbnail = ImageOfCanvas(canvas);
      uint64_t hash = 1469598103934665603ull;  // FNV-1a
      for (uint8_t byte : canvas.rgb) hash = (hash ^ byte) * 1099511628211ull;
      entry.look = hash;
      entry.plain = NearlyOneColour(canvas.rgb);
    } else if (entry.problem.empty())
      entry.problem = "cannot be read";
    form.pictures.push_back(std::move(entry));
  }
}

std::vector<std::string> ReadablePictures(const MakerForm& form) {
  std::vector<std::string> paths;
  for (const MakerPicture& p : form.pictures)
    if (p.problem.empty()) paths.push_back(p.path);
  return paths;
}

bool NearlyOneColour(const std::vector<uint8_t>& rgb) {
  const size_t pixels = rgb.size() / 3;
  if (pixels == 0) return false;
  uint64_t sum[3] = {};
  for (size_t i = 0; i < pixels * 3; ++i) sum[i % 3] += rgb[i];
  size_t apart = 0;  // pixels far from the mean colour in any channel
  for (size_t p = 0; p < pixels; ++p)
    for (int c = 0; c < 3; ++c)
      if (std::abs(static_cast<int>(rgb[p * 3 + c]) - static_cast<int>(sum[c] / pixels)) > 24) {
        ++apart;
        break;
      }
  return apart * 50 < pixels;  // under 2%
}

std::vector<std::string> PictureNotes(const MakerForm& form) {
  std::vector<std::string> notes;
  for (size_t i = 0; i < form.pictures.size(); ++i) {
    const MakerPicture& p = form.pictures[i];
    if (!p.problem.empty()) continue;
    for (size_t j = 0; j < i; ++j)
      if (form.pictures[j].problem.empty() && form.pictures[j].look == p.look) {
        notes.push_back(p.name + " is the same picture as " + form.pictures[j].name);
        break;
      }
    if (p.plain) notes.push_back(p.name + " is nearly one colour: its level is hard to solve by looking");
  }
  return notes;
}

int FormHitAt(const MakerForm& form, int x, int y) {
  if (kTitleBox.Contains(x, y)) return kHitTitle;
  for (int option = 0; option < kOptions; ++option) {
    if (LessBox(option).Contains(x, y)) return kHitLess + option;
    if (MoreBox(option).Contains(x, y)) return kHitMore + option;
  }
  if (kMake.Contains(x, y)) return kHitMake;
  if (kCancel.Contains(x, y)) return kHitCancel;
  if (kAddPictures.Contains(x, y)) return kHitAddPictures;
  const int shown = ShownCount(form);
  for (int i = 0; i < shown; ++i)
    if (RemoveBox(i).Contains(x, y)) return kHitPicture + i;
  for (int i = 0; i < shown; ++i)
    if (ThumbBox(i).Contains(x, y)) return kHitThumbnail + i;
  return -1;
}

namespace {

FormStep TryMake(MakerForm& form) {
  if (ReadablePictures(form).empty()) {
    form.message = form.pictures.empty() ? "Add pictures, or drop them onto the window, first." : "None of these pictures can be read.";
    return FormStep::None;
  }
  return FormStep::Make;
}

FormStep Press(MakerForm& form, int hit) {
  if (hit == kHitTitle) form.focus = FormField::Title;
  if (hit >= kHitLess && hit < kHitLess + kOptions) {
    form.focus = static_cast<FormField>(hit - kHitLess + 1);
    Step(form, hit - kHitLess, -1);
  }
  if (hit >= kHitMore && hit < kHitMore + kOptions) {
    form.focus = static_cast<FormField>(hit - kHitMore + 1);
    Step(form, hit - kHitMore, +1);
  }
  if (hit >= kHitPicture && hit < kHitThumbnail &&
      static_cast<size_t>(form.firstShown + hit - kHitPicture) < form.pictures.size())
    form.pictures.erase(form.pictures.begin() + (form.firstShown + hit - kHitPicture));
  if (hit == kHitMake) return TryMake(form);
  if (hit == kHitCancel) return FormStep::Cancel;
  if (hit == kHitAddPictures) return FormStep::Browse;
  return FormStep::None;
}

FormStep HandleOneMessage(MakerForm& form, const WindowMessage& m) {
  switch (m.kind) {
    case MessageKind::MouseMove:
      form.mouseX = m.x;
      form.mouseY = m.y;
      form.hovered = FormHitAt(form, m.x, m.y);
      break;
    case MessageKind::ButtonDown:
      if (m.button != MouseButton::Left) break;
      form.pressed = FormHitAt(form, m.x, m.y);
      if (form.pressed >= kHitThumbnail) form.dragging = form.firstShown + form.pressed - kHitThumbnail;
      break;
    case MessageKind::ButtonUp: {
      if (m.button != MouseButton::Left) break;
      const int hit = FormHitAt(form, m.x, m.y);
      const int from = form.dragging;
      form.dragging = -1;
      if (from >= 0 && hit >= kHitThumbnail && form.firstShown + hit - kHitThumbnail != from) {
        // Let go over another picture: the dragged one takes its place.
        const int to = form.firstShown + hit - kHitThumbnail;
        MakerPicture moved = std::move(form.pictures[from]);
        form.pictures.erase(form.pictures.begin() + from);
        form.pictures.insert(form.pictures.begin() + to, std::move(moved));
        form.pressed = -1;
        break;
      }
      const bool same = hit >= 0 && hit == form.pressed;
      form.pressed = -1;
      if (same) return Press(form, hit);
      break;
    }
    case MessageKind::Text:
      if (form.focus == FormField::Title && !form.appending) {
        for (unsigned char c : m.text)
          if (c < 0x20 || c == 0x7F) return FormStep::None;  // no control characters in a title
        if (form.title.size() + m.text.size() <= MAKER_TITLE_BYTES) form.title += m.text;
      }
      break;
    case MessageKind::Drop:
      AddFormPictures(form, m.path);
      break;
    case MessageKind::KeyDown: {
      const int option = static_cast<int>(form.focus) - 1;
      switch (m.virtualKey) {
        case VK_RETURN: return TryMake(form);
        case VK_ESCAPE: return FormStep::Cancel;
        case VK_BACK:
          if (form.focus == FormField::Title && !form.appending) form.title = DropLastCharacter(form.title);
          break;
        case VK_TAB:
        case VK_DOWN:
          form.focus = static_cast<FormField>((static_cast<int>(form.focus) + 1) % static_cast<int>(FormField::Count));
          break;
        case VK_UP:
          form.focus = static_cast<FormField>((static_cast<int>(form.focus) + static_cast<int>(FormField::Count) - 1) %
                                              static_cast<int>(FormField::Count));
          break;
        case VK_LEFT:
        case VK_RIGHT: {
          const int by = m.virtualKey == VK_LEFT ? -1 : +1;
          if (form.focus == FormField::Pictures)
            StepPicture(form, by);
          else if (option >= 0)
            Step(form, option, by);
          break;
        }
        case VK_DELETE:
          if (form.focus == FormField::Pictures && form.chosen >= 0 &&
              static_cast<size_t>(form.chosen) < form.pictures.size())
            form.pictures.erase(form.pictures.begin() + form.chosen);
          break;
        case VK_SHIFT: form.modifiers |= kShiftHeld; break;
        case VK_CONTROL: form.modifiers |= kControlHeld; break;
        default: break;
      }
      break;
    }
    case MessageKind::KeyUp:
      if (m.virtualKey == VK_SHIFT) form.modifiers &= ~kShiftHeld;
      if (m.virtualKey == VK_CONTROL) form.modifiers &= ~kControlHeld;
      break;
    case MessageKind::Close: return FormStep::Quit;
    default: break;
  }
  return FormStep::None;
}

}  // namespace

FormStep HandleFormMessage(MakerForm& form, const WindowMessage& message) {
  const FormStep step = HandleOneMessage(form, message);
  KeepChosenShown(form);
  return step;
}

void DrawForm(const MakerForm& form, uint16_t* frame) {
  FillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 28, 40, frame);
  auto text = [&](int size, uint16_t colour, int x, int y, const std::string& line) {
    RenderText(size, colour, x, y, 0, line.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
  };
  const uint16_t plain = PackRgb(220, 224, 232), dim = PackRgb(150, 156, 170), lit = PackRgb(255, 255, 255);
  const uint16_t warn = PackRgb(240, 170, 120);
  text(28, PackRgb(240, 220, 160), 60, 20, form.appending ? "Add pictures to a puzzle" : "Make a puzzle");

  const bool titleFocus = form.focus == FormField::Title && !form.appending;
  text(20, titleFocus ? lit : plain, 60, kTitleBox.y + 8, "Title");
  FillRect(kTitleBox.x, kTitleBox.y, kTitleBox.w, kTitleBox.h, 16, 18, 28, frame);
  FrameRect(kTitleBox.x, kTitleBox.y, kTitleBox.w, kTitleBox.h, 2, titleFocus ? 220 : 110, titleFocus ? 200 : 116,
            titleFocus ? 120 : 130, frame);
  const std::string shown = ShownText(form.title, 20, kTitleBox.w - 24);
  text(20, lit, kTitleBox.x + 8, kTitleBox.y + 8, shown);
  if (titleFocus) FillRect(kTitleBox.x + 8 + static_cast<int>(shown.size()) * 10 + 1, kTitleBox.y + 7, 2, 22, 240, 220, 160, frame);
  if (form.title.empty() && !titleFocus) text(20, dim, kTitleBox.x + 8, kTitleBox.y + 8, "(type a title)");

  for (int option = 0; option < kOptions; ++option) {
    const int y = kOptionY + option * kOptionPitch;
    const bool focused = static_cast<int>(form.focus) == option + 1;
    if (focused) FillRect(52, y - 3, 500, kArrowH + 6, 44, 52, 76, frame);
    text(20, focused ? lit : plain, 60, y + 4, kOptionNames[option]);
    for (const Rect& r : {LessBox(option), MoreBox(option)}) {
      const bool hover = form.hovered == (r.x == kLessX ? kHitLess : kHitMore) + option;
      FillRect(r.x, r.y, r.w, r.h, hover ? 84 : 60, hover ? 100 : 72, hover ? 144 : 104, frame);
      text(20, plain, r.x + 10, r.y + 4, r.x == kLessX ? "<" : ">");
    }
    text(20, lit, kValueX, y + 4, ValueText(form, option));
  }

  const std::vector<std::string> readable = ReadablePictures(form);
  const bool picturesFocus = form.focus == FormField::Pictures;
  text(20, picturesFocus ? lit : plain, 60, kPicturesY,
       "Pictures: " + std::to_string(readable.size()) + " level" + (readable.size() == 1 ? "" : "s"));
  if (picturesFocus && !form.pictures.empty())
    text(16, dim, 290, kPicturesY + 3, "Left, Right: choose; Ctrl: move; Delete: remove");
  const int shownPictures = ShownCount(form);
  std::vector<bool> duplicate(form.pictures.size());
  for (size_t i = 0; i < form.pictures.size(); ++i)
    for (size_t j = 0; j < i && form.pictures[i].problem.empty(); ++j)
      if (form.pictures[j].problem.empty() && form.pictures[j].look == form.pictures[i].look) duplicate[i] = true;
  for (int slot = 0; slot < shownPictures; ++slot) {
    const int i = form.firstShown + slot;
    const MakerPicture& p = form.pictures[i];
    const Rect t = ThumbBox(slot);
    if (p.thumbnail)
      DrawImage(t.x, t.y, p.thumbnail.get(), frame);
    else
      FillRect(t.x, t.y, t.w, t.h, 90, 40, 40, frame);
    if (!p.problem.empty()) FrameRect(t.x, t.y, t.w, t.h, 2, 240, 110, 90, frame);
    if (p.problem.empty() && (p.plain || duplicate[i])) FrameRect(t.x, t.y, t.w, t.h, 2, 240, 200, 90, frame);
    if (form.dragging == i) FrameRect(t.x, t.y, t.w, t.h, 2, 240, 220, 160, frame);
    if (picturesFocus && form.chosen == i) FrameRect(t.x - 4, t.y - 4, t.w + 8, t.h + 8, 3, 120, 200, 255, frame);
    if (form.dragging >= 0 && form.dragging != i && form.hovered == kHitThumbnail + slot)
      FillRect(t.x - 5, t.y, 3, t.h, 240, 220, 160, frame);
    const Rect x = RemoveBox(slot);
    const bool hover = form.hovered == kHitPicture + slot;
    FillRect(x.x, x.y, x.w, x.h, hover ? 200 : 40, 40, 40, frame);
    text(16, lit, x.x + 4, x.y, "x");
  }
  const int after = static_cast<int>(form.pictures.size()) - form.firstShown - shownPictures;
  const std::string before = std::to_string(form.firstShown) + " before";
  if (form.firstShown > 0 || after > 0)
    text(16, dim, 60, kPicturesY + 24 + kRows * (THUMBNAIL_SHOWN + 10),
         form.firstShown == 0 ? "and " + std::to_string(after) + " more"
                              : after > 0 ? before + ", " + std::to_string(after) + " more" : before);
  if (form.pictures.empty()) text(20, dim, 60, kPicturesY + 40, "Add pictures..., or drop pictures or a folder here.");

  // The first pictures that cannot be read, by name, and what to know of the
  // others; then what stops the make.
  std::vector<std::string> lines;
  for (const MakerPicture& p : form.pictures)
    if (!p.problem.empty()) lines.push_back(p.name + " is skipped: " + p.problem);
  for (std::string& note : PictureNotes(form)) lines.push_back(std::move(note));
  // Three lines fit above the buttons; a long message (a folder and why it
  // cannot be written) takes two of them.
  const std::vector<std::string> message = MessageLines(form.message, kNoteWidth / 8);
  const size_t noteLines = message.size() > 1 ? 1 : 2;
  if (lines.size() > noteLines) {
    lines.resize(noteLines);
    lines.back() = "... and more: look at the pictures framed in colour";
  }
  for (const std::string& m : message) lines.push_back(m);
  int line = 0;
  const int notesY = kPicturesY + 30 + kRows * (THUMBNAIL_SHOWN + 10);
  for (const std::string& l : lines) DrawShownText(l, 16, warn, 60, notesY + 18 * line++, kNoteWidth, frame);

  for (const Rect& r : {kMake, kCancel}) {
    const bool hover = form.hovered == (r.x == kMake.x ? kHitMake : kHitCancel);
    FillRect(r.x, r.y, r.w, r.h, hover ? 84 : 60, hover ? 100 : 72, hover ? 144 : 104, frame);
    FrameRect(r.x, r.y, r.w, r.h, 2, 150, 156, 170, frame);
    text(20, hover ? lit : plain, r.x + 16, r.y + 10, r.x == kMake.x ? "Make" : "Cancel");
  }
  const bool addHover = form.hovered == kHitAddPictures;
  FillRect(kAddPictures.x, kAddPictures.y, kAddPictures.w, kAddPictures.h, addHover ? 84 : 60, addHover ? 100 : 72,
           addHover ? 144 : 104, frame);
  FrameRect(kAddPictures.x, kAddPictures.y, kAddPictures.w, kAddPictures.h, 2, 150, 156, 170, frame);
  text(20, addHover ? lit : plain, kAddPictures.x + 16, kAddPictures.y + 10, "Add pictures...");
  text(16, dim, 60, 544, "Enter makes,");
  text(16, dim, 60, 564, "Escape cancels.");
  DrawPlainPointer(form.mouseX, form.mouseY, frame);
}

namespace {
constexpr Rect kProgressCancel = {330, 400, 140, 40};
}

bool ProgressCancelAt(int x, int y) { return kProgressCancel.Contains(x, y); }

void DrawMakeProgress(const MakeProgress& p, int mouseX, int mouseY, uint16_t* frame) {
  FillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 28, 40, frame);
  auto text = [&](int size, uint16_t colour, int x, int y, const std::string& line) {
    RenderText(size, colour, x, y, 0, line.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
  };
  const uint16_t plain = PackRgb(220, 224, 232);
  DrawShownText("Making " + p.title, 28, PackRgb(240, 220, 160), 100, 200, 600, frame);
  FillRect(100, 280, 600, 30, 16, 18, 28, frame);
  FrameRect(100, 280, 600, 30, 2, 150, 156, 170, frame);
  const size_t total = std::max<size_t>(p.total, 1);
  const int filled = static_cast<int>(596 * std::min(p.index, total) / total);
  FillRect(102, 282, filled, 26, 110, 170, 110, frame);
  if (p.cancelling)
    text(20, plain, 100, 330, "Cancelling...");
  else if (p.index >= p.total)
    text(20, plain, 100, 330, "Writing the campaign...");
  else
    DrawShownText("Picture " + std::to_string(p.index + 1) + " of " + std::to_string(p.total) + ": " + p.name, 20,
                  plain, 100, 330, 600, frame);
  const bool hover = kProgressCancel.Contains(mouseX, mouseY);
  const Rect& r = kProgressCancel;
  FillRect(r.x, r.y, r.w, r.h, hover ? 84 : 60, hover ? 100 : 72, hover ? 144 : 104, frame);
  FrameRect(r.x, r.y, r.w, r.h, 2, 150, 156, 170, frame);
  text(20, plain, r.x + 28, r.y + 10, "Cancel");
  DrawPlainPointer(mouseX, mouseY, frame);
}

}  // namespace tessera
