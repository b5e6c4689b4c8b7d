#pragma once
// The file browser: for players who cannot drop files onto the window (full
// screen, a touch screen, or who never heard of dragging), a way to pick
// pictures for the maker, or a campaign folder or package to open, from inside
// the game. The folder's path at the top, then "up", the subfolders, and the
// pictures (each with its thumbnail and a tick box) or the packages; below
// them "Add N pictures" or "Open", and "Cancel".
//
// The state and its messages work over a listing already read, so that they
// can be tested without a window or a disk; ListFolder reads one.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "gfx/image.h"
#include "platform/platform.h"

namespace tessera {

enum class BrowserMode { Pictures, Open };

struct BrowserEntry {
  enum Kind { Up, Folder, File } kind = File;
  std::string name;  // UTF-8, as shown
  std::filesystem::path path;
};

struct BrowserListing {
  std::filesystem::path folder;
  std::vector<BrowserEntry> entries;  // "up" (none at a root), the folders, then the files
  std::string problem;                // why the folder could not be read; empty when it could
};

// The listing of `folder` from the names found in it (each with whether it is
// a folder): dot files left out, folders first, each part sorted by name with
// letter case ignored, the files those the mode shows (pictures, or packages).
BrowserListing MakeListing(const std::filesystem::path& folder, const std::vector<std::pair<std::string, bool>>& names,
                           BrowserMode mode);
// Reads `folder`; one that cannot be read has only "up" and a problem.
BrowserListing ListFolder(const std::filesystem::path& folder, BrowserMode mode);

struct FileBrowserState {
  BrowserMode mode = BrowserMode::Pictures;
  BrowserListing listing;
  std::vector<std::string> ticked;  // pictures ticked, in the order ticked, in any folder
  int selected = 0;
  int top = 0;       // first row shown
  int pressed = -1;  // a hit of BrowserHitAt under the left button's press
  int hovered = -1;
  int mouseX = -1, mouseY = -1;
  // Thumbnails made so far, by path, kept while the browser lives (null: not a picture that reads).
  std::map<std::string, ImagePtr> thumbnails;
};

// Go: list `target` (a folder entered, or the one above). Confirm: in picture
// mode the ticked pictures, in open mode `target` (the package or folder
// chosen).
enum class BrowserStep { None, Go, Confirm, Cancel, Quit };

// A new listing shown from its first row.
void ShowListing(FileBrowserState& state, BrowserListing listing);
// `selected`, kept in view.
void SelectBrowserRow(FileBrowserState& state, int row);
bool IsTicked(const FileBrowserState& state, const std::filesystem::path& path);

// What is at a frame position: a row's index, or one of these, or -1.
enum BrowserHit { kBrowserConfirm = -2, kBrowserCancel = -3, kBrowserScrollUp = -4, kBrowserScrollDown = -5 };
constexpr int kBrowserNothing = -1;
int BrowserHitAt(const FileBrowserState& state, int x, int y);

BrowserStep HandleBrowserMessage(FileBrowserState& state, const WindowMessage& message,
                                 std::filesystem::path& target);

// Makes the thumbnails of the rows in view not made yet, at most `most` of
// them (a folder of hundreds of photos is not read in one frame); the number made.
int MakeVisibleThumbnails(FileBrowserState& state, int most);
void DrawFileBrowser(const FileBrowserState& state, uint16_t* frame);

}  // namespace tessera
