#include "content/archive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "platform/file_system.h"

namespace tessera::content {

namespace {

constexpr uint64_t ARCHIVE_MAX_BYTES = 0xFFFFFFFFull;  // offsets are 32-bit

bool CheckMemberName(const std::string& name, std::set<std::string>& seen, std::string& error) {
  if (name.empty()) {
    error = "a member has an empty name";
    return false;
  }
  if (name.size() > ARCHIVE_NAME_SIZE - 1) {
    error = "member name longer than 127 bytes: " + name;
    return false;
  }
  if (name.find_first_of("/\\") != std::string::npos || name.find('\0') != std::string::npos) {
    error = "member name must not hold a folder: " + name;
    return false;
  }
  if (!seen.insert(name).second) {
    error = "member name given twice: " + name;
    return false;
  }
  return true;
}

// The count and the 300 entries, for members checked by CheckMemberName.
void PutIndex(Bytes& out, const std::vector<std::pair<std::string, uint32_t>>& index) {
  Put32(out, static_cast<uint32_t>(index.size()));
  for (int i = 0; i < ARCHIVE_MAX_MEMBERS; ++i) {
    char name[ARCHIVE_NAME_SIZE] = {};
    uint32_t at = 0;
    if (i < static_cast<int>(index.size())) {
      std::memcpy(name, index[i].first.data(), index[i].first.size());
      at = index[i].second;
    }
    out.insert(out.end(), name, name + ARCHIVE_NAME_SIZE);
    Put32(out, at);
    Put32(out, 0);  // reserved
  }
}

}  // namespace

bool PackArchive(const std::vector<ArchiveMember>& members, Bytes& out, std::string& error) {
  if (members.size() > static_cast<size_t>(ARCHIVE_MAX_MEMBERS)) {
    error = "too many members: " + std::to_string(members.size()) + " (at most 300)";
    return false;
  }
  std::set<std::string> seen;
  size_t total = ARCHIVE_HEADER_SIZE;
  for (const ArchiveMember& m : members) {
    if (!CheckMemberName(m.name, seen, error)) return false;
    total += m.data.size();
    if (total > ARCHIVE_MAX_BYTES) {
      error = "archive would exceed 4 GiB";
      return false;
    }
  }
  out.clear();
  out.reserve(total);
  std::vector<std::pair<std::string, uint32_t>> index;
  uint32_t offset = ARCHIVE_HEADER_SIZE;
  for (const ArchiveMember& m : members) {
    index.emplace_back(m.name, offset);
    offset += static_cast<uint32_t>(m.data.size());
  }
  PutIndex(out, index);
  for (const ArchiveMember& m : members) out.insert(out.end(), m.data.begin(), m.data.end());
  return true;
}

bool ReadArchiveIndex(const Bytes& file, std::vector<ArchiveEntry>& entries, std::string& error) {
  return ReadArchiveIndex(file.data(), file.size(), file.size(), entries, error);
}

bool ReadArchiveIndex(const uint8_t* head, size_t headSize, uint64_t fileSize, std::vector<ArchiveEntry>& entries,
                      std::string& error) {
  entries.clear();
  if (fileSize < static_cast<uint64_t>(ARCHIVE_HEADER_SIZE) || headSize < static_cast<size_t>(ARCHIVE_HEADER_SIZE)) {
    error = "file of " + std::to_string(fileSize) + " bytes is shorter than the 40804-byte index";
    return false;
  }
  int32_t count = static_cast<int32_t>(Get32(head));
  if (count < 0 || count > ARCHIVE_MAX_MEMBERS) {
    error = "member count " + std::to_string(count) + " outside 0..300";
    return false;
  }
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = head + 4 + static_cast<size_t>(i) * ARCHIVE_ENTRY_SIZE;
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(e, 0, ARCHIVE_NAME_SIZE));
    if (!end) {
      error = "entry " + std::to_string(i) + ": name not terminated within 128 bytes";
      return false;
    }
    ArchiveEntry entry;
    entry.name.assign(reinterpret_cast<const char*>(e), static_cast<size_t>(end - e));
    entry.offset = Get32(e + ARCHIVE_NAME_SIZE);
    if (entry.offset < static_cast<uint32_t>(ARCHIVE_HEADER_SIZE) || entry.offset > fileSize) {
      error = "entry " + std::to_string(i) + " (" + entry.name + "): offset " + std::to_string(entry.offset) +
              " outside the member data (file is " + std::to_string(fileSize) + " bytes)";
      return false;
    }
    entries.push_back(std::move(entry));
  }
  // A member runs to the next member's start, or to the end of the file.
  std::vector<uint32_t> starts;
  for (const ArchiveEntry& e : entries) starts.push_back(e.offset);
  std::sort(starts.begin(), starts.end());
  for (ArchiveEntry& e : entries) {
    auto next = std::upper_bound(starts.begin(), starts.end(), e.offset);
    uint32_t stop = next == starts.end() ? static_cast<uint32_t>(fileSize) : *next;
    e.size = stop - e.offset;
  }
  return true;
}

Bytes MemberBytes(const Bytes& file, const ArchiveEntry& entry) {
  size_t begin = std::min<size_t>(entry.offset, file.size());
  size_t end = std::min<size_t>(begin + entry.size, file.size());
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(begin), file.begin() + static_cast<std::ptrdiff_t>(end));
}

ArchiveOpen OpenArchiveFile(const std::string& hostPath, ArchiveFile& out, std::string& error) {
  out = ArchiveFile{};
  FilePtr file(HostOpen(hostPath, "rb"));
  uint64_t size = 0;
  Bytes head;
  if (!file || !HostFileSize(file.get(), size) ||
      !ReadHostFileRange(file.get(), 0, std::min<uint64_t>(size, ARCHIVE_HEADER_SIZE), head))
    return ArchiveOpen::Missing;
  if (!ReadArchiveIndex(head.data(), head.size(), size, out.entries, error)) return ArchiveOpen::Broken;
  out.file = std::move(file);
  return ArchiveOpen::Ok;
}

bool ReadMember(const ArchiveFile& archive, const ArchiveEntry& entry, Bytes& out) {
  return archive.file && ReadHostFileRange(archive.file.get(), entry.offset, entry.size, out);
}

ArchiveFileWriter::~ArchiveFileWriter() {
  if (file_) std::fclose(file_);
}

bool ArchiveFileWriter::Create(const std::string& path, std::string& error) {
  if (file_) std::fclose(file_);
  index_.clear();
  seen_.clear();
  end_ = ARCHIVE_HEADER_SIZE;
  path_ = path;
  file_ = HostOpen(path, "wb");
  if (!file_) {
    error = "cannot write " + path;
    return false;
  }
  // The index is written last, over this.
  const Bytes reserved(ARCHIVE_HEADER_SIZE, 0);
  return Write(reserved.data(), reserved.size(), error);
}

bool ArchiveFileWriter::Begin(const std::string& name, uint64_t size, std::string& error) {
  if (!file_) {
    error = "cannot write " + path_;
    return false;
  }
  if (index_.size() >= static_cast<size_t>(ARCHIVE_MAX_MEMBERS)) {
    error = "too many members: " + std::to_string(index_.size() + 1) + " (at most 300)";
    return false;
  }
  if (!CheckMemberName(name, seen_, error)) return false;
  if (end_ + size > ARCHIVE_MAX_BYTES) {
    error = "archive would exceed 4 GiB";
    return false;
  }
  index_.emplace_back(name, static_cast<uint32_t>(end_));
  end_ += size;
  return true;
}

bool ArchiveFileWriter::Write(const void* bytes, size_t size, std::string& error) {
  if (size == 0 || std::fwrite(bytes, 1, size, file_) == size) return true;
  error = "cannot write " + path_;
  return false;
}

bool ArchiveFileWriter::Add(const std::string& name, const Bytes& data, std::string& error) {
  return Begin(name, data.size(), error) && Write(data.data(), data.size(), error);
}

bool ArchiveFileWriter::Copy(const std::string& name, std::FILE* from, uint64_t offset, uint64_t size,
                             std::string& error) {
  if (!Begin(name, size, error)) return false;
  Bytes piece(static_cast<size_t>(std::min<uint64_t>(size, 1u << 20)));
  for (uint64_t done = 0; done < size;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size - done, piece.size()));
    const int64_t got = HostReadAt(from, offset + done, piece.data(), want);
    if (got <= 0) {
      error = "member " + name + " cannot be read";
      return false;
    }
    if (!Write(piece.data(), static_cast<size_t>(got), error)) return false;
    done += static_cast<uint64_t>(got);
  }
  return true;
}

bool ArchiveFileWriter::Finish(std::string& error) {
  if (!file_) {
    error = "cannot write " + path_;
    return false;
  }
  Bytes head;
  head.reserve(ARCHIVE_HEADER_SIZE);
  PutIndex(head, index_);
  bool ok = std::fseek(file_, 0, SEEK_SET) == 0 && Write(head.data(), head.size(), error);
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) error = "cannot write " + path_;
  return ok;
}

}  // namespace tessera::content
