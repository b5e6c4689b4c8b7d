// The user's folders by the XDG base directory rules, as on other POSIX systems:
// under Node.js the real ones (the environment is the real process's); in a page
// they lie under Emscripten's /home/web_user, whose files the page keeps in
// IndexedDB. The program's own folder is the launcher's under Node.js and "/" in
// a page, where the page puts the shipped campaigns and font.
#include "platform/user_folders.h"

#include <cstdlib>
#include <string>

#include "platform/process.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

fs::path XdgFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return fs::path(value) / "tessera";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return {};
  return fs::path(home) / underHome / "tessera";
}

}  // namespace

UserFolders GetUserFolders() {
  UserFolders folders;
  folders.data = XdgFolder("XDG_DATA_HOME", ".local/share");
  folders.config = XdgFolder("XDG_CONFIG_HOME", ".config");
  folders.state = XdgFolder("XDG_STATE_HOME", ".local/state");
  folders.cache = XdgFolder("XDG_CACHE_HOME", ".cache");
  return folders;
}

fs::path ExecutableFolder() {
  const std::string self = CurrentExecutable();
  if (self.empty()) return {};
  return fs::path(self).parent_path();
}

std::vector<fs::path> SystemDataFolders() {
  const char* value = std::getenv("XDG_DATA_DIRS");
  std::vector<fs::path> folders;
  for (fs::path& folder : SplitFolderList(value))
    if (folder.is_absolute()) folders.push_back(std::move(folder));
  if (folders.empty()) folders = {"/usr/local/share", "/usr/share"};
  return folders;
}

std::vector<fs::path> SplitFolderList(const char* list) {
  std::vector<fs::path> folders;
  if (!list) return folders;
  std::string entry;
  for (const char* p = list;; ++p) {
    if (*p == ':' || *p == '\0') {
      if (!entry.empty()) folders.emplace_back(entry);
      entry.clear();
      if (*p == '\0') break;
    } else {
      entry += *p;
    }
  }
  return folders;
}

char FolderListSeparator() { return ':'; }

}  // namespace tessera
