#pragma once
// The tool's subcommands over the content library: each reads its arguments,
// prints to standard output and error, and returns the exit code.
#include <string>
#include <vector>

namespace tessera::tool {

// archive list FILE | extract FILE DIR | pack FILE BMP...
int ArchiveCommand(const std::vector<std::string>& args);
// make-demo DIR [--language ...] [--loose]
int MakeDemoCommand(const std::vector<std::string>& args);
// import DIR IMAGE... [options]
int ImportCommand(const std::vector<std::string>& args);
// lint DIR
int LintCommand(const std::vector<std::string>& args);

}  // namespace tessera::tool
