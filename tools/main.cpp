// tessera-tool: the content tool (picture archives, the demo campaign, levels
// from the player's own pictures, the game-folder linter, campaign packages).
#include <cstdio>
#include <string>
#include <vector>

#include "app/version.h"
#include "commands.h"
#include "content/package.h"
#include "icons.h"
#include "platform/process.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tessera-tool archive list FILE\n"
               "       tessera-tool archive extract FILE DIR\n"
               "       tessera-tool archive pack FILE BMP...\n"
               "       tessera-tool lint DIR|FILE.tessera\n"
               "       tessera-tool pack DIR FILE.tessera [--title TEXT] [--author TEXT]\n"
               "       tessera-tool unpack FILE.tessera DIR\n"
               "       tessera-tool make-demo DIR [--language english|chinese-simplified|chinese-traditional] [--loose]\n"
               "       tessera-tool import DIR IMAGE... [--title TEXT] [--pieces 25|50|100] [--layers 2..5]\n"
               "                           [--time SECONDS] [--stones PERCENT] [--spiders N]\n"
               "       tessera-tool make-icons DIR [--name NAME]\n"
               "       tessera-tool --version\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tessera::SetUpStandardStreams();
  const std::vector<std::string> arguments = tessera::CommandLineArguments(argc, argv);
  if (arguments.size() < 2) return Usage();
  std::string command = arguments[1];
  std::vector<std::string> rest(arguments.begin() + 2, arguments.end());
  if (command == "archive") return tessera::tool::ArchiveCommand(rest);
  if (command == "make-demo") return tessera::tool::MakeDemoCommand(rest);
  if (command == "import") return tessera::tool::ImportCommand(rest);
  if (command == "lint" && rest.size() == 1 && tessera::content::IsPackagePath(rest[0]))
    return tessera::tool::LintPackageCommand(rest[0]);
  if (command == "lint") return tessera::tool::LintCommand(rest);
  if (command == "pack") return tessera::tool::PackCommand(rest);
  if (command == "unpack") return tessera::tool::UnpackCommand(rest);
  if (command == "make-icons") return tessera::tool::MakeIconsCommand(rest);
  if (command == "--version") {
    std::printf("tessera-tool %s\n", tessera::VersionText());
    return 0;
  }
  return Usage();
}
