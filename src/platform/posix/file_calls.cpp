#include "platform/posix/file_calls.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tessera {

ssize_t ReadAtPosition(int fd, void* out, size_t size, uint64_t position) {
  for (;;) {
    const ssize_t got = ::pread(fd, out, size, static_cast<off_t>(position));
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

bool StatPath(const char* path, PathStat& out) {
  struct stat st;
  if (::stat(path, &st) != 0) return false;
  out.size = static_cast<uint64_t>(st.st_size);
  out.id = static_cast<uint64_t>(st.st_ino);
  out.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  out.folder = S_ISDIR(st.st_mode);
  out.regular = S_ISREG(st.st_mode);
  return true;
}

bool TakeFileLock(int handle, const std::string&) {
  while (::flock(handle, LOCK_EX) != 0)
    if (errno != EINTR) return false;
  return true;
}

// Closing the file drops the lock.
void ReleaseFileLock(int) {}

// The files are the system's own: nothing else to keep up to date.
void FilesChanged() {}

void AwaitArrival(const std::string&) {}
bool FileArriving(const std::string&) { return false; }

}  // namespace tessera
