#pragma once
// The game's command line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessera {

struct CommandLine {
  std::string workDir;
  bool headless = false;
  std::string inputFile;
  std::string dumpDir;
  std::string traceFile;
  uint64_t maxMs = 0;
  uint32_t clockStart = 0;
  bool pixel555 = false;
  int scale = 0;
  std::optional<bool> windowed;  // overrides System.ini when given
  bool smooth = false;           // linear filtering where the window's scale is not whole
  bool help = false;
  bool version = false;
  bool autoplay = false;
  int32_t choice = 0;
  bool monkey = false;
  uint64_t monkeySeed = 0;
  std::string game;     // --game: the campaign folder's name
  bool listGames = false;
  std::string saveDir;  // --save-dir: where the slots are written
  std::string package;  // a campaign package (FILE.tessera) to install and play
  bool yes = false;     // --yes: install the package without asking
  std::vector<std::string> pictures;  // pictures (or folders of them) to make a puzzle from
};

extern const char* const kUsage;

// False with `error` on an unknown option or a bad value.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& out, std::string& error);

}  // namespace tessera
