#pragma once
// Writes ZIP archives byte by byte, with every field under the test's control,
// so hostile packages can be made that no well-behaved writer makes: names of
// any bytes, symlinks and devices, lying sizes and CRCs, encrypted flags,
// local headers that disagree with the central directory, entries that share
// their data, ZIP64 size claims.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessera::test {

struct RawZipEntry {
  std::string name;
  std::vector<uint8_t> data;
  uint64_t zeros = 0;        // when not 0: the data is this many zero bytes (made as they are deflated)
  bool deflate = false;
  uint8_t system = 3;        // Unix
  uint32_t externalAttributes = 0100644u << 16;
  uint16_t flags = 0;        // bit 0: encrypted
  std::optional<uint16_t> method;        // stored in the headers instead of the real one
  std::optional<uint32_t> crc;           // instead of the real CRC
  std::optional<uint64_t> claimedSize;   // instead of the real uncompressed size
  std::optional<std::string> localName;  // the local header's name, when it is to differ
  int sharesDataOf = -1;     // the central record points at this earlier entry's local header
  bool zip64 = false;        // sizes in a ZIP64 extra field, 0xFFFFFFFF in the headers
};

std::vector<uint8_t> BuildRawZip(const std::vector<RawZipEntry>& entries);

// A manifest that reads as one (format 1, the given title and levels).
std::string TestManifest(const std::string& title = "Test", int levels = 1, const std::string& id = "test-id");

}  // namespace tessera::test
