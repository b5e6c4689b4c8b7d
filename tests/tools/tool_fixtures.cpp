#include "tools/tool_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "content/package_install.h"
#include "gfx/bmp_write.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/user_folders.h"

namespace tessera::test {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The tool's path as given when the tests were started, like the game's.
const std::string& ToolBinary() {
  static const std::string binary = HostPathString(fs::absolute(HostFsPath(TESSERA_TOOL_BINARY)));
  return binary;
}
[[maybe_unused]] const std::string& g_toolBinaryAtStart = ToolBinary();

RunResult RunTool(const std::string& args) { return RunCommand(ToolBinary() + " " + args); }

std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return EncodeBmp24(width, height, rgb.data());
}

namespace {

// One folder per build of the tool, shared by every test process: the tool's
// size and modification time name it, a lock file lets one process make it while
// the others wait, and it appears under its name only once it is complete.
std::string CachedGame(const std::string& variant, const std::string& makeArgs) {
  fs::path tool = HostFsPath(ToolBinary());
  std::error_code ec;
  // The tool and the files beside it that carry its name: a launcher stays
  // the same while the program it starts (tessera-tool.js, .wasm) is rebuilt.
  uintmax_t size = 0;
  long long stamp = std::numeric_limits<long long>::min();
  for (const auto& e : fs::directory_iterator(tool.parent_path(), ec)) {
    if (!e.is_regular_file(ec) || e.path().filename().string().rfind("tessera-tool", 0) != 0) continue;
    size += e.file_size(ec);
    // A wide integer in some C++ libraries (libc++ counts file times in 128 bits).
    stamp = std::max(stamp, static_cast<long long>(e.last_write_time(ec).time_since_epoch().count()));
  }
  fs::path cache = tool.parent_path() / "Testing" / "Temporary" / "game-cache";
  fs::create_directories(cache, ec);
  std::string key = variant + "-" + std::to_string(size) + "-" + std::to_string(stamp);
  fs::path ready = cache / key;
  HostFileLock lock(HostPathString(cache / (variant + ".lock")));
  // Without the lock two processes would make the folder at once, and one could
  // clear away what the other is reading.
  if (!lock.Held()) {
    ADD_FAILURE() << "cannot lock " << HostPathString(cache / (variant + ".lock"));
    return std::string();
  }
  if (!fs::exists(ready / "game", ec)) {
    // Folders of older builds of the tool, and any left by a process that died
    // while making one, are of no use any more.
    for (const auto& e : fs::directory_iterator(cache, ec))
      if (e.is_directory() && (e.path().filename().string().rfind(variant + "-", 0) == 0 ||
                               e.path().filename().string().rfind("building-" + variant + "-", 0) == 0))
        fs::remove_all(e.path(), ec);
    fs::path building = cache / ("building-" + key + "-" + std::to_string(CurrentProcessId()));
    fs::remove_all(building, ec);
    RunResult r = RunTool("make-demo " + Quote(HostPathString(building / "game")) + makeArgs);
    if (r.exitCode != 0) ADD_FAILURE() << "make-demo" << makeArgs << " failed:\n" << r.output;
    else if (fs::rename(building, ready, ec); ec)
      ADD_FAILURE() << "cannot rename " << HostPathString(building) << " to " << HostPathString(ready) << ": "
                    << ec.message();
    fs::remove_all(building, ec);
  }
  return fs::exists(ready / "game", ec) ? HostPathString(ready / "game") : std::string();
}

}  // namespace

const std::string& SharedDemo(bool loose) {
  static std::string paths[2];
  static bool asked[2] = {false, false};
  int i = loose ? 1 : 0;
  if (!asked[i]) {
    asked[i] = true;
    paths[i] = CachedGame(loose ? "demo-loose" : "demo-packaged", loose ? " --loose" : "");
  }
  return paths[i];
}

void DeepCopy(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::copy(HostFsPath(from), HostFsPath(to), fs::copy_options::recursive, ec);
  ASSERT_FALSE(ec) << "cannot copy " << from << " to " << to << ": " << ec.message();
}

void LinkCopy(const std::string& from, const std::string& to) {
  // Windows is the system whose paths take '\' between folders (see the header).
  if constexpr (fs::path::preferred_separator != '/') {
    DeepCopy(from, to);
  } else {
    std::error_code ec;
    fs::copy(HostFsPath(from), HostFsPath(to), fs::copy_options::recursive | fs::copy_options::create_hard_links, ec);
    if (!ec) return;
    // A file system without hard links (the browser build's runtime has none):
    // a copy does as well, only slower.
    fs::remove_all(HostFsPath(to), ec);
    DeepCopy(from, to);
  }
}

void ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const fs::path target = HostFsPath(path);
  std::error_code ec;
  // Writing into a linked file would change every other name of it: the link
  // goes first, then a new file takes its name.
  fs::remove(target, ec);
  ASSERT_FALSE(ec) << "cannot remove " << path << ": " << ec.message();
  fs::create_directories(target.parent_path(), ec);
  ASSERT_FALSE(ec) << "cannot make the folder of " << path << ": " << ec.message();
  std::ofstream out(target, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  ASSERT_TRUE(out) << "cannot write " << path;
}

void ReplaceFile(const std::string& path, const std::string& text) {
  ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void RemoveFile(const std::string& path) { RemoveOrFail(path); }

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

void SetProfileValue(const std::string& path, const std::string& section, const std::string& key,
                     const std::optional<std::string>& value) {
  std::string text = ReadText(path);
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  bool inSection = false, done = false;
  size_t sectionEnd = lines.size();
  bool sectionFound = false;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    const std::string& l = lines[i];
    if (!l.empty() && l[0] == '[') {
      if (inSection) {
        sectionEnd = i;
        break;
      }
      inSection = Lower(l) == "[" + Lower(section) + "]";
      if (inSection) sectionFound = true;
      continue;
    }
    if (inSection && Lower(l.substr(0, l.find('='))) == Lower(key)) {
      if (value) lines[i] = key + "=" + *value;
      else lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      done = true;
    }
  }
  if (!done && value) {
    if (!sectionFound) {
      lines.push_back("[" + section + "]");
      sectionEnd = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), key + "=" + *value);
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  ReplaceFile(path, out);
}

bool LintRun::Has(const std::string& prefix) const {
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) return true;
  return false;
}

bool LintRun::HasErrors() const {
  for (const std::string& l : lines)
    if (l.find(": error: ") != std::string::npos) return true;
  return false;
}

std::string LintRun::Dump() const {
  std::string s = "exit " + std::to_string(exitCode) + "\n";
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

LintRun Lint(const std::string& dir) {
  RunResult r = RunTool("lint " + Quote(dir));
  LintRun run;
  run.exitCode = r.exitCode;
  std::stringstream in(r.output);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) run.lines.push_back(line);
  return run;
}

PlayerFolders::PlayerFolders(const std::string& root) {
  const std::pair<const char*, const char*> folders[] = {{"XDG_DATA_HOME", "data"},  {"XDG_CONFIG_HOME", "config"},
                                                         {"XDG_STATE_HOME", "state"}, {"XDG_CACHE_HOME", "cache"},
                                                         {"APPDATA", "appdata"},      {"LOCALAPPDATA", "localappdata"}};
  for (const auto& [name, folder] : folders) {
    const char* old = std::getenv(name);
    previous_.emplace_back(name, old ? old : "");
    SetEnvironment(name, HostPathString(HostFsPath(root) / folder));
  }
}

PlayerFolders::~PlayerFolders() {
  for (const auto& [name, value] : previous_) SetEnvironment(name, value);
}

std::string PlayerFolders::Campaigns() const { return HostPathString(content::PlayerCampaignsFolder()); }
std::string PlayerFolders::Cache() const { return HostPathString(GetUserFolders().cache); }

}  // namespace tessera::test
