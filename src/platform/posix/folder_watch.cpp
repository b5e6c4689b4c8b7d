#include "platform/folder_watch.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace tessera {

// Linux's inotify; elsewhere no folder is watched.
struct FolderWatch::State {
  void Forget(int wd) {
    if (wd < 0) {
      folders.clear();  // the queue overflowed: trust no folder
      return;
    }
    folders.erase(std::remove_if(folders.begin(), folders.end(), [wd](const auto& f) { return f.first == wd; }),
                  folders.end());
  }

  int fd = -1;
  std::vector<std::pair<int, std::string>> folders;
};

FolderWatch::FolderWatch() : state_(std::make_unique<State>()) {
#if defined(__linux__)
  state_->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
#endif
}

FolderWatch::~FolderWatch() {
#if defined(__linux__)
  if (state_->fd >= 0) ::close(state_->fd);
#endif
}

bool FolderWatch::Watch(const std::string& hostPath) {
#if defined(__linux__)
  State& s = *state_;
  if (s.fd < 0 || hostPath.empty() || hostPath[0] != '/') return false;
  const size_t slash = hostPath.rfind('/');
  const std::string folder = slash == 0 ? std::string("/") : hostPath.substr(0, slash);
  for (const auto& [wd, name] : s.folders)
    if (name == folder) return true;
  const int wd = ::inotify_add_watch(s.fd, folder.c_str(),
                                     IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                         IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF);
  if (wd < 0) return false;
  s.folders.emplace_back(wd, folder);
  return true;
#else
  (void)hostPath;
  return false;
#endif
}

bool FolderWatch::Changed() {
  bool any = false;
#if defined(__linux__)
  State& s = *state_;
  if (s.fd < 0) return false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(s.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    any = true;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask & (IN_IGNORED | IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF)) s.Forget(event->wd);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
#endif
  return any;
}

}  // namespace tessera
