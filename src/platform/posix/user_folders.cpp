// The user's folders on POSIX systems, by the XDG base directory rules: a
// variable that is unset, empty or not an absolute path counts as unset and its
// default under the home folder applies. The web build uses these too: under
// Node.js the real folders, in a page folders under Emscripten's /home/web_user,
// whose files the page keeps in IndexedDB.
#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/process.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

fs::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  // A service started without HOME still has an entry in the password database.
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
    return entry->pw_dir;
  return {};
}

fs::path XdgFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return fs::path(value) / "tessera";
  const fs::path home = HomeFolder();
  if (home.empty()) return {};
  return home / underHome / "tessera";
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
