#pragma once
// Campaign packages (.tessera files): one campaign folder as one ZIP archive,
// with a manifest and a thumbnail at its root. Packages come from strangers, so
// reading one is a security boundary: every name, attribute and size in it is
// checked before a byte is written, and the bytes that come out are counted
// against the caps below, never the sizes the archive claims.
#include <cstdint>
#include <string>
#include <vector>

namespace tessera::content {

// The manifest: the first entry of every package (so the desktop's type
// detection finds its name right after the ZIP magic), then the thumbnail,
// then the campaign's files in byte order of their names.
constexpr const char* PACKAGE_MANIFEST = "tessera-package.ini";
constexpr const char* PACKAGE_THUMBNAIL = "tessera-thumbnail.bmp";
constexpr int PACKAGE_FORMAT = 1;
constexpr int THUMBNAIL_SIDE = 100;  // the first level's 500x500 picture, a fifth of its side

// Caps, each far above what a real campaign holds (the demo: 29 files, 44 MiB
// unpacked, its largest file 29 MiB, none compressed more than 26:1). A
// package beyond any of them is refused whole.
constexpr uint64_t PACKAGE_MAX_ENTRIES = 4096;
constexpr uint64_t PACKAGE_MAX_ENTRY_BYTES = uint64_t{256} << 20;  // one file unpacked
constexpr uint64_t PACKAGE_MAX_TOTAL_BYTES = uint64_t{1} << 30;    // all files unpacked
// Unpacked bytes per packed byte, for a file of more than 1 MiB unpacked;
// deflate itself reaches about 1030:1 on a run of one byte.
constexpr uint64_t PACKAGE_MAX_RATIO = 200;
constexpr uint64_t PACKAGE_RATIO_FLOOR = uint64_t{1} << 20;
constexpr uint64_t PACKAGE_MAX_MANIFEST_BYTES = 16 << 10;
constexpr uint64_t PACKAGE_MAX_THUMBNAIL_BYTES = 256 << 10;
constexpr size_t PACKAGE_MAX_NAME_BYTES = 240;

struct Manifest {
  int format = 0;
  std::string title;     // UTF-8
  std::string author;    // UTF-8, may be empty
  std::string language;  // as System.ini spells it: English, ChineseSimplify, ...
  int levels = 0;
  std::string id;        // the campaign's id: the same id is the same campaign
  std::string tool;      // the tool that made the package, with its version
};

std::string FormatManifest(const Manifest& manifest);
// False with `error` for a manifest that is not one (missing keys, values
// that are not UTF-8 text, numbers out of range).
bool ParseManifest(const std::string& text, Manifest& out, std::string& error);

// What a package holds, read without unpacking it.
struct PackageInfo {
  Manifest manifest;
  std::vector<uint8_t> thumbnail;  // a BMP; empty when the package has none
  uint64_t packageBytes = 0;       // the file's size
  uint64_t claimedBytes = 0;       // the files' sizes as the archive states them
  size_t files = 0;                // campaign files, the manifest and thumbnail not counted
};

// Opens a package and checks all of it that can be checked without
// unpacking: the archive's structure, every entry's name, type, method and
// claimed size, the caps, the manifest; reads the thumbnail. Errors start
// with the file's name and give the reason ("x.tessera: ../a: ...").
bool ReadPackage(const std::string& path, PackageInfo& info, std::string& error);
// The same for a package held in memory (the fuzzer, a browser upload).
bool ReadPackageBytes(std::vector<uint8_t> bytes, const std::string& shownName, PackageInfo& info,
                      std::string& error);

// Checks the package as ReadPackage does, then writes its files into `dir`,
// which must not exist yet (it is created; its parent must exist). Every
// entry's bytes are counted as they come out against the caps and the CRC;
// on any failure `dir` is removed again, so nothing is left behind.
bool UnpackPackage(const std::string& path, const std::string& dir, PackageInfo& info, std::string& error);

// UnpackPackage, then lint of what came out as a campaign: lint errors refuse
// the package, naming each finding, and remove `dir` again.
bool UnpackAndLintInto(const std::string& path, const std::string& dir, PackageInfo& info, std::string& error);
// A fresh name for a hidden temporary folder beside `dir`, in the same parent,
// so one rename moves it into place.
std::string TemporaryFolderBeside(const std::string& dir);
// Removes a folder and all below it (a temporary folder given up).
void RemoveFolder(const std::string& dir);

// Unpacks into a temporary folder beside `dir`, lints it, and only then
// renames it to `dir` (which must not exist).
bool UnpackAndLint(const std::string& path, const std::string& dir, PackageInfo& info, std::string& error);

struct PackOptions {
  std::string title;   // empty: the folder's name
  std::string author;
};

// Lints `dir` (a campaign with lint errors is refused, naming them) and writes
// it as a package: the manifest, the thumbnail, then every file but saves and
// logs, sorted, with fixed times, so the same folder gives the same bytes.
bool PackCampaign(const std::string& dir, const std::string& file, const PackOptions& options,
                  std::string& error);

// Why an entry name cannot be unpacked safely on any system the game runs on,
// or empty when it can. Exposed for the tests.
std::string CheckEntryName(const std::string& name);

// A campaign folder's first level's picture, THUMBNAIL_SIDE square, as a
// 24-bit BMP (what a package carries); empty when it cannot be read.
std::vector<uint8_t> MakeCampaignThumbnail(const std::string& dir);
// What that thumbnail is made from, as a short text that changes when the
// picture may: the sizes and times (ns) of System.ini, the script naming the
// first picture, and the archive or file holding it. No picture is read.
std::string CampaignThumbnailKey(const std::string& dir);
// The number of levels a campaign folder's script holds.
int CampaignLevelCount(const std::string& dir);
// The manifest a campaign folder holds (installed from a package or made by
// import); false when it has none that reads.
bool ReadFolderManifest(const std::string& dir, Manifest& manifest);

// A package's name as the tools and the game recognise it on a command line.
bool IsPackagePath(const std::string& path);

}  // namespace tessera::content
