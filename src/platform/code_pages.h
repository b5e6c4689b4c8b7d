#pragma once
// The Chinese code pages the game's texts are written in, to and from Unicode,
// and the font files that draw them. One implementation per system
// (platform/posix: iconv and fontconfig; platform/windows: the system's own
// code page tables and the font shipped beside the program).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessera {

enum class CodePage : uint16_t {
  Gbk = 936,   // simplified Chinese (GB2312 and its GBK extension)
  Big5 = 950,  // traditional Chinese
};

// UTF-8 to the code page, whole; false when a character has no code there or
// the text is not UTF-8.
bool EncodeCodePage(const std::string& utf8, CodePage page, std::string& out);
// The code page to UTF-8, whole; false on bytes that are no character.
bool DecodeCodePage(const std::string& bytes, CodePage page, std::string& utf8);

// One character at a time, for the text renderer.
class CodePageDecoder {
 public:
  explicit CodePageDecoder(CodePage page);
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  // The code point of one whole character (one or two bytes); false when the
  // bytes are not a complete, known character.
  bool ToCodePoint(const char* bytes, size_t length, uint32_t& codePoint);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The font faces to draw the code page's text with, best first: a file and the
// index of the face in it. A partial face (a few characters cut from a whole
// face, which a page fetches quickly) hands a character it lacks to the face
// after it; a whole face draws its own missing-character box.
struct FontFace {
  std::string file;
  int index = 0;
  bool partial = false;
};
std::vector<FontFace> FontFacesFor(CodePage page);

}  // namespace tessera
