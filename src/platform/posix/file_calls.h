#pragma once
// The calls under the POSIX files that the web build, which compiles those files
// too, makes its own way: platform/web has a file of the same name as
// file_calls.cpp, which replaces this one there.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessera {

// Reads up to size bytes at the position without moving the file's offset (as
// pread): the count read, 0 at or past the end, -1 on an error.
ssize_t ReadAtPosition(int fd, void* out, size_t size, uint64_t position);

// What stat() tells of the file at `path`: its size, kind and number, and its
// modification time in nanoseconds; false when there is none.
struct PathStat {
  uint64_t size = 0;
  uint64_t id = 0;
  int64_t mtimeNs = 0;
  bool folder = false;
  bool regular = false;
};
bool StatPath(const char* path, PathStat& out);

// Takes the exclusive lock of HostFileLock on the open file `handle` (made at
// `path`), waiting for the process holding it; false when it cannot be taken.
// ReleaseFileLock gives it back before the file is closed.
bool TakeFileLock(int handle, const std::string& path);
void ReleaseFileLock(int handle);

// Told after a file was replaced or removed, which is how saves and settings
// change.
void FilesChanged();

// Returns once the file at `path` is there if it is one the program's host
// is still fetching (the page brings a campaign's later files after the game
// started); at once for any other path.
void AwaitArrival(const std::string& path);
// True while the file is still on its way; never waits (asking for a file the
// page fetches only on demand starts its fetch).
bool FileArriving(const std::string& path);

}  // namespace tessera
