#pragma once
// The picture archive: a count, always 300 index entries of 136 bytes (name,
// offset, reserved), then the members, each a whole BMP file.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/files.h"
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
// The same from the head of an archive file of `fileSize` bytes: `head` holds
// its first `headSize` bytes (the whole index when the file is that long).
bool ReadArchiveIndex(const uint8_t* head, size_t headSize, uint64_t fileSize, std::vector<ArchiveEntry>& entries,
                      std::string& error);

// The member's bytes (from its offset to its computed end).
Bytes MemberBytes(const Bytes& file, const ArchiveEntry& entry);

// An archive file open for reading one member at a time, its index read and
// checked against the file's real size.
struct ArchiveFile {
  FilePtr file;
  std::vector<ArchiveEntry> entries;
};
enum class ArchiveOpen { Ok, Missing, Broken };
// Missing when the file cannot be opened or read; Broken (with `error`) when
// its index cannot be trusted.
ArchiveOpen OpenArchiveFile(const std::string& hostPath, ArchiveFile& out, std::string& error);
// The member's bytes read from the file; false when they cannot all be read.
bool ReadMember(const ArchiveFile& archive, const ArchiveEntry& entry, Bytes& out);


// An archive written to a file one member at a time, for archives too large to
// build in memory: the index is reserved at the head and filled in by Finish.
// The members and their checks are those of PackArchive, so the same members
// give the same bytes. The file is left where it is on every failure (and when
// the writer goes before Finish); whoever named it removes it.
class ArchiveFileWriter {
 public:
  ArchiveFileWriter() = default;
  ~ArchiveFileWriter();
  ArchiveFileWriter(const ArchiveFileWriter&) = delete;
  ArchiveFileWriter& operator=(const ArchiveFileWriter&) = delete;

  bool Create(const std::string& path, std::string& error);
  bool Add(const std::string& name, const Bytes& data, std::string& error);
  // A member copied from `size` bytes at `offset` of an open file, a piece at
  // a time.
  bool Copy(const std::string& name, std::FILE* from, uint64_t offset, uint64_t size, std::string& error);
  size_t Count() const { return index_.size(); }
  // Writes the index and closes the file.
  bool Finish(std::string& error);

 private:
  bool Begin(const std::string& name, uint64_t size, std::string& error);
  bool Write(const void* bytes, size_t size, std::string& error);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::vector<std::pair<std::string, uint32_t>> index_;  // name, offset
  std::set<std::string> seen_;
  uint64_t end_ = ARCHIVE_HEADER_SIZE;
};

}  // namespace tessera::content
