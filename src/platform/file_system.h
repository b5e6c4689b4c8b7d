#pragma once
// The host's file system, as the file layer, the picture and sound readers and
// the save code use it. Paths are byte strings: on POSIX systems they go to the
// system as they are; on Windows they are read as UTF-8 (else in the system's
// code page) and handed to its wide-character calls, so folders with any name
// work. One implementation per system (platform/posix, platform/windows).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tessera {

struct HostFileInfo {
  uint64_t size = 0;
  int64_t mtimeNs = 0;  // modification time, nanoseconds
  uint64_t id = 0;      // the file's number on its volume where the system gives it with the times
  bool folder = false;
  bool regular = false;  // a plain file (not a folder, device or pipe)
};

// What is at `path`, in one system call; false when nothing is there.
bool HostStat(const std::string& path, HostFileInfo& info);

// Finds the entry of `folder` whose name equals `name` when ASCII letter case
// is ignored.
bool HostFindIgnoringCase(const std::string& folder, const std::string& name, std::string& found);

// fopen.
std::FILE* HostOpen(const std::string& path, const char* mode);
bool HostRemove(const std::string& path);
// Makes one folder; true also when a folder is already there.
bool HostMakeFolder(const std::string& path);

// The steps of replacing a file whole: a new file is created (created or
// truncated; -1 on failure), written, flushed to the disk and closed, then
// moved over the old one in one step (the old file stays as it was when the
// move fails).
int HostCreate(const std::string& path);
bool HostWrite(int handle, const void* bytes, size_t size);
bool HostSync(int handle);
bool HostClose(int handle);
bool HostReplace(const std::string& from, const std::string& to);
// The steps above for a whole file: written as `path`.tmp, then moved over
// `path`; on failure nothing is left under either name but the old file.
bool HostWriteFileAtomically(const std::string& path, const void* bytes, size_t size);
// Says that files were written, moved or removed other than through the calls
// above (a folder built with std::filesystem and renamed into place): the web
// page then stores the player's folder in the browser again. Nothing elsewhere.
void HostFilesWritten();
// True while the file is still on its way to a web page (fetched behind the
// game, or on demand: asking starts the fetch); never waits. False elsewhere.
bool HostArriving(const std::string& path);

// The size of an open file; false when it is not a plain file.
bool HostFileSize(std::FILE* file, uint64_t& size);
// Reads up to `size` bytes at `position` of an open file without going
// through the stream's buffer (one system call); the count read (0 at the
// end), -1 on an error.
int64_t HostReadAt(std::FILE* file, uint64_t position, void* out, size_t size);
// The whole of an open plain file: its size, then positioned reads (one byte
// more than the size, so the end is seen in the same read). A file that grows
// meanwhile is read on to its end, one that shrinks gives what is there; false
// (and nothing in `out`) for what is not a plain file, a read error, or more
// than `maxBytes`.
bool HostReadWhole(std::FILE* file, std::vector<uint8_t>& out, uint64_t maxBytes);

// An exclusive lock on a file (created when missing) shared by processes, held
// for the life of the object; waits for the process holding it. The system
// drops it when the process ends.
class HostFileLock {
 public:
  explicit HostFileLock(const std::string& path);
  ~HostFileLock();
  HostFileLock(const HostFileLock&) = delete;
  HostFileLock& operator=(const HostFileLock&) = delete;
  bool Held() const { return handle_ >= 0; }

 private:
  int handle_ = -1;
};

// Between the byte strings and std::filesystem paths.
std::filesystem::path HostFsPath(const std::string& path);
std::string HostPathString(const std::filesystem::path& path);

// The process's current folder ("" when it cannot be read) and changing it.
std::string HostCurrentFolder();
bool HostChangeFolder(const std::string& path);

}  // namespace tessera
