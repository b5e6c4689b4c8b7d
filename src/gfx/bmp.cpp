#include "gfx/bmp.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "app/files.h"
#include "app/log.h"
#include "gfx/pixel_format.h"

namespace tessera {

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr size_t INFO_HEADER_MIN = 40;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr int64_t MAX_SIDE = 65535;  // the Image record keeps 16-bit sides

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

template <int BytesPerPixel>
void ConvertRow(const uint8_t* src, uint16_t* out, int width, const ChannelTables& t) {
  for (int x = 0; x < width; ++x, src += BytesPerPixel)
    out[x] = static_cast<uint16_t>(t.red[src[2]] | t.green[src[1]] | t.blue[src[0]]);
}

// 32-bit pictures with explicit masks are accepted only in the common layout
// (blue, green, red bytes, then alpha), which is what plain 32-bit rows hold.
bool StandardMasks(const uint8_t* masks) {
  return U32(masks) == 0x00FF0000 && U32(masks + 4) == 0x0000FF00 && U32(masks + 8) == 0x000000FF;
}

// The decoder proper. `fetch(offset, n, scratch)` returns n bytes from the
// member start, or null when they are not there; `available` is the number of
// bytes from the member start to the end of the file, against which every size
// is checked before anything is read or allocated.
template <typename Fetch>
BmpStatus Decode(uint64_t available, Fetch&& fetch, ImagePtr& out) {
  std::vector<uint8_t> scratch;
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
  const uint8_t* data = nullptr;
  try {
    data = fetch(dataStart, static_cast<size_t>(needed), scratch);
    if (!data) return BmpStatus::NotBmp;
    image = CreateImage(width, static_cast<int>(rows), 0);
  } catch (const std::bad_alloc&) {
    return BmpStatus::OutOfMemory;
  }

  const ChannelTables tables;
  for (int64_t y = 0; y < rows; ++y) {
    const int64_t fileRow = topDown ? y : rows - 1 - y;
    const uint8_t* src = data + static_cast<size_t>(fileRow) * stride;
    uint16_t* dst = image->Row(static_cast<int>(y));
    if (bytesPerPixel == 3)
      ConvertRow<3>(src, dst, width, tables);
    else
      ConvertRow<4>(src, dst, width, tables);
  }
  out = std::move(image);
  return BmpStatus::Ok;
}

uint64_t FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(file);
  return size < 0 ? 0 : static_cast<uint64_t>(size);
}

bool ReadAt(std::FILE* file, uint64_t position, void* out, size_t n) {
  if (position > static_cast<uint64_t>(LONG_MAX)) return false;
  if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) return false;
  return std::fread(out, 1, n, file) == n;
}

BmpStatus DecodeFromFile(std::FILE* file, uint64_t start, uint64_t fileSize, ImagePtr& out) {
  if (start > fileSize) return BmpStatus::NotBmp;
  auto fetch = [&](uint64_t offset, size_t n, std::vector<uint8_t>& scratch) -> const uint8_t* {
    scratch.resize(n);
    return ReadAt(file, start + offset, scratch.data(), n) ? scratch.data() : nullptr;
  };
  return Decode(fileSize - start, fetch, out);
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
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  const size_t nameLength = std::strlen(name);

  if (FileSize(archive) < static_cast<uint64_t>(ARCHIVE_INDEX_END)) return 0;
  std::vector<uint8_t> index(ARCHIVE_INDEX_END);
  if (!ReadAt(archive, 0, index.data(), index.size())) return 0;
  const int32_t count = I32(index.data());
  if (count < 0 || count > ARCHIVE_MAX_MEMBERS) return 0;

  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* entry = index.data() + 4 + static_cast<size_t>(i) * ARCHIVE_ENTRY_SIZE;
    const char* entryName = reinterpret_cast<const char*>(entry);
    // An entry without its terminator names nothing rather than running on.
    const size_t entryLength = strnlen(entryName, ARCHIVE_NAME_SIZE);
    if (entryLength == ARCHIVE_NAME_SIZE) continue;
    if (entryLength == nameLength && std::memcmp(entryName, name, nameLength) == 0)
      return U32(entry + ARCHIVE_NAME_SIZE);
  }
  return 0;
}

BmpStatus DecodeBmp(const uint8_t* data, size_t size, ImagePtr& out) {
  if (!data) return BmpStatus::NotBmp;
  auto fetch = [&](uint64_t offset, size_t n, std::vector<uint8_t>&) -> const uint8_t* {
    return offset <= size && n <= size - offset ? data + offset : nullptr;
  };
  return Decode(size, fetch, out);
}

int LoadBmpImage(const char* path, ImagePtr& slot, int loose) {
  if (!path) return 0;
  const bool packed = EngineConfig.Packaged == 1 && loose == 0;
  FilePtr file = OpenFile(packed ? ArchiveForPath(path) : path, "rb");
  if (!file) return 0;  // an open failure is silent: callers go on without the picture

  const std::string notBmp = std::string(path) + " is not bmp!";
  const uint64_t fileSize = FileSize(file.get());
  uint64_t start = 0;
  if (packed) {
    start = FindArchiveMember(path, file.get());
    if (start == 0) {  // offset 0 is the archive's own start: the member is missing
      ShowMessage(notBmp.c_str());
      return 0;
    }
  }

  ImagePtr image;
  switch (DecodeFromFile(file.get(), start, fileSize, image)) {
    case BmpStatus::Ok:
      slot = std::move(image);
      return 1;
    case BmpStatus::NotBmp:
      file.reset();
      ShowMessage(notBmp.c_str());
      return 0;
    case BmpStatus::Compressed:
      file.reset();
      ShowMessage("Canot not read compress bmp !");
      return 0;
    case BmpStatus::EightBit:
    case BmpStatus::OutOfMemory:
      return 0;
  }
  return 0;
}

}  // namespace tessera
