#pragma once
// The picture archive: a count, always 300 index entries of 136 bytes (name,
// offset, reserved), then the members, each a whole BMP file.
#include <string>
#include <vector>

#include "content/common.h"

namespace tessera::content {

constexpr int ARCHIVE_MAX_MEMBERS = 300;
constexpr int ARCHIVE_ENTRY_SIZE = 136;
constexpr int ARCHIVE_NAME_SIZE = 128;
constexpr int ARCHIVE_HEADER_SIZE = 4 + ARCHIVE_MAX_MEMBERS * ARCHIVE_ENTRY_SIZE;  // 40804

struct ArchiveMember {
  std::string name;
  Bytes data;
};

// Builds an archive; false with `error` set when a name is empty, too long,
// holds a folder separator, or there are too many members, or names repeat.
bool PackArchive(const std::vector<ArchiveMember>& members, Bytes& out, std::string& error);

struct ArchiveEntry {
  std::string name;
  uint32_t offset = 0;
  uint32_t size = 0;  // bytes up to the next member or the end of the file
};

// Reads the index of an archive and checks every used entry against the file;
// false with `error` when the count, a name or an offset cannot be trusted.
bool ReadArchiveIndex(const Bytes& file, std::vector<ArchiveEntry>& entries, std::string& error);

// The member's bytes (from its offset to its computed end).
Bytes MemberBytes(const Bytes& file, const ArchiveEntry& entry);


}  // namespace tessera::content
