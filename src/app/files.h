#pragma once
// The file layer. The game composes paths with backslashes, as its data was made
// on Windows; here they become host paths, and when the exact name is missing
// each component is matched without regard to letter case.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tessera {

// Maps a composed path to the host's form: backslashes become '/', and a
// component that does not exist as written is replaced by an existing entry of
// its folder whose name differs only in letter case. Components that match
// nothing are kept as written (so the result can name a file to create).
std::string HostPath(const std::string& composed);

struct FileCloser {
  void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen on the host path of a composed path.
FilePtr OpenFile(const std::string& composed, const char* mode);

// Reads a whole file; false when it cannot be opened or read.
bool ReadFileBytes(const std::string& composed, std::vector<uint8_t>& out);

bool FileExists(const std::string& composed);
bool RemoveFile(const std::string& composed);
bool MakeDirectory(const std::string& composed);
// Writes `bytes` to a temporary file beside `composed`, flushes it to disk and
// renames it over `composed`, so a reader sees either the old or the new content.
bool WriteFileAtomically(const std::string& composed, const void* bytes, size_t size);

// The file's size and modification time; false when it does not exist.
struct FileStamp {
  uint64_t size = 0;
  int64_t mtimeNs = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};
bool StatFile(const std::string& hostPath, FileStamp& stamp);

}  // namespace tessera
