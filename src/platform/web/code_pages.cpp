// The code pages through the C library's iconv (musl's, in the WebAssembly
// build), the faces from the font shipped with the game, opened by path: a
// browser has no font configuration to ask.
//
// musl knows the character sets as "GBK" and "BIG5", not by the Windows code
// page names "CP936" and "CP950" that glibc takes, and its tables are wider
// than those code pages: its GBK has the user-defined areas and its BIG5 the
// Hong Kong additions, both absent from Windows' (and glibc's) code pages, and
// it lacks the few characters Windows added. The decoder the text renderer
// uses is held to the code pages' own repertoire by the tables below, so a
// text draws the same characters on every system.
#include "platform/code_pages.h"

#include <iconv.h>

#include <map>
#include <unordered_map>
#include <utility>

#include "platform/file_system.h"
#include "platform/posix/iconv_convert.h"
#include "platform/user_folders.h"

namespace tessera {

namespace {

const char* CharsetName(CodePage page) { return page == CodePage::Big5 ? "BIG5" : "GBK"; }

// Two-byte codes musl decodes that the Windows code page leaves undefined,
// as closed ranges of (lead << 8 | trail).
struct CodeRange {
  uint16_t first, last;
};
constexpr CodeRange kGbkExtra[] = {
    {0xa140, 0xa1a0}, {0xa240, 0xa2a0}, {0xa2ab, 0xa2b0}, {0xa2e3, 0xa2e4}, {0xa2ef, 0xa2f0},
    {0xa2fd, 0xa3a0}, {0xa440, 0xa4a0}, {0xa4f4, 0xa5a0}, {0xa5f7, 0xa6a0}, {0xa6b9, 0xa6c0},
    {0xa6d9, 0xa6df}, {0xa6ec, 0xa6ed}, {0xa6f3, 0xa6f3}, {0xa6f6, 0xa7a0}, {0xa7c2, 0xa7d0},
    {0xa7f2, 0xa7fe}, {0xa896, 0xa8a0}, {0xa8bc, 0xa8bc}, {0xa8bf, 0xa8bf}, {0xa8c1, 0xa8c4},
    {0xa8ea, 0xa8fe}, {0xa958, 0xa958}, {0xa95b, 0xa95b}, {0xa95d, 0xa95f}, {0xa989, 0xa995},
    {0xa997, 0xa9a3}, {0xa9f0, 0xa9fe}, {0xaaa1, 0xaafe}, {0xaba1, 0xabfe}, {0xaca1, 0xacfe},
    {0xada1, 0xadfe}, {0xaea1, 0xaefe}, {0xafa1, 0xaffe}, {0xd7fa, 0xd7fe}, {0xf8a1, 0xf8fe},
    {0xf9a1, 0xf9fe}, {0xfaa1, 0xfafe}, {0xfba1, 0xfbfe}, {0xfca1, 0xfcfe}, {0xfda1, 0xfdfe},
    {0xfe50, 0xfefe},
};
constexpr CodeRange kBig5Extra[] = {
    {0x8740, 0xa0fe}, {0xa3c0, 0xa3e0}, {0xfa40, 0xfefe},
};

// Two-byte codes of the Windows code page musl lacks: the codes from `first` to
// `last` decode to consecutive code points from `codePoint`. (The one single
// byte musl lacks, 0x80, is the euro sign in code page 936 and U+0080 in 950.)
struct CodeRun {
  uint16_t first, last;
  uint32_t codePoint;
};
constexpr CodeRun kBig5Missing[] = {{0xc6de, 0xc6df, 0xf6ee}, {0xc8a5, 0xc8cc, 0xf7ef}, {0xc8f2, 0xc8f4, 0xf83c}};

template <typename Table>
bool InRanges(const Table& table, uint16_t code) {
  for (const CodeRange& range : table)
    if (code >= range.first && code <= range.last) return true;
  return false;
}

template <typename Table>
bool FindRun(const Table& table, uint16_t code, uint32_t& codePoint) {
  for (const CodeRun& run : table) {
    if (code >= run.first && code <= run.last) {
      codePoint = run.codePoint + (code - run.first);
      return true;
    }
  }
  return false;
}

}  // namespace

// musl's iconv decodes these character sets but does not encode them: the
// encoder is the decoder's table turned round, made on first use.
bool EncodeCodePage(const std::string& utf8, CodePage page, std::string& out) {
  static std::map<CodePage, std::unordered_map<uint32_t, uint16_t>> tables;
  std::unordered_map<uint32_t, uint16_t>& table = tables[page];
  if (table.empty()) {
    CodePageDecoder decoder(page);
    for (int lead = 0x81; lead <= 0xfe; ++lead)
      for (int trail = 0x40; trail <= 0xfe; ++trail) {
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        uint32_t codePoint = 0;
        if (decoder.ToCodePoint(bytes, 2, codePoint)) table.emplace(codePoint, static_cast<uint16_t>(lead << 8 | trail));
      }
  }
  std::string utf32;
  if (!IconvConvert("UTF-32LE", "UTF-8", utf8, utf8.size() * 4 + 16, utf32)) return false;
  std::string result;
  for (size_t i = 0; i + 4 <= utf32.size(); i += 4) {
    const auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(utf32[i + k])); };
    const uint32_t codePoint = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    if (codePoint < 0x80) {
      result += static_cast<char>(codePoint);
      continue;
    }
    const auto found = table.find(codePoint);
    if (found == table.end()) return false;
    result += static_cast<char>(found->second >> 8);
    result += static_cast<char>(found->second & 0xff);
  }
  out = std::move(result);
  return true;
}

bool DecodeCodePage(const std::string& bytes, CodePage page, std::string& utf8) {
  return IconvConvert("UTF-8", CharsetName(page), bytes, bytes.size() * 3 + 16, utf8);
}

struct CodePageDecoder::State {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  CodePage page = CodePage::Gbk;
  bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

CodePageDecoder::CodePageDecoder(CodePage page) : state_(std::make_unique<State>()) {
  state_->page = page;
  state_->cd = iconv_open("UTF-32LE", CharsetName(page));
}

CodePageDecoder::~CodePageDecoder() {
  if (state_->Valid()) iconv_close(state_->cd);
}

bool CodePageDecoder::ToCodePoint(const char* bytes, size_t length, uint32_t& codePoint) {
  if (!state_->Valid() || length == 0 || length > 2) return false;
  const bool big5 = state_->page == CodePage::Big5;
  const uint16_t code = static_cast<uint16_t>(static_cast<uint8_t>(bytes[0]) << 8 |
                                              (length > 1 ? static_cast<uint8_t>(bytes[1]) : 0));
  if (length == 1 && code == 0x8000) {
    codePoint = big5 ? 0x0080 : 0x20ac;
    return true;
  }
  if (length == 2) {
    if (big5 && FindRun(kBig5Missing, code, codePoint)) return true;
    if (big5 ? InRanges(kBig5Extra, code) : InRanges(kGbkExtra, code)) return false;
  }
  iconv_t cd = state_->cd;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // forget any shift state
  char in[2] = {bytes[0], length > 1 ? bytes[1] : '\0'};
  unsigned char out[8];
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = length, outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
  if (inLeft != 0 || sizeof out - outLeft != 4) return false;
  codePoint = uint32_t{out[0]} | (uint32_t{out[1]} << 8) | (uint32_t{out[2]} << 16) | (uint32_t{out[3]} << 24);
  return true;
}

// The monospaced face of WenQuanYi Zen Hei (the second of its file), as the
// desktop systems pick it: first beside the program (fonts/ in the page's own
// files, or beside the launcher), then where Debian installs it (a game run
// under Node.js sees the real files). The page's first part of it
// (fonts/wqy-zenhei-part.ttf: the characters of the campaigns it offers)
// comes before them: the whole face, which the page fetches only when it is
// opened, is left unlooked-at until a character is missing.
std::vector<FontFace> FontFacesFor(CodePage) {
  std::vector<FontFace> faces;
  const std::filesystem::path own = ExecutableFolder();
  HostFileInfo info;
  if (!own.empty()) {
    FontFace part{HostPathString(own / "fonts" / "wqy-zenhei-part.ttf"), 0, true};
    if (HostStat(part.file, info) && info.regular) faces.push_back(std::move(part));
  }
  const bool lazy = !faces.empty();
  std::vector<FontFace> whole;
  if (!own.empty()) whole.push_back(FontFace{HostPathString(own / "fonts" / "wqy-zenhei.ttc"), 1});
  whole.push_back(FontFace{"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 1});
  for (FontFace& face : whole)
    if (lazy || (HostStat(face.file, info) && info.regular)) faces.push_back(std::move(face));
  return faces;
}

}  // namespace tessera
