#include "app/files.h"

#include <algorithm>

#include "platform/file_system.h"

namespace tessera {

namespace {

bool Exists(const std::string& path) {
  HostFileInfo info;
  return HostStat(path, info);
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
      if (HostFindIgnoringCase(dir.empty() ? "." : dir, part, found)) {
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
  HostFileInfo info;
  bool found = !host.empty() && HostStat(host, info);
  if (!found) {
    host = HostPath(composed);
    found = HostStat(host, info);
  }
  // A folder opens for reading on some systems but not as a file the game can use.
  if (found && info.folder) return nullptr;
  return FilePtr(HostOpen(host, mode));
}

bool ReadFileBytes(const std::string& composed, std::vector<uint8_t>& out) {
  out.clear();
  FilePtr f = OpenFile(composed, "rb");
  if (!f) return false;
  if (HostReadWhole(f.get(), out, UINT64_MAX >> 1)) return true;
  // Not a plain file (a pipe): read as a stream.
  out.clear();
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) out.insert(out.end(), buffer, buffer + n);
  return !std::ferror(f.get());
}

bool FileExists(const std::string& composed) {
  // One stat when the path exists as written; only a miss repairs letter case.
  std::string host = composed;
  std::replace(host.begin(), host.end(), '\\', '/');
  if (!host.empty() && Exists(host)) return true;
  const std::string repaired = HostPath(composed);
  return repaired != host && Exists(repaired);
}

bool RemoveFile(const std::string& composed) { return HostRemove(HostPath(composed)); }

bool MakeDirectory(const std::string& composed) { return HostMakeFolder(HostPath(composed)); }

bool WriteFileAtomically(const std::string& composed, const void* bytes, size_t size) {
  return HostWriteFileAtomically(HostPath(composed), bytes, size);
}

bool StatFile(const std::string& hostPath, FileStamp& stamp) {
  HostFileInfo info;
  if (!HostStat(hostPath, info)) return false;
  stamp.size = info.size;
  stamp.mtimeNs = info.mtimeNs;
  stamp.inode = info.id;
  return true;
}

}  // namespace tessera
