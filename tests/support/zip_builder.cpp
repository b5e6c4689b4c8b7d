#include "support/zip_builder.h"

#include <zlib.h>

#include <algorithm>

namespace tessera::test {

namespace {

void U16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void U32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void U64(std::vector<uint8_t>& b, uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Append(std::vector<uint8_t>& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

struct Packed {
  std::vector<uint8_t> bytes;
  uint32_t crc = 0;
  uint64_t size = 0;
};

// Raw deflate (no zlib header), as ZIP stores it; zero runs fed in chunks.
Packed Compress(const RawZipEntry& e) {
  Packed p;
  p.crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
  const std::vector<uint8_t> zeros(e.zeros ? 1 << 20 : 0, 0);
  if (!e.deflate) {
    p.bytes = e.data;
    p.crc = static_cast<uint32_t>(crc32(p.crc, e.data.data(), static_cast<uInt>(e.data.size())));
    p.size = e.data.size();
    return p;
  }
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::vector<uint8_t> out(1 << 16);
  auto feed = [&](const uint8_t* data, size_t size, int flush) {
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = static_cast<uInt>(size);
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, flush);
      p.bytes.insert(p.bytes.end(), out.data(), out.data() + (out.size() - z.avail_out));
    } while (z.avail_out == 0);
  };
  if (e.zeros) {
    for (uint64_t left = e.zeros; left > 0;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
      p.crc = static_cast<uint32_t>(crc32(p.crc, zeros.data(), static_cast<uInt>(n)));
      feed(zeros.data(), n, Z_NO_FLUSH);
      left -= n;
    }
    p.size = e.zeros;
  } else {
    p.crc = static_cast<uint32_t>(crc32(p.crc, e.data.data(), static_cast<uInt>(e.data.size())));
    feed(e.data.data(), e.data.size(), Z_NO_FLUSH);
    p.size = e.data.size();
  }
  feed(nullptr, 0, Z_FINISH);
  deflateEnd(&z);
  return p;
}

}  // namespace

std::vector<uint8_t> BuildRawZip(const std::vector<RawZipEntry>& entries) {
  std::vector<uint8_t> zip, central;
  std::vector<uint32_t> offsets;
  std::vector<Packed> packed;
  for (const RawZipEntry& e : entries) {
    packed.push_back(e.sharesDataOf >= 0 ? packed[e.sharesDataOf] : Compress(e));
    const Packed& p = packed.back();
    const uint16_t method = e.method.value_or(e.deflate ? 8 : 0);
    const uint32_t crc = e.crc.value_or(p.crc);
    const uint64_t size = e.claimedSize.value_or(p.size);
    const uint64_t csize = p.bytes.size();
    std::vector<uint8_t> extra;
    if (e.zip64) {
      U16(extra, 0x0001);
      U16(extra, 16);
      U64(extra, size);
      U64(extra, csize);
    }
    const uint32_t size32 = e.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    const uint32_t csize32 = e.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(csize);
    uint32_t offset = 0;
    if (e.sharesDataOf >= 0) {
      offset = offsets[e.sharesDataOf];
    } else {
      offset = static_cast<uint32_t>(zip.size());
      const std::string local = e.localName.value_or(e.name);
      U32(zip, 0x04034b50);
      U16(zip, e.zip64 ? 45 : 20);
      U16(zip, e.flags);
      U16(zip, method);
      U16(zip, 0);
      U16(zip, 0x21);
      U32(zip, crc);
      U32(zip, csize32);
      U32(zip, size32);
      U16(zip, static_cast<uint32_t>(local.size()));
      U16(zip, static_cast<uint32_t>(extra.size()));
      Append(zip, local);
      zip.insert(zip.end(), extra.begin(), extra.end());
      zip.insert(zip.end(), p.bytes.begin(), p.bytes.end());
    }
    offsets.push_back(offset);
    U32(central, 0x02014b50);
    U16(central, (uint32_t{e.system} << 8) | 20);
    U16(central, e.zip64 ? 45 : 20);
    U16(central, e.flags);
    U16(central, method);
    U16(central, 0);
    U16(central, 0x21);
    U32(central, crc);
    U32(central, csize32);
    U32(central, size32);
    U16(central, static_cast<uint32_t>(e.name.size()));
    U16(central, static_cast<uint32_t>(extra.size()));
    U16(central, 0);
    U16(central, 0);
    U16(central, 0);
    U32(central, e.externalAttributes);
    U32(central, offset);
    Append(central, e.name);
    central.insert(central.end(), extra.begin(), extra.end());
  }
  const uint32_t centralAt = static_cast<uint32_t>(zip.size());
  zip.insert(zip.end(), central.begin(), central.end());
  U32(zip, 0x06054b50);
  U16(zip, 0);
  U16(zip, 0);
  U16(zip, static_cast<uint32_t>(entries.size()));
  U16(zip, static_cast<uint32_t>(entries.size()));
  U32(zip, static_cast<uint32_t>(central.size()));
  U32(zip, centralAt);
  U16(zip, 0);
  return zip;
}

std::string TestManifest(const std::string& title, int levels, const std::string& id) {
  return "[package]\r\nformat=1\r\ntitle=" + title + "\r\nauthor=Tests\r\nlanguage=English\r\nlevels=" +
         std::to_string(levels) + "\r\nid=" + id + "\r\ntool=tests\r\n";
}

}  // namespace tessera::test
