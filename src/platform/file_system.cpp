#include "platform/file_system.h"

#include <algorithm>

namespace tessera {

// Built on each system's own steps, so it is the same everywhere.
bool HostWriteFileAtomically(const std::string& path, const void* bytes, size_t size) {
  const std::string temp = path + ".tmp";
  const int fd = HostCreate(temp);
  if (fd < 0) return false;
  bool ok = HostWrite(fd, bytes, size) && HostSync(fd);
  if (!HostClose(fd)) ok = false;
  if (ok && !HostReplace(temp, path)) ok = false;
  if (!ok) HostRemove(temp);
  return ok;
}

bool HostReadWhole(std::FILE* file, std::vector<uint8_t>& out, uint64_t maxBytes) {
  out.clear();
  uint64_t size = 0;
  if (!HostFileSize(file, size) || size > maxBytes) return false;
  out.resize(static_cast<size_t>(size) + 1);
  size_t done = 0;
  for (;;) {
    if (done == out.size()) {
      if (out.size() > maxBytes) break;
      out.resize(static_cast<size_t>(std::min<uint64_t>(maxBytes + 1, uint64_t{out.size()} * 2)));
    }
    const size_t wanted = out.size() - done;
    const int64_t got = HostReadAt(file, done, out.data() + done, wanted);
    if (got < 0) break;
    done += static_cast<size_t>(got);
    // The end: nothing more, or less than asked once the size it had is read.
    if (got == 0 || (static_cast<size_t>(got) < wanted && done >= size)) {
      out.resize(done);
      return true;
    }
  }
  out.clear();
  return false;
}

}  // namespace tessera
