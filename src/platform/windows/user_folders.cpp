#include "platform/user_folders.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/windows/wide_text.h"

namespace tessera {

namespace {

// A folder of the user's profile: the variable as the process was given it
// (the same folder unless a launcher or a test points it elsewhere, as the XDG
// variables do on other systems), else the known folder (where SDL_GetPrefPath
// looks too).
std::filesystem::path ProfileFolder(const wchar_t* variable, REFKNOWNFOLDERID known) {
  if (const wchar_t* value = ::_wgetenv(variable); value && *value) {
    const std::filesystem::path folder(value);
    if (folder.is_absolute()) return folder;
  }
  std::filesystem::path folder;
  PWSTR path = nullptr;
  if (::SHGetKnownFolderPath(known, KF_FLAG_DEFAULT, nullptr, &path) == S_OK && path) folder = path;
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

// Saves, screenshots, added campaigns and tessera.ini in %APPDATA%\Tessera;
// the logs of games whose folder is not writable in its "logs" folder, so that
// they never mix with the folders of saves.
UserFolders GetUserFolders() {
  UserFolders folders;
  const std::filesystem::path appData = ProfileFolder(L"APPDATA", FOLDERID_RoamingAppData);
  if (appData.empty()) return folders;
  const std::filesystem::path own = appData / L"Tessera";
  folders.data = own;
  folders.config = own;
  folders.state = own / L"logs";
  // Thumbnails are made again at will: kept in the local profile, not the roaming one.
  const std::filesystem::path local = ProfileFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
  folders.cache = local.empty() ? own / L"cache" : local / L"Tessera";
  return folders;
}

// The Pictures known folder (wherever the player moved it), else the profile folder.
std::filesystem::path PicturesFolder() {
  std::filesystem::path folder;
  PWSTR path = nullptr;
  if (::SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DEFAULT, nullptr, &path) == S_OK && path) folder = path;
  ::CoTaskMemFree(path);
  if (folder.empty()) folder = ProfileFolder(L"USERPROFILE", FOLDERID_Profile);
  return folder;
}

std::filesystem::path ExecutableFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      break;
    }
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
  return std::filesystem::path(name).parent_path();
}

std::vector<std::filesystem::path> SystemDataFolders() { return {}; }

std::vector<std::filesystem::path> SplitFolderList(const char* list) {
  std::vector<std::filesystem::path> folders;
  if (!list) return folders;
  std::string text(list);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) folders.emplace_back(windows::Wide(text.substr(start, end - start)));
    start = end + 1;
  }
  return folders;
}

char FolderListSeparator() { return ';'; }

}  // namespace tessera
