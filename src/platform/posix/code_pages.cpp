// glibc's iconv for the code pages, fontconfig for the faces.
#include "platform/code_pages.h"

#include <fontconfig/fontconfig.h>
#include <iconv.h>

#include "platform/posix/iconv_convert.h"

namespace tessera {

namespace {

const char* WholeTextName(CodePage page) { return page == CodePage::Big5 ? "BIG5" : "GBK"; }

struct PatternDone {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDone>;

// Whether a matched face covers the language and sets its letters in equal
// (half-width) cells.
bool CoversLanguage(FcPattern* match, const char* language) {
  FcLangSet* languages = nullptr;
  return FcPatternGetLangSet(match, FC_LANG, 0, &languages) == FcResultMatch && languages &&
         FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(language)) == FcLangEqual;
}

bool Monospaced(FcPattern* match) {
  int spacing = FC_PROPORTIONAL;
  return FcPatternGetInteger(match, FC_SPACING, 0, &spacing) == FcResultMatch && spacing >= FC_DUAL;
}

}  // namespace

bool EncodeCodePage(const std::string& utf8, CodePage page, std::string& out) {
  return IconvConvert(WholeTextName(page), "UTF-8", utf8, utf8.size() * 2 + 16, out);
}

bool DecodeCodePage(const std::string& bytes, CodePage page, std::string& utf8) {
  return IconvConvert("UTF-8", WholeTextName(page), bytes, bytes.size() * 3 + 16, utf8);
}

struct CodePageDecoder::State {
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

CodePageDecoder::CodePageDecoder(CodePage page) : state_(std::make_unique<State>()) {
  state_->cd = iconv_open("UTF-32LE", page == CodePage::Big5 ? "CP950" : "CP936");
}

CodePageDecoder::~CodePageDecoder() {
  if (state_->Valid()) iconv_close(state_->cd);
}

bool CodePageDecoder::ToCodePoint(const char* bytes, size_t length, uint32_t& codePoint) {
  if (!state_->Valid()) return false;
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

// Text is laid out a byte at a time, every byte half the size wide: the way the
// system's own face for these character sets draws, with Latin letters in
// half-width cells and Chinese characters in full ones. So the language's
// monospaced face comes first (a proportional face leaves gaps after narrow
// letters and lets wide ones run into the next); then the face fontconfig
// prefers for the language; then any face it knows.
std::vector<FontFace> FontFacesFor(CodePage page) {
  if (!FcInit()) return {};
  const char* language = page == CodePage::Big5 ? "zh-tw" : "zh-cn";
  const std::string wanted = std::string(":lang=") + language;
  const std::string monospaced = wanted + ":spacing=mono";
  struct Query {
    const char* pattern;
    bool monospacedOnly;
  };
  for (const Query& query : {Query{monospaced.c_str(), true}, Query{wanted.c_str(), false}, Query{":", false}}) {
    PatternPtr pattern(FcNameParse(reinterpret_cast<const FcChar8*>(query.pattern)));
    if (!pattern) continue;
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) continue;
    // fontconfig answers with its nearest face: one without the language or
    // the spacing asked for is no answer to the first query.
    if (query.monospacedOnly && (!Monospaced(match.get()) || !CoversLanguage(match.get(), language))) continue;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch || !path) continue;
    int faceIndex = 0;
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &faceIndex) != FcResultMatch) faceIndex = 0;
    return {FontFace{reinterpret_cast<const char*>(path), faceIndex}};
  }
  return {};
}

}  // namespace tessera

// fontconfig keeps a few blocks from parsing its configuration files for the
// whole process and never frees them; under LeakSanitizer every program that
// draws text would report them. Only sanitizer runtimes call this hook.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
