// The freedesktop.org trash: the item's record goes in Trash/info/NAME.trashinfo
// (its original path, percent-encoded, and when it was deleted), the item
// itself in Trash/files/NAME, under $XDG_DATA_HOME/Trash for items on the home
// file system and $topdir/.Trash-$uid for items on another one. The record is
// made first, exclusively, so that two deletions never take the same name, and
// removed again when the move fails.
#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace tessera {

namespace fs = std::filesystem;

namespace {

fs::path HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return fs::path(data) / "Trash";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return fs::path(home) / ".local/share/Trash";
  return {};
}

dev_t DeviceOf(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_dev : static_cast<dev_t>(-1);
}

// The top of the mount that holds `path`: the last parent on its device.
fs::path MountTop(const fs::path& path) {
  const dev_t device = DeviceOf(path);
  fs::path top = path;
  while (top.has_parent_path() && top.parent_path() != top && DeviceOf(top.parent_path()) == device)
    top = top.parent_path();
  return top;
}

std::string Encoded(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-_.~", c)) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

bool MakeFolders(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return false;
  ::chmod(folder.c_str(), 0700);
  return true;
}

// Moves `item` into the trash at `trash`; errno-style reason in `error`.
bool MoveInto(const fs::path& trash, const fs::path& item, std::string& error) {
  if (!MakeFolders(trash / "files") || !MakeFolders(trash / "info")) {
    error = "the trash folder " + trash.string() + " cannot be made";
    return false;
  }
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  ::localtime_r(&now, &local);
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
  const std::string record = "[Trash Info]\nPath=" + Encoded(item.string()) + "\nDeletionDate=" + when + "\n";
  const std::string base = item.filename().string();
  for (int n = 1; n < 10000; ++n) {
    const std::string name = n == 1 ? base : base + "." + std::to_string(n);
    const fs::path info = trash / "info" / (name + ".trashinfo");
    const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error = std::string("the trash cannot be written: ") + std::strerror(errno);
      return false;
    }
    const bool written = ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
    const bool closed = ::close(fd) == 0;
    std::error_code ec;
    if (!written || !closed) {
      fs::remove(info, ec);
      error = "the trash cannot be written";
      return false;
    }
    if (fs::exists(trash / "files" / name, ec)) {
      fs::remove(info, ec);
      continue;
    }
    if (::rename(item.c_str(), (trash / "files" / name).c_str()) != 0) {
      error = std::strerror(errno);
      fs::remove(info, ec);
      return false;
    }
    return true;
  }
  error = "the trash has no free name";
  return false;
}

}  // namespace

bool MoveToTrash(const std::string& path, std::string& error) {
  std::error_code ec;
  const fs::path item = fs::absolute(path, ec);
  if (ec || !fs::exists(fs::symlink_status(item, ec))) {
    error = path + ": not found";
    return false;
  }
  const fs::path home = HomeTrash();
  const dev_t device = DeviceOf(item.parent_path());
  if (!home.empty()) {
    fs::path existing = home;  // the trash may not exist yet: its nearest existing parent tells the device
    while (!fs::exists(existing, ec) && existing.has_parent_path() && existing.parent_path() != existing)
      existing = existing.parent_path();
    if (DeviceOf(existing) == device) return MoveInto(home, item, error);
  }
  // Another file system: its own trash at its top, one folder per user.
  const fs::path top = MountTop(item.parent_path());
  if (top.empty() || top == item) {
    error = "no trash on the drive of " + path;
    return false;
  }
  if (!MoveInto(top / (".Trash-" + std::to_string(::getuid())), item, error)) {
    error = "no trash on the drive of " + path + " (" + error + ")";
    return false;
  }
  return true;
}

}  // namespace tessera
