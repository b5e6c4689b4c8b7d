#pragma once
// The library: every campaign found, each with its first level's picture, its
// title and how far the player has got (levels won of levels, or "new"), and
// the way to make a new one from pictures. A click on a campaign, or the
// arrows and Enter, plays it; Escape goes back (to the game, or out of it).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/image.h"
#include "platform/platform.h"

namespace tessera {

struct LibraryEntry {
  std::string title;  // UTF-8
  std::filesystem::path folder;
  std::string id;      // the campaign's id, which names its saves' and thumbnail's places
  ImagePtr thumbnail;  // null: not read yet, or none could be made
  bool thumbnailRead = false;
  int won = 0;
  int levels = 0;
  bool own = false;  // made by the player
};

struct LibraryState {
  int count = 0;     // campaigns; the row after the last is "Make a puzzle"
  int selected = 0;  // a campaign, `count` for the make button, `count` + 1 for "Open..."
  int top = 0;       // first campaign shown (long lists scroll)
  int pressed = -1;  // row under the left button's press
  int pressedAction = -1;
  int mouseX = -1, mouseY = -1;
  std::vector<bool> own;  // per campaign: made by the player, so it can be changed
  std::string message;    // what went wrong with a folder or package opened; empty when nothing
};

// A player's own campaign, when selected, has buttons to add pictures to it,
// rename it and delete it (also F2 and Delete).
enum class LibraryStep { None, Play, Make, Open, Back, Quit, AddPictures, Rename, Delete };
enum LibraryAction { kActionAdd, kActionRename, kActionDelete, kActionCount };
// The selected own campaign's action button at a frame position, or -1.
int LibraryActionAt(const LibraryState& state, int x, int y);

constexpr int LIBRARY_ROWS_SHOWN = 6;

// The row at a frame position: a campaign's index, `count` for the make
// button, `count` + 1 for "Open...", or -1.
int LibraryRowAt(const LibraryState& state, int x, int y);
LibraryStep HandleLibraryMessage(LibraryState& state, const WindowMessage& message);
// `selected`, kept in view.
void SelectLibraryRow(LibraryState& state, int row);
void DrawLibrary(const LibraryState& state, const std::vector<LibraryEntry>& entries, uint16_t* frame);

// "3 of 10 levels won", "new", or "all 10 levels won".
std::string ProgressText(const LibraryEntry& entry);

// A plain arrow pointer for screens shown before or between campaigns.
void DrawPlainPointer(int x, int y, uint16_t* frame);

}  // namespace tessera
