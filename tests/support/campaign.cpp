#include "support/campaign.h"

#include <cstring>
#include <functional>

#include "gfx/bmp_write.h"

namespace tessera::test {

namespace {

struct PictureSpec {
  const char* name;
  int width, height;
};

// Interface pictures at the sizes their screens leave room for.
constexpr PictureSpec kInterface[] = {
    {"SM_BG.bmp", 800, 600},           {"SM_NewGame.bmp", 158, 33},      {"SM_Continue.bmp", 158, 33},
    {"SM_Quit.bmp", 158, 33},          {"GameBG.bmp", 800, 600},         {"TalkBar.bmp", 504, 150},
    {"Direction0.bmp", 30, 30},        {"Direction1.bmp", 30, 30},       {"Direction2.bmp", 30, 30},
    {"Direction3.bmp", 30, 30},        {"RatioSpot0.bmp", 8, 7},         {"RatioSpot1.bmp", 8, 7},
    {"ClockBorder0.bmp", 32, 32},      {"ClockBorder1.bmp", 32, 32},     {"ClockBorder2.bmp", 32, 32},
    {"ClockBorder3.bmp", 32, 32},      {"ClockBorder4.bmp", 32, 32},     {"ClockBorder5.bmp", 32, 32},
    {"ClockBorder6.bmp", 32, 32},      {"ClockBorder7.bmp", 32, 32},     {"PassGame.bmp", 380, 120},
    {"ResetGame.bmp", 380, 120},       {"LevelTravelBG.bmp", 800, 600},  {"OM_Boss_Item.bmp", 50, 50},
    {"OM_Boss.bmp", 800, 600},         {"OM_Restart_Item.bmp", 50, 50},  {"OM_Save_Item.bmp", 50, 50},
    {"OM_SaveLoad.bmp", 340, 420},     {"OM_Settings_Item.bmp", 50, 50}, {"OM_Settings.bmp", 300, 240},
    {"OM_Settings_Selected.bmp", 26, 26}, {"OM_Settings_Bar.bmp", 10, 16}, {"OM_Messagebox_BG.bmp", 260, 160},
    {"OM_Messagebox_Y.bmp", 51, 51},   {"OM_Messagebox_N.bmp", 51, 51},  {"OptionHint.bmp", 300, 70},
    {"Cursor.bmp", 12, 12},
};

std::vector<uint8_t> SolidBmp(int w, int h, CampaignColour c) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = c.r;
    rgb[i + 1] = c.g;
    rgb[i + 2] = c.b;
  }
  return EncodeBmp24(w, h, rgb.data());
}

const char* kDefaultScript =
    "[GameBegin]\nTotalBeginPicture=2\nBeginPicture00=Intro0\nBeginPicture01=Intro1\n\n"
    "[Level00]\nLevelName=First\nBGMusicName=Level.wav\nBlendPictureNum=1\nBlendPicture00=L0\n"
    "SplitSize=100\nLimitedTime=60\nStoneRation=0\nTalkerHeadNum=1\nTalkerHead00=Head0\n"
    "BeginTalkNum=1\nBeginTalk00=TalkerHead00:1+Hello\nEndTalkNum=1\nEndTalk00=TalkerHead00:2+Bye\n"
    "Goto=Level01\n\n"
    "[Level01]\nLevelName=Second\nBlendPictureNum=1\nBlendPicture00=L1\nSplitSize=50\nLimitedTime=60\n"
    "StoneRation=0\nBeginTalkNum=0\nEndTalkNum=0\nGoto=GameEnd\n";

const char* kDefaultTexts =
    "[Menu]\nSave=Save\nLoad=Load\nSetting=Settings\nEmpty=Empty\nConfirm=Are you sure?\nRestartGame=Back\n"
    "ExitGame=Exit\nBossComing=Boss\nRestartLevel=Restart\nSaveGame=Save game\nGameOption=Options\n\n"
    "[Talk]\nHello=Hello there\nBye=Goodbye\nLeft=Go left\nRight=Go right\n";

}  // namespace

CampaignColour PictureColour(const std::string& fileName) {
  // A stable colour per name, away from black (the transparent colour).
  uint32_t h = 2166136261u;
  for (char c : fileName) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  return CampaignColour{static_cast<uint8_t>(64 + (h & 0x7F)), static_cast<uint8_t>(64 + ((h >> 8) & 0x7F)),
                        static_cast<uint8_t>(64 + ((h >> 16) & 0x7F))};
}

CampaignColour LayerColour(int layer) {
  static constexpr CampaignColour kLayers[5] = {
      {200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {200, 200, 40}, {200, 40, 200}};
  return kLayers[layer % 5];
}

std::string LevelSection(const std::string& name, const std::string& body) {
  return "[" + name + "]\n" + body + "\n";
}

std::vector<uint8_t> TinyWav(int ms) {
  const uint32_t rate = 8000;
  const uint32_t samples = rate * static_cast<uint32_t>(ms) / 1000;
  const uint32_t data = samples * 2;
  std::vector<uint8_t> out;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put32(36 + data);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(16);
  put16(1);
  put16(1);
  put32(rate);
  put32(rate * 2);
  put16(2);
  put16(16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put32(data);
  for (uint32_t i = 0; i < samples; ++i) put16(static_cast<uint16_t>((i % 40) < 20 ? 3000 : -3000));
  return out;
}

std::string BuildCampaign(const ScratchDir& dir, const CampaignOptions& options) {
  dir.Write("System.ini",
            "[setting]\nwindowed=true\npackaged=false\nlanguage=English\n[path]\nMusicPath=Music\n"
            "MoviePath=movie\n[debug]\n" +
                options.systemExtra + "\n");
  dir.Write("Game.ini",
            "[color]\ncolor1=255255255\ncolor2=255200000\ncolor3=000200255\ncolor4=200000200\ncolor5=000255000\n");
  for (const PictureSpec& p : kInterface) {
    CampaignColour c = PictureColour(p.name);
    std::vector<uint8_t> bmp = SolidBmp(p.width, p.height, c);
    if (std::strcmp(p.name, "Cursor.bmp") == 0) {
      // A cursor with a black (transparent) lower half.
      std::vector<uint8_t> rgb(static_cast<size_t>(p.width) * p.height * 3, 0);
      for (int y = 0; y < p.height / 2; ++y)
        for (int x = 0; x < p.width; ++x) {
          uint8_t* px = &rgb[(static_cast<size_t>(y) * p.width + x) * 3];
          px[0] = c.r;
          px[1] = c.g;
          px[2] = c.b;
        }
      bmp = EncodeBmp24(p.width, p.height, rgb.data());
    }
    dir.Write(std::string("Menu/") + p.name, bmp);
  }
  for (int k = 0; k < 5; ++k) dir.Write("Picture/L" + std::to_string(k) + ".bmp", SolidBmp(500, 500, LayerColour(k)));
  for (int k = 0; k < options.introPictures; ++k)
    dir.Write("Picture/Intro" + std::to_string(k) + ".bmp",
              SolidBmp(800, 600, PictureColour("Intro" + std::to_string(k) + ".bmp")));
  if (options.logos)
    for (const char* logo : {"begin01.bmp", "begin02.bmp", "begin03.bmp"})
      dir.Write(logo, SolidBmp(800, 600, PictureColour(logo)));
  dir.Write("Picture/Closing.bmp", SolidBmp(800, 600, PictureColour("Closing.bmp")));
  for (const char* digit : {"0", "1", "2"}) {
    const int side = digit[0] == '0' ? 100 : digit[0] == '1' ? 50 : 25;
    std::string d = digit;
    dir.Write("Picture/stone" + d + ".bmp", SolidBmp(side, side, PictureColour("stone" + d + ".bmp")));
    dir.Write("Picture/cobweb" + d + ".bmp", SolidBmp(side, side, PictureColour("cobweb" + d + ".bmp")));
    for (int f = 0; f < 4; ++f) {
      std::string name = "StoneExplode" + d + std::to_string(f) + ".bmp";
      dir.Write("Picture/" + name, SolidBmp(side, side, PictureColour(name)));
      for (int kind = 0; kind < 2; ++kind) {
        std::string spider = "Spider" + d + std::to_string(kind) + std::to_string(f) + ".bmp";
        dir.Write("Picture/" + spider, SolidBmp(side / 2, side / 2, PictureColour(spider)));
      }
    }
  }
  for (int k = 0; k < 3; ++k)
    dir.Write("Head/Head" + std::to_string(k) + ".bmp",
              SolidBmp(120, 160, PictureColour("Head" + std::to_string(k) + ".bmp")));
  dir.Write("Script/ScriptEntry.txt", options.script.empty() ? std::string(kDefaultScript) : options.script);
  dir.Write("Localization/Localization.txt",
            options.localization.empty() ? std::string(kDefaultTexts) : options.localization);
  if (options.sounds) {
    for (const char* s : {"ChangePiece", "StoneExplode", "LastTime", "TimeOut", "TouchSpider", "GameButtonMove",
                          "GameButtonPress", "StartButtonMove", "StartButtonPress"})
      dir.Write(std::string("Sound/") + s + ".wav", TinyWav(50));
    for (const char* m : {"Success", "Failed", "Level"}) dir.Write(std::string("Music/") + m + ".wav", TinyWav(200));
  }
  dir.Write("Save/.keep", "");
  return dir.path();
}

}  // namespace tessera::test
