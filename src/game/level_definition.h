#pragma once
// One level's data as the level script gives it (read by ReadLevelDefinition).
#include <cstddef>
#include <cstdint>

namespace tessera {

constexpr int MAX_LAYERS = 5;
constexpr int MAX_TALKER_HEADS = 60;
constexpr int MAX_TALK_LINES = 30;
constexpr int MAX_SELECTIONS = 5;

struct TalkLine {
  int32_t speaker = 0;   // talker-head index
  uint16_t colour = 0;   // packed pixel
  char text[256] = "";   // localized, in the language's code page
};

struct EndPlay {
  int32_t kind = -1;  // -1 nothing, 0 movie, 1 picture
  char name[128] = "";
};

struct LevelDefinitionRecord {
  char LevelName[128] = "";
  char MusicPath[128] = "";
  int32_t BlendPictureNum = 0;
  char LayerPaths[MAX_LAYERS][128] = {};
  int32_t SplitSize = 0;
  int32_t LimitedTime = 0;
  int32_t StoneRation = 0;
  int32_t StaticSpiderNum = 0;
  int32_t DynamicSpiderNum = 0;
  int32_t TalkerHeadNum = 0;
  char TalkerHeadPaths[MAX_TALKER_HEADS][128] = {};
  int32_t BeginTalkNum = 0;
  int32_t EndTalkNum = 0;
  TalkLine BeginTalk[MAX_TALK_LINES];
  TalkLine EndTalk[MAX_TALK_LINES];
  char Goto[128] = "";
  int32_t SelectionTalkNum = 0;
  char SelectionText[MAX_SELECTIONS][256] = {};
  uint16_t SelectionColour = 0;
  char SelectionGoto[MAX_SELECTIONS][128] = {};
  EndPlay LevelEndPlay;
  EndPlay SelectionEndPlay[MAX_SELECTIONS];
};

extern LevelDefinitionRecord LevelDefinition;

// Reads the section CurrentLevelName of the level script into LevelDefinition.
void ReadLevelDefinition();

// The level script's path: "Script.dat" in WorkDir when packaged, else
// "ScriptEntry.txt" in ScriptPath.
void LevelScriptPath(char* out, size_t size);

int FindTalkerHead(const char* talkValue);
int TalkColourIndex(const char* talkValue);
int EndPlayKind(const char* endPlayValue);

}  // namespace tessera
