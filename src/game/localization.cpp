#include "game/localization.h"

#include <cstring>

#include "app/engine_config.h"
#include "app/profile.h"

namespace tessera {

void LocalizationPath(char* out, size_t size) {
  if (EngineConfig.Packaged)
    ComposePath(out, size, WorkDir, "Localization.dat");
  else
    ComposePath(out, size, EngineConfig.LocalPath, "Localization.txt");
}

void LookupText(char* destination, const char* key, int section) {
  if (!destination) return;
  destination[0] = '\0';
  if (!key) return;

  char path[1024];
  LocalizationPath(path, sizeof path);

  const char* sectionName = "Menu";
  if (section == TEXT_TALK) {
    sectionName = "Talk";
    const char* plus = std::strrchr(key, '+');
    if (!plus) return;  // a missing talk key of the script names no text
    key = plus + 1;
  }
  char keyBuffer[128];
  const size_t keyLength = strnlen(key, sizeof keyBuffer - 1);
  std::memcpy(keyBuffer, key, keyLength);
  keyBuffer[keyLength] = '\0';
  GetPrivateProfileString(sectionName, keyBuffer, "", destination, 256, path);
}

}  // namespace tessera
