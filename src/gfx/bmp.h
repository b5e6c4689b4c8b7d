#pragma once
// Pictures from BMP files, loose or inside the picture archives.
//
// A picture archive is a 4-byte member count, always 300 index entries of 136
// bytes (a 128-byte NUL-terminated name, a 4-byte offset, 4 reserved bytes),
// then the members, each a whole BMP file read in place.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "gfx/image.h"

namespace tessera {

constexpr int ARCHIVE_MAX_MEMBERS = 300;
constexpr int ARCHIVE_ENTRY_SIZE = 136;
constexpr int ARCHIVE_NAME_SIZE = 128;
constexpr int ARCHIVE_INDEX_END = 4 + ARCHIVE_MAX_MEMBERS * ARCHIVE_ENTRY_SIZE;  // 40804

// Loads `path` (backslash-composed) into `slot`; 1 on success, 0 on failure
// (the slot then stays as it was). `loose` reads the path from disk even when
// the game is packaged.
int LoadBmpImage(const char* path, ImagePtr& slot, int loose);

// While one lives, the archives LoadBmpImage reads from stay open with their
// index read: a level start reads some twenty pictures from one archive, and
// each would otherwise open it, read its index and close it again. Pictures
// read in a batch see the archives as they were when first opened in it, so a
// batch spans one load, not a game. Batches nest; the outermost one counts.
class ArchiveBatch {
 public:
  ArchiveBatch();
  ~ArchiveBatch();
  ArchiveBatch(const ArchiveBatch&) = delete;
  ArchiveBatch& operator=(const ArchiveBatch&) = delete;

 private:
  bool outermost_;
};

// The archive a picture path is read from when packaged.
const char* ArchiveForPath(const char* path);

// The offset of the member named by the part of `path` after its last
// backslash, or 0 when no used entry has that name. An index that does not fit
// the file, or whose count is outside 0..300, has no members.
uint32_t FindArchiveMember(const char* path, std::FILE* archive);

// What decoding a BMP found; the loader turns these into its messages.
enum class BmpStatus {
  Ok,
  NotBmp,          // no signature, truncated, or sizes the file cannot back
  Compressed,      // compression other than plain rows
  EightBit,        // palette pictures, refused without a word
  OutOfMemory,
};

// Decodes a BMP held in memory (a whole file, or a member and everything after
// it). Rows are bottom-up unless the height is negative; 24 and 32 bits per
// pixel. On Ok `out` holds the picture with key 0, in the display's layout.
BmpStatus DecodeBmp(const uint8_t* data, size_t size, ImagePtr& out);

}  // namespace tessera
