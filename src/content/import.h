#pragma once
// import: turns photographs into levels appended to a game folder (a new one
// when the folder holds no game yet).
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "content/common.h"

namespace tessera::content {

struct ImportOptions {
  std::string dir;
  std::vector<std::string> images;
  std::string title = "Photo";
  int pieces = 50;
  int layers = 3;
  int time = 0;  // 0: one second for every piece that starts wrong, at least 180
  int stones = 20;
  int spiders = 0;
  // A game made anew: its id (empty: a new one from the folder's name) and the
  // title its manifest gives it, UTF-8, any length (empty: `title`).
  std::string campaignId;
  std::string campaignTitle;
};

// Reads the command line after "import"; false with a message naming the bad
// option or value.
bool ParseImportArgs(const std::vector<std::string>& args, ImportOptions& out, std::string& error);

// The time limit the options give for the board they describe.
int ImportTimeLimit(const ImportOptions& options);

// Decodes a PNG, JPEG or BMP file and makes a `side` x `side` picture of its
// centred square. False with a reason for anything that is not such a picture.
bool LoadSquarePicture(const std::string& path, int side, Canvas& out, std::string& error);

// Profile-format text edits that keep every other byte of the file as it was.
std::vector<std::string> ScriptSections(const std::string& text);
// Replaces the value of the first `key` of the first `section` (both matched
// without regard to case, as the game reads them); false when there is none.
bool ReplaceProfileValue(std::string& text, const std::string& section, const std::string& key,
                         const std::string& value);

struct ImportReport {
  std::vector<std::string> levels;   // the new sections, in play order
  std::vector<std::string> skipped;  // "name: reason" for pictures left out
  std::vector<std::string> chained;  // "section:key" now leading to the first new level
};

// Told before each picture is read (index from 0, of total) and once more with
// index == total before the folder is written; returning false cancels the
// import, which then writes nothing.
using ImportStep = std::function<bool(size_t index, size_t total, const std::string& picture)>;

// The whole import. Progress lines go to `progress` (may be null). False with
// `error` when nothing could be imported, the folder could not be written or
// `step` cancelled; skipped pictures alone are not an error. A game made anew
// gets a manifest (PACKAGE_MANIFEST) with its title, so that the library can
// name it in any script.
bool ImportPictures(const ImportOptions& options, ImportReport& report, std::string& error,
                    std::FILE* progress = nullptr, const ImportStep& step = {});

constexpr const char* IMPORT_CANCELLED = "cancelled";


}  // namespace tessera::content
