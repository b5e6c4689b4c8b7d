// The Recycle Bin, through the shell's file operation: FOF_ALLOWUNDO recycles,
// and FOF_WANTNUKEWARNING makes the shell ask rather than silently delete an
// item the bin cannot take (too large, a network drive).
#include "platform/trash.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/windows/wide_text.h"

namespace tessera {

bool MoveToTrash(const std::string& path, std::string& error) {
  std::wstring from = windows::Wide(path);
  for (wchar_t& c : from)
    if (c == L'/') c = L'\\';
  from.push_back(L'\0');  // the list ends with two NULs
  SHFILEOPSTRUCTW operation {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
  const int result = ::SHFileOperationW(&operation);
  if (result != 0 || operation.fAnyOperationsAborted) {
    error = result != 0 ? "the Recycle Bin did not take it (error " + std::to_string(result) + ")" : "cancelled";
    return false;
  }
  if (::GetFileAttributesW(from.c_str()) != INVALID_FILE_ATTRIBUTES) {
    error = "it is still there";
    return false;
  }
  return true;
}

}  // namespace tessera
