#pragma once
// System.ini, read once at start-up, and the working directory paths start from.
#include <cstddef>
#include <cstdint>

namespace tessera {

enum Language : int32_t {
  LANGUAGE_CHINESE_SIMPLIFY = 0,
  LANGUAGE_CHINESE_TRADITIONAL = 1,
  LANGUAGE_ENGLISH = 2,
  LANGUAGE_JAPANESE = 3,
};

struct EngineConfigRecord {
  int32_t FullScreen = 1;
  int32_t Packaged = 1;
  int32_t Language = LANGUAGE_CHINESE_SIMPLIFY;
  char MenuPath[128] = "Menu";
  char PicturePath[128] = "Picture";
  char HeadPath[128] = "Head";
  char ScriptPath[128] = "Script";
  char LocalPath[128] = "Localization";
  char MoviePath[128] = "Localization";
  char MusicPath[128] = "Localization";
  char BeginLevel[128] = "";
};

extern EngineConfigRecord EngineConfig;
extern char WorkDir[260];

// Sets WorkDir from the process's current directory (empty if that fails).
void ReadWorkDir();
// Fills EngineConfig from "System.ini" in WorkDir.
void ReadEngineConfig();

struct WindowPlacement {
  int x = 0;
  int y = 0;
};
// Centred on a screen of at least 800x600 in windowed mode, else (0, 0).
WindowPlacement GameWindowPosition(bool fullScreen, int screenWidth, int screenHeight);

// "%s\%s" of a folder and a name, cut to `size` - 1 bytes as the fixed buffers are.
void ComposePath(char* out, size_t size, const char* folder, const char* name);

}  // namespace tessera
