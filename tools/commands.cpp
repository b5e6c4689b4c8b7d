#include "commands.h"

#include <cstdio>
#include <filesystem>

#include "content/archive.h"
#include "content/demo.h"
#include "content/import.h"
#include "content/lint.h"
#include "content/package.h"
#include "platform/file_system.h"

namespace tessera::tool {

using namespace content;

namespace {

int ArchiveUsage() {
  std::fprintf(stderr,
               "usage: tessera-tool archive list FILE\n"
               "       tessera-tool archive extract FILE DIR\n"
               "       tessera-tool archive pack FILE BMP...\n");
  return 2;
}

bool LoadIndex(const std::string& path, Bytes& file, std::vector<ArchiveEntry>& entries) {
  if (!ReadHostFile(path, file)) {
    std::fprintf(stderr, "%s: cannot read\n", path.c_str());
    return false;
  }
  std::string error;
  if (!ReadArchiveIndex(file, entries, error)) {
    std::fprintf(stderr, "%s: not a picture archive: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int ArchiveCommand(const std::vector<std::string>& args) {
  if (args.empty()) return ArchiveUsage();
  const std::string& verb = args[0];
  if (verb == "list" && args.size() == 2) {
    Bytes file;
    std::vector<ArchiveEntry> entries;
    if (!LoadIndex(args[1], file, entries)) return 1;
    for (const ArchiveEntry& e : entries) std::printf("%10u %10u %s\n", e.offset, e.size, e.name.c_str());
    return 0;
  }
  if (verb == "extract" && args.size() == 3) {
    Bytes file;
    std::vector<ArchiveEntry> entries;
    if (!LoadIndex(args[1], file, entries)) return 1;
    if (!MakeHostDirs(args[2])) {
      std::fprintf(stderr, "%s: cannot create folder\n", args[2].c_str());
      return 1;
    }
    for (const ArchiveEntry& e : entries) {
      // Names come from the file: never let one climb out of the folder.
      if (e.name.empty() || e.name == "." || e.name == ".." || e.name.find_first_of("/\\") != std::string::npos) {
        std::fprintf(stderr, "%s: refusing member name '%s'\n", args[1].c_str(), e.name.c_str());
        return 1;
      }
      if (!WriteHostFile(args[2] + "/" + e.name, MemberBytes(file, e))) {
        std::fprintf(stderr, "%s/%s: cannot write\n", args[2].c_str(), e.name.c_str());
        return 1;
      }
    }
    return 0;
  }
  if (verb == "pack" && args.size() >= 2) {
    std::vector<ArchiveMember> members;
    for (size_t i = 2; i < args.size(); ++i) {
      ArchiveMember m;
      m.name = BaseName(args[i]);
      if (!ReadHostFile(args[i], m.data)) {
        std::fprintf(stderr, "%s: cannot read\n", args[i].c_str());
        return 1;
      }
      if (m.data.size() < 2 || m.data[0] != 'B' || m.data[1] != 'M') {
        std::fprintf(stderr, "%s: not a BMP file\n", args[i].c_str());
        return 1;
      }
      members.push_back(std::move(m));
    }
    Bytes out;
    std::string error;
    if (!PackArchive(members, out, error)) {
      std::fprintf(stderr, "%s: %s\n", args[1].c_str(), error.c_str());
      return 1;
    }
    if (!WriteHostFile(args[1], out)) {
      std::fprintf(stderr, "%s: cannot write\n", args[1].c_str());
      return 1;
    }
    return 0;
  }
  return ArchiveUsage();
}

int MakeDemoCommand(const std::vector<std::string>& args) {
  std::string dir;
  DemoLanguage language = DemoLanguage::English;
  bool loose = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--loose") {
      loose = true;
    } else if (args[i] == "--language" && i + 1 < args.size()) {
      if (!ParseDemoLanguage(args[++i], language)) {
        std::fprintf(stderr, "unknown language '%s' (english, chinese-simplified, chinese-traditional)\n",
                     args[i].c_str());
        return 2;
      }
    } else if (dir.empty() && !args[i].empty() && args[i][0] != '-') {
      dir = args[i];
    } else {
      std::fprintf(stderr, "usage: tessera-tool make-demo DIR [--language english|chinese-simplified|chinese-traditional] [--loose]\n");
      return 2;
    }
  }
  if (dir.empty()) {
    std::fprintf(stderr, "usage: tessera-tool make-demo DIR [--language english|chinese-simplified|chinese-traditional] [--loose]\n");
    return 2;
  }
  std::string error;
  if (!MakeDemo(dir, language, loose, error)) {
    std::fprintf(stderr, "make-demo: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

constexpr const char* IMPORT_USAGE =
    "usage: tessera-tool import DIR IMAGE... [--title TEXT] [--pieces 25|50|100] [--layers 2..5]\n"
    "                           [--time SECONDS] [--stones PERCENT] [--spiders N]\n";

int ImportCommand(const std::vector<std::string>& args) {
  ImportOptions options;
  std::string error;
  if (!ParseImportArgs(args, options, error)) {
    std::fprintf(stderr, "import: %s\n%s", error.c_str(), IMPORT_USAGE);
    return 2;
  }
  ImportReport report;
  if (!ImportPictures(options, report, error, stdout)) {
    for (const std::string& s : report.skipped) std::fprintf(stderr, "import: skipped %s\n", s.c_str());
    std::fprintf(stderr, "import: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& s : report.skipped) std::fprintf(stderr, "import: skipped %s\n", s.c_str());
  for (const std::string& c : report.chained)
    std::printf("%s now goes to %s\n", c.c_str(), report.levels.front().c_str());
  std::printf("%zu levels added: %s to %s\n", report.levels.size(), report.levels.front().c_str(),
              report.levels.back().c_str());
  std::vector<Finding> findings = LintGameFolder(options.dir);
  for (const Finding& f : findings) std::printf("%s\n", FormatFinding(f).c_str());
  if (HasErrors(findings)) {
    std::fprintf(stderr, "import: the game folder has errors (above)\n");
    return 1;
  }
  return 0;
}

int LintCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tessera-tool lint DIR\n");
    return 2;
  }
  std::vector<Finding> findings = LintGameFolder(args[0]);
  for (const Finding& f : findings) std::printf("%s\n", FormatFinding(f).c_str());
  return HasErrors(findings) ? 1 : 0;
}

int PackCommand(const std::vector<std::string>& args) {
  PackOptions options;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--title" || args[i] == "--author") && i + 1 < args.size()) {
      (args[i] == "--title" ? options.title : options.author) = args[i + 1];
      ++i;
    } else if (args[i].compare(0, 2, "--") == 0) {
      positional.clear();
      break;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2 || !IsPackagePath(positional[1])) {
    std::fprintf(stderr, "usage: tessera-tool pack DIR FILE.tessera [--title TEXT] [--author TEXT]\n");
    return 2;
  }
  std::string error;
  if (!PackCampaign(positional[0], positional[1], options, error)) {
    std::fprintf(stderr, "tessera-tool: %s\n", error.c_str());
    return 1;
  }
  std::printf("packed %s into %s\n", positional[0].c_str(), positional[1].c_str());
  return 0;
}

int UnpackCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: tessera-tool unpack FILE.tessera DIR\n");
    return 2;
  }
  PackageInfo info;
  std::string error;
  if (!UnpackAndLint(args[0], args[1], info, error)) {
    std::fprintf(stderr, "tessera-tool: %s\n", error.c_str());
    return 1;
  }
  std::printf("unpacked \"%s\" (%d levels, %zu files) into %s\n", info.manifest.title.c_str(), info.manifest.levels,
              info.files, args[1].c_str());
  return 0;
}

int LintPackageCommand(const std::string& file) {
  PackageInfo info;
  std::string error;
  const std::string probe =
      TemporaryFolderBeside(HostPathString(std::filesystem::temp_directory_path() / "tessera-lint"));
  if (!UnpackPackage(file, probe, info, error)) {
    std::fprintf(stderr, "tessera-tool: %s\n", error.c_str());
    return 1;
  }
  const std::vector<Finding> findings = LintGameFolder(probe);
  RemoveFolder(probe);
  for (const Finding& f : findings) std::printf("%s\n", FormatFinding(f).c_str());
  std::printf("%s: \"%s\" by %s, %s, %d levels, %zu files, %llu bytes\n", file.c_str(), info.manifest.title.c_str(),
              info.manifest.author.empty() ? "(no author)" : info.manifest.author.c_str(),
              info.manifest.language.c_str(), info.manifest.levels, info.files,
              static_cast<unsigned long long>(info.packageBytes));
  return HasErrors(findings) ? 1 : 0;
}

}  // namespace tessera::tool
