#pragma once
// Reader of sectioned key-value text files (System.ini, Game.ini, the level
// script, the localization file) with the contract of the Windows profile API:
// sections and keys match without regard to case, values are trimmed, the
// default is used only when the file, section or key is missing, long values are
// cut to size - 1 bytes and bytes pass through unconverted.
#include <cstddef>
#include <string>

namespace tessera {

// Fills `buffer` (always zero-terminated when size > 0) and returns the number of
// bytes copied, not counting the terminator. Parsed files are cached by path and
// revalidated against the file's size and modification time on every call.
size_t GetPrivateProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                               size_t size, const char* path);

// The same, as a string cut to size - 1 bytes.
std::string ReadProfileString(const char* section, const char* key, const char* defaultText, size_t size,
                              const std::string& path);

// The same, read afresh and not kept: for a file looked at once, such as each
// of hundreds of campaigns' System.ini when the library opens, which would
// only push the game's own files out of the cache.
std::string ReadProfileStringOnce(const char* section, const char* key, const char* defaultText, size_t size,
                                  const std::string& path);

// The standard decimal conversion: leading blanks, an optional sign, leading
// digits; anything else (or nothing) reads as 0. Saturates instead of overflowing.
int ParseDecimal(const char* text);

// Drops every cached file (tests that rewrite a file within one clock tick).
void ClearProfileCache();

}  // namespace tessera
