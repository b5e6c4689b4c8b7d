// The font engine of the text renderer: the platform picks the face for the
// character set (the system's monospaced face for the language where it has a
// choice) and turns the code-page character into a code point, and FreeType
// draws it as a monochrome glyph into the 32x32 one-bit cell, top-left aligned,
// so a line of text fills `size` rows.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <string>

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

class FreeTypeRasterizer : public GlyphRasterizer {
 public:
  FreeTypeRasterizer(LibraryPtr library, FacePtr face, Charset charset)
      : library_(std::move(library)),
        face_(std::move(face)),
        converter_(charset == Charset::Big5 ? CodePage::Big5 : CodePage::Gbk) {}

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
  CodePageDecoder converter_;
  int currentSize_ = 0;
};

}  // namespace

std::unique_ptr<GlyphRasterizer> CreateFreeTypeRasterizer(Charset charset) {
  const std::vector<FontFace> fonts = FontFacesFor(charset == Charset::Big5 ? CodePage::Big5 : CodePage::Gbk);
  if (fonts.empty()) return nullptr;
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) return nullptr;
  LibraryPtr library(rawLibrary);
  for (const FontFace& font : fonts) {
    FT_Face rawFace = nullptr;
    if (!OpenFace(library.get(), font, rawFace)) continue;
    FacePtr face(rawFace);
    FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE);
    return std::make_unique<FreeTypeRasterizer>(std::move(library), std::move(face), charset);
  }
  return nullptr;
}

}  // namespace tessera
