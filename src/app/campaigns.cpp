#include "app/campaigns.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <utility>

#include "app/files.h"
#include "app/profile.h"
#include "platform/file_system.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

// Letter case does not matter in a game folder's names (its data came from Windows).
bool HasEntry(const fs::path& folder, const char* composed) {
  return FileExists(HostPathString(folder / "") + composed);
}

fs::path Canonical(const fs::path& folder) {
  std::error_code ec;
  fs::path path = fs::weakly_canonical(folder, ec);
  if (ec) path = folder.lexically_normal();
  return path.has_filename() ? path : path.parent_path();
}

bool IsFolder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool HasGameFiles(const fs::path& folder) {
  return HasEntry(folder, "System.ini") || HasEntry(folder, "Script.dat") || HasEntry(folder, "Script\\ScriptEntry.txt");
}

}  // namespace

bool IsGameFolder(const fs::path& folder) { return !folder.empty() && IsFolder(folder) && HasGameFiles(folder); }

SearchRoots CurrentSearchRoots() {
  SearchRoots roots;
  roots.listed = SplitFolderList(std::getenv("TESSERA_PATH"));
  roots.userData = GetUserFolders().data;
  roots.executable = ExecutableFolder();
  roots.systemData = SystemDataFolders();
  return roots;
}

std::vector<fs::path> SearchPlaces(const SearchRoots& roots) {
  std::vector<fs::path> places = roots.listed;
  if (!roots.userData.empty()) places.push_back(roots.userData / "campaigns");
  if (!roots.executable.empty()) {
    places.push_back(roots.executable / "campaigns");
    places.push_back((roots.executable / ".." / "share" / "tessera" / "campaigns").lexically_normal());
  }
  for (const fs::path& data : roots.systemData) places.push_back(data / "tessera" / "campaigns");
  return places;
}

std::vector<Campaign> FindCampaigns(const std::vector<fs::path>& places) {
  std::vector<Campaign> found;
  std::vector<fs::path> seen;
  auto add = [&](const fs::path& canonical) {
    if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) return;
    seen.push_back(canonical);
    found.push_back({HostPathString(canonical.filename()), canonical});
  };
  for (const fs::path& place : places) {
    if (IsGameFolder(place)) {
      add(Canonical(place));
      continue;
    }
    // The place is resolved once; a folder in it that is not a link is then
    // that folder's own resolved path (a library of hundreds of campaigns
    // would resolve every one, a system call per part of its path).
    std::error_code ec;
    fs::directory_iterator it(place, ec);
    if (ec) continue;
    const fs::path resolvedPlace = Canonical(place);
    std::vector<std::pair<fs::path, fs::path>> games;  // as found, resolved
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
      std::error_code typeError;
      const bool plainFolder = !it->is_symlink(typeError) && !typeError && it->is_directory(typeError) && !typeError;
      if (plainFolder ? HasGameFiles(it->path()) : IsGameFolder(it->path()))
        games.emplace_back(it->path(), plainFolder ? resolvedPlace / it->path().filename() : Canonical(it->path()));
    }
    std::sort(games.begin(), games.end());
    for (const auto& game : games) add(game.second);
  }
  return found;
}

CampaignChoice ChooseCampaign(const std::vector<Campaign>& campaigns, const std::string& wanted,
                              const std::string& lastGame, bool canAsk) {
  CampaignChoice choice;
  if (campaigns.empty()) return choice;
  auto play = [&](size_t index) {
    choice.kind = CampaignChoice::Play;
    choice.index = index;
    return choice;
  };
  if (!wanted.empty()) {
    for (size_t i = 0; i < campaigns.size(); ++i)
      if (campaigns[i].name == wanted) return play(i);
    choice.kind = CampaignChoice::UnknownName;
    return choice;
  }
  if (campaigns.size() == 1) return play(0);
  if (!lastGame.empty()) {
    const fs::path last = Canonical(HostFsPath(lastGame));
    for (size_t i = 0; i < campaigns.size(); ++i)
      if (campaigns[i].folder == last) return play(i);
  }
  if (!canAsk) return play(0);
  choice.kind = CampaignChoice::Ask;
  return choice;
}

std::string NoGameMessage(const fs::path& current, const std::vector<fs::path>& places) {
  std::string text = "no game found.\n";
  text += "The current folder " + HostPathString(current) + " holds no game (System.ini or a level script),\n";
  text += "and no campaign was found in:\n";
  for (const fs::path& place : places) text += "  " + HostPathString(place) + "\n";
  text +=
      "To get a game, make one and play it:\n"
      "  tessera-tool make-demo DIR               (the demo campaign)\n"
      "  tessera-tool import DIR PICTURES...      (a campaign of your own pictures)\n"
      "  tessera --workdir DIR\n"
      "or put DIR in one of the folders above, or list it in TESSERA_PATH (folders separated by '";
  text += FolderListSeparator();
  text += "').";
  return text;
}

std::string CleanCampaignId(const std::string& text) {
  std::string id;
  for (char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.';
    if (id.size() < 64) id += plain ? c : '_';
  }
  // Never a name that means this folder or its parent, nor a hidden one.
  if (id.find_first_not_of('.') == std::string::npos) return {};
  if (id[0] == '.') id[0] = '_';
  return id;
}

std::string CampaignId(const fs::path& folder) {
  const std::string ini = HostPathString(folder / "") + "System.ini";
  if (std::string id = CleanCampaignId(ReadProfileStringOnce("setting", "CampaignId", "", 128, ini)); !id.empty())
    return id;
  // FNV-1a of the full path: the same folder gives the same id on every run.
  const fs::path canonical = Canonical(folder);
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : HostPathString(canonical)) hash = (hash ^ c) * 1099511628211ull;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(hash ^ (hash >> 32)));
  std::string name = CleanCampaignId(HostPathString(canonical.filename()));
  return (name.empty() ? std::string("game") : name) + suffix;
}

bool CanCreateFileIn(const fs::path& folder) {
  std::string why;
  return CanCreateFileIn(folder, why);
}

bool CanCreateFileIn(const fs::path& folder, std::string& why) {
  std::error_code ec;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 4; ++attempt) {
    const fs::path probe = folder / (".tessera-write-test-" + std::to_string(now + attempt));
    if (fs::exists(probe, ec)) continue;
    bool created = false;
    errno = 0;
    {
      std::ofstream file(probe, std::ios::binary);
      created = file.is_open() && (file << 'x') && file.flush();
    }
    const int error = errno;
    fs::remove(probe, ec);
    if (!created) why = error != 0 ? std::generic_category().message(error) : "a file cannot be written there";
    return created;
  }
  why = "a file cannot be written there";
  return false;
}

bool IsInstalledFolder(const fs::path& folder, const SearchRoots& roots) {
  std::vector<fs::path> installed;
  for (const fs::path& data : roots.systemData) installed.push_back(data / "tessera");
  if (!roots.executable.empty()) installed.push_back(roots.executable / ".." / "share" / "tessera");
  const fs::path inside = Canonical(folder);
  for (const fs::path& root : installed) {
    const fs::path top = Canonical(root);
    if (std::mismatch(top.begin(), top.end(), inside.begin(), inside.end()).first == top.end()) return true;
  }
  return false;
}

WritePlaces ChooseWritePlaces(const fs::path& gameFolder, bool gameFolderWritable, const std::string& campaignId,
                              const UserFolders& user, const fs::path& saveDir) {
  WritePlaces places;
  if (!gameFolderWritable) {
    if (!user.data.empty()) {
      places.saves = user.data / "saves" / campaignId;
      places.readThrough = gameFolder / "Save";
    }
    if (!user.state.empty()) places.log = user.state / campaignId / "log.txt";
  }
  if (!saveDir.empty()) {
    places.saves = saveDir;
    places.readThrough.clear();
  }
  return places;
}

}  // namespace tessera
