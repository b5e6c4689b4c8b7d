#include "app/engine_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/profile.h"
#include "platform/file_system.h"

namespace tessera {

EngineConfigRecord EngineConfig;
char WorkDir[260] = "";

void ReadWorkDir() {
  // A folder whose name does not fit is no folder, as getcwd would say.
  const std::string here = HostCurrentFolder();
  const size_t length = here.size() < sizeof WorkDir ? here.size() : 0;
  std::memcpy(WorkDir, here.data(), length);
  WorkDir[length] = '\0';
}

void ComposePath(char* out, size_t size, const char* folder, const char* name) {
  if (size == 0) return;
  // Paths are composed for every caption drawn, so this is the formatted
  // "%s\\%s" written out as three bounded copies.
  size_t n = 0;
  auto put = [&](const char* text, size_t length) {
    const size_t take = std::min(length, size - 1 - n);
    std::memcpy(out + n, text, take);
    n += take;
  };
  if (folder) put(folder, std::strlen(folder));
  put("\\", 1);
  if (name) put(name, std::strlen(name));
  out[n] = '\0';
}

void ReadEngineConfig() {
  char path[1024];
  ComposePath(path, sizeof path, WorkDir, "System.ini");
  char value[128];
  auto read = [&](const char* section, const char* key, const char* def, char* into) {
    GetPrivateProfileString(section, key, def, into ? into : value, 128, path);
  };

  read("setting", "windowed", "false", nullptr);
  EngineConfig.FullScreen = std::strcmp(value, "true") == 0 ? 0 : 1;
  read("setting", "packaged", "true", nullptr);
  EngineConfig.Packaged = std::strcmp(value, "false") == 0 ? 0 : 1;
  read("setting", "language", "ChineseSimplify", nullptr);
  if (std::strcmp(value, "ChineseTraditional") == 0)
    EngineConfig.Language = LANGUAGE_CHINESE_TRADITIONAL;
  else if (std::strcmp(value, "English") == 0)
    EngineConfig.Language = LANGUAGE_ENGLISH;
  else if (std::strcmp(value, "Japanese") == 0)
    EngineConfig.Language = LANGUAGE_JAPANESE;
  else
    EngineConfig.Language = LANGUAGE_CHINESE_SIMPLIFY;

  read("path", "MenuPath", "Menu", EngineConfig.MenuPath);
  read("path", "PicturePath", "Picture", EngineConfig.PicturePath);
  read("path", "HeadPath", "Head", EngineConfig.HeadPath);
  read("path", "ScriptPath", "Script", EngineConfig.ScriptPath);
  read("path", "LocalPath", "Localization", EngineConfig.LocalPath);
  read("path", "MoviePath", "Localization", EngineConfig.MoviePath);
  read("path", "MusicPath", "Localization", EngineConfig.MusicPath);
  read("path", "SoundPath", "Localization", nullptr);  // sound effects use fixed names
  read("debug", "SkipLevel", "false", nullptr);
  read("debug", "BeginLevel", "", EngineConfig.BeginLevel);
}

WindowPlacement GameWindowPosition(bool fullScreen, int screenWidth, int screenHeight) {
  WindowPlacement p;
  if (!fullScreen && screenWidth >= 800 && screenHeight >= 600) {
    p.x = (screenWidth - 800) / 2;
    p.y = (screenHeight - 600) / 2;
  }
  return p;
}

}  // namespace tessera
