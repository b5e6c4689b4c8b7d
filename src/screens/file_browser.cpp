#include "screens/file_browser.h"

#include <algorithm>
#include <system_error>

#include "content/import.h"
#include "content/maker.h"
#include "content/package.h"
#include "gfx/draw.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/file_system.h"
#include "screens/library.h"
#include "screens/maker_form.h"
#include "screens/ui_text.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

struct Rect {
  int x, y, w, h;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

constexpr int kListX = 60, kListW = 660, kListY = 90, kRowH = 44, kRows = 10;
constexpr int kThumb = 40;
constexpr int kTickX = kListX + 6, kIconX = kListX + 36, kNameX = kListX + 86;
constexpr Rect kScrollUp = {730, kListY, 40, 40};
constexpr Rect kScrollDown = {730, kListY + kRows * kRowH - 40, 40, 40};
constexpr Rect kConfirm = {400, 548, 200, 40};
constexpr Rect kCancel = {620, 548, 120, 40};

std::string Lower(const std::string& s) {
  std::string lower = s;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Without a trailing separator ("/photos/" is "/photos"), a root kept as it is.
fs::path Tidy(const fs::path& folder) {
  fs::path tidy = folder.lexically_normal();
  if (!tidy.has_filename() && tidy.has_relative_path()) tidy = tidy.parent_path();
  return tidy;
}

int Count(const FileBrowserState& state) { return static_cast<int>(state.listing.entries.size()); }

int LastTop(const FileBrowserState& state) { return std::max(0, Count(state) - kRows); }

bool IsPictureEntry(const FileBrowserState& state, int row) {
  return state.mode == BrowserMode::Pictures && row >= 0 && row < Count(state) &&
         state.listing.entries[row].kind == BrowserEntry::File;
}

void ToggleTick(FileBrowserState& state, int row) {
  const std::string path = HostPathString(state.listing.entries[row].path);
  auto at = std::find(state.ticked.begin(), state.ticked.end(), path);
  if (at == state.ticked.end())
    state.ticked.push_back(path);
  else
    state.ticked.erase(at);
}

BrowserStep GoUp(const FileBrowserState& state, fs::path& target) {
  const fs::path parent = state.listing.folder.parent_path();
  if (parent.empty() || parent == state.listing.folder) return BrowserStep::None;  // a root
  target = parent;
  return BrowserStep::Go;
}

// Enter on a row, or a click on it: into a folder, a picture ticked, a package chosen.
BrowserStep Activate(FileBrowserState& state, int row, bool clicked, fs::path& target) {
  if (row < 0 || row >= Count(state)) return BrowserStep::None;
  const BrowserEntry& entry = state.listing.entries[row];
  if (entry.kind == BrowserEntry::Up) return GoUp(state, target);
  if (entry.kind == BrowserEntry::Folder) {
    target = entry.path;
    return BrowserStep::Go;
  }
  if (state.mode == BrowserMode::Pictures) {
    ToggleTick(state, row);
    return BrowserStep::None;
  }
  if (clicked) return BrowserStep::None;  // a click picks; Enter, a double click or Open opens
  target = entry.path;
  return BrowserStep::Confirm;
}

BrowserStep ConfirmStep(FileBrowserState& state, fs::path& target) {
  if (state.mode == BrowserMode::Pictures) return state.ticked.empty() ? BrowserStep::None : BrowserStep::Confirm;
  // The package or folder picked, else the folder shown.
  const int row = state.selected;
  if (row >= 0 && row < Count(state) && state.listing.entries[row].kind != BrowserEntry::Up)
    target = state.listing.entries[row].path;
  else
    target = state.listing.folder;
  return BrowserStep::Confirm;
}

void Scroll(FileBrowserState& state, int by) { state.top = std::clamp(state.top + by, 0, LastTop(state)); }

void DrawFolderIcon(int x, int y, uint16_t* frame) {
  FillRect(x, y + 6, 18, 6, 200, 170, 90, frame);
  FillRect(x, y + 10, kThumb, 26, 220, 190, 100, frame);
}

}  // namespace

BrowserListing MakeListing(const fs::path& folder, const std::vector<std::pair<std::string, bool>>& names,
                           BrowserMode mode) {
  BrowserListing listing;
  listing.folder = Tidy(folder);
  const fs::path parent = listing.folder.parent_path();
  if (!parent.empty() && parent != listing.folder) listing.entries.push_back({BrowserEntry::Up, "..", parent});
  std::vector<BrowserEntry> folders, files;
  for (const auto& [name, isFolder] : names) {
    if (name.empty() || name[0] == '.') continue;
    if (isFolder)
      folders.push_back({BrowserEntry::Folder, name, listing.folder / HostFsPath(name)});
    else if (mode == BrowserMode::Pictures ? content::IsPictureName(name) : content::IsPackagePath(name))
      files.push_back({BrowserEntry::File, name, listing.folder / HostFsPath(name)});
  }
  auto byName = [](const BrowserEntry& a, const BrowserEntry& b) {
    const std::string la = Lower(a.name), lb = Lower(b.name);
    return la != lb ? la < lb : a.name < b.name;
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  listing.entries.insert(listing.entries.end(), folders.begin(), folders.end());
  listing.entries.insert(listing.entries.end(), files.begin(), files.end());
  return listing;
}

BrowserListing ListFolder(const fs::path& folder, BrowserMode mode) {
  std::vector<std::pair<std::string, bool>> names;
  std::error_code ec;
  auto it = fs::directory_iterator(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code kind;
    names.emplace_back(HostPathString(it->path().filename()), it->is_directory(kind));
  }
  BrowserListing listing = MakeListing(folder, ec ? std::vector<std::pair<std::string, bool>>() : names, mode);
  if (ec) listing.problem = "This folder cannot be read: " + ec.message() + ".";
  return listing;
}

void ShowListing(FileBrowserState& state, BrowserListing listing) {
  state.listing = std::move(listing);
  state.top = 0;
  state.pressed = -1;
  // The first folder or file, past "up".
  const bool up = !state.listing.entries.empty() && state.listing.entries[0].kind == BrowserEntry::Up;
  SelectBrowserRow(state, up && Count(state) > 1 ? 1 : 0);
}

void SelectBrowserRow(FileBrowserState& state, int row) {
  state.selected = std::clamp(row, 0, std::max(0, Count(state) - 1));
  if (state.selected < state.top) state.top = state.selected;
  if (state.selected >= state.top + kRows) state.top = state.selected - kRows + 1;
}

bool IsTicked(const FileBrowserState& state, const fs::path& path) {
  return std::find(state.ticked.begin(), state.ticked.end(), HostPathString(path)) != state.ticked.end();
}

int BrowserHitAt(const FileBrowserState& state, int x, int y) {
  if (kConfirm.Contains(x, y)) return kBrowserConfirm;
  if (kCancel.Contains(x, y)) return kBrowserCancel;
  if (kScrollUp.Contains(x, y) && state.top > 0) return kBrowserScrollUp;
  if (kScrollDown.Contains(x, y) && state.top < LastTop(state)) return kBrowserScrollDown;
  if (x < kListX || x >= kListX + kListW || y < kListY || y >= kListY + kRows * kRowH) return kBrowserNothing;
  const int row = state.top + (y - kListY) / kRowH;
  return row < Count(state) ? row : kBrowserNothing;
}

BrowserStep HandleBrowserMessage(FileBrowserState& state, const WindowMessage& m, fs::path& target) {
  switch (m.kind) {
    case MessageKind::MouseMove:
      state.mouseX = m.x;
      state.mouseY = m.y;
      state.hovered = BrowserHitAt(state, m.x, m.y);
      break;
    case MessageKind::ButtonDown:
      if (m.button == MouseButton::Left) state.pressed = BrowserHitAt(state, m.x, m.y);
      break;
    case MessageKind::ButtonDouble: {
      const int hit = BrowserHitAt(state, m.x, m.y);
      if (m.button == MouseButton::Left && hit >= 0 && state.mode == BrowserMode::Open &&
          state.listing.entries[hit].kind == BrowserEntry::File) {
        SelectBrowserRow(state, hit);
        target = state.listing.entries[hit].path;
        return BrowserStep::Confirm;
      }
      // Else the second press is no click of its own: a folder entered by the
      // first must not have its row under the pointer opened too.
      state.pressed = kBrowserNothing;
      break;
    }
    case MessageKind::ButtonUp: {
      if (m.button != MouseButton::Left) break;
      const int hit = BrowserHitAt(state, m.x, m.y);
      const bool same = hit != kBrowserNothing && hit == state.pressed;
      state.pressed = kBrowserNothing;
      if (!same) break;
      if (hit == kBrowserConfirm) return ConfirmStep(state, target);
      if (hit == kBrowserCancel) return BrowserStep::Cancel;
      if (hit == kBrowserScrollUp) Scroll(state, -kRows);
      if (hit == kBrowserScrollDown) Scroll(state, kRows);
      if (hit >= 0) {
        SelectBrowserRow(state, hit);
        return Activate(state, hit, true, target);
      }
      break;
    }
    case MessageKind::KeyDown:
      switch (m.virtualKey) {
        case VK_UP: SelectBrowserRow(state, state.selected - 1); break;
        case VK_DOWN: SelectBrowserRow(state, state.selected + 1); break;
        case VK_PRIOR: SelectBrowserRow(state, state.selected - kRows); break;
        case VK_NEXT: SelectBrowserRow(state, state.selected + kRows); break;
        case VK_HOME: SelectBrowserRow(state, 0); break;
        case VK_END: SelectBrowserRow(state, Count(state) - 1); break;
        case VK_RETURN: return Activate(state, state.selected, false, target);
        case VK_SPACE:
          if (IsPictureEntry(state, state.selected)) ToggleTick(state, state.selected);
          break;
        case VK_BACK: return GoUp(state, target);
        case VK_ESCAPE: return BrowserStep::Cancel;
        default: break;
      }
      break;
    case MessageKind::Close: return BrowserStep::Quit;
    default: break;
  }
  return BrowserStep::None;
}

int MakeVisibleThumbnails(FileBrowserState& state, int most) {
  if (state.mode != BrowserMode::Pictures) return 0;
  int made = 0;
  const int last = std::min(Count(state), state.top + kRows);
  for (int row = state.top; row < last && made < most; ++row) {
    const BrowserEntry& entry = state.listing.entries[row];
    if (entry.kind != BrowserEntry::File) continue;
    const std::string path = HostPathString(entry.path);
    if (state.thumbnails.count(path)) continue;
    content::Canvas canvas;
    std::string problem;
    ImagePtr thumbnail;
    if (content::LoadSquarePicture(path, kThumb, canvas, problem)) thumbnail = ImageOfCanvas(canvas);
    state.thumbnails[path] = std::move(thumbnail);
    ++made;
  }
  return made;
}

void DrawFileBrowser(const FileBrowserState& state, uint16_t* frame) {
  FillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 24, 28, 40, frame);
  auto text = [&](int size, uint16_t colour, int x, int y, const std::string& line) {
    RenderText(size, colour, x, y, 0, line.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
  };
  const uint16_t plain = PackRgb(220, 224, 232), dim = PackRgb(150, 156, 170), lit = PackRgb(255, 255, 255);
  const bool pictures = state.mode == BrowserMode::Pictures;
  text(28, PackRgb(240, 220, 160), kListX, 20, pictures ? "Add pictures" : "Open a campaign or package");
  DrawShownText(HostPathString(state.listing.folder), 16, dim, kListX, 60, kListW, frame);

  const int last = std::min(Count(state), state.top + kRows);
  for (int row = state.top; row < last; ++row) {
    const BrowserEntry& entry = state.listing.entries[row];
    const int y = kListY + (row - state.top) * kRowH;
    const bool selected = row == state.selected;
    if (selected)
      FillRect(kListX - 8, y, kListW + 16, kRowH - 2, 60, 72, 104, frame);
    else if (row == state.hovered)
      FillRect(kListX - 8, y, kListW + 16, kRowH - 2, 40, 46, 64, frame);
    const int iconY = y + 1;
    std::string name = entry.name;
    if (entry.kind == BrowserEntry::Up) {
      DrawFolderIcon(kIconX, iconY, frame);
      name = ".. (up one folder)";
    } else if (entry.kind == BrowserEntry::Folder) {
      DrawFolderIcon(kIconX, iconY, frame);
    } else if (pictures) {
      const bool ticked = IsTicked(state, entry.path);
      FillRect(kTickX, y + 11, 20, 20, 16, 18, 28, frame);
      FrameRect(kTickX, y + 11, 20, 20, 2, 150, 156, 170, frame);
      if (ticked) FillRect(kTickX + 5, y + 16, 10, 10, 240, 220, 160, frame);
      const auto found = state.thumbnails.find(HostPathString(entry.path));
      if (found == state.thumbnails.end())
        FillRect(kIconX, iconY, kThumb, kThumb, 40, 46, 64, frame);  // not made yet
      else if (found->second)
        DrawImage(kIconX, iconY, found->second.get(), frame);
      else
        FillRect(kIconX, iconY, kThumb, kThumb, 90, 40, 40, frame);  // does not read
    } else {
      FillRect(kIconX + 4, iconY + 4, kThumb - 8, kThumb - 8, 110, 150, 210, frame);
      FrameRect(kIconX + 4, iconY + 4, kThumb - 8, kThumb - 8, 2, 220, 224, 232, frame);
    }
    DrawShownText(name, 20, selected ? lit : plain, kNameX, y + 11, kListX + kListW - kNameX - 8, frame);
  }
  if (!state.listing.problem.empty())
    DrawShownText(state.listing.problem, 20, PackRgb(240, 170, 120), kListX, kListY + (Count(state) + 1) * kRowH,
                  kListW, frame);
  else if (Count(state) == 0 || (Count(state) == 1 && state.listing.entries[0].kind == BrowserEntry::Up))
    text(20, dim, kListX, kListY + Count(state) * kRowH + 12, pictures ? "No pictures or folders here." : "No packages or folders here.");

  for (const Rect& r : {kScrollUp, kScrollDown}) {
    const bool up = r.y == kScrollUp.y;
    const bool can = up ? state.top > 0 : state.top < LastTop(state);
    if (!can) continue;
    const bool hover = state.hovered == (up ? kBrowserScrollUp : kBrowserScrollDown);
    FillRect(r.x, r.y, r.w, r.h, hover ? 84 : 60, hover ? 100 : 72, hover ? 144 : 104, frame);
    text(20, plain, r.x + 15, r.y + 10, up ? "^" : "v");
  }

  const size_t ticked = state.ticked.size();
  const std::string confirm = !pictures     ? "Open"
                              : ticked == 1 ? "Add 1 picture"
                                            : "Add " + std::to_string(ticked) + " pictures";
  const bool canConfirm = !pictures || ticked > 0;
  for (const Rect& r : {kConfirm, kCancel}) {
    const bool isConfirm = r.x == kConfirm.x;
    const bool hover = state.hovered == (isConfirm ? kBrowserConfirm : kBrowserCancel) && (canConfirm || !isConfirm);
    FillRect(r.x, r.y, r.w, r.h, hover ? 84 : 60, hover ? 100 : 72, hover ? 144 : 104, frame);
    FrameRect(r.x, r.y, r.w, r.h, 2, 150, 156, 170, frame);
    text(20, isConfirm && !canConfirm ? dim : hover ? lit : plain, r.x + 16, r.y + 10, isConfirm ? confirm : "Cancel");
  }
  text(16, dim, kListX, 546, pictures ? "Space ticks, Enter opens a folder," : "Enter opens, Open takes the folder,");
  text(16, dim, kListX, 566, "Backspace goes up, Escape cancels.");
  DrawPlainPointer(state.mouseX, state.mouseY, frame);
}

}  // namespace tessera
