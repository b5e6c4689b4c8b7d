#pragma once
// Fixtures of the content tool's tests: running the tool, small pictures, demo
// folders made once and shared, and edits of copied game folders.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace tessera::test {

RunResult RunTool(const std::string& args);
std::string Quote(const std::string& s);

// A 24-bit BMP filled with one colour.
std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r = 90, uint8_t g = 120, uint8_t b = 200);

// A demo folder (English) generated once per build of the tool and shared by
// every test process, read by several at once: never change it, nor run the
// game in it (the game writes its log there); copy it. Empty, with the test
// failed, when it cannot be made.
const std::string& SharedDemo(bool loose);

// A full copy (no links): for a tool that rewrites the files it is given.
void DeepCopy(const std::string& from, const std::string& to);

// A copy of a folder tree for one test to change, made cheaply: on Linux its
// files are hard links to the original's, so they must only be read, replaced
// (ReplaceFile, SetProfileValue) or removed, never written in place. On Windows
// it is a full copy: there a file that another process holds open cannot be
// removed or replaced under any of its names, so links would let one test's
// reading make another's edits fail.
void LinkCopy(const std::string& from, const std::string& to);
// Removes the file (breaking its link) and writes a new one, so a shared
// original is never touched; a failed step fails the test.
void ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes);
void ReplaceFile(const std::string& path, const std::string& text);
// Removes a file that must be there (RemoveOrFail).
void RemoveFile(const std::string& path);

// Sets (or, with no value, removes) a key of a profile-format file; a section
// that does not exist is appended.
void SetProfileValue(const std::string& path, const std::string& section, const std::string& key,
                     const std::optional<std::string>& value);

struct LintRun {
  int exitCode = -1;
  std::vector<std::string> lines;
  // True when a line starts with `prefix` ("file:section:key: error:").
  bool Has(const std::string& prefix) const;
  bool HasErrors() const;
  std::string Dump() const;
};
LintRun Lint(const std::string& dir);

// A player's own folders below `root` for the rest of the test (each test runs
// in its own process; the old values come back when it ends): the XDG
// variables of POSIX systems and %APPDATA% of Windows point there, so the game
// and the tool started by the test, and the test's own calls, use them.
class PlayerFolders {
 public:
  explicit PlayerFolders(const std::string& root);
  ~PlayerFolders();
  PlayerFolders(const PlayerFolders&) = delete;
  PlayerFolders& operator=(const PlayerFolders&) = delete;
  // Where packages install: $XDG_DATA_HOME/tessera/campaigns or
  // %APPDATA%\Tessera\campaigns.
  std::string Campaigns() const;
  // Where the library keeps its thumbnails: $XDG_CACHE_HOME/tessera or
  // %LOCALAPPDATA%\\Tessera.
  std::string Cache() const;

 private:
  std::vector<std::pair<std::string, std::string>> previous_;
};

}  // namespace tessera::test
