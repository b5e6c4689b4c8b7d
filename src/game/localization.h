#pragma once
// Every caption and spoken line is a key into the localization file; the
// system itself holds only keys.
#include <cstddef>

namespace tessera {

enum TextSection : int { TEXT_MENU = 0, TEXT_TALK = 1 };

// "Localization.dat" in WorkDir when packaged, else "Localization.txt" in LocalPath.
void LocalizationPath(char* out, size_t size);

// Fills `destination` (256 bytes, always zero-terminated) with the text of `key`
// in section "Menu" (0) or "Talk" (1). For "Talk" the key is a whole talk
// reference and only the text after its last '+' is looked up; a reference
// without '+' names no key. Anything missing gives the empty text.
void LookupText(char* destination, const char* key, int section);

}  // namespace tessera
