// The font engine of the text renderer: fontconfig picks the system's
// monospaced face for the character set (else its default one), glibc's iconv turns the code-page character into
// a code point, and FreeType draws it as a monochrome glyph into the 32x32
// one-bit cell, top-left aligned, so a line of text fills `size` rows.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/backends.h"

namespace tessera {

namespace {

constexpr int CELL = 32;

struct LibraryDone {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct PatternDone {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDone>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDone>;
using PatternPtr = std::unique_ptr<FcPattern, PatternDone>;

class Converter {
 public:
  explicit Converter(const char* codePage) : cd_(iconv_open("UTF-32LE", codePage)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The code point of one whole character of the code page; false when the
  // bytes are not a complete, known character.
  bool ToCodePoint(const char* bytes, size_t length, uint32_t& codePoint) {
    if (!Valid()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // forget any shift state
    char in[2] = {bytes[0], length > 1 ? bytes[1] : '\0'};
    unsigned char out[8];
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = length, outLeft = sizeof out;
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    if (inLeft != 0 || sizeof out - outLeft != 4) return false;
    codePoint = uint32_t{out[0]} | (uint32_t{out[1]} << 8) | (uint32_t{out[2]} << 16) | (uint32_t{out[3]} << 24);
    return true;
  }

 private:
  iconv_t cd_;
};

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

// Text is laid out a byte at a time, every byte half the size wide: the way the
// system's own face for these character sets draws, with Latin letters in
// half-width cells and Chinese characters in full ones. So the language's
// monospaced face comes first (a proportional face leaves gaps after narrow
// letters and lets wide ones run into the next); then the face fontconfig
// prefers for the language; then any face it knows.
bool FindFace(Charset charset, std::string& file, int& index) {
  if (!FcInit()) return false;
  const char* language = charset == Charset::Big5 ? "zh-tw" : "zh-cn";
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
    file = reinterpret_cast<const char*>(path);
    index = faceIndex;
    return true;
  }
  return false;
}

class FreeTypeRasterizer : public GlyphRasterizer {
 public:
  FreeTypeRasterizer(LibraryPtr library, FacePtr face, Charset charset)
      : library_(std::move(library)),
        face_(std::move(face)),
        converter_(charset == Charset::Big5 ? "CP950" : "CP936") {}

  void Rasterize(uint16_t code, int size, uint32_t rows[32]) override {
    if (size < 1 || size > CELL) return;
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    const size_t length = (code & 0xFF) != 0 ? 2 : 1;
    uint32_t codePoint = static_cast<unsigned char>(bytes[0]);
    if ((length == 2 || codePoint >= 0x80) && !converter_.ToCodePoint(bytes, length, codePoint)) return;
    if (codePoint < 0x20) return;  // control bytes have no picture

    FT_Face face = face_.get();
    if (size != currentSize_) {
      if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) return;
      currentSize_ = size;
    }
    // A missing character gets glyph 0, the face's own missing-glyph box.
    const FT_UInt glyphIndex = FT_Get_Char_Index(face, codePoint);
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;

    const int top = Baseline(size) - face->glyph->bitmap_top;
    const int left = face->glyph->bitmap_left;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
      const int cellRow = top + static_cast<int>(r);
      if (cellRow < 0 || cellRow >= CELL) continue;
      const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(r) * bitmap.pitch;
      for (unsigned c = 0; c < bitmap.width; ++c) {
        const int cellColumn = left + static_cast<int>(c);
        if (cellColumn < 0 || cellColumn >= CELL) continue;
        const bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[c >> 3] & (0x80 >> (c & 7))) != 0
                                                                 : line[c] >= 128;
        if (ink) rows[cellRow] |= 0x80000000u >> cellColumn;
      }
    }
  }

 private:
  // The cell is `size` rows tall and holds the face's ascent and descent, so the
  // baseline sits at the ascent's share of it.
  int Baseline(int size) const {
    const FT_Face face = face_.get();
    const long ascent = face->ascender;
    const long descent = face->descender < 0 ? -face->descender : face->descender;
    if (FT_IS_SCALABLE(face) && ascent + descent > 0)
      return static_cast<int>((ascent * size + (ascent + descent) / 2) / (ascent + descent));
    const long pixelAscent = face->size->metrics.ascender >> 6;
    return static_cast<int>(std::clamp<long>(pixelAscent, 0, size));
  }

  LibraryPtr library_;
  FacePtr face_;  // released before the library
  Converter converter_;
  int currentSize_ = 0;
};

}  // namespace

std::unique_ptr<GlyphRasterizer> CreateFreeTypeRasterizer(Charset charset) {
  std::string file;
  int index = 0;
  if (!FindFace(charset, file, index)) return nullptr;
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) return nullptr;
  LibraryPtr library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (FT_New_Face(library.get(), file.c_str(), index, &rawFace) != 0) return nullptr;
  FacePtr face(rawFace);
  FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE);
  return std::make_unique<FreeTypeRasterizer>(std::move(library), std::move(face), charset);
}

}  // namespace tessera

// fontconfig keeps a few blocks from parsing its configuration files for the
// whole process and never frees them; under LeakSanitizer every program that
// draws text would report them. Only sanitizer runtimes call this hook.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
