#pragma once
// Texts of the player's own (campaign titles, typed titles, file names), which
// are UTF-8, drawn by the game's renderer, which reads its code page: each
// character the code page has is drawn, any other as '?', and a text too wide
// for its room is cut at a character with "...".
#include <cstdint>
#include <string>

namespace tessera {

// The bytes of one UTF-8 character starting at `at` (1 for a stray byte).
size_t Utf8CharacterBytes(const std::string& text, size_t at);
// `text` without its last UTF-8 character.
std::string DropLastCharacter(const std::string& text);

// `utf8` in the renderer's code page, cut with "..." to `width` pixels at
// `size` (every byte advances size / 2).
std::string ShownText(const std::string& utf8, int size, int width);
// Draws ShownText at (x, y).
void DrawShownText(const std::string& utf8, int size, uint16_t colour, int x, int y, int width, uint16_t* frame);

}  // namespace tessera
