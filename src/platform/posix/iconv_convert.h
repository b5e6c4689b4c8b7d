#pragma once
// Whole-text conversion through the C library's iconv (glibc's on Linux, musl's
// in the web build).
#include <cstddef>
#include <string>

namespace tessera {

// Converts all of `in` from one character set to the other, with room for at
// most `room` bytes of output; false when a character has no code in `to`, the
// text ends within one, or the names are unknown.
bool IconvConvert(const char* to, const char* from, const std::string& in, size_t room, std::string& out);

}  // namespace tessera
