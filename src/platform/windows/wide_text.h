#pragma once
// Between the program's byte strings and Windows' wide-character strings.
// Byte strings are UTF-8; bytes that are not UTF-8 (a name in the game's own
// code page) are read in the system's code page, as the ANSI calls would.
#include <string>

namespace tessera::windows {

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
std::string Utf8(const wchar_t* text);

}  // namespace tessera::windows
