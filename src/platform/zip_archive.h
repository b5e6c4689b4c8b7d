#pragma once
// ZIP archives (campaign packages), through libzip: open one from a file or
// from bytes, list its entries as stored, read one entry with a hard cap on
// the bytes that come out, and write one reproducibly. What a name or size may
// be is the caller's policy; this layer only reports what the archive holds
// and refuses what the library finds broken (a central directory at odds with
// the local headers, a wrong CRC, data that ends early).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessera {

// One entry as the central directory states it.
struct ZipEntryInfo {
  std::string name;  // the stored bytes, unconverted, but for a NUL, which libzip reads as a space
  uint64_t size = 0;            // uncompressed, as claimed
  uint64_t compressedSize = 0;  // as claimed
  uint16_t method = 0;          // 0 stored, 8 deflate; anything else as numbered by the format
  bool encrypted = false;
  uint8_t system = 0;           // the system that made it (0 MS-DOS, 3 Unix, ...)
  uint32_t externalAttributes = 0;  // Unix: the mode in the top 16 bits; MS-DOS: 0x10 a folder
};

// ZIP method numbers the readers name.
constexpr uint16_t ZIP_STORED = 0;
constexpr uint16_t ZIP_DEFLATED = 8;
constexpr uint8_t ZIP_SYSTEM_DOS = 0;
constexpr uint8_t ZIP_SYSTEM_UNIX = 3;

class ZipReader {
 public:
  virtual ~ZipReader() = default;
  virtual const std::vector<ZipEntryInfo>& Entries() const = 0;
  // The archive's own size in bytes.
  virtual uint64_t ArchiveSize() const = 0;
  // Reads entry `index` whole. Fails as soon as more than `cap` bytes have come
  // out (so a claimed size is never trusted), on broken data, on a CRC that
  // does not match and when the bytes differ in number from the claimed size.
  virtual bool ReadEntry(size_t index, uint64_t cap, std::vector<uint8_t>& out, std::string& error) = 0;
};

// Opens an archive and reads its central directory, checked against every
// local header. Null with `error` for anything that is not a sound ZIP archive.
std::unique_ptr<ZipReader> OpenZipFile(const std::string& path, std::string& error);
std::unique_ptr<ZipReader> OpenZipBytes(std::vector<uint8_t> bytes, std::string& error);

struct ZipWriteEntry {
  std::string name;  // '/' between folders; a folder's name ends with '/'
  std::vector<uint8_t> data;
  bool deflate = true;
  // When not empty, the entry's bytes are this file's, read while the archive
  // is written (`data` is not used): memory for a member, not for the archive.
  std::string file;
  // How many of its bytes: the size it had when it was checked. A file that has
  // grown since is cut there, so the archive never holds more than was checked.
  uint64_t fileBytes = 0;
};

// Writes the entries in the order given, each with the same fixed time, Unix
// permissions 0644 (0755 for folders) and no extra fields, so the same entries
// always give the same bytes. The file appears whole or not at all.
bool WriteZipFile(const std::string& path, const std::vector<ZipWriteEntry>& entries, std::string& error);

}  // namespace tessera
