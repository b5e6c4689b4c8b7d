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
// pack DIR FILE.tessera [--title TEXT] [--author TEXT]
int PackCommand(const std::vector<std::string>& args);
// unpack FILE.tessera DIR
int UnpackCommand(const std::vector<std::string>& args);
// lint FILE.tessera: the package checked, unpacked into a temporary folder and linted
int LintPackageCommand(const std::string& file);

}  // namespace tessera::tool
