#pragma once
// lint: checks a game folder the way the game will read it.
#include <string>
#include <vector>

namespace tessera::content {

enum class Severity { Warning, Error };

struct Finding {
  Severity severity = Severity::Error;
  std::string file;     // relative to the game folder
  std::string section;  // may be empty
  std::string key;      // may be empty
  std::string message;
};

// "file:section:key: error: message"
std::string FormatFinding(const Finding& f);

std::vector<Finding> LintGameFolder(const std::string& dir);
bool HasErrors(const std::vector<Finding>& findings);
// The errors among `findings`, each on a line of its own after "\n  ", the
// first 20 of them.
std::string LintReport(const std::vector<Finding>& findings);


}  // namespace tessera::content
