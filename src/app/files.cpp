#include "app/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tessera {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Finds an entry of `dir` equal to `name` ignoring ASCII letter case.
bool FindCaseInsensitive(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
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

}  // namespace

std::string HostPath(const std::string& composed) {
  std::string path = composed;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty() || Exists(path)) return path;

  // Walk the components, repairing letter case where the exact name is missing.
  std::string result;
  size_t pos = 0;
  if (path[0] == '/') {
    result = "/";
    pos = 1;
  }
  bool exact = true;  // everything so far exists on disk
  while (pos <= path.size()) {
    size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    std::string part = path.substr(pos, next - pos);
    pos = next + 1;
    if (part.empty()) continue;
    std::string dir = result.empty() ? std::string() : result;
    std::string candidate = dir.empty() ? part : (dir.back() == '/' ? dir + part : dir + "/" + part);
    if (exact && !Exists(candidate) && part != "." && part != "..") {
      std::string found;
      if (FindCaseInsensitive(dir.empty() ? "." : dir, part, found)) {
        candidate = dir.empty() ? found : (dir.back() == '/' ? dir + found : dir + "/" + found);
      } else {
        exact = false;
      }
    }
    result = candidate;
  }
  return result;
}

FilePtr OpenFile(const std::string& composed, const char* mode) {
  // When the path exists as written (the usual case), the stat that finds it
  // also tells whether it is a folder; only a miss pays for the case repair.
  std::string host = composed;
  std::replace(host.begin(), host.end(), '\\', '/');
  struct stat st;
  bool found = !host.empty() && ::stat(host.c_str(), &st) == 0;
  if (!found) {
    host = HostPath(composed);
    found = ::stat(host.c_str(), &st) == 0;
  }
  // A folder opens for reading on this system but not as a file the game can use.
  if (found && S_ISDIR(st.st_mode)) return nullptr;
  return FilePtr(std::fopen(host.c_str(), mode));
}

bool ReadFileBytes(const std::string& composed, std::vector<uint8_t>& out) {
  out.clear();
  FilePtr f = OpenFile(composed, "rb");
  if (!f) return false;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) out.insert(out.end(), buffer, buffer + n);
  return !std::ferror(f.get());
}

bool FileExists(const std::string& composed) { return Exists(HostPath(composed)); }

bool RemoveFile(const std::string& composed) { return ::unlink(HostPath(composed).c_str()) == 0; }

bool MakeDirectory(const std::string& composed) {
  std::string host = HostPath(composed);
  if (::mkdir(host.c_str(), 0755) == 0) return true;
  struct stat st;
  return errno == EEXIST && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteFileAtomically(const std::string& composed, const void* bytes, size_t size) {
  std::string host = HostPath(composed);
  std::string temp = host + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  size_t left = size;
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), host.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool StatFile(const std::string& hostPath, FileStamp& stamp) {
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return false;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  return true;
}

}  // namespace tessera
