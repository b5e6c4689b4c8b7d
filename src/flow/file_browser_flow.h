#pragma once
// The file browser as the flow runs it: the maker's "Add pictures..." and the
// library's "Open...". Each starts in the folder last used by the same kind of
// browser in this run (not kept past it), else at `start`.
#include <filesystem>
#include <string>
#include <vector>

namespace tessera {

struct BrowserOutcome {
  enum Kind { Chosen, Cancelled, Quit } kind = Cancelled;
  std::vector<std::string> paths;  // Chosen: the pictures ticked, or the one folder or package
};

// The pictures the player ticks (none when cancelled; Quit when the window is closed).
BrowserOutcome RunPictureBrowser(const std::filesystem::path& start);
// A campaign folder or a .tessera package.
BrowserOutcome RunOpenBrowser(const std::filesystem::path& start);

}  // namespace tessera
