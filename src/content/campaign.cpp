#include "content/campaign.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "app/campaigns.h"
#include "platform/file_system.h"

#include "content/text_layout.h"

namespace tessera::content {

namespace {

LayerRecipe L(PictureKind kind, uint32_t seed, float hue, float param, bool mirror = false) {
  return LayerRecipe{kind, seed, hue, param, mirror};
}

Campaign Build() {
  using K = PictureKind;
  Campaign c;
  c.introPictures = {"Intro00", "Intro01", "Intro02"};
  auto& v = c.levels;

  // Decoys keep the solution's kind and vary one thing a player must look for:
  // the hue, the mirror image, or the shape parameter.
  LevelPlan l00;
  l00.section = "Level00";
  l00.music = "Gallery.wav";
  l00.layers = {L(K::Mandala, 1, 0.02f, 2), L(K::Mandala, 1, 0.55f, 2)};
  l00.splitSize = 100;
  l00.limitedTime = 150;
  l00.stoneRatio = 0;
  l00.heads = {"Mira", "Tomas"};
  l00.beginTalk = {{1, 2, "L00_B0"}, {0, 1, "L00_B1"}, {1, 2, "L00_B2"}};
  l00.endTalk = {{1, 2, "L00_E0"}};
  l00.next = "Level01";
  v.push_back(l00);

  LevelPlan l01;
  l01.section = "Level01";
  l01.music = "Lake.wav";
  l01.layers = {L(K::Landscape, 3, 0.0f, 1.0f), L(K::Landscape, 3, 0.12f, 1.0f, true), L(K::Landscape, 4, 0.3f, 1.0f)};
  l01.splitSize = 100;
  l01.limitedTime = 180;
  l01.stoneRatio = 30;
  l01.staticSpiders = 1;
  l01.heads = {"Mira", "Wisp"};
  l01.beginTalk = {{1, 3, "L01_B0"}, {1, 3, "L01_B1"}, {0, 1, "L01_B2"}};
  l01.endTalk = {{1, 3, "L01_E0"}};
  l01.next = "Level02";
  v.push_back(l01);

  LevelPlan l02;
  l02.section = "Level02";
  l02.music = "Gallery.wav";
  l02.layers = {L(K::StainedGlass, 5, 0.0f, 0), L(K::StainedGlass, 5, 0.33f, 0)};
  l02.splitSize = 50;
  l02.limitedTime = 240;
  l02.dynamicSpiders = 1;
  l02.heads = {"Tomas", "Mira"};
  l02.beginTalk = {{0, 2, "L02_B0"}, {0, 2, "L02_B1"}};
  l02.endTalk = {{1, 1, "L02_E0"}};
  l02.next = "Level03";
  v.push_back(l02);

  LevelPlan l03;
  l03.section = "Level03";
  l03.music = "Raven.wav";
  l03.layers = {L(K::Julia, 7, 0.0f, 0), L(K::Julia, 7, 0.12f, 1.5f), L(K::Julia, 7, 0.5f, 0, true)};
  l03.splitSize = 50;
  l03.limitedTime = 300;
  l03.stoneRatio = 40;
  l03.staticSpiders = 1;
  l03.dynamicSpiders = 1;
  l03.heads = {"Mira", "Tomas", "Wisp", "Raven"};
  l03.beginTalk = {{3, 4, "L03_B0"}, {0, 1, "L03_B1"}};
  l03.endTalk = {{3, 4, "L03_E0"}, {2, 3, "L03_E1"}};
  l03.choices = {{5, "L03_S0", "Level04A", "pic+ToCoast"}, {5, "L03_S1", "Level04B", "avi+ToMoon"}};
  l03.next = "Level04A";
  v.push_back(l03);

  LevelPlan l4a;
  l4a.section = "Level04A";
  l4a.music = "Lake.wav";
  l4a.layers = {L(K::Landscape, 11, 0.93f, 0.3f), L(K::Landscape, 11, 0.18f, 2.2f), L(K::Landscape, 12, 0.76f, 0.3f),
                L(K::Landscape, 11, 0.14f, 0.3f, true)};
  l4a.splitSize = 50;
  l4a.limitedTime = 330;
  l4a.stoneRatio = 20;
  l4a.staticSpiders = 2;
  l4a.heads = {"Mira", "Wisp"};
  l4a.beginTalk = {{1, 3, "L4A_B0"}, {0, 1, "L4A_B1"}};
  l4a.endTalk = {{1, 3, "L4A_E0"}};
  l4a.next = "Level05";
  v.push_back(l4a);

  LevelPlan l4b;
  l4b.section = "Level04B";
  l4b.music = "Raven.wav";
  l4b.layers = {L(K::Mandala, 13, 0.6f, 4), L(K::Mandala, 13, 0.7f, 6), L(K::Mandala, 13, 0.75f, 4),
                L(K::Mandala, 13, 0.6f, 4, true)};
  l4b.splitSize = 100;
  l4b.limitedTime = 240;
  l4b.stoneRatio = -1;
  l4b.dynamicSpiders = 1;
  l4b.heads = {"Mira", "Raven"};
  l4b.beginTalk = {{1, 4, "L4B_B0"}, {0, 1, "L4B_B1"}};
  l4b.endTalk = {{1, 4, "L4B_E0"}};
  l4b.next = "Level05";
  v.push_back(l4b);

  LevelPlan l05;
  l05.section = "Level05";
  l05.music = "Gallery.wav";
  l05.layers = {L(K::StainedGlass, 17, 0.55f, 2), L(K::StainedGlass, 17, 0.55f, 2, true)};
  l05.splitSize = 25;
  l05.limitedTime = 480;
  l05.stoneRatio = 10;
  l05.heads = {"Tomas", "Mira"};
  l05.beginTalk = {{0, 2, "L05_B0"}, {1, 1, "L05_B1"}};
  l05.endTalk = {{0, 2, "L05_E0"}};
  l05.next = "Level06";
  v.push_back(l05);

  LevelPlan l06;
  l06.section = "Level06";
  l06.music = "Raven.wav";
  l06.layers = {L(K::Julia, 19, 0.05f, 2), L(K::Julia, 19, 0.17f, 3.5f), L(K::Julia, 19, 0.3f, 2),
                L(K::Julia, 19, 0.05f, 2, true), L(K::Julia, 19, 0.7f, 0.5f)};
  l06.splitSize = 100;
  l06.limitedTime = 300;
  l06.stoneRatio = 50;
  l06.staticSpiders = 2;
  l06.dynamicSpiders = 2;
  l06.heads = {"Mira", "Raven", "Wisp"};
  l06.beginTalk = {{1, 4, "L06_B0"}, {2, 3, "L06_B1"}};
  l06.endTalk = {{0, 1, "L06_E0"}};
  l06.next = "Level07";
  v.push_back(l06);

  LevelPlan l07;
  l07.section = "Level07";
  l07.music = "Raven.wav";
  l07.layers = {L(K::Mandala, 23, 0.3f, 1), L(K::Mandala, 23, 0.4f, 2), L(K::Mandala, 23, 0.3f, 1, true)};
  l07.splitSize = 25;
  l07.limitedTime = 780;
  l07.stoneRatio = 5;
  l07.dynamicSpiders = 1;
  l07.heads = {"Mira", "Tomas", "Raven"};
  l07.beginTalk = {{1, 2, "L07_B0"}, {2, 4, "L07_B1"}};
  l07.endTalk = {{2, 4, "L07_E0"}};
  l07.next = "Level08";
  v.push_back(l07);

  LevelPlan l08;
  l08.section = "Level08";
  l08.music = "Lake.wav";
  l08.layers = {L(K::Landscape, 29, 0.08f, 4.0f)};
  l08.splitSize = 100;
  l08.limitedTime = 60;
  l08.stoneRatio = 0;
  l08.heads = {"Mira", "Tomas", "Wisp"};
  l08.beginTalk = {{1, 2, "L08_B0"}, {2, 3, "L08_B1"}};
  l08.endTalk = {{0, 1, "L08_E0"}, {1, 5, "L08_E1"}};
  l08.next = "GameEnd";
  l08.endPlay = "pic+Finale";
  v.push_back(l08);
  return c;
}

}  // namespace

const Campaign& DemoCampaign() {
  static const Campaign campaign = Build();
  return campaign;
}

std::string LayerName(const LevelPlan& level, int layer) { return level.section + "_" + std::to_string(layer); }

const std::vector<std::string>& TalkColourTexts() {
  static const std::vector<std::string> colours = {"255255255", "255210090", "120200255", "255140170", "140230140"};
  return colours;
}

std::string MakeSystemIni(DemoLanguage language, bool loose, const std::string& campaignId) {
  std::string s;
  s += "[setting]\r\nwindowed=true\r\n";
  s += std::string("packaged=") + (loose ? "false" : "true") + "\r\n";
  s += std::string("language=") + IniLanguageName(language) + "\r\n";
  s += "CampaignId=" + campaignId + "\r\n";
  s += "\r\n[path]\r\nMenuPath=Menu\r\nPicturePath=Picture\r\nHeadPath=Head\r\nScriptPath=Script\r\n"
       "LocalPath=Localization\r\nMoviePath=movie\r\nMusicPath=Music\r\nSoundPath=Sound\r\n";
  s += "\r\n[debug]\r\nSkipLevel=false\r\nBeginLevel=GameBegin\r\n";
  return s;
}

std::string DemoCampaignId(DemoLanguage language) {
  switch (language) {
    case DemoLanguage::ChineseSimplified: return "demo-zh-cn";
    case DemoLanguage::ChineseTraditional: return "demo-zh-tw";
    default: return "demo";
  }
}

std::string NewCampaignId(const std::string& dir) {
  // The folder's name for people, a random part so that two games made in
  // folders of the same name keep their saves apart.
  std::string name = CleanCampaignId(HostPathString(HostFsPath(dir).lexically_normal().filename()));
  if (name.empty()) name = "game";
  std::random_device random;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(random()));
  return name.substr(0, 48) + suffix;
}

std::string MakeGameIni() {
  std::string s = "[color]\r\n";
  const auto& colours = TalkColourTexts();
  for (size_t i = 0; i < colours.size(); ++i) s += "color" + std::to_string(i + 1) + "=" + colours[i] + "\r\n";
  return s;
}

namespace {

std::string Two(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// The text of `key` as the game draws it at `place`: in English, with its
// words kept whole across the wrap; the Chinese texts break anywhere as they are.
std::string Drawn(const std::string& key, DemoLanguage language, const TextPlace& place) {
  std::string text = Localized(key, language);
  if (language != DemoLanguage::English || !IsSingleByteText(text)) return text;
  return KeepWordsWhole(text, place);
}

std::string TalkValue(const LevelPlan& level, const TalkPlan& t) {
  (void)level;
  return "TalkerHead" + Two(t.head) + ":" + std::to_string(t.colour) + "+" + t.key;
}

}  // namespace

std::string MakeLevelScript(const Campaign& campaign, DemoLanguage language) {
  std::string s;
  s += "[GameBegin]\r\nTotalBeginPicture=" + std::to_string(campaign.introPictures.size()) + "\r\n";
  for (size_t i = 0; i < campaign.introPictures.size(); ++i)
    s += "BeginPicture" + Two(static_cast<int>(i)) + "=" + campaign.introPictures[i] + "\r\n";
  for (const LevelPlan& l : campaign.levels) {
    s += "\r\n[" + l.section + "]\r\n";
    s += "LevelName=" + Drawn(l.section, language, LevelTitlePlace()) + "\r\n";
    s += "BGMusicName=" + l.music + "\r\n";
    s += "BlendPictureNum=" + std::to_string(l.layers.size()) + "\r\n";
    for (size_t i = 0; i < l.layers.size(); ++i)
      s += "BlendPicture" + Two(static_cast<int>(i)) + "=" + LayerName(l, static_cast<int>(i)) + "\r\n";
    s += "SplitSize=" + std::to_string(l.splitSize) + "\r\n";
    s += "LimitedTime=" + std::to_string(l.limitedTime) + "\r\n";
    if (l.stoneRatio != DEFAULT_KEY) s += "StoneRation=" + std::to_string(l.stoneRatio) + "\r\n";
    s += "StaticSpiderNum=" + std::to_string(l.staticSpiders) + "\r\n";
    s += "DynamicSpiderNum=" + std::to_string(l.dynamicSpiders) + "\r\n";
    s += "TalkerHeadNum=" + std::to_string(l.heads.size()) + "\r\n";
    for (size_t i = 0; i < l.heads.size(); ++i) s += "TalkerHead" + Two(static_cast<int>(i)) + "=" + l.heads[i] + "\r\n";
    s += "BeginTalkNum=" + std::to_string(l.beginTalk.size()) + "\r\n";
    for (size_t i = 0; i < l.beginTalk.size(); ++i)
      s += "BeginTalk" + Two(static_cast<int>(i)) + "=" + TalkValue(l, l.beginTalk[i]) + "\r\n";
    s += "EndTalkNum=" + std::to_string(l.endTalk.size()) + "\r\n";
    for (size_t i = 0; i < l.endTalk.size(); ++i)
      s += "EndTalk" + Two(static_cast<int>(i)) + "=" + TalkValue(l, l.endTalk[i]) + "\r\n";
    s += "Goto=" + l.next + "\r\n";
    s += "SelectionTalkNum=" + std::to_string(l.choices.size()) + "\r\n";
    for (size_t i = 0; i < l.choices.size(); ++i) {
      const ChoicePlan& ch = l.choices[i];
      s += "SelectionTalk" + Two(static_cast<int>(i)) + "=" + TalkValue(l, {0, ch.colour, ch.key}) + "\r\n";
      s += "Goto" + Two(static_cast<int>(i)) + "=" + ch.next + "\r\n";
    }
    s += "EndPlay=" + l.endPlay + "\r\n";
    for (size_t i = 0; i < l.choices.size(); ++i)
      s += "EndPlay" + Two(static_cast<int>(i)) + "=" + l.choices[i].endPlay + "\r\n";
  }
  return s;
}

std::string MakeLocalization(DemoLanguage language) {
  std::string s = "[Menu]\r\n";
  for (const TextEntry& e : MenuTexts()) {
    TextPlace place;
    std::string text = MenuTextPlace(e.key, place) ? Drawn(e.key, language, place) : Localized(e.key, language);
    s += std::string(e.key) + "=" + text + "\r\n";
  }
  s += "\r\n[Talk]\r\n";
  for (const TextEntry& e : TalkTexts())
    s += std::string(e.key) + "=" + Drawn(e.key, language, TalkTextPlace()) + "\r\n";
  return s;
}

}  // namespace tessera::content
