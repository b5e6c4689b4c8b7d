#pragma once
// Where a player's own files live and where installed games are looked for. The
// rules are the same everywhere; only the folders differ by operating system, so
// each system has one implementation of this header (platform/posix,
// platform/windows) and nothing above it knows which one it runs on.
#include <filesystem>
#include <vector>

namespace tessera {

// The folders of this program's own files, none of them created here:
//   data:   saves, screenshots, campaigns the player added
//           ($XDG_DATA_HOME/tessera, default ~/.local/share/tessera)
//   config: tessera.ini ($XDG_CONFIG_HOME/tessera, default ~/.config/tessera)
//   state:  logs of games whose folder is not writable
//           ($XDG_STATE_HOME/tessera, default ~/.local/state/tessera)
//   cache:  what can be made again at any time, such as the library's
//           thumbnails ($XDG_CACHE_HOME/tessera, default ~/.cache/tessera)
// On Windows the first three lie under the user's roaming application data
// (%APPDATA%\Tessera, as SDL_GetPrefPath gives it) and the cache under the
// local one (%LOCALAPPDATA%\Tessera), which does not travel with the profile.
// A folder that cannot be found (no home at all) is empty.
struct UserFolders {
  std::filesystem::path data;
  std::filesystem::path config;
  std::filesystem::path state;
  std::filesystem::path cache;
};
UserFolders GetUserFolders();

// Where the player keeps their pictures, where the maker's file browser
// starts: XDG_PICTURES_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (as
// xdg-user-dir PICTURES reads it) on POSIX systems, the Pictures known folder
// on Windows; the home or profile folder when the system names none, and
// empty when there is no home at all.
std::filesystem::path PicturesFolder();

// The folder of the running executable; empty when the system cannot tell.
std::filesystem::path ExecutableFolder();

// The system's shared data folders, searched after the user's own
// ($XDG_DATA_DIRS, default /usr/local/share:/usr/share); none on Windows.
std::vector<std::filesystem::path> SystemDataFolders();

// Splits a list of folders as the system writes one in an environment variable
// (':' between folders on POSIX systems, ';' on Windows); empty entries dropped.
std::vector<std::filesystem::path> SplitFolderList(const char* list);
// The character between the folders of such a list.
char FolderListSeparator();

}  // namespace tessera
