#pragma once
// Fixtures of the content tool's tests: running the tool, small pictures, demo
// folders made once and shared, and edits of copied game folders.
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tessera::test {

RunResult RunTool(const std::string& args);
std::string Quote(const std::string& s);

// A 24-bit BMP filled with one colour.
std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r = 90, uint8_t g = 120, uint8_t b = 200);

// A demo folder (English) generated once per build of the tool and shared by
// every test process; never change it, copy it.
const std::string& SharedDemo(bool loose);

// A full copy (no links): for a tool that rewrites the files it is given.
void DeepCopy(const std::string& from, const std::string& to);

// Copies a folder tree with hard links; change files only through ReplaceFile.
void LinkCopy(const std::string& from, const std::string& to);
// Unlinks and writes anew, so the shared original is never touched.
void ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes);
void ReplaceFile(const std::string& path, const std::string& text);
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

}  // namespace tessera::test
