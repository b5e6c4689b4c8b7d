#pragma once
// Finding the game to play when no folder is named, and where a game writes its
// saves and its log.
//
// A game folder holds System.ini or a level script (Script.dat, or
// Script\ScriptEntry.txt loose). Without --workdir the game plays the current
// folder when it is one; else it looks for campaigns, in this order:
//   1. the folders listed in TESSERA_PATH
//   2. <user data>/campaigns/*               ($XDG_DATA_HOME/tessera)
//   3. <executable's folder>/campaigns/*     (an unpacked archive, the build tree)
//   4. <executable's folder>/../share/tessera/campaigns/*   (a relocated install)
//   5. <each system data folder>/tessera/campaigns/*        ($XDG_DATA_DIRS)
// A place that is a game folder itself is one campaign; any other place offers
// its subfolders that are game folders, by name. A folder reached twice is
// listed once, where it was first found.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/user_folders.h"

namespace tessera {

bool IsGameFolder(const std::filesystem::path& folder);

// The folders to search, in order, from the process's environment and executable.
struct SearchRoots {
  std::vector<std::filesystem::path> listed;  // TESSERA_PATH
  std::filesystem::path userData;             // empty: none
  std::filesystem::path executable;           // empty: unknown
  std::vector<std::filesystem::path> systemData;
};
SearchRoots CurrentSearchRoots();
std::vector<std::filesystem::path> SearchPlaces(const SearchRoots& roots);

struct Campaign {
  std::string name;  // the folder's name
  std::filesystem::path folder;
};
std::vector<Campaign> FindCampaigns(const std::vector<std::filesystem::path>& places);

// Which campaign to play: the one named by --game, else the only one, else the
// one played last, else (when the player can be asked) the player's pick; an
// unattended run takes the first.
struct CampaignChoice {
  enum Kind { Play, Ask, NoneFound, UnknownName } kind = NoneFound;
  size_t index = 0;  // Play: the campaign to play
};
CampaignChoice ChooseCampaign(const std::vector<Campaign>& campaigns, const std::string& wanted,
                              const std::string& lastGame, bool canAsk);

// The message for a start with no game: every place searched and how to get one.
std::string NoGameMessage(const std::filesystem::path& current, const std::vector<std::filesystem::path>& places);

// A campaign's id, the name of its folders under the user's: the CampaignId key
// of its System.ini ([setting]) reduced to letters, digits, '.', '-' and '_',
// else the folder's name and a short hash of its full path.
std::string CampaignId(const std::filesystem::path& folder);
// `text` reduced to a folder name as above (empty when nothing is left).
std::string CleanCampaignId(const std::string& text);

// True when a new file can be created in `folder` (tried, then removed): the
// one test that also holds for root on a read-only mount.
bool CanCreateFileIn(const std::filesystem::path& folder);
// The same; when false, `why` is the system's reason ("Read-only file system").
bool CanCreateFileIn(const std::filesystem::path& folder, std::string& why);
// True for a folder under an installed tessera data folder (<system data
// folder>/tessera, <executable's folder>/../share/tessera): a package's files
// are never written, not even by a user who could (root).
bool IsInstalledFolder(const std::filesystem::path& folder, const SearchRoots& roots);

// Where a game writes. Writable game folder: Save and log.txt in it, as ever.
// Otherwise saves go to <user data>/saves/<id> and read through to the game's own
// Save for slots missing there, and the log goes to <user state>/<id>/log.txt.
// --save-dir names the save folder outright (with no read-through).
struct WritePlaces {
  std::filesystem::path saves;        // empty: "Save" in the game folder
  std::filesystem::path readThrough;  // where missing slots are read from; empty: nowhere
  std::filesystem::path log;          // empty: log.txt in the game folder
};
WritePlaces ChooseWritePlaces(const std::filesystem::path& gameFolder, bool gameFolderWritable,
                              const std::string& campaignId, const UserFolders& user,
                              const std::filesystem::path& saveDir);

}  // namespace tessera
