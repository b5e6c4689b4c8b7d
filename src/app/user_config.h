#pragma once
// The player's own settings, kept in tessera.ini in the user's config folder: the
// campaign played last and the window preferences. The game folder's System.ini
// stays the game's own; command-line options beat these, and these beat it.
// The file, as the game writes it (a setting not set is left out):
//   [game]
//   last=/home/me/.local/share/tessera/campaigns/holiday
//   [window]
//   fullscreen=true|false
//   scale=2
//   width=1600
//   height=1200
//   smooth=true|false
// Headless runs neither read nor write it, so that they play the same whoever runs them.
#include <filesystem>
#include <optional>
#include <string>

namespace tessera {

struct UserConfig {
  std::string lastGame;              // folder of the campaign played last
  std::optional<bool> fullScreen;    // full screen (true) or a window (false)
  int scale = 0;                     // the window's integer scale; 0: not set
  int windowWidth = 0;               // the window's size in screen pixels when it
  int windowHeight = 0;              // was last closed; 0: not set
  std::optional<bool> smooth;        // linear filtering where the scale is not whole
};

// tessera.ini in the user's config folder (empty path when there is none).
std::filesystem::path UserConfigPath();

// Reads `path`; a missing file or key leaves that setting unset, a bad value too.
UserConfig LoadUserConfig(const std::filesystem::path& path = UserConfigPath());
// Writes every setting to `path` by atomic replace, creating its folder; false
// (and the old file kept) when it cannot be written.
bool SaveUserConfig(const UserConfig& config, const std::filesystem::path& path = UserConfigPath());

// Full screen or a window: the command line's choice (--fullscreen, --windowed),
// else the player's, else the game's System.ini.
bool ChooseFullScreen(std::optional<bool> commandLine, const UserConfig& config, bool systemIni);
// The window's scale: the command line's (--scale), else the player's; 0 lets
// the window fit the desktop.
int ChooseScale(int commandLine, const UserConfig& config);

}  // namespace tessera
