#include "platform/windows/wide_text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cwchar>

namespace tessera::windows {

namespace {

std::wstring Convert(unsigned codePage, unsigned long flags, const std::string& text, bool& ok) {
  ok = true;
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (n <= 0) {
    ok = false;
    return std::wstring();
  }
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), n);
  return out;
}

}  // namespace

std::wstring Wide(const std::string& text) {
  bool ok = false;
  std::wstring out = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, text, ok);
  if (!ok) out = Convert(CP_ACP, 0, text, ok);
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8(const wchar_t* text) { return text ? Utf8(std::wstring(text)) : std::string(); }

}  // namespace tessera::windows
