#include "app/profile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/files.h"
#include "platform/folder_watch.h"

namespace tessera {

namespace {

struct Section {
  std::string name;  // lower case
  std::vector<std::pair<std::string, std::string>> entries;  // lower-case key, value
};

struct ParsedFile {
  FileStamp stamp;
  std::vector<Section> sections;
  bool watched = false;  // its folder is watched and nothing changed there since the stamp
};

// Letter case is folded for ASCII only (the "C" locale's rule, which the game
// never changes): multi-byte names pass through as they are.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

// `lower` is already folded; `name` is compared as if it were. Lookups run on
// every frame that shows a caption, so they fold as they compare instead of
// building folded copies.
bool SameName(const std::string& lower, const char* name) {
  size_t i = 0;
  for (; i < lower.size(); ++i)
    if (name[i] == '\0' || LowerAscii(name[i]) != lower[i]) return false;
  return name[i] == '\0';
}

std::string_view Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r')) --e;
  return text.substr(b, e - b);
}

void Parse(const std::vector<uint8_t>& bytes, ParsedFile& parsed) {
  std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (all.size() >= 3 && all.substr(0, 3) == "\xEF\xBB\xBF") all.remove_prefix(3);
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find('\n', pos);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = Trim(all.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      parsed.sections.push_back(Section{Lower(name), {}});
      current = &parsed.sections.back();
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || !current) continue;
    std::string_view key = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    current->entries.emplace_back(Lower(key), std::string(value));
  }
}

std::unordered_map<std::string, ParsedFile>& Cache() {
  static std::unordered_map<std::string, ParsedFile> cache;
  return cache;
}

// The menus look their captions up on every frame and each lookup must see the
// file as it is now. Rather than a stat per lookup, the folders of the files
// read are watched for changes where the system can (Linux's inotify; in the
// web build, the count of the program's own file calls that change files):
// while a folder reports nothing, its files are as they were. Elsewhere, or
// when a watch cannot be had, every lookup stats its file.
FolderWatch& Watch() {
  static FolderWatch watch;
  return watch;
}

const ParsedFile* Load(const char* path) {
  // Every lookup revalidates its file, and scripts are read key by key: when
  // the path exists as written (the usual case) its one stat both maps the path
  // and stamps the file. Only a miss pays for the letter-case repair.
  static std::string host;  // kept between calls: no allocation per lookup
  host.assign(path ? path : "");
  std::replace(host.begin(), host.end(), '\\', '/');
  auto& cache = Cache();
  FolderWatch& watch = Watch();
  if (watch.Changed())
    for (auto& [name, file] : cache) file.watched = false;
  if (auto it = cache.find(host); it != cache.end() && it->second.watched) return &it->second;
  // The watch comes before the stat: a change after it is reported next time.
  const bool watched = watch.Watch(host);
  FileStamp stamp;
  if (host.empty() || !StatFile(host, stamp)) {
    host = HostPath(path ? path : "");
    if (!StatFile(host, stamp)) {
      cache.erase(host);
      return nullptr;
    }
  }
  auto it = cache.find(host);
  if (it != cache.end() && it->second.stamp == stamp) {
    it->second.watched = watched;
    return &it->second;
  }
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(host, bytes)) {
    cache.erase(host);
    return nullptr;
  }
  ParsedFile parsed;
  parsed.stamp = stamp;
  parsed.watched = watched;
  Parse(bytes, parsed);
  if (cache.size() > 64) cache.clear();
  auto& slot = cache[host];
  slot = std::move(parsed);
  return &slot;
}

const std::string* Find(const ParsedFile& file, const char* section, const char* key) {
  const char* s = section ? section : "";
  const char* k = key ? key : "";
  for (const Section& sec : file.sections) {
    if (!SameName(sec.name, s)) continue;
    for (const auto& [name, value] : sec.entries)
      if (SameName(name, k)) return &value;
  }
  return nullptr;
}

}  // namespace

size_t GetPrivateProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                               size_t size, const char* path) {
  if (!buffer || size == 0) return 0;
  const char* source = defaultText ? defaultText : "";
  size_t length = std::strlen(source);
  if (const ParsedFile* file = Load(path)) {
    if (const std::string* value = Find(*file, section, key)) {
      source = value->data();
      length = value->size();
    }
  }
  size_t n = std::min(length, size - 1);
  std::memcpy(buffer, source, n);
  buffer[n] = '\0';
  return n;
}

std::string ReadProfileString(const char* section, const char* key, const char* defaultText, size_t size,
                              const std::string& path) {
  std::vector<char> buffer(size == 0 ? 1 : size);
  size_t n = GetPrivateProfileString(section, key, defaultText, buffer.data(), buffer.size(), path.c_str());
  return std::string(buffer.data(), n);
}

std::string ReadProfileStringOnce(const char* section, const char* key, const char* defaultText, size_t size,
                                  const std::string& path) {
  ParsedFile parsed;
  if (std::vector<uint8_t> bytes; ReadFileBytes(path, bytes)) Parse(bytes, parsed);
  const std::string* value = Find(parsed, section, key);
  std::string text = value ? *value : std::string(defaultText ? defaultText : "");
  text.resize(std::min(text.size(), size == 0 ? 0 : size - 1));
  return text;
}

int ParseDecimal(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

void ClearProfileCache() { Cache().clear(); }

}  // namespace tessera
