#include "platform/file_system.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/windows/wide_text.h"

namespace tessera {

using windows::Utf8;
using windows::Wide;

namespace {

// FILETIME counts 100 ns steps from 1601; the stamps count nanoseconds from 1970.
int64_t UnixNanoseconds(const FILETIME& time) {
  const uint64_t ticks = (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return (static_cast<int64_t>(ticks) - 116444736000000000LL) * 100;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

HANDLE HandleOf(std::FILE* file) {
  const int fd = ::_fileno(file);
  return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

}  // namespace

bool HostStat(const std::string& path, HostFileInfo& info) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
  info.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  info.mtimeNs = UnixNanoseconds(data.ftLastWriteTime);
  info.id = 0;
  info.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.regular = !info.folder && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  if (info.folder) info.size = 0;
  return true;
}

bool HostFindIgnoringCase(const std::string& folder, const std::string& name, std::string& found) {
  const std::wstring pattern = Wide(folder.empty() ? std::string(".") : folder) + L"\\*";
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  do {
    std::string entry = Utf8(data.cFileName);
    if (SameIgnoringCase(entry, name)) {
      found = std::move(entry);
      ok = true;
      break;
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return ok;
}

std::FILE* HostOpen(const std::string& path, const char* mode) {
  return ::_wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool HostRemove(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool HostMakeFolder(const std::string& path) {
  if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return true;
  HostFileInfo info;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && HostStat(path, info) && info.folder;
}

int HostCreate(const std::string& path) {
  return ::_wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

bool HostWrite(int handle, const void* bytes, size_t size) {
  const char* p = static_cast<const char*>(bytes);
  while (size > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<size_t>(size, 1u << 30));
    const int n = ::_write(handle, p, chunk);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool HostSync(int handle) {
  const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(handle));
  return h != INVALID_HANDLE_VALUE && ::FlushFileBuffers(h) != 0;
}

bool HostClose(int handle) { return ::_close(handle) == 0; }

void HostFilesWritten() {}
bool HostArriving(const std::string&) { return false; }

bool HostReplace(const std::string& from, const std::string& to) {
  return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool HostFileSize(std::FILE* file, uint64_t& size) {
  const HANDLE h = HandleOf(file);
  if (h == INVALID_HANDLE_VALUE || ::GetFileType(h) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return true;
}

// A read with its offset in the OVERLAPPED record: one call, whatever the
// stream's own position.
int64_t HostReadAt(std::FILE* file, uint64_t position, void* out, size_t size) {
  const HANDLE h = HandleOf(file);
  if (h == INVALID_HANDLE_VALUE) return -1;
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(position);
  at.OffsetHigh = static_cast<DWORD>(position >> 32);
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
  if (!::ReadFile(h, out, wanted, &got, &at)) return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  return static_cast<int64_t>(got);
}

HostFileLock::HostFileLock(const std::string& path) {
  handle_ = ::_wopen(Wide(path).c_str(), _O_CREAT | _O_RDWR | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  if (handle_ < 0) return;
  OVERLAPPED whole = {};
  if (!::LockFileEx(reinterpret_cast<HANDLE>(::_get_osfhandle(handle_)), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD,
                    &whole)) {
    ::_close(handle_);
    handle_ = -1;
  }
}

HostFileLock::~HostFileLock() {
  if (handle_ >= 0) ::_close(handle_);  // closing the file ends its lock
}

std::filesystem::path HostFsPath(const std::string& path) { return std::filesystem::path(Wide(path)); }
std::string HostPathString(const std::filesystem::path& path) { return Utf8(path.native()); }

std::string HostCurrentFolder() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return std::string();
  std::wstring folder(n, L'\0');
  const DWORD written = ::GetCurrentDirectoryW(n, folder.data());
  if (written == 0 || written >= n) return std::string();
  folder.resize(written);
  return Utf8(folder);
}

bool HostChangeFolder(const std::string& path) { return ::SetCurrentDirectoryW(Wide(path).c_str()) != 0; }

}  // namespace tessera
