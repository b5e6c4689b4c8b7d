// The font engine of the text renderer: the platform picks the face for the
// character set (the system's monospaced face for the language where it has a
// choice) and turns the code-page character into a code point, and FreeType
// draws it as a monochrome glyph into the 32x32 one-bit cell, top-left aligned,
// so a line of text fills `size` rows.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/backends.h"
#include "platform/code_pages.h"
#include "platform/file_system.h"

namespace tessera {

namespace {

constexpr int CELL = 32;

struct LibraryDone {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDone>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDone>;

// A font file FreeType cannot open by its name (one in a folder whose name the
// system's narrow file calls cannot spell) is read through the file layer.
struct FileStream {
  FT_StreamRec stream = {};
  std::FILE* file = nullptr;
};

unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
  auto* own = static_cast<FileStream*>(stream->descriptor.pointer);
  if (count == 0) return offset <= stream->size ? 0 : 1;  // a seek: non-zero is an error
  unsigned long done = 0;
  while (done < count) {
    const int64_t got = HostReadAt(own->file, offset + done, buffer + done, count - done);
    if (got <= 0) break;
    done += static_cast<unsigned long>(got);
  }
  return done;
}

void CloseStream(FT_Stream stream) {
  auto* own = static_cast<FileStream*>(stream->descriptor.pointer);
  std::fclose(own->file);
  delete own;
}

bool OpenFace(FT_Library library, const FontFace& font, FT_Face& face) {
  if (FT_New_Face(library, font.file.c_str(), font.index, &face) == 0) return true;
  std::FILE* file = HostOpen(font.file, "rb");
  if (!file) return false;
  uint64_t size = 0;
  if (!HostFileSize(file, size) || size > 0xFFFFFFFFu) {
    std::fclose(file);
    return false;
  }
  auto* own = new FileStream;
  own->file = file;
  own->stream.size = static_cast<unsigned long>(size);
  own->stream.descriptor.pointer = own;
  own->stream.read = ReadStream;
  own->stream.close = CloseStream;
  FT_Open_Args args = {};
  args.flags = FT_OPEN_STREAM;
  args.stream = &own->stream;
  // FreeType closes the stream itself, also when the face cannot be opened.
  return FT_Open_Face(library, &args, font.index, &face) == 0;
}

// A face with the pixel size it was last set to.
struct SizedFace {
  FacePtr face;
  int size = 0;

  bool SetSize(int pixels) {
    if (pixels == size) return true;
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixels)) != 0) return false;
    size = pixels;
    return true;
  }
  // The cell is `size` rows tall and holds the face's ascent and descent, so
  // the baseline sits at the ascent's share of it.
  int Baseline(int pixels) const {
    const FT_Face f = face.get();
    const long ascent = f->ascender;
    const long descent = f->descender < 0 ? -f->descender : f->descender;
    if (FT_IS_SCALABLE(f) && ascent + descent > 0)
      return static_cast<int>((ascent * pixels + (ascent + descent) / 2) / (ascent + descent));
    const long pixelAscent = f->size->metrics.ascender >> 6;
    return static_cast<int>(std::clamp<long>(pixelAscent, 0, pixels));
  }
};

class FreeTypeRasterizer : public GlyphRasterizer {
 public:
  // `rest`: the faces after `face`, for the characters a partial one lacks.
  FreeTypeRasterizer(LibraryPtr library, FacePtr face, bool partial, std::vector<FontFace> rest, Charset charset)
      : library_(std::move(library)),
        converter_(charset == Charset::Big5 ? CodePage::Big5 : CodePage::Gbk),
        partial_(partial),
        rest_(std::move(rest)) {
    first_.face = std::move(face);
  }

  bool Rasterize(uint16_t code, int size, uint32_t rows[32]) override {
    if (size < 1 || size > CELL) return true;
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    const size_t length = (code & 0xFF) != 0 ? 2 : 1;
    uint32_t codePoint = static_cast<unsigned char>(bytes[0]);
    if ((length == 2 || codePoint >= 0x80) && !converter_.ToCodePoint(bytes, length, codePoint)) return true;
    if (codePoint < 0x20) return true;  // control bytes have no picture

    // A missing character gets glyph 0, the face's own missing-glyph box.
    SizedFace* sized = &first_;
    FT_UInt glyphIndex = FT_Get_Char_Index(first_.face.get(), codePoint);
    bool final = true;
    if (glyphIndex == 0 && partial_) {
      if (OpenWhole(codePoint)) {
        sized = &whole_;
        glyphIndex = FT_Get_Char_Index(whole_.face.get(), codePoint);
      } else {
        final = !wholeComing_;
      }
    }
    if (!sized->SetSize(size)) return final;
    FT_Face face = sized->face.get();
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return final;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return final;

    const int top = sized->Baseline(size) - face->glyph->bitmap_top;
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
    return final;
  }

 private:
  // The whole face behind a partial one, opened the first time a character is
  // missing. Drawing never waits for it: while a page still fetches it (the
  // first question starts the fetch) this is false with `wholeComing_` set,
  // and the character is drawn from the part for now.
  bool OpenWhole(uint32_t codePoint) {
    if (whole_.face) return true;
    if (!missSaid_) {
      std::fprintf(stderr, "the font's first part lacks U+%04X: the whole face is taken for it\n",
                   static_cast<unsigned>(codePoint));
      missSaid_ = true;
    }
    wholeComing_ = std::any_of(rest_.begin(), rest_.end(), [](const FontFace& font) { return HostArriving(font.file); });
    if (wholeComing_) return false;
    for (const FontFace& font : rest_) {
      FT_Face raw = nullptr;
      if (!OpenFace(library_.get(), font, raw)) continue;
      whole_.face.reset(raw);
      FT_Select_Charmap(raw, FT_ENCODING_UNICODE);
      break;
    }
    rest_.clear();
    return whole_.face != nullptr;
  }

  LibraryPtr library_;
  SizedFace first_, whole_;  // released before the library
  CodePageDecoder converter_;
  bool partial_;
  std::vector<FontFace> rest_;
  bool wholeComing_ = false, missSaid_ = false;
};

}  // namespace

std::unique_ptr<GlyphRasterizer> CreateFreeTypeRasterizer(Charset charset) {
  const std::vector<FontFace> fonts = FontFacesFor(charset == Charset::Big5 ? CodePage::Big5 : CodePage::Gbk);
  if (fonts.empty()) return nullptr;
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) return nullptr;
  LibraryPtr library(rawLibrary);
  for (size_t i = 0; i < fonts.size(); ++i) {
    FT_Face rawFace = nullptr;
    if (!OpenFace(library.get(), fonts[i], rawFace)) continue;
    FacePtr face(rawFace);
    FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE);
    std::vector<FontFace> rest;
    if (fonts[i].partial) rest.assign(fonts.begin() + static_cast<ptrdiff_t>(i) + 1, fonts.end());
    return std::make_unique<FreeTypeRasterizer>(std::move(library), std::move(face), fonts[i].partial,
                                                std::move(rest), charset);
  }
  return nullptr;
}

}  // namespace tessera
