#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/engine_config.h"
#include "app/profile.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/localization.h"
#include "game/settings.h"

namespace tessera {

LevelDefinitionRecord LevelDefinition;

namespace {

// No script value can hold this byte sequence, so reading it back means the
// key was missing and the real default applies.
constexpr char kMissing[] = "\x1f\x1e";

// Reads one key of one section, noting whether the section answered at all.
class SectionReader {
 public:
  SectionReader(const char* section, const char* path) : section_(section), path_(path) {}

  void Text(const char* key, const char* defaultText, char* buffer, size_t size) {
    GetPrivateProfileString(section_, key, kMissing, buffer, size, path_);
    if (std::strcmp(buffer, kMissing) == 0) {
      std::snprintf(buffer, size, "%s", defaultText);
    } else {
      found_ = true;
    }
  }

  void Indexed(const char* format, int index, const char* defaultText, char* buffer, size_t size) {
    char key[128];
    std::snprintf(key, sizeof key, format, index);
    Text(key, defaultText, buffer, size);
  }

  int Number(const char* key, const char* defaultText) {
    char value[128];
    Text(key, defaultText, value, sizeof value);
    return ParseDecimal(value);
  }

  bool Found() const { return found_; }

 private:
  const char* section_;
  const char* path_;
  bool found_ = false;
};

// "%s\%s%s" of a folder, a value and an extension, cut to the fixed field, as
// the script's paths are.
void ComposeScriptPath(char* out, size_t size, const char* folder, const char* value, const char* extension) {
  std::string path = folder;
  path += '\\';
  path += value;
  path += extension;
  const size_t n = std::min(path.size(), size - 1);
  std::memcpy(out, path.data(), n);
  out[n] = '\0';
}

int Held(int count, int limit) { return std::clamp(count, 0, limit); }

void ReadTalkLine(SectionReader& reader, const char* format, int index, TalkLine& line) {
  char value[256];
  reader.Indexed(format, index, "", value, sizeof value);
  line.speaker = FindTalkerHead(value);
  line.colour = TalkColors[TalkColourIndex(value)];
  LookupText(line.text, value, TEXT_TALK);
}

void ReadEndPlay(SectionReader& reader, const char* key, EndPlay& play) {
  char value[128];
  reader.Text(key, "", value, sizeof value);
  play.kind = EndPlayKind(value);
  EndPlayName(value, play.name, sizeof play.name);
}

}  // namespace

const char* LevelScriptName() { return EngineConfig.Packaged ? "Script.dat" : "ScriptEntry.txt"; }

void LevelScriptPath(char* out, size_t size) {
  ComposePath(out, size, EngineConfig.Packaged ? WorkDir : EngineConfig.ScriptPath, LevelScriptName());
}

int FindTalkerHead(const char* talkValue) {
  if (!talkValue) return 0;
  const char* colon = std::strchr(talkValue, ':');
  size_t length = colon ? static_cast<size_t>(colon - talkValue) : std::strlen(talkValue);
  for (int i = 0; i < MAX_TALKER_HEADS; ++i) {
    char name[24];
    std::snprintf(name, sizeof name, "%s%02d", "TalkerHead", i);
    if (std::strlen(name) == length && std::memcmp(name, talkValue, length) == 0) return i;
  }
  return 0;
}

int TalkColourIndex(const char* talkValue) {
  if (!talkValue) return 0;
  const char* colon = std::strrchr(talkValue, ':');
  if (!colon) return 0;
  const char digit = colon[1];
  if (digit < '1' || digit > '5') return 0;
  return digit - '1';
}

int EndPlayKind(const char* endPlayValue) {
  if (!endPlayValue || !*endPlayValue) return -1;
  const char* plus = std::strchr(endPlayValue, '+');
  if (!plus) return -1;
  const size_t length = static_cast<size_t>(plus - endPlayValue);
  if (length == 3 && std::memcmp(endPlayValue, "avi", 3) == 0) return 0;
  if (length == 3 && std::memcmp(endPlayValue, "pic", 3) == 0) return 1;
  return -1;
}

void EndPlayName(const char* endPlayValue, char* out, size_t size) {
  if (size == 0) return;
  const char* plus = endPlayValue ? std::strrchr(endPlayValue, '+') : nullptr;
  std::snprintf(out, size, "%s", plus ? plus + 1 : "");
}

void ReadLevelDefinition(const char* section, LevelDefinitionRecord& level) {
  char path[1024];
  LevelScriptPath(path, sizeof path);
  SectionReader reader(section ? section : "", path);
  char value[128];

  reader.Text("LevelName", "", level.LevelName, sizeof level.LevelName);
  reader.Text("BGMusicName", "", value, sizeof value);
  ComposeScriptPath(level.MusicPath, sizeof level.MusicPath, EngineConfig.MusicPath, value, "");

  level.BlendPictureNum = reader.Number("BlendPictureNum", "2");
  for (auto& layer : level.LayerPaths) layer[0] = '\0';
  for (int i = 0; i < Held(level.BlendPictureNum, MAX_LAYERS); ++i) {
    reader.Indexed("BlendPicture%02d", i, "", value, sizeof value);
    ComposeScriptPath(level.LayerPaths[i], sizeof level.LayerPaths[i], EngineConfig.PicturePath, value, ".bmp");
  }

  level.SplitSize = reader.Number("SplitSize", "100");
  level.LimitedTime = reader.Number("LimitedTime", "120");
  level.StoneRation = reader.Number("StoneRation", "100");
  level.StaticSpiderNum = Held(reader.Number("StaticSpiderNum", "0"), MAX_SPIDERS);
  level.DynamicSpiderNum = Held(reader.Number("DynamicSpiderNum", "0"), MAX_SPIDERS);

  level.TalkerHeadNum = Held(reader.Number("TalkerHeadNum", "1"), MAX_TALKER_HEADS);
  for (auto& head : level.TalkerHeadPaths) head[0] = '\0';
  for (int i = 0; i < level.TalkerHeadNum; ++i) {
    reader.Indexed("TalkerHead%02d", i, "", value, sizeof value);
    ComposeScriptPath(level.TalkerHeadPaths[i], sizeof level.TalkerHeadPaths[i], EngineConfig.HeadPath, value,
                      ".bmp");
  }

  level.BeginTalkNum = Held(reader.Number("BeginTalkNum", "1"), MAX_TALK_LINES);
  for (auto& line : level.BeginTalk) line = TalkLine{};
  for (int i = 0; i < level.BeginTalkNum; ++i) ReadTalkLine(reader, "BeginTalk%02d", i, level.BeginTalk[i]);

  level.EndTalkNum = Held(reader.Number("EndTalkNum", "1"), MAX_TALK_LINES);
  for (auto& line : level.EndTalk) line = TalkLine{};
  for (int i = 0; i < level.EndTalkNum; ++i) ReadTalkLine(reader, "EndTalk%02d", i, level.EndTalk[i]);

  reader.Text("Goto", "Level00", level.Goto, sizeof level.Goto);

  level.SelectionTalkNum = Held(reader.Number("SelectionTalkNum", "0"), MAX_SELECTIONS);
  level.SelectionColour = 0;
  for (int k = 0; k < MAX_SELECTIONS; ++k) {
    level.SelectionText[k][0] = '\0';
    level.SelectionGoto[k][0] = '\0';
    level.SelectionEndPlay[k] = EndPlay{};
  }
  for (int k = 0; k < level.SelectionTalkNum; ++k) {
    char talk[256];
    reader.Indexed("SelectionTalk%02d", k, "", talk, sizeof talk);
    if (k == 0) level.SelectionColour = TalkColors[TalkColourIndex(talk)];
    LookupText(level.SelectionText[k], talk, TEXT_TALK);
    reader.Indexed("Goto%02d", k, "Level00", level.SelectionGoto[k], sizeof level.SelectionGoto[k]);
  }

  ReadEndPlay(reader, "EndPlay", level.LevelEndPlay);
  for (int k = 0; k < level.SelectionTalkNum; ++k) {
    char key[128];
    std::snprintf(key, sizeof key, "EndPlay%02d", k);
    ReadEndPlay(reader, key, level.SelectionEndPlay[k]);
  }

  level.SectionFound = reader.Found() ? 1 : 0;
}

void ReadLevelDefinition() { ReadLevelDefinition(CurrentLevelName, LevelDefinition); }

bool LevelDefinitionPlayable(const LevelDefinitionRecord& level, std::string& reason) {
  char text[160];
  if (!level.SectionFound) {
    reason = "the level script has no such level";
    return false;
  }
  if (level.BlendPictureNum < 1) {
    reason = "it has no pictures";
    return false;
  }
  if (level.BlendPictureNum > MAX_LAYERS) {
    std::snprintf(text, sizeof text, "it has %d pictures, at most %d are possible", level.BlendPictureNum,
                  MAX_LAYERS);
    reason = text;
    return false;
  }
  if (level.SplitSize != 25 && level.SplitSize != 50 && level.SplitSize != 100) {
    std::snprintf(text, sizeof text, "a piece size of %d is not 25, 50 or 100", level.SplitSize);
    reason = text;
    return false;
  }
  reason.clear();
  return true;
}

std::string LevelRefusalMessage(const char* levelName, const std::string& reason) {
  std::string message = "Level \"";
  message += levelName ? levelName : "";
  message += "\" cannot be played: ";
  message += reason;
  return message;
}

}  // namespace tessera
