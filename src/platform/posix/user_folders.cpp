// The user's folders on POSIX systems, by the XDG base directory rules: a
// variable that is unset, empty or not an absolute path counts as unset and its
// default under the home folder applies. The web build uses these too: under
// Node.js the real folders, in a page folders under Emscripten's /home/web_user,
// whose files the page keeps in IndexedDB.
#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
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

// The value of `key` in user-dirs.dirs, a shell fragment of lines such as
// XDG_PICTURES_DIR="$HOME/Pictures": a quoted absolute path or one under
// $HOME, backslash escapes allowed. Empty when the line is missing or of
// another form.
fs::path UserDirsEntry(const fs::path& file, const std::string& key, const fs::path& home) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (!in) return {};
  std::string text(64 * 1024, '\0');  // the real file is a dozen short lines
  text.resize(std::fread(text.data(), 1, text.size(), in));
  std::fclose(in);
  fs::path found;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, key.size() + 2, key + "=\"") != 0) continue;
    std::string value;
    bool closed = false;
    for (size_t i = first + key.size() + 2; i < line.size(); ++i) {
      if (line[i] == '"') {
        closed = true;
        break;
      }
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    if (!closed) continue;
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0) {
      if (home.empty()) continue;
      found = value.size() > 6 ? home / value.substr(6) : home;
    } else if (!value.empty() && value[0] == '/') {
      found = value;
    }  // the last line of the key counts, as the shell would take it
  }
  return found;
}

}  // namespace

fs::path PicturesFolder() {
  const fs::path home = HomeFolder();
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const fs::path configHome = config && config[0] == '/' ? fs::path(config) : home.empty() ? fs::path() : home / ".config";
  fs::path pictures = configHome.empty() ? fs::path() : UserDirsEntry(configHome / "user-dirs.dirs", "XDG_PICTURES_DIR", home);
  if (pictures.empty()) return home;
  pictures = pictures.lexically_normal();
  if (!pictures.has_filename() && pictures.has_relative_path()) pictures = pictures.parent_path();  // "a/b/"
  return pictures;
}

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
