#include "gfx/bmp.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "app/engine_config.h"
#include "app/files.h"
#include "app/log.h"
#include "app/uninitialised_array.h"
#include "gfx/pixel_format.h"
#include "platform/file_system.h"

namespace tessera {

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr size_t INFO_HEADER_MIN = 40;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr int64_t MAX_SIDE = 65535;  // the Image record keeps 16-bit sides
constexpr uint64_t ROW_BLOCK_BYTES = 256 * 1024;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

// Per-channel contributions of the display layout: packing ORs independent
// channel terms, so three small tables turn conversion into lookups.
struct ChannelTables {
  uint16_t red[256], green[256], blue[256];
  ChannelTables() {
    for (uint32_t v = 0; v < 256; ++v) {
      red[v] = PackRgb(v, 0, 0);
      green[v] = PackRgb(0, v, 0);
      blue[v] = PackRgb(0, 0, v);
    }
  }
};

bool SameChannel(const ChannelFormat& a, const ChannelFormat& b) {
  return a.mask == b.mask && a.shift == b.shift && a.narrow == b.narrow;
}

// The tables of the current layout, made again only when the layout changes:
// a level start decodes a score of pictures, most of them smaller than a table.
const ChannelTables& TablesForCurrentFormat() {
  static PixelFormatRecord madeFor = PixelFormat;
  static ChannelTables tables;
  const PixelFormatRecord& f = PixelFormat;
  if (!SameChannel(madeFor.red, f.red) || !SameChannel(madeFor.green, f.green) ||
      !SameChannel(madeFor.blue, f.blue)) {
    tables = ChannelTables();
    madeFor = f;
  }
  return tables;
}

template <int BytesPerPixel>
void ConvertRow(const uint8_t* src, uint16_t* out, int width, const ChannelTables& t) {
  for (int x = 0; x < width; ++x, src += BytesPerPixel)
    out[x] = static_cast<uint16_t>(t.red[src[2]] | t.green[src[1]] | t.blue[src[0]]);
}

#if defined(__x86_64__) || defined(__i386__) || defined(__wasm_simd128__)
// Byte shuffles that spread eight pixels into 16-bit lanes of one channel:
// pixels 0-4 come from bytes 0-15 of the row ("low"), pixels 5-7 from bytes
// 8-23 ("high"); -1 zeroes a byte. In order: blue, green, red, each low then high.
alignas(16) constexpr int8_t CHANNEL_SHUFFLES[6][16] = {
    {0, -1, 3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 7, -1, 10, -1, 13, -1},
    {1, -1, 4, -1, 7, -1, 10, -1, 13, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 8, -1, 11, -1, 14, -1},
    {2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 9, -1, 12, -1, 15, -1},
};
#endif

#if defined(__x86_64__) || defined(__i386__)

// Level pictures are 24-bit and loaded by the megabyte at every level start, so
// their rows are converted eight pixels at a time: byte shuffles spread the
// interleaved blue, green and red bytes into 16-bit lanes, and the channel
// terms are formed exactly as PackRgb forms them (shift down to the channel's
// width, up to its place, keep its mask; blue is not moved up). The last
// pixels of a row that do not fill eight go through the tables.
__attribute__((target("ssse3"))) void ConvertRow24Ssse3(const uint8_t* src, uint16_t* out, int width,
                                                        const ChannelTables& t) {
  const PixelFormatRecord& f = PixelFormat;
  const __m128i redDown = _mm_cvtsi32_si128(2 + f.red.narrow);
  const __m128i redUp = _mm_cvtsi32_si128(f.red.shift);
  const __m128i greenDown = _mm_cvtsi32_si128(2 + f.green.narrow);
  const __m128i greenUp = _mm_cvtsi32_si128(f.green.shift);
  const __m128i blueDown = _mm_cvtsi32_si128(2 + f.blue.narrow);
  const __m128i redMask = _mm_set1_epi16(static_cast<short>(f.red.mask));
  const __m128i greenMask = _mm_set1_epi16(static_cast<short>(f.green.mask));
  const __m128i blueMask = _mm_set1_epi16(static_cast<short>(f.blue.mask));
  const auto* shuffles = reinterpret_cast<const __m128i*>(CHANNEL_SHUFFLES);
  const __m128i blueLow = _mm_load_si128(shuffles + 0), blueHigh = _mm_load_si128(shuffles + 1);
  const __m128i greenLow = _mm_load_si128(shuffles + 2), greenHigh = _mm_load_si128(shuffles + 3);
  const __m128i redLow = _mm_load_si128(shuffles + 4), redHigh = _mm_load_si128(shuffles + 5);
  int x = 0;
  for (; x + 8 <= width; x += 8, src += 24) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8));
    const __m128i b = _mm_or_si128(_mm_shuffle_epi8(low, blueLow), _mm_shuffle_epi8(high, blueHigh));
    const __m128i g = _mm_or_si128(_mm_shuffle_epi8(low, greenLow), _mm_shuffle_epi8(high, greenHigh));
    const __m128i r = _mm_or_si128(_mm_shuffle_epi8(low, redLow), _mm_shuffle_epi8(high, redHigh));
    const __m128i redTerm = _mm_and_si128(_mm_sll_epi16(_mm_srl_epi16(r, redDown), redUp), redMask);
    const __m128i greenTerm = _mm_and_si128(_mm_sll_epi16(_mm_srl_epi16(g, greenDown), greenUp), greenMask);
    const __m128i blueTerm = _mm_and_si128(_mm_srl_epi16(b, blueDown), blueMask);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_or_si128(redTerm, greenTerm), blueTerm));
  }
  ConvertRow<3>(src, out + x, width - x, t);
}

// The same, sixteen pixels at a time: each 128-bit half of the registers
// converts eight pixels exactly as above.
__attribute__((target("avx2"))) void ConvertRow24Avx2(const uint8_t* src, uint16_t* out, int width,
                                                      const ChannelTables& t) {
  const PixelFormatRecord& f = PixelFormat;
  const __m128i redDown = _mm_cvtsi32_si128(2 + f.red.narrow);
  const __m128i redUp = _mm_cvtsi32_si128(f.red.shift);
  const __m128i greenDown = _mm_cvtsi32_si128(2 + f.green.narrow);
  const __m128i greenUp = _mm_cvtsi32_si128(f.green.shift);
  const __m128i blueDown = _mm_cvtsi32_si128(2 + f.blue.narrow);
  const __m256i redMask = _mm256_set1_epi16(static_cast<short>(f.red.mask));
  const __m256i greenMask = _mm256_set1_epi16(static_cast<short>(f.green.mask));
  const __m256i blueMask = _mm256_set1_epi16(static_cast<short>(f.blue.mask));
  // The same shuffles in both halves.
  const auto* shuffles = reinterpret_cast<const __m128i*>(CHANNEL_SHUFFLES);
  const __m256i blueLow = _mm256_broadcastsi128_si256(_mm_load_si128(shuffles + 0));
  const __m256i blueHigh = _mm256_broadcastsi128_si256(_mm_load_si128(shuffles + 1));
  const __m256i greenLow = _mm256_broadcastsi128_si256(_mm_load_si128(shuffles + 2));
  const __m256i greenHigh = _mm256_broadcastsi128_si256(_mm_load_si128(shuffles + 3));
  const __m256i redLow = _mm256_broadcastsi128_si256(_mm_load_si128(shuffles + 4));
  const __m256i redHigh = _mm256_broadcastsi128_si256(_mm_load_si128(shuffles + 5));
  int x = 0;
  for (; x + 16 <= width; x += 16, src += 48) {
    // Pixels 0-7 in the lower half, 8-15 in the upper.
    const __m128i low0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i high0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8));
    const __m128i low1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 24));
    const __m128i high1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
    const __m256i low = _mm256_inserti128_si256(_mm256_castsi128_si256(low0), low1, 1);
    const __m256i high = _mm256_inserti128_si256(_mm256_castsi128_si256(high0), high1, 1);
    const __m256i b = _mm256_or_si256(_mm256_shuffle_epi8(low, blueLow), _mm256_shuffle_epi8(high, blueHigh));
    const __m256i g = _mm256_or_si256(_mm256_shuffle_epi8(low, greenLow), _mm256_shuffle_epi8(high, greenHigh));
    const __m256i r = _mm256_or_si256(_mm256_shuffle_epi8(low, redLow), _mm256_shuffle_epi8(high, redHigh));
    const __m256i redTerm = _mm256_and_si256(_mm256_sll_epi16(_mm256_srl_epi16(r, redDown), redUp), redMask);
    const __m256i greenTerm =
        _mm256_and_si256(_mm256_sll_epi16(_mm256_srl_epi16(g, greenDown), greenUp), greenMask);
    const __m256i blueTerm = _mm256_and_si256(_mm256_srl_epi16(b, blueDown), blueMask);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                        _mm256_or_si256(_mm256_or_si256(redTerm, greenTerm), blueTerm));
  }
  ConvertRow24Ssse3(src, out + x, width - x, t);
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

#if defined(__wasm_simd128__)
// The same eight pixels at a time with WebAssembly's 128-bit vectors (the
// browser build). A swizzle zeroes the lanes whose index is out of range, as
// the byte shuffle zeroes those with the top bit set; a vector shift takes its
// count modulo 16 where the x86 one gives zero from 16 on, so such a count
// gives zero here too.
v128_t ShiftDown(v128_t v, int32_t n) {
  return static_cast<uint32_t>(n) < 16 ? wasm_u16x8_shr(v, static_cast<uint32_t>(n)) : wasm_i16x8_splat(0);
}
v128_t ShiftUp(v128_t v, int32_t n) {
  return static_cast<uint32_t>(n) < 16 ? wasm_i16x8_shl(v, static_cast<uint32_t>(n)) : wasm_i16x8_splat(0);
}

void ConvertRow24Simd128(const uint8_t* src, uint16_t* out, int width, const ChannelTables& t) {
  const PixelFormatRecord& f = PixelFormat;
  const v128_t redMask = wasm_i16x8_splat(static_cast<int16_t>(f.red.mask));
  const v128_t greenMask = wasm_i16x8_splat(static_cast<int16_t>(f.green.mask));
  const v128_t blueMask = wasm_i16x8_splat(static_cast<int16_t>(f.blue.mask));
  const v128_t blueLow = wasm_v128_load(CHANNEL_SHUFFLES[0]), blueHigh = wasm_v128_load(CHANNEL_SHUFFLES[1]);
  const v128_t greenLow = wasm_v128_load(CHANNEL_SHUFFLES[2]), greenHigh = wasm_v128_load(CHANNEL_SHUFFLES[3]);
  const v128_t redLow = wasm_v128_load(CHANNEL_SHUFFLES[4]), redHigh = wasm_v128_load(CHANNEL_SHUFFLES[5]);
  int x = 0;
  for (; x + 8 <= width; x += 8, src += 24) {
    const v128_t low = wasm_v128_load(src);
    const v128_t high = wasm_v128_load(src + 8);
    const v128_t b = wasm_v128_or(wasm_i8x16_swizzle(low, blueLow), wasm_i8x16_swizzle(high, blueHigh));
    const v128_t g = wasm_v128_or(wasm_i8x16_swizzle(low, greenLow), wasm_i8x16_swizzle(high, greenHigh));
    const v128_t r = wasm_v128_or(wasm_i8x16_swizzle(low, redLow), wasm_i8x16_swizzle(high, redHigh));
    const v128_t redTerm = wasm_v128_and(ShiftUp(ShiftDown(r, 2 + f.red.narrow), f.red.shift), redMask);
    const v128_t greenTerm = wasm_v128_and(ShiftUp(ShiftDown(g, 2 + f.green.narrow), f.green.shift), greenMask);
    const v128_t blueTerm = wasm_v128_and(ShiftDown(b, 2 + f.blue.narrow), blueMask);
    wasm_v128_store(out + x, wasm_v128_or(wasm_v128_or(redTerm, greenTerm), blueTerm));
  }
  ConvertRow<3>(src, out + x, width - x, t);
}
#endif

void ConvertRow24(const uint8_t* src, uint16_t* out, int width, const ChannelTables& t) {
#if defined(__x86_64__) || defined(__i386__)
  if (HasAvx2()) return ConvertRow24Avx2(src, out, width, t);
  if (HasSsse3()) return ConvertRow24Ssse3(src, out, width, t);
#elif defined(__wasm_simd128__)
  return ConvertRow24Simd128(src, out, width, t);
#endif
  ConvertRow<3>(src, out, width, t);
}

// 32-bit pictures with explicit masks are accepted only in the common layout
// (blue, green, red bytes, then alpha), which is what plain 32-bit rows hold.
bool StandardMasks(const uint8_t* masks) {
  return U32(masks) == 0x00FF0000 && U32(masks + 4) == 0x0000FF00 && U32(masks + 8) == 0x000000FF;
}

// Room for bytes about to be read from a file. Not cleared first: a level
// start reads megabytes of pictures, and every byte handed out is overwritten
// by the read (a short read is a failure and the bytes are never looked at).
class Scratch {
 public:
  uint8_t* Get(size_t n) {
    if (n > capacity_) {
      bytes_ = MakeUninitialisedArray<uint8_t>(n);
      capacity_ = n;
    }
    return bytes_.get();
  }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  size_t capacity_ = 0;
};

// The decoder proper. `fetch(offset, n, scratch)` returns n bytes from the
// member start, or null when they are not there; `available` is the number of
// bytes from the member start to the end of the file, against which every size
// is checked before anything is read or allocated.
template <typename Fetch>
BmpStatus Decode(uint64_t available, Fetch&& fetch, ImagePtr& out) {
  Scratch scratch;
  const uint8_t* fileHeader = fetch(0, FILE_HEADER_SIZE, scratch);
  if (!fileHeader || fileHeader[0] != 'B' || fileHeader[1] != 'M') return BmpStatus::NotBmp;

  const uint8_t* info = fetch(FILE_HEADER_SIZE, INFO_HEADER_MIN, scratch);
  if (!info) return BmpStatus::NotBmp;
  const uint32_t headerSize = U32(info);
  const int32_t width = I32(info + 4);
  const int32_t height = I32(info + 8);
  const uint16_t bitsPerPixel = U16(info + 14);
  const uint32_t compression = U32(info + 16);
  // The image-size field (offset 20) is not trusted: the rows the picture needs
  // are computed from its sides and checked against the file instead.
  if (headerSize < INFO_HEADER_MIN || FILE_HEADER_SIZE + uint64_t{headerSize} > available)
    return BmpStatus::NotBmp;

  if (compression != BI_RGB) {
    bool plainMasks = false;
    if (compression == BI_BITFIELDS && bitsPerPixel == 32 && headerSize >= INFO_HEADER_MIN + 12) {
      const uint8_t* masks = fetch(FILE_HEADER_SIZE + INFO_HEADER_MIN, 12, scratch);
      plainMasks = masks && StandardMasks(masks);
    }
    if (!plainMasks) return BmpStatus::Compressed;
  }
  if (bitsPerPixel == 8) return BmpStatus::EightBit;
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return BmpStatus::NotBmp;

  const int64_t rows = height < 0 ? -int64_t{height} : int64_t{height};
  if (width < 1 || width > MAX_SIDE || rows < 1 || rows > MAX_SIDE) return BmpStatus::NotBmp;
  const bool topDown = height < 0;

  const uint64_t bytesPerPixel = bitsPerPixel / 8;
  const uint64_t stride = (uint64_t(width) * bytesPerPixel + 3) / 4 * 4;
  const uint64_t dataStart = FILE_HEADER_SIZE + headerSize;
  const uint64_t needed = stride * uint64_t(rows);
  if (needed > available - dataStart) return BmpStatus::NotBmp;

  ImagePtr image;
  try {
    image = CreateImageForOverwrite(width, static_cast<int>(rows), 0);  // every row is converted below
  } catch (const std::bad_alloc&) {
    return BmpStatus::OutOfMemory;
  }

  // The rows are read and converted a block at a time, in file order: the
  // block stays in the cache between the read and the conversion (a whole
  // level picture read at once does not), and the read room stays small.
  const ChannelTables& tables = TablesForCurrentFormat();
  const int64_t blockRows = std::max<int64_t>(1, static_cast<int64_t>(ROW_BLOCK_BYTES / stride));
  for (int64_t first = 0; first < rows; first += blockRows) {
    const int64_t count = std::min(blockRows, rows - first);
    const uint8_t* block = nullptr;
    try {
      block = fetch(dataStart + static_cast<uint64_t>(first) * stride, static_cast<size_t>(count * stride), scratch);
    } catch (const std::bad_alloc&) {
      return BmpStatus::OutOfMemory;
    }
    if (!block) return BmpStatus::NotBmp;
    for (int64_t k = 0; k < count; ++k) {
      const int64_t fileRow = first + k;
      const uint8_t* src = block + static_cast<size_t>(k) * stride;
      uint16_t* dst = image->Row(static_cast<int>(topDown ? fileRow : rows - 1 - fileRow));
      if (bytesPerPixel == 3)
        ConvertRow24(src, dst, width, tables);
      else
        ConvertRow<4>(src, dst, width, tables);
    }
  }
  out = std::move(image);
  return BmpStatus::Ok;
}

// Pictures are read with positioned reads on the file's descriptor: a level
// start opens the archive once per picture, and every stdio seek would throw
// away its read-ahead and cost a system call of its own.
uint64_t FileSize(std::FILE* file) {
  uint64_t size = 0;
  return HostFileSize(file, size) ? size : 0;
}

bool ReadAt(std::FILE* file, uint64_t position, void* out, size_t n) {
  if (position > static_cast<uint64_t>(INT64_MAX)) return false;
  auto* bytes = static_cast<uint8_t*>(out);
  while (n > 0) {
    const int64_t got = HostReadAt(file, position, bytes, n);
    if (got <= 0) return false;
    bytes += got;
    n -= static_cast<size_t>(got);
    position += static_cast<uint64_t>(got);
  }
  return true;
}

BmpStatus DecodeFromFile(std::FILE* file, uint64_t start, uint64_t fileSize, ImagePtr& out) {
  if (start > fileSize) return BmpStatus::NotBmp;
  // The headers, and the whole of a small picture, come from one read of the
  // member's first bytes.
  struct Head {
    uint8_t bytes[4096];
    uint64_t at = 0;
    size_t length = 0;
  };
  auto head = std::make_unique<Head>();
  auto fetch = [&](uint64_t offset, size_t n, Scratch& scratch) -> const uint8_t* {
    const uint64_t at = start + offset;
    if (at > fileSize || n > fileSize - at) return nullptr;
    if (at >= head->at && at + n <= head->at + head->length) return head->bytes + (at - head->at);
    if (n <= sizeof head->bytes) {
      const size_t length = static_cast<size_t>(std::min<uint64_t>(sizeof head->bytes, fileSize - at));
      head->length = 0;
      if (!ReadAt(file, at, head->bytes, length)) return nullptr;
      head->at = at;
      head->length = length;
      return head->bytes;
    }
    uint8_t* bytes = scratch.Get(n);
    return ReadAt(file, at, bytes, n) ? bytes : nullptr;
  };
  return Decode(fileSize - start, fetch, out);
}

// An archive's used index entries: the member count, then that many entries.
// Only the used entries are read: every picture of a level start looks its
// name up, and most archives use a fraction of the 300 entries. An index that
// does not fit the file, or a count outside 0..300, has no members.
std::vector<uint8_t> ReadIndex(std::FILE* archive, uint64_t archiveSize) {
  if (archiveSize < static_cast<uint64_t>(ARCHIVE_INDEX_END)) return {};
  uint8_t countBytes[4];
  if (!ReadAt(archive, 0, countBytes, sizeof countBytes)) return {};
  const int32_t count = I32(countBytes);
  if (count <= 0 || count > ARCHIVE_MAX_MEMBERS) return {};
  std::vector<uint8_t> index(static_cast<size_t>(count) * ARCHIVE_ENTRY_SIZE);
  if (!ReadAt(archive, 4, index.data(), index.size())) return {};
  return index;
}

// The offset of the member named by the part of `path` after its last
// backslash, or 0.
uint32_t FindInIndex(const std::vector<uint8_t>& index, const char* path) {
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  const size_t nameLength = std::strlen(name);
  for (size_t at = 0; at + ARCHIVE_ENTRY_SIZE <= index.size(); at += ARCHIVE_ENTRY_SIZE) {
    const uint8_t* entry = index.data() + at;
    const char* entryName = reinterpret_cast<const char*>(entry);
    // An entry without its terminator names nothing rather than running on.
    const size_t entryLength = strnlen(entryName, ARCHIVE_NAME_SIZE);
    if (entryLength == ARCHIVE_NAME_SIZE) continue;
    if (entryLength == nameLength && std::memcmp(entryName, name, nameLength) == 0)
      return U32(entry + ARCHIVE_NAME_SIZE);
  }
  return 0;
}

// An archive held open by a batch.
struct KeptArchive {
  std::string name;  // as the loader asked for it
  FilePtr file;      // null: it could not be opened
  uint64_t size = 0;
  std::vector<uint8_t> index;
};

struct BatchState {
  int depth = 0;
  std::vector<KeptArchive> archives;
};

BatchState& Batch() {
  static BatchState batch;
  return batch;
}

KeptArchive& KeepArchive(const char* name) {
  std::vector<KeptArchive>& archives = Batch().archives;
  for (KeptArchive& kept : archives)
    if (kept.name == name) return kept;
  KeptArchive& kept = archives.emplace_back();
  kept.name = name;
  kept.file = OpenFile(name, "rb");
  if (kept.file) {
    kept.size = FileSize(kept.file.get());
    kept.index = ReadIndex(kept.file.get(), kept.size);
  }
  return kept;
}

}  // namespace

const char* ArchiveForPath(const char* path) {
  struct Rule {
    const char* folder;
    const char* archive;
  };
  static constexpr Rule RULES[] = {
      {"Menu\\", "Menu.dat"},
      {"Picture\\", "Picture.dat"},
      {"Head\\", "Head.dat"},
      {"Script\\", "Script.dat"},
  };
  if (path)
    for (const Rule& rule : RULES)
      if (std::strstr(path, rule.folder)) return rule.archive;
  return "Localization.dat";
}

uint32_t FindArchiveMember(const char* path, std::FILE* archive) {
  if (!path || !archive) return 0;
  return FindInIndex(ReadIndex(archive, FileSize(archive)), path);
}

ArchiveBatch::ArchiveBatch() : outermost_(Batch().depth++ == 0) {}

ArchiveBatch::~ArchiveBatch() {
  --Batch().depth;
  if (outermost_) Batch().archives.clear();
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, ImagePtr& out) {
  if (!data) return BmpStatus::NotBmp;
  auto fetch = [&](uint64_t offset, size_t n, Scratch&) -> const uint8_t* {
    return offset <= size && n <= size - offset ? data + offset : nullptr;
  };
  return Decode(size, fetch, out);
}

int LoadBmpImage(const char* path, ImagePtr& slot, int loose) {
  if (!path) return 0;
  const bool packed = EngineConfig.Packaged == 1 && loose == 0;
  // Outside a batch the file is opened for this picture alone.
  FilePtr own;
  std::FILE* file = nullptr;
  uint64_t fileSize = 0;
  uint64_t start = 0;
  if (packed && Batch().depth > 0) {
    const KeptArchive& kept = KeepArchive(ArchiveForPath(path));
    file = kept.file.get();
    fileSize = kept.size;
    if (file) start = FindInIndex(kept.index, path);
  } else {
    own = OpenFile(packed ? ArchiveForPath(path) : path, "rb");
    file = own.get();
    if (file) {
      fileSize = FileSize(file);
      if (packed) start = FindInIndex(ReadIndex(file, fileSize), path);
    }
  }
  if (!file) return 0;  // an open failure is silent: callers go on without the picture

  const std::string notBmp = std::string(path) + " is not bmp!";
  if (packed && start == 0) {  // offset 0 is the archive's own start: the member is missing
    ShowMessage(notBmp.c_str());
    return 0;
  }

  ImagePtr image;
  const BmpStatus status = DecodeFromFile(file, start, fileSize, image);
  own.reset();  // a message box below waits for the player: the file is not held meanwhile
  switch (status) {
    case BmpStatus::Ok:
      slot = std::move(image);
      return 1;
    case BmpStatus::NotBmp:
      ShowMessage(notBmp.c_str());
      return 0;
    case BmpStatus::Compressed:
      ShowMessage("Canot not read compress bmp !");
      return 0;
    case BmpStatus::EightBit:
    case BmpStatus::OutOfMemory:
      return 0;
  }
  return 0;
}

}  // namespace tessera
