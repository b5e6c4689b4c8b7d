#pragma once
// The demo campaign as data, and the text files the game reads from it: the
// level script, the localization file, System.ini and Game.ini.
#include <climits>
#include <string>
#include <vector>

#include "content/pictures.h"
#include "content/texts.h"

namespace tessera::content {

struct TalkPlan {
  int head = 0;     // index into the level's heads
  int colour = 1;   // digit 1..5
  std::string key;  // "Talk" key
};

struct ChoicePlan {
  int colour = 5;
  std::string key;
  std::string next;
  std::string endPlay;  // "pic+Name", "avi+Name" or empty
};

constexpr int DEFAULT_KEY = INT_MIN;  // the key is left out, so the game's default applies

struct LevelPlan {
  std::string section;
  std::string music;  // file in the music folder
  std::vector<LayerRecipe> layers;
  int splitSize = 100;
  int limitedTime = 120;
  int stoneRatio = DEFAULT_KEY;
  int staticSpiders = 0;
  int dynamicSpiders = 0;
  std::vector<std::string> heads;  // head picture names
  std::vector<TalkPlan> beginTalk;
  std::vector<TalkPlan> endTalk;
  std::vector<ChoicePlan> choices;
  std::string next;
  std::string endPlay;
};

struct Campaign {
  std::vector<std::string> introPictures;  // names in the picture folder
  std::vector<LevelPlan> levels;
};

const Campaign& DemoCampaign();

// Layer picture name of a level ("<section>_<n>").
std::string LayerName(const LevelPlan& level, int layer);

// The five talk colours, as Game.ini spells them.
const std::vector<std::string>& TalkColourTexts();

// `campaignId` names the game's folders under the player's own (saves, log).
std::string MakeSystemIni(DemoLanguage language, bool loose, const std::string& campaignId);
// The demo's id in each language; a fresh id for a new game made in `dir`.
std::string DemoCampaignId(DemoLanguage language);
std::string NewCampaignId(const std::string& dir);
std::string MakeGameIni();
std::string MakeLevelScript(const Campaign& campaign, DemoLanguage language);
std::string MakeLocalization(DemoLanguage language);

}  // namespace tessera::content
