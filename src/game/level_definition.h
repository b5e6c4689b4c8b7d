#pragma once
// One level's data as the level script gives it (read by ReadLevelDefinition),
// and the script's rules for talk values and end plays.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessera {

constexpr int MAX_LAYERS = 5;
constexpr int MAX_TALKER_HEADS = 60;
constexpr int MAX_TALK_LINES = 30;
constexpr int MAX_SELECTIONS = 5;
constexpr int MAX_SPIDERS = 5;

struct TalkLine {
  int32_t speaker = 0;   // talker-head index
  uint16_t colour = 0;   // packed pixel
  char text[256] = "";   // localized, in the language's code page
};

struct EndPlay {
  int32_t kind = -1;  // -1 nothing, 0 movie, 1 picture
  char name[128] = "";
};

// Counts are held within the fixed tables below (talker heads, talk lines,
// choices, spiders), so a reader may index by them. BlendPictureNum is the one
// exception: it keeps the script's value so that a level asking for more than
// MAX_LAYERS layers can be refused; only the first MAX_LAYERS paths are read.
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
  // 1 when the script held the level's section (at least one of its keys).
  int32_t SectionFound = 0;
};

extern LevelDefinitionRecord LevelDefinition;

// Reads the section CurrentLevelName of the level script into LevelDefinition.
void ReadLevelDefinition();
// The same for any section into any record (tests, tools).
void ReadLevelDefinition(const char* section, LevelDefinitionRecord& out);

// "Script.dat" when packaged, else "ScriptEntry.txt".
const char* LevelScriptName();
// The level script's path: "Script.dat" in WorkDir when packaged, else
// "ScriptEntry.txt" in ScriptPath.
void LevelScriptPath(char* out, size_t size);

// Speaker: the index of the first of "TalkerHead00".."TalkerHead59" equal to the
// text before the first ':'; 0 when none is.
int FindTalkerHead(const char* talkValue);
// The digit right after the last ':' less one, when that is 0..4; else 0.
int TalkColourIndex(const char* talkValue);
// -1 for an empty value or no '+', 0 for "avi", 1 for "pic" before the first '+'.
int EndPlayKind(const char* endPlayValue);
// The text after the last '+'; empty when there is none.
void EndPlayName(const char* endPlayValue, char* out, size_t size);

// Whether LevelDefinition describes a level the board can be built for. When
// not, `reason` says why in words the player can read.
bool LevelDefinitionPlayable(const LevelDefinitionRecord& level, std::string& reason);
// "Level <name> cannot be played: <reason>" for the message box.
std::string LevelRefusalMessage(const char* levelName, const std::string& reason);

}  // namespace tessera
