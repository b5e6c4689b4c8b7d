#pragma once
// Change reports of the folders of files read: while a watched folder reports
// nothing, its files are as they were. Where the system gives no such reports
// (or no watch can be had), Watch says so and callers look at the files
// themselves. One implementation per system (platform/posix, platform/windows,
// platform/web).
#include <memory>
#include <string>

namespace tessera {

class FolderWatch {
 public:
  FolderWatch();
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Watches the folder of an absolute host path; false when it cannot.
  bool Watch(const std::string& hostPath);

  // True when anything happened in a watched folder since the last call; a
  // folder whose watch ended (deleted, moved, overflow) is forgotten so that it
  // is watched afresh.
  bool Changed();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tessera
