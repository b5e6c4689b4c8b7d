#include "app/command_line.h"

#include <cerrno>
#include <cstdlib>
#include <cctype>
#include <cstring>

namespace tessera {

const char* const kUsage =
    "usage: tessera [--workdir DIR] [--headless] [--input FILE] [--dump-dir DIR] [--trace FILE]\n"
    "               [--max-ms N] [--clock-start N] [--pixel-format 565|555] [--scale N]\n"
    "               [--windowed|--fullscreen] [--smooth] [--autoplay [--choice N]] [--monkey SEED]\n"
    "               [--game NAME] [--list-games] [--save-dir DIR] [[--yes] FILE.tessera | PICTURE...]\n"
    "       tessera --version | --help\n";

namespace {

bool ParseUnsigned(const char* text, uint64_t max, uint64_t& value) {
  if (!text || !*text || *text == '-' || *text == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || v > max) return false;
  value = v;
  return true;
}

// A campaign package is known by its name, as the desktop knows it.
bool IsPackageName(const std::string& path) {
  if (path.size() <= 8) return false;
  std::string ending = path.substr(path.size() - 8);
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ending == ".tessera";
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& out, std::string& error) {
  out = CommandLine{};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char*& v) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      v = argv[++i];
      return true;
    };
    const char* v = nullptr;
    uint64_t n = 0;
    if (arg == "--headless") {
      out.headless = true;
    } else if (arg == "--windowed") {
      out.windowed = true;
    } else if (arg == "--fullscreen") {
      out.windowed = false;
    } else if (arg == "--smooth") {
      out.smooth = true;
    } else if (arg == "--autoplay") {
      out.autoplay = true;
    } else if (arg == "--choice") {
      if (!value(v)) return false;
      if (!ParseUnsigned(v, 4, n)) {
        error = "--choice takes a choice number from 0 to 4";
        return false;
      }
      out.choice = static_cast<int32_t>(n);
    } else if (arg == "--monkey") {
      if (!value(v)) return false;
      if (!ParseUnsigned(v, UINT64_MAX, n)) {
        error = "--monkey takes a seed number";
        return false;
      }
      out.monkey = true;
      out.monkeySeed = n;
    } else if (arg == "--help" || arg == "-h") {
      out.help = true;
    } else if (arg == "--version") {
      out.version = true;
    } else if (arg == "--workdir") {
      if (!value(v)) return false;
      out.workDir = v;
    } else if (arg == "--game") {
      if (!value(v)) return false;
      out.game = v;
    } else if (arg == "--yes") {
      out.yes = true;
    } else if (!arg.empty() && arg[0] != '-' && IsPackageName(arg)) {
      // What a file manager's double-click or a drop on the program passes.
      if (!out.package.empty()) {
        error = "one package at a time: " + out.package + " and " + arg;
        return false;
      }
      out.package = arg;
    } else if (!arg.empty() && arg[0] != '-') {
      // Anything else is taken for pictures, or folders of them, to make a puzzle from.
      out.pictures.push_back(arg);
    } else if (arg == "--list-games") {
      out.listGames = true;
    } else if (arg == "--save-dir") {
      if (!value(v)) return false;
      out.saveDir = v;
    } else if (arg == "--input") {
      if (!value(v)) return false;
      out.inputFile = v;
    } else if (arg == "--dump-dir") {
      if (!value(v)) return false;
      out.dumpDir = v;
    } else if (arg == "--trace") {
      if (!value(v)) return false;
      out.traceFile = v;
    } else if (arg == "--max-ms") {
      if (!value(v)) return false;
      if (!ParseUnsigned(v, UINT64_MAX / 2, n)) {
        error = "--max-ms takes a number of milliseconds";
        return false;
      }
      out.maxMs = n;
    } else if (arg == "--clock-start") {
      if (!value(v)) return false;
      if (!ParseUnsigned(v, UINT32_MAX, n)) {
        error = "--clock-start takes a number from 0 to 4294967295";
        return false;
      }
      out.clockStart = static_cast<uint32_t>(n);
    } else if (arg == "--pixel-format") {
      if (!value(v)) return false;
      if (std::strcmp(v, "565") == 0)
        out.pixel555 = false;
      else if (std::strcmp(v, "555") == 0)
        out.pixel555 = true;
      else {
        error = "--pixel-format takes 565 or 555";
        return false;
      }
    } else if (arg == "--scale") {
      if (!value(v)) return false;
      if (!ParseUnsigned(v, 16, n) || n == 0) {
        error = "--scale takes a factor from 1 to 16";
        return false;
      }
      out.scale = static_cast<int>(n);
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (!out.game.empty() && !out.workDir.empty()) {
    error = "--game and --workdir cannot be combined";
    return false;
  }
  if (!out.package.empty() && (!out.workDir.empty() || !out.game.empty())) {
    error = "a package to install cannot be combined with --workdir or --game";
    return false;
  }
  if (!out.pictures.empty() && !out.package.empty()) {
    error = "pictures to make a puzzle from cannot be combined with a package to install";
    return false;
  }
  if (out.autoplay && out.monkey) {
    error = "--autoplay and --monkey cannot be combined";
    return false;
  }
  return true;
}

}  // namespace tessera
