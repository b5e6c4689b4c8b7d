#include "content/archive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace tessera::content {

bool PackArchive(const std::vector<ArchiveMember>& members, Bytes& out, std::string& error) {
  if (members.size() > static_cast<size_t>(ARCHIVE_MAX_MEMBERS)) {
    error = "too many members: " + std::to_string(members.size()) + " (at most 300)";
    return false;
  }
  std::set<std::string> seen;
  size_t total = ARCHIVE_HEADER_SIZE;
  for (const ArchiveMember& m : members) {
    if (m.name.empty()) {
      error = "a member has an empty name";
      return false;
    }
    if (m.name.size() > ARCHIVE_NAME_SIZE - 1) {
      error = "member name longer than 127 bytes: " + m.name;
      return false;
    }
    if (m.name.find_first_of("/\\") != std::string::npos || m.name.find('\0') != std::string::npos) {
      error = "member name must not hold a folder: " + m.name;
      return false;
    }
    if (!seen.insert(m.name).second) {
      error = "member name given twice: " + m.name;
      return false;
    }
    total += m.data.size();
    if (total > 0xFFFFFFFFull) {
      error = "archive would exceed 4 GiB";
      return false;
    }
  }
  out.clear();
  out.reserve(total);
  Put32(out, static_cast<uint32_t>(members.size()));
  uint32_t offset = ARCHIVE_HEADER_SIZE;
  for (int i = 0; i < ARCHIVE_MAX_MEMBERS; ++i) {
    char name[ARCHIVE_NAME_SIZE] = {};
    uint32_t at = 0;
    if (i < static_cast<int>(members.size())) {
      std::memcpy(name, members[i].name.data(), members[i].name.size());
      at = offset;
      offset += static_cast<uint32_t>(members[i].data.size());
    }
    out.insert(out.end(), name, name + ARCHIVE_NAME_SIZE);
    Put32(out, at);
    Put32(out, 0);  // reserved
  }
  for (const ArchiveMember& m : members) out.insert(out.end(), m.data.begin(), m.data.end());
  return true;
}

bool ReadArchiveIndex(const Bytes& file, std::vector<ArchiveEntry>& entries, std::string& error) {
  entries.clear();
  if (file.size() < static_cast<size_t>(ARCHIVE_HEADER_SIZE)) {
    error = "file of " + std::to_string(file.size()) + " bytes is shorter than the 40804-byte index";
    return false;
  }
  int32_t count = static_cast<int32_t>(Get32(file.data()));
  if (count < 0 || count > ARCHIVE_MAX_MEMBERS) {
    error = "member count " + std::to_string(count) + " outside 0..300";
    return false;
  }
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = file.data() + 4 + static_cast<size_t>(i) * ARCHIVE_ENTRY_SIZE;
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(e, 0, ARCHIVE_NAME_SIZE));
    if (!end) {
      error = "entry " + std::to_string(i) + ": name not terminated within 128 bytes";
      return false;
    }
    ArchiveEntry entry;
    entry.name.assign(reinterpret_cast<const char*>(e), static_cast<size_t>(end - e));
    entry.offset = Get32(e + ARCHIVE_NAME_SIZE);
    if (entry.offset < static_cast<uint32_t>(ARCHIVE_HEADER_SIZE) || entry.offset > file.size()) {
      error = "entry " + std::to_string(i) + " (" + entry.name + "): offset " + std::to_string(entry.offset) +
              " outside the member data (file is " + std::to_string(file.size()) + " bytes)";
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
    uint32_t stop = next == starts.end() ? static_cast<uint32_t>(file.size()) : *next;
    e.size = stop - e.offset;
  }
  return true;
}

Bytes MemberBytes(const Bytes& file, const ArchiveEntry& entry) {
  size_t begin = std::min<size_t>(entry.offset, file.size());
  size_t end = std::min<size_t>(begin + entry.size, file.size());
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(begin), file.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace tessera::content
