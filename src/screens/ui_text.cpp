#include "screens/ui_text.h"

#include "gfx/image.h"
#include "gfx/text.h"
#include "platform/code_pages.h"

namespace tessera {

size_t Utf8CharacterBytes(const std::string& text, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  const size_t n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
  if (at + n > text.size()) return 1;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 1;
  return n;
}

std::string DropLastCharacter(const std::string& text) {
  size_t at = 0, last = 0;
  while (at < text.size()) {
    last = at;
    at += Utf8CharacterBytes(text, at);
  }
  return text.substr(0, last);
}

std::string ShownText(const std::string& utf8, int size, int width) {
  const CodePage page = TextCharset() == Charset::Big5 ? CodePage::Big5 : CodePage::Gbk;
  // Whole characters in the code page, each kept apart so that the cut falls between them.
  std::string all;
  std::vector<size_t> ends;
  for (size_t at = 0; at < utf8.size();) {
    const size_t n = Utf8CharacterBytes(utf8, at);
    const unsigned char c = static_cast<unsigned char>(utf8[at]);
    std::string encoded;
    if (n == 1)
      all.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    else if (EncodeCodePage(utf8.substr(at, n), page, encoded) && !encoded.empty())
      all.append(encoded.data(), encoded.size());
    else
      all.push_back('?');
    at += n;
    ends.push_back(all.size());
  }
  const size_t advance = static_cast<size_t>(size / 2);
  const size_t room = advance == 0 ? all.size() : static_cast<size_t>(width) / advance;
  if (all.size() <= room) return all;
  size_t keep = 0;
  for (size_t end : ends)
    if (end + 3 <= room) keep = end;
  all.resize(keep);
  all.append(3, '.');
  return all;
}

void DrawShownText(const std::string& utf8, int size, uint16_t colour, int x, int y, int width, uint16_t* frame) {
  const std::string shown = ShownText(utf8, size, width);
  RenderText(size, colour, x, y, 0, shown.c_str(), frame, SCREEN_WIDTH, SCREEN_WIDTH, SCREEN_HEIGHT);
}

}  // namespace tessera
