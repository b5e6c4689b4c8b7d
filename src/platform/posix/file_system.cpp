// Files on POSIX systems; the web build uses these too, on Emscripten's file
// systems (the real ones under Node.js, the page's memory and IndexedDB in a
// browser).
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/file_calls.h"

namespace tessera {

bool HostStat(const std::string& path, HostFileInfo& info) {
  AwaitArrival(path);
  PathStat st;
  if (!StatPath(path.c_str(), st)) return false;
  info.size = st.size;
  info.mtimeNs = st.mtimeNs;
  info.id = st.id;
  info.folder = st.folder;
  info.regular = st.regular;
  return true;
}

bool HostFindIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
  AwaitArrival((folder.empty() ? std::string(".") : folder) + "/" + name);
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return false;
  bool ok = false;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      ok = true;
      break;
    }
  }
  ::closedir(d);
  return ok;
}

std::FILE* HostOpen(const std::string& path, const char* mode) {
  AwaitArrival(path);
  return std::fopen(path.c_str(), mode);
}

bool HostRemove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return false;
  FilesChanged();
  return true;
}

bool HostMakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  struct stat st;
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int HostCreate(const std::string& path) { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); }

bool HostWrite(int handle, const void* bytes, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  while (size > 0) {
    const ssize_t n = ::write(handle, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool HostSync(int handle) { return ::fsync(handle) == 0; }
bool HostClose(int handle) { return ::close(handle) == 0; }
void HostFilesWritten() { FilesChanged(); }
bool HostArriving(const std::string& path) { return FileArriving(path); }

bool HostReplace(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  FilesChanged();
  return true;
}

// A stream without a descriptor is measured and read through stdio.
bool HostFileSize(std::FILE* file, uint64_t& size) {
  const int fd = ::fileno(file);
  if (fd >= 0) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
  }
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long end = std::ftell(file);
  if (end < 0) return false;
  size = static_cast<uint64_t>(end);
  return true;
}

int64_t HostReadAt(std::FILE* file, uint64_t position, void* out, size_t size) {
  const int fd = ::fileno(file);
  if (fd < 0) {
    if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) return -1;
    const size_t got = std::fread(out, 1, size, file);
    return got == 0 && std::ferror(file) ? -1 : static_cast<int64_t>(got);
  }
  return ReadAtPosition(fd, out, size, position);
}

HostFileLock::HostFileLock(const std::string& path) {
  handle_ = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
  if (handle_ < 0) return;
  if (!TakeFileLock(handle_, path)) {
    ::close(handle_);
    handle_ = -1;
  }
}

HostFileLock::~HostFileLock() {
  if (handle_ < 0) return;
  ReleaseFileLock(handle_);
  ::close(handle_);
}

std::filesystem::path HostFsPath(const std::string& path) { return std::filesystem::path(path); }
std::string HostPathString(const std::filesystem::path& path) { return path.string(); }

std::string HostCurrentFolder() {
  std::error_code ec;
  std::filesystem::path here = std::filesystem::current_path(ec);
  return ec ? std::string() : here.string();
}

bool HostChangeFolder(const std::string& path) { return ::chdir(path.c_str()) == 0; }

}  // namespace tessera
