#pragma once
// Texts laid out for the place the game draws them in. The game's renderer
// wraps by width at any byte, which suits Chinese; a text in a language with
// spaces must break between words on its own, so spaces go before a word the
// wrap would cut, and lint names the words it still cuts.
#include <string>
#include <vector>

namespace tessera::content {

// Where the game draws a text: its renderer's size, extra spacing and wrap width.
struct TextPlace {
  const char* what;  // "talk line", "level title", "caption"
  int size;
  int spacing;
  int wrapWidth;
};

// Talk lines and the choices after the end talk.
TextPlace TalkTextPlace();
// A level's title on the play screen.
TextPlace LevelTitlePlace();
// The place of a "Menu" text the game draws; false for a key it never draws.
bool MenuTextPlace(const std::string& key, TextPlace& out);

// True when the renderer reads every character of `text` as one byte.
bool IsSingleByteText(const std::string& text);

// The words (runs of characters other than spaces) the wrap breaks where the
// text is drawn, each with a bar at every break ("hou|r?"). A word longer than
// a whole line is not counted: only the wrap can break it.
std::vector<std::string> SplitWords(const std::string& text, const TextPlace& place);

// `text` with spaces added before each word the wrap would break, so the word
// starts the next line. Words longer than a line are left to the wrap.
std::string KeepWordsWhole(const std::string& text, const TextPlace& place);

}  // namespace tessera::content
