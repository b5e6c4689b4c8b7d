#include "content/text_layout.h"

#include <cstdint>

#include "game/rules.h"
#include "game/text_places.h"
#include "gfx/text.h"

namespace tessera::content {

namespace {

// One character as the renderer places it.
struct Placed {
  size_t at;  // first byte
  int bytes;
  int64_t offset;  // pixels right of the text's left edge
  int line;
};

std::vector<Placed> Place(const std::string& text, const TextPlace& place) {
  std::vector<Placed> out;
  LayOutText(text.c_str(), place.size, place.wrapWidth, place.spacing,
             [&](size_t at, int bytes, int64_t offset, int line) { out.push_back({at, bytes, offset, line}); });
  return out;
}

// `next` is read after `previous` when it stands on the same line, to its right.
bool Follows(const Placed& previous, const Placed& next) {
  return next.line == previous.line && next.offset > previous.offset;
}

bool IsSpace(const std::string& text, const Placed& c) { return c.bytes == 1 && text[c.at] == ' '; }

// Characters [first, last] of the placed text.
struct Word {
  size_t first, last;
};

std::vector<Word> Words(const std::string& text, const std::vector<Placed>& placed) {
  std::vector<Word> out;
  for (size_t i = 0; i < placed.size(); ++i) {
    if (IsSpace(text, placed[i])) continue;
    size_t j = i;
    while (j + 1 < placed.size() && !IsSpace(text, placed[j + 1])) ++j;
    out.push_back({i, j});
    i = j;
  }
  return out;
}

bool IsBroken(const std::vector<Placed>& placed, const Word& w) {
  for (size_t k = w.first; k < w.last; ++k)
    if (!Follows(placed[k], placed[k + 1])) return true;
  return false;
}

size_t EndByte(const std::vector<Placed>& placed, const Word& w) {
  return placed[w.last].at + static_cast<size_t>(placed[w.last].bytes);
}

// A word the wrap breaks even when it starts a line.
bool LongerThanALine(const std::string& word, const TextPlace& place) {
  std::vector<Placed> alone = Place(word, place);
  return !alone.empty() && IsBroken(alone, {0, alone.size() - 1});
}

}  // namespace

TextPlace TalkTextPlace() { return {"talk line", TALK_TEXT_SIZE, TALK_TEXT_SPACING, TALK_WRAP}; }

TextPlace LevelTitlePlace() { return {"level title", LEVEL_TITLE_SIZE, CAPTION_SPACING, CAPTION_WRAP}; }

bool MenuTextPlace(const std::string& key, TextPlace& out) {
  auto caption = [&](int size) {
    out = {"caption", size, CAPTION_SPACING, CAPTION_WRAP};
    return true;
  };
  for (const PlayButton& button : PLAY_BUTTONS)
    if (key == button.hintKey) return caption(PLAY_HINT_SIZE);
  for (const char* title : {"Save", "Load", "Setting", "RestartGame", "ExitGame"})
    if (key == title) return caption(OPTION_CAPTION_SIZE);
  if (key == "Confirm") return caption(CONFIRM_TEXT_SIZE);
  if (key == "Empty") return caption(SLOT_TEXT_SIZE);
  return false;
}

bool IsSingleByteText(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    // A NUL ends the text for the renderer.
    if (text[i] == '\0') return true;
    if (TextCharacterBytes(reinterpret_cast<const unsigned char*>(text.c_str()) + i) != 1) return false;
    ++i;
  }
  return true;
}

std::vector<std::string> SplitWords(const std::string& text, const TextPlace& place) {
  std::vector<std::string> out;
  std::vector<Placed> placed = Place(text, place);
  for (const Word& w : Words(text, placed)) {
    const size_t begin = placed[w.first].at;
    if (!IsBroken(placed, w) || LongerThanALine(text.substr(begin, EndByte(placed, w) - begin), place)) continue;
    std::string shown;
    for (size_t k = w.first; k <= w.last; ++k) {
      if (k > w.first && !Follows(placed[k - 1], placed[k])) shown += '|';
      shown.append(text, placed[k].at, static_cast<size_t>(placed[k].bytes));
    }
    out.push_back(shown);
  }
  return out;
}

std::string KeepWordsWhole(const std::string& text, const TextPlace& place) {
  std::string out = text;
  // Spaces go in only before the word being mended, so every byte before it
  // keeps its place: the words are mended left to right, each once.
  for (size_t from = 0;;) {
    std::vector<Placed> placed = Place(out, place);
    const Word* broken = nullptr;
    std::vector<Word> words = Words(out, placed);
    for (const Word& w : words)
      if (placed[w.first].at >= from && IsBroken(placed, w)) {
        broken = &w;
        break;
      }
    if (!broken) return out;
    const size_t begin = placed[broken->first].at, length = EndByte(placed, *broken) - begin;
    from = begin + length;
    if (LongerThanALine(out.substr(begin, length), place)) continue;
    // The fewest spaces that carry the whole word over: no more than its own
    // length, plus one for a character that would land on the line's left edge.
    for (size_t spaces = 1; spaces <= length + 1; ++spaces) {
      std::string tried = out;
      tried.insert(begin, spaces, ' ');
      std::vector<Placed> again = Place(tried, place);
      size_t first = 0;
      while (again[first].at != begin + spaces) ++first;
      size_t last = first;
      while (again[last].at + static_cast<size_t>(again[last].bytes) < begin + spaces + length) ++last;
      if (!IsBroken(again, {first, last})) {
        out = std::move(tried);
        from = begin + spaces + length;
        break;
      }
    }
  }
}

}  // namespace tessera::content
