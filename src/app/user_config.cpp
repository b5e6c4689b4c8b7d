#include "app/user_config.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include "app/files.h"
#include "app/profile.h"
#include "platform/user_folders.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

constexpr size_t kValueSize = 4096;  // room for a long folder path

std::optional<bool> ReadBool(const std::string& path, const char* section, const char* key) {
  const std::string value = ReadProfileString(section, key, "", kValueSize, path);
  if (value == "true") return true;
  if (value == "false") return false;
  return std::nullopt;
}

// A whole decimal number within 1..max; 0 (not set) for anything else.
int ReadCount(const std::string& path, const char* section, const char* key, int max) {
  const std::string value = ReadProfileString(section, key, "", kValueSize, path);
  if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos) return 0;
  const int n = std::atoi(value.c_str());
  return n >= 1 && n <= max ? n : 0;
}

const char* BoolText(bool value) { return value ? "true" : "false"; }

}  // namespace

fs::path UserConfigPath() {
  const fs::path folder = GetUserFolders().config;
  return folder.empty() ? fs::path() : folder / "tessera.ini";
}

UserConfig LoadUserConfig(const fs::path& file) {
  UserConfig config;
  if (file.empty()) return config;
  const std::string path = file.string();
  config.lastGame = ReadProfileString("game", "last", "", kValueSize, path);
  config.fullScreen = ReadBool(path, "window", "fullscreen");
  config.scale = ReadCount(path, "window", "scale", 16);
  config.windowWidth = ReadCount(path, "window", "width", 65535);
  config.windowHeight = ReadCount(path, "window", "height", 65535);
  config.smooth = ReadBool(path, "window", "smooth");
  return config;
}

bool SaveUserConfig(const UserConfig& config, const fs::path& file) {
  if (file.empty()) return false;
  std::string text = "; Tessera's settings for this player, written by the game.\n[game]\n";
  // Values are read back trimmed and up to the end of the line.
  if (!config.lastGame.empty() && config.lastGame.find_first_of("\r\n") == std::string::npos)
    text += "last=" + config.lastGame + "\n";
  text += "\n[window]\n";
  if (config.fullScreen) text += std::string("fullscreen=") + BoolText(*config.fullScreen) + "\n";
  if (config.scale > 0) text += "scale=" + std::to_string(config.scale) + "\n";
  if (config.windowWidth > 0 && config.windowHeight > 0) {
    text += "width=" + std::to_string(config.windowWidth) + "\n";
    text += "height=" + std::to_string(config.windowHeight) + "\n";
  }
  if (config.smooth) text += std::string("smooth=") + BoolText(*config.smooth) + "\n";
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  return WriteFileAtomically(file.string(), text.data(), text.size());
}

bool ChooseFullScreen(std::optional<bool> commandLine, const UserConfig& config, bool systemIni) {
  if (commandLine) return *commandLine;
  if (config.fullScreen) return *config.fullScreen;
  return systemIni;
}

int ChooseScale(int commandLine, const UserConfig& config) {
  return commandLine > 0 ? commandLine : config.scale;
}

}  // namespace tessera
