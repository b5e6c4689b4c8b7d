#include "content/package.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "app/campaigns.h"
#include "app/version.h"
#include "content/archive.h"
#include "content/common.h"
#include "content/lint.h"
#include "gfx/bmp_write.h"
#include "platform/file_system.h"
#include "platform/zip_archive.h"

namespace tessera::content {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    uint32_t min = 0, code = 0;
    if (c < 0x80) { ++i; continue; }
    if (c >= 0xC2 && c <= 0xDF) { extra = 1; code = c & 0x1F; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { extra = 2; code = c & 0x0F; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { extra = 3; code = c & 0x07; min = 0x10000; }
    else return false;
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// A name as it may be printed: control bytes and bytes of broken UTF-8
// escaped, so a hostile name cannot garble a terminal or a log.
std::string Shown(const std::string& name) { return EscapedForPrinting(name, !ValidUtf8(name), 120, 117); }

bool IsWindowsDeviceName(const std::string& component) {
  std::string stem = Lower(component.substr(0, component.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const std::set<std::string> devices = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  if (devices.count(stem)) return true;
  return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}

std::string MiB(uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// Unix file types of an entry's external attributes.
constexpr uint32_t kTypeMask = 0170000, kRegular = 0100000, kFolder = 0040000, kLink = 0120000;

// Entry type against its name: a folder's name ends with '/'.
std::string CheckEntryType(const ZipEntryInfo& e) {
  const bool folderName = !e.name.empty() && e.name.back() == '/';
  if (e.system == ZIP_SYSTEM_UNIX) {
    const uint32_t type = (e.externalAttributes >> 16) & kTypeMask;
    if (type == kLink) return "is a symbolic link";
    if (type != 0 && type != kRegular && type != kFolder) return "is a device, pipe or socket, not a plain file";
    if ((type == kFolder && !folderName) || (type == kRegular && folderName))
      return "its type disagrees with its name (file or folder)";
  } else if (e.system == ZIP_SYSTEM_DOS) {
    if ((e.externalAttributes & 0x10) && !folderName) return "is marked a folder but named as a file";
  }
  if (folderName && e.size != 0) return "is a folder that holds data";
  return {};
}

struct Layout {
  std::vector<size_t> files;  // campaign entries (not the manifest, thumbnail or folders)
  std::vector<size_t> folders;
  long manifest = -1;
  long thumbnail = -1;
};

// Every check that needs no unpacking. `error` names the entry and the reason.
bool CheckArchive(const ZipReader& zip, Layout& layout, uint64_t& claimed, std::string& error) {
  const std::vector<ZipEntryInfo>& entries = zip.Entries();
  if (entries.size() > PACKAGE_MAX_ENTRIES) {
    error = std::to_string(entries.size()) + " entries, more than the " + std::to_string(PACKAGE_MAX_ENTRIES) +
            " a package may hold";
    return false;
  }
  if (entries.empty()) {
    error = "the archive is empty";
    return false;
  }
  // Every entry's local header, name and data lie in the archive, one after
  // another; when together they need more room than the archive has, some
  // of them share bytes (the overlapping entries of a zip bomb).
  uint64_t room = 0;
  claimed = 0;
  std::map<std::string, std::string> seen;  // folded name -> as written
  std::set<std::string> filePaths;  // folded
  for (size_t i = 0; i < entries.size(); ++i) {
    const ZipEntryInfo& e = entries[i];
    const std::string shown = Shown(e.name);
    if (std::string why = CheckEntryName(e.name); !why.empty()) {
      error = shown + ": " + why;
      return false;
    }
    if (std::string why = CheckEntryType(e); !why.empty()) {
      error = shown + ": " + why;
      return false;
    }
    if (e.encrypted) {
      error = shown + ": is encrypted";
      return false;
    }
    if (e.method != ZIP_STORED && e.method != ZIP_DEFLATED) {
      error = shown + ": compression method " + std::to_string(e.method) + " (packages use stored or deflate)";
      return false;
    }
    if (e.size > PACKAGE_MAX_ENTRY_BYTES) {
      error = shown + ": claims " + std::to_string(e.size) + " bytes, more than the " + MiB(PACKAGE_MAX_ENTRY_BYTES) +
              " a file may have";
      return false;
    }
    if (e.method == ZIP_STORED && e.size != e.compressedSize) {
      error = shown + ": a stored entry whose sizes differ";
      return false;
    }
    claimed += e.size;
    if (claimed > PACKAGE_MAX_TOTAL_BYTES) {
      error = "the files claim more than the " + MiB(PACKAGE_MAX_TOTAL_BYTES) + " a package may unpack to";
      return false;
    }
    room += 30 + e.name.size() + e.compressedSize;
    const bool folder = e.name.back() == '/';
    const std::string path = folder ? e.name.substr(0, e.name.size() - 1) : e.name;
    const std::string folded = Lower(path);
    if (auto [at, fresh] = seen.emplace(folded, e.name); !fresh) {
      error = shown + ": the same name as " + Shown(at->second) + " where letter case is not told apart";
      return false;
    }
    if (!folder) filePaths.insert(folded);
    if (folder) {
      layout.folders.push_back(i);
    } else if (e.name == PACKAGE_MANIFEST) {
      layout.manifest = static_cast<long>(i);
    } else if (e.name == PACKAGE_THUMBNAIL) {
      layout.thumbnail = static_cast<long>(i);
    } else {
      if (folded == "save" || folded.compare(0, 5, "save/") == 0) {
        error = shown + ": saves do not travel in packages";
        return false;
      }
      layout.files.push_back(i);
    }
  }
  for (const ZipEntryInfo& e : entries)
    if (e.size > PACKAGE_RATIO_FLOOR && e.size / std::max<uint64_t>(e.compressedSize, 1) > PACKAGE_MAX_RATIO) {
      error = Shown(e.name) + ": compressed more than " + std::to_string(PACKAGE_MAX_RATIO) + ":1 (" +
              std::to_string(e.size) + " bytes from " + std::to_string(e.compressedSize) + ")";
      return false;
    }
  if (room > zip.ArchiveSize()) {
    error = "entries overlap: their data needs " + std::to_string(room) + " bytes, the archive has " +
            std::to_string(zip.ArchiveSize());
    return false;
  }
  // A file may not stand where another entry needs a folder.
  for (const auto& [folded, name] : seen) {
    for (size_t cut = folded.find('/'); cut != std::string::npos; cut = folded.find('/', cut + 1))
      if (filePaths.count(folded.substr(0, cut))) {
        error = Shown(name) + ": its folder " + Shown(name.substr(0, cut)) + " is a file in the package";
        return false;
      }
  }
  if (layout.manifest < 0) {
    error = std::string("no ") + PACKAGE_MANIFEST + ": not a campaign package";
    return false;
  }
  if (layout.files.empty()) {
    error = "the package holds no campaign files";
    return false;
  }
  return true;
}

struct OpenedPackage {
  std::unique_ptr<ZipReader> zip;
  Layout layout;
};

bool Inspect(std::unique_ptr<ZipReader> zip, const std::string& shownName, PackageInfo& info, OpenedPackage& opened,
             std::string& error) {
  info = PackageInfo{};
  info.packageBytes = zip->ArchiveSize();
  Layout layout;
  if (!CheckArchive(*zip, layout, info.claimedBytes, error)) {
    error = shownName + ": " + error;
    return false;
  }
  std::vector<uint8_t> bytes;
  std::string why;
  if (!zip->ReadEntry(static_cast<size_t>(layout.manifest), PACKAGE_MAX_MANIFEST_BYTES, bytes, why)) {
    error = shownName + ": " + PACKAGE_MANIFEST + ": " + why;
    return false;
  }
  if (!ParseManifest(std::string(bytes.begin(), bytes.end()), info.manifest, why)) {
    error = shownName + ": " + PACKAGE_MANIFEST + ": " + why;
    return false;
  }
  if (layout.thumbnail >= 0 &&
      !zip->ReadEntry(static_cast<size_t>(layout.thumbnail), PACKAGE_MAX_THUMBNAIL_BYTES, info.thumbnail, why)) {
    error = shownName + ": " + PACKAGE_THUMBNAIL + ": " + why;
    return false;
  }
  info.files = layout.files.size();
  opened.zip = std::move(zip);
  opened.layout = std::move(layout);
  return true;
}

bool Open(const std::string& path, PackageInfo& info, OpenedPackage& opened, std::string& error) {
  std::string why;
  std::unique_ptr<ZipReader> zip = OpenZipFile(path, why);
  if (!zip) {
    error = path + ": not a readable ZIP archive: " + why;
    return false;
  }
  return Inspect(std::move(zip), path, info, opened, error);
}

// Makes every folder of a '/'-separated path below `root` (root exists).
bool MakeFolders(const std::string& root, const std::string& relative) {
  for (size_t cut = relative.find('/'); cut != std::string::npos; cut = relative.find('/', cut + 1))
    if (!HostMakeFolder(root + "/" + relative.substr(0, cut))) return false;
  return true;
}

bool WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int handle = HostCreate(path);
  if (handle < 0) return false;
  const bool written = bytes.empty() || HostWrite(handle, bytes.data(), bytes.size());
  return HostClose(handle) && written;
}

void RemoveTree(const std::string& dir) {
  std::error_code ignored;
  fs::remove_all(HostFsPath(dir), ignored);
}

// Writes the checked package's entries below `dir` (created here, must not
// exist), counting real bytes against the caps.
bool Extract(OpenedPackage& opened, const std::string& dir, const std::string& shownName, std::string& error) {
  std::error_code ec;
  if (!fs::create_directory(HostFsPath(dir), ec) || ec) {
    error = dir + ": cannot be created (it must not exist yet)";
    return false;
  }
  const std::vector<ZipEntryInfo>& entries = opened.zip->Entries();
  uint64_t total = 0;
  std::vector<uint8_t> bytes;
  auto fail = [&](const std::string& why) {
    RemoveTree(dir);
    error = shownName + ": " + why;
    return false;
  };
  for (size_t index : opened.layout.folders) {
    const std::string& name = entries[index].name;
    if (!MakeFolders(dir, name)) return fail(Shown(name) + ": cannot create the folder");
  }
  std::vector<size_t> order = opened.layout.files;
  order.push_back(static_cast<size_t>(opened.layout.manifest));
  if (opened.layout.thumbnail >= 0) order.push_back(static_cast<size_t>(opened.layout.thumbnail));
  for (size_t index : order) {
    const ZipEntryInfo& e = entries[index];
    const uint64_t cap = std::min(PACKAGE_MAX_ENTRY_BYTES, PACKAGE_MAX_TOTAL_BYTES - total);
    std::string why;
    if (!opened.zip->ReadEntry(index, cap, bytes, why)) return fail(Shown(e.name) + ": " + why);
    if (bytes.size() > PACKAGE_RATIO_FLOOR &&
        bytes.size() / std::max<uint64_t>(e.compressedSize, 1) > PACKAGE_MAX_RATIO)
      return fail(Shown(e.name) + ": compressed more than " + std::to_string(PACKAGE_MAX_RATIO) + ":1");
    total += bytes.size();
    if (!MakeFolders(dir, e.name) || !WriteNewFile(dir + "/" + e.name, bytes))
      return fail(Shown(e.name) + ": cannot be written below " + dir);
  }
  return true;
}

std::string TemporaryBeside(const std::string& dir) {
  const fs::path target = HostFsPath(dir).lexically_normal();
  std::random_device random;
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".unpacking-%08x", static_cast<unsigned>(random()));
  const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
  return HostPathString(parent / ("." + HostPathString(target.filename()) + suffix));
}

// The level script's sections, in the order written.
std::vector<std::string> ScriptSections(const std::string& text) {
  std::vector<std::string> sections;
  size_t at = 0;
  while (at < text.size()) {
    size_t eol = text.find('\n', at);
    if (eol == std::string::npos) eol = text.size();
    const std::string line = text.substr(at, eol - at);
    at = eol + 1;
    const size_t open = line.find_first_not_of(" \t\r");
    if (open == std::string::npos || line[open] != '[') continue;
    const size_t close = line.find(']', open);
    if (close != std::string::npos) sections.push_back(line.substr(open + 1, close - open - 1));
  }
  return sections;
}

// A key of a profile-format text (first match, case ignored), trimmed.
std::string ProfileValue(const std::string& text, const std::string& section, const std::string& key) {
  std::string current;
  size_t at = 0;
  while (at < text.size()) {
    size_t eol = text.find('\n', at);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(at, eol - at);
    at = eol + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    line = line.substr(first);
    if (line[0] == '[') {
      const size_t close = line.find(']');
      current = close == std::string::npos ? "" : Lower(line.substr(1, close - 1));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || current != Lower(section)) continue;
    std::string k = line.substr(0, eq);
    while (!k.empty() && (k.back() == ' ' || k.back() == '\t')) k.pop_back();
    if (Lower(k) != Lower(key)) continue;
    std::string v = line.substr(eq + 1);
    const size_t start = v.find_first_not_of(" \t");
    return start == std::string::npos ? "" : v.substr(start);
  }
  return {};
}

std::string ReadText(const std::string& path) {
  Bytes bytes;
  if (!ReadHostFile(path, bytes)) return {};
  return std::string(bytes.begin(), bytes.end());
}

// The host path of a composed (backslash) path below `dir`, letter case as found.
std::string Below(const std::string& dir, const std::string& composed) {
  std::string path = dir;
  size_t at = 0;
  while (at <= composed.size()) {
    size_t cut = composed.find('\\', at);
    if (cut == std::string::npos) cut = composed.size();
    const std::string part = composed.substr(at, cut - at);
    std::string found;
    path += "/" + (HostFindIgnoringCase(path, part, found) ? found : part);
    at = cut + 1;
  }
  return path;
}

// Where a campaign's first level's first layer picture is: the files that
// decide it (System.ini, the script that names it, the archive or the loose
// file that holds it) and its name.
struct FirstPicture {
  std::string system, script, holder;
  std::string name;  // empty when the script names none
  bool packaged = false;
};

FirstPicture FindFirstPicture(const std::string& dir) {
  FirstPicture found;
  found.system = Below(dir, "System.ini");
  const std::string system = ReadText(found.system);
  found.packaged = ProfileValue(system, "setting", "packaged") != "false";
  std::string pictures = ProfileValue(system, "path", "PicturePath");
  if (pictures.empty()) pictures = "Picture";
  std::string scriptPath = ProfileValue(system, "path", "ScriptPath");
  if (scriptPath.empty()) scriptPath = "Script";
  found.script = Below(dir, found.packaged ? "Script.dat" : scriptPath + "\\ScriptEntry.txt");
  std::string first = ProfileValue(system, "debug", "BeginLevel");
  if (first.empty() || Lower(first) == "gamebegin") first = "Level00";
  found.name = ProfileValue(ReadText(found.script), first, "BlendPicture00");
  if (!found.name.empty())
    found.holder = Below(dir, found.packaged ? std::string("Picture.dat") : pictures + "\\" + found.name + ".bmp");
  return found;
}

// The first level's first layer picture, a fifth of its side; empty when it
// cannot be read (lint has already said why).
std::vector<uint8_t> MakeThumbnail(const std::string& dir) {
  const FirstPicture first = FindFirstPicture(dir);
  if (first.name.empty()) return {};
  const std::string& name = first.name;
  Bytes bmp;
  if (first.packaged) {
    // Only the index and the one member are read: a full archive is over 200 MB.
    ArchiveFile archive;
    std::string ignored;
    if (OpenArchiveFile(first.holder, archive, ignored) != ArchiveOpen::Ok) return {};
    for (const ArchiveEntry& e : archive.entries)
      if (Lower(e.name) == Lower(name + ".bmp") && !ReadMember(archive, e, bmp)) return {};
  } else if (!ReadHostFile(first.holder, bmp)) {
    return {};
  }
  // Lint has checked the picture: an uncompressed 24-bit 500x500 BMP.
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') return {};
  const uint32_t offset = Get32(&bmp[10]);
  const int32_t width = static_cast<int32_t>(Get32(&bmp[18]));
  const int32_t height = static_cast<int32_t>(Get32(&bmp[22]));
  const int h = height < 0 ? -height : height;
  if (Get16(&bmp[28]) != 24 || width < THUMBNAIL_SIDE || h < THUMBNAIL_SIDE) return {};
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset > bmp.size() || (bmp.size() - offset) / stride < static_cast<size_t>(h)) return {};
  const int step = std::min(width, h) / THUMBNAIL_SIDE;
  std::vector<uint8_t> rgb(static_cast<size_t>(THUMBNAIL_SIDE) * THUMBNAIL_SIDE * 3);
  for (int ty = 0; ty < THUMBNAIL_SIDE; ++ty)
    for (int tx = 0; tx < THUMBNAIL_SIDE; ++tx) {
      uint32_t sum[3] = {0, 0, 0};
      for (int y = ty * step; y < (ty + 1) * step; ++y) {
        const int row = height < 0 ? y : h - 1 - y;
        const uint8_t* p = &bmp[offset + static_cast<size_t>(row) * stride + static_cast<size_t>(tx) * step * 3];
        for (int x = 0; x < step; ++x, p += 3)
          for (int ch = 0; ch < 3; ++ch) sum[ch] += p[2 - ch];  // BGR in the file
      }
      for (int ch = 0; ch < 3; ++ch)
        rgb[(static_cast<size_t>(ty) * THUMBNAIL_SIDE + tx) * 3 + ch] = static_cast<uint8_t>(sum[ch] / (step * step));
    }
  return EncodeBmp24(THUMBNAIL_SIDE, THUMBNAIL_SIDE, rgb.data());
}

int LevelCount(const std::string& dir) {
  const std::string system = ReadText(Below(dir, "System.ini"));
  const bool packaged = ProfileValue(system, "setting", "packaged") != "false";
  std::string scriptPath = ProfileValue(system, "path", "ScriptPath");
  if (scriptPath.empty()) scriptPath = "Script";
  int levels = 0;
  for (const std::string& s :
       ScriptSections(ReadText(Below(dir, packaged ? "Script.dat" : scriptPath + "\\ScriptEntry.txt"))))
    if (Lower(s) != "gamebegin") ++levels;
  return levels;
}

bool ManifestText(const std::string& value) {
  return ValidUtf8(value) && value.size() <= 200 &&
         std::none_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace

std::string CheckEntryName(const std::string& name) {
  if (name.empty()) return "an empty name";
  if (name.size() > PACKAGE_MAX_NAME_BYTES)
    return "a name longer than " + std::to_string(PACKAGE_MAX_NAME_BYTES) + " bytes";
  if (name.find('\0') != std::string::npos) return "a name holding a NUL byte";
  if (!ValidUtf8(name)) return "a name that is not valid UTF-8";
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F) return "a name holding a control character";
  if (name[0] == '/') return "an absolute name";
  if (name.find('\\') != std::string::npos) return "a name holding a backslash";
  if (name.find(':') != std::string::npos) return "a name holding ':' (a drive letter or a stream)";
  if (name.find_first_of("<>\"|?*") != std::string::npos) return "a name holding a character Windows refuses";
  const std::string path = name.back() == '/' ? name.substr(0, name.size() - 1) : name;
  size_t at = 0;
  while (at <= path.size()) {
    size_t cut = path.find('/', at);
    if (cut == std::string::npos) cut = path.size();
    const std::string part = path.substr(at, cut - at);
    if (part.empty()) return "a name with an empty folder in it ('//')";
    if (part == "." || part == "..") return "a name that climbs out with '" + part + "'";
    if (part.back() == '.' || part.back() == ' ') return "a name part ending in a dot or space (Windows drops them)";
    if (IsWindowsDeviceName(part)) return "a Windows device name ('" + part + "')";
    at = cut + 1;
  }
  return {};
}

bool IsPackagePath(const std::string& path) {
  return path.size() > 8 && Lower(path.substr(path.size() - 8)) == ".tessera";
}

std::string FormatManifest(const Manifest& m) {
  return "[package]\r\nformat=" + std::to_string(m.format) + "\r\ntitle=" + m.title + "\r\nauthor=" + m.author +
         "\r\nlanguage=" + m.language + "\r\nlevels=" + std::to_string(m.levels) + "\r\nid=" + m.id +
         "\r\ntool=" + m.tool + "\r\n";
}

bool ParseManifest(const std::string& text, Manifest& out, std::string& error) {
  out = Manifest{};
  auto value = [&](const char* key) { return ProfileValue(text, "package", key); };
  auto number = [&](const char* key, int max, int& n) {
    const std::string v = value(key);
    if (v.empty() || v.size() > 6 || v.find_first_not_of("0123456789") != std::string::npos) return false;
    n = std::stoi(v);
    return n <= max;
  };
  if (!number("format", 1000000, out.format)) {
    error = "no format number";
    return false;
  }
  if (out.format != PACKAGE_FORMAT) {
    error = "format " + std::to_string(out.format) + ", this game reads format " + std::to_string(PACKAGE_FORMAT);
    return false;
  }
  if (!number("levels", 100000, out.levels) || out.levels < 1) {
    error = "no number of levels";
    return false;
  }
  out.title = value("title");
  out.author = value("author");
  out.language = value("language");
  out.id = value("id");
  out.tool = value("tool");
  for (const std::string* v : {&out.title, &out.author, &out.language, &out.id, &out.tool})
    if (!ManifestText(*v)) {
      error = "a value that is not a line of UTF-8 text of at most 200 bytes";
      return false;
    }
  if (out.title.empty()) {
    error = "no title";
    return false;
  }
  if (CleanCampaignId(out.id) != out.id || out.id.empty()) {
    error = "an id other than letters, digits, '.', '-' and '_'";
    return false;
  }
  return true;
}

bool ReadPackage(const std::string& path, PackageInfo& info, std::string& error) {
  OpenedPackage opened;
  return Open(path, info, opened, error);
}

bool ReadPackageBytes(std::vector<uint8_t> bytes, const std::string& shownName, PackageInfo& info,
                      std::string& error) {
  std::string why;
  std::unique_ptr<ZipReader> zip = OpenZipBytes(std::move(bytes), why);
  if (!zip) {
    error = shownName + ": not a readable ZIP archive: " + why;
    return false;
  }
  OpenedPackage opened;
  return Inspect(std::move(zip), shownName, info, opened, error);
}

bool UnpackPackage(const std::string& path, const std::string& dir, PackageInfo& info, std::string& error) {
  OpenedPackage opened;
  return Open(path, info, opened, error) && Extract(opened, dir, path, error);
}

bool UnpackAndLintInto(const std::string& path, const std::string& dir, PackageInfo& info, std::string& error) {
  if (!UnpackPackage(path, dir, info, error)) return false;
  const std::vector<Finding> findings = LintGameFolder(dir);
  if (HasErrors(findings)) {
    RemoveTree(dir);
    error = path + ": not a playable campaign:" + LintReport(findings);
    return false;
  }
  return true;
}

std::vector<uint8_t> MakeCampaignThumbnail(const std::string& dir) { return MakeThumbnail(dir); }

std::string CampaignThumbnailKey(const std::string& dir) {
  const FirstPicture first = FindFirstPicture(dir);
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  auto mix = [&hash](uint64_t value) {
    for (int i = 0; i < 8; ++i, value >>= 8) hash = (hash ^ (value & 0xFF)) * 1099511628211ull;
  };
  for (const std::string* file : {&first.system, &first.script, &first.holder}) {
    std::error_code size, time;
    const fs::path path = HostFsPath(*file);
    const uintmax_t bytes = file->empty() ? 0 : fs::file_size(path, size);
    const fs::file_time_type written = file->empty() ? fs::file_time_type{} : fs::last_write_time(path, time);
    mix(file->empty() || size ? ~uint64_t{0} : static_cast<uint64_t>(bytes));
    mix(file->empty() || time ? 0
                              : static_cast<uint64_t>(
                                    std::chrono::duration_cast<std::chrono::nanoseconds>(written.time_since_epoch()).count()));
  }
  char key[17];
  std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
  return key;
}
int CampaignLevelCount(const std::string& dir) { return LevelCount(dir); }

bool ReadFolderManifest(const std::string& dir, Manifest& manifest) {
  Bytes bytes;
  if (!ReadHostFile(dir + "/" + PACKAGE_MANIFEST, bytes, PACKAGE_MAX_MANIFEST_BYTES)) return false;
  std::string ignored;
  return ParseManifest(std::string(bytes.begin(), bytes.end()), manifest, ignored);
}

std::string TemporaryFolderBeside(const std::string& dir) { return TemporaryBeside(dir); }
void RemoveFolder(const std::string& dir) { RemoveTree(dir); }

bool UnpackAndLint(const std::string& path, const std::string& dir, PackageInfo& info, std::string& error) {
  std::error_code ec;
  if (fs::exists(HostFsPath(dir), ec)) {
    error = dir + ": already exists";
    return false;
  }
  const std::string temporary = TemporaryBeside(dir);
  if (!UnpackAndLintInto(path, temporary, info, error)) return false;
  fs::rename(HostFsPath(temporary), HostFsPath(dir), ec);
  if (ec) {
    RemoveTree(temporary);
    error = dir + ": cannot be put in place: " + ec.message();
    return false;
  }
  return true;
}

bool PackCampaign(const std::string& dir, const std::string& file, const PackOptions& options, std::string& error) {
  const std::vector<Finding> findings = LintGameFolder(dir);
  if (HasErrors(findings)) {
    error = dir + ": lint finds errors, so it is not packed:" + LintReport(findings);
    return false;
  }
  // Every file but saves, logs and an older package's own entries, by name.
  const fs::path root = HostFsPath(dir);
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    // Entry names take '/' between folders on every system.
    std::string relative;
    for (const fs::path& part : it->path().lexically_relative(root))
      relative += (relative.empty() ? "" : "/") + HostPathString(part);
    const std::string folded = Lower(relative);
    if (it->is_symlink(ec)) {
      error = dir + ": " + relative + " is a symbolic link; packages hold plain files only";
      return false;
    }
    if (it->is_directory(ec)) {
      if (folded == "save" && it.depth() == 0) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec)) {
      error = dir + ": " + relative + " is not a plain file";
      return false;
    }
    if (it.depth() == 0 && (folded == "log.txt" || relative == PACKAGE_MANIFEST || relative == PACKAGE_THUMBNAIL))
      continue;
    names.push_back(relative);
  }
  if (ec) {
    error = dir + ": cannot be read: " + ec.message();
    return false;
  }
  std::sort(names.begin(), names.end());

  Manifest manifest;
  manifest.format = PACKAGE_FORMAT;
  // The title and author the folder's own manifest gives (a campaign made
  // from pictures, a demo) unless the command line gives others; else the
  // folder's name.
  Manifest own;
  const bool described = ReadFolderManifest(dir, own);
  manifest.title = !options.title.empty() ? options.title
                   : described            ? own.title
                                          : HostPathString(root.lexically_normal().filename());
  if (manifest.title.empty())  // "DIR/": the name before the slash
    manifest.title = HostPathString(fs::absolute(root, ec).lexically_normal().parent_path().filename());
  manifest.author = options.author.empty() && described ? own.author : options.author;
  manifest.language = ProfileValue(ReadText(Below(dir, "System.ini")), "setting", "language");
  if (manifest.language.empty()) manifest.language = "ChineseSimplify";
  manifest.levels = LevelCount(dir);
  manifest.id = CampaignId(root);
  manifest.tool = std::string("tessera-tool ") + VersionText();
  std::string why;
  if (!ParseManifest(FormatManifest(manifest), manifest, why)) {
    error = dir + ": cannot describe it in a manifest: " + why;
    return false;
  }

  std::vector<ZipWriteEntry> entries;
  const std::string text = FormatManifest(manifest);
  entries.push_back({PACKAGE_MANIFEST, std::vector<uint8_t>(text.begin(), text.end()), false, {}});
  if (std::vector<uint8_t> thumbnail = MakeThumbnail(dir); !thumbnail.empty())
    entries.push_back({PACKAGE_THUMBNAIL, std::move(thumbnail), true, {}});
  uint64_t total = 0;
  for (const std::string& name : names) {
    if (std::string bad = CheckEntryName(name); !bad.empty()) {
      error = dir + ": " + Shown(name) + ": " + bad;
      return false;
    }
    // Read as the package is written, one file at a time: a loose campaign of
    // hundreds of pictures is gigabytes.
    ZipWriteEntry entry;
    entry.name = name;
    entry.file = dir + "/" + name;
    std::FILE* readable = HostOpen(entry.file, "rb");
    const uintmax_t size = fs::file_size(HostFsPath(entry.file), ec);
    if (!readable || ec) {
      if (readable) std::fclose(readable);
      error = dir + ": " + name + ": cannot be read";
      return false;
    }
    std::fclose(readable);
    entry.fileBytes = size;
    total += size;
    if (size > PACKAGE_MAX_ENTRY_BYTES || total > PACKAGE_MAX_TOTAL_BYTES) {
      error = dir + ": " + name + ": the campaign is larger than a package may be";
      return false;
    }
    entries.push_back(std::move(entry));
  }
  if (entries.size() > PACKAGE_MAX_ENTRIES) {
    error = dir + ": more files than a package may hold";
    return false;
  }
  return WriteZipFile(file, entries, error);
}

}  // namespace tessera::content
