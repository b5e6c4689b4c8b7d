#pragma once
// The library and the maker as the flow runs them: before a game (at launch,
// pictures on the command line), and from the start menu, where Escape opens
// the library and a campaign picked there is started in place of the one
// played.
#include <filesystem>
#include <string>
#include <vector>

#include "screens/library.h"

namespace tessera {

// What the player did: play a campaign's folder, go back to where they came
// from, or close the window.
struct LibraryOutcome {
  enum Kind { Play, Back, Quit } kind = Back;
  std::filesystem::path folder;
};

struct LibraryOptions {
  std::string saveDir;  // --save-dir, which moves every campaign's saves
  bool headless = false;
};
void SetLibraryOptions(const LibraryOptions& options);

// Every campaign found, with its title and progress; thumbnails are read
// when their rows are shown.
std::vector<LibraryEntry> GatherLibrary();
// The thumbnails of the rows `state` shows, from the cache (made there when
// missing); each campaign's once.
void ReadShownThumbnails(std::vector<LibraryEntry>& entries, const LibraryState& state);

// The library, with the campaign in `selected` chosen (none: the first), until
// the player plays one, goes back or quits. Pictures dropped onto it, or its
// make button, open the maker; a campaign made is played.
LibraryOutcome RunLibrary(const std::filesystem::path& selected);

// The maker's form with these pictures, then the make; Play with the new
// campaign, Back when the player cancelled. With `appendTo`, a campaign the
// player made, the pictures become levels added to its end (Play with it).
LibraryOutcome RunMaker(const std::vector<std::string>& pictures, const LibraryEntry* appendTo = nullptr);

// The start menu's way into the library (STATE_LIBRARY): back to the start
// menu, or on to another campaign (SwitchTarget() then names it and the game
// loop ends).
void RunLibraryState();
// The campaign the game loop ended for; empty when it ended to quit. Taking it clears it.
std::filesystem::path TakeSwitchTarget();
void SetSwitchTarget(const std::filesystem::path& folder);

}  // namespace tessera
