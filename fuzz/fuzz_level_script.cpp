// The level script on any bytes, with a small localization file beside it:
// every count stays inside its table, every text field keeps its terminator,
// and the playability verdict agrees with the counts read.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "game/level_definition.h"
#include "game/localization.h"

using namespace tessera;

namespace {

constexpr char kLocalization[] =
    "[Menu]\nStart=Start\n[Talk]\nHello=Hello there\nBye=\xB0\xA1\xB0\xA2\n";

LevelDefinitionRecord g_level;  // too large for the stack of a fuzzing thread

void CheckTalk(const TalkLine* lines, int count) {
  for (int i = 0; i < MAX_TALK_LINES; ++i) {
    fuzz::Require(fuzz::Terminated(lines[i].text), "talk text not terminated");
    fuzz::Require(lines[i].speaker >= 0 && lines[i].speaker < MAX_TALKER_HEADS, "speaker outside the heads");
    if (i >= count) fuzz::Require(lines[i].text[0] == '\0', "talk line beyond the count holds text");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();
  static const bool ready = [&] {
    EngineConfig = EngineConfigRecord{};
    EngineConfig.Packaged = 0;
    return world.Write("Localization/Localization.txt", kLocalization);
  }();
  if (!ready) return 0;

  FuzzedDataProvider input(data, size);
  // Mostly the section the seeds use; sometimes a name of the input's own.
  std::string section = "Level00";
  if (input.ConsumeBool()) section = input.ConsumeRandomLengthString(24);
  const std::vector<uint8_t> script = input.ConsumeRemainingBytes<uint8_t>();

  ClearProfileCache();
  if (!world.Write("Script/ScriptEntry.txt", script.data(), script.size())) return 0;

  g_level = LevelDefinitionRecord{};
  ReadLevelDefinition(section.c_str(), g_level);
  const LevelDefinitionRecord& l = g_level;

  fuzz::Require(l.TalkerHeadNum >= 0 && l.TalkerHeadNum <= MAX_TALKER_HEADS, "talker heads outside the table");
  fuzz::Require(l.BeginTalkNum >= 0 && l.BeginTalkNum <= MAX_TALK_LINES, "begin talk outside the table");
  fuzz::Require(l.EndTalkNum >= 0 && l.EndTalkNum <= MAX_TALK_LINES, "end talk outside the table");
  fuzz::Require(l.SelectionTalkNum >= 0 && l.SelectionTalkNum <= MAX_SELECTIONS, "choices outside the table");
  fuzz::Require(l.StaticSpiderNum >= 0 && l.StaticSpiderNum <= MAX_SPIDERS, "static spiders outside the table");
  fuzz::Require(l.DynamicSpiderNum >= 0 && l.DynamicSpiderNum <= MAX_SPIDERS, "moving spiders outside the table");
  fuzz::Require(fuzz::Terminated(l.LevelName) && fuzz::Terminated(l.MusicPath) && fuzz::Terminated(l.Goto),
                "a level text not terminated");
  for (const auto& path : l.LayerPaths) fuzz::Require(fuzz::Terminated(path), "layer path not terminated");
  for (const auto& path : l.TalkerHeadPaths) fuzz::Require(fuzz::Terminated(path), "head path not terminated");
  for (int k = 0; k < MAX_SELECTIONS; ++k) {
    fuzz::Require(fuzz::Terminated(l.SelectionText[k]) && fuzz::Terminated(l.SelectionGoto[k]) &&
                      fuzz::Terminated(l.SelectionEndPlay[k].name),
                  "a choice text not terminated");
    fuzz::Require(l.SelectionEndPlay[k].kind >= -1 && l.SelectionEndPlay[k].kind <= 1, "unknown end play kind");
  }
  fuzz::Require(l.LevelEndPlay.kind >= -1 && l.LevelEndPlay.kind <= 1, "unknown end play kind");
  CheckTalk(l.BeginTalk, l.BeginTalkNum);
  CheckTalk(l.EndTalk, l.EndTalkNum);

  std::string reason;
  const bool playable = LevelDefinitionPlayable(l, reason);
  if (playable) {
    fuzz::Require(l.SectionFound == 1, "a level without a section is playable");
    fuzz::Require(l.BlendPictureNum >= 1 && l.BlendPictureNum <= MAX_LAYERS, "playable with no or too many layers");
    fuzz::Require(l.SplitSize == 25 || l.SplitSize == 50 || l.SplitSize == 100, "playable with a bad piece size");
  } else {
    fuzz::Require(!reason.empty(), "refused without a reason");
    LevelRefusalMessage(l.LevelName, reason);
  }

  return 0;
}
