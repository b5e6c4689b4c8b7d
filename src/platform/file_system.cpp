#include "platform/file_system.h"

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

}  // namespace tessera
