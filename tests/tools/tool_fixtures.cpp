#include "tools/tool_fixtures.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "gfx/bmp_write.h"

namespace tessera::test {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

RunResult RunTool(const std::string& args) { return RunCommand(std::string(TESSERA_TOOL_BINARY) + " " + args); }

std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return EncodeBmp24(width, height, rgb.data());
}

const std::string& SharedDemo(bool loose) {
  static std::unique_ptr<ScratchDir> dirs[2];
  static std::string paths[2];
  int i = loose ? 1 : 0;
  if (!dirs[i]) {
    dirs[i] = std::make_unique<ScratchDir>();
    paths[i] = dirs[i]->path() + "/game";
    RunResult r = RunTool("make-demo " + Quote(paths[i]) + (loose ? " --loose" : ""));
    if (r.exitCode != 0) paths[i].clear();
  }
  return paths[i];
}

void LinkCopy(const std::string& from, const std::string& to) {
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::create_hard_links);
}

void ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  fs::remove(path, ec);
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void ReplaceFile(const std::string& path, const std::string& text) {
  ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

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

}  // namespace tessera::test
