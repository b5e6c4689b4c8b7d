// The generated demo campaign: every feature of the game used, playable sizes,
// languages in their code pages, fair decoys, deterministic output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "app/profile.h"
#include "gfx/text.h"
#include "platform/code_pages.h"
#include "screens/confirm_box.h"
#include "screens/option_menu.h"
#include "screens/play_screen.h"
#include "screens/screen_common.h"
#include "screens/slot_list.h"
#include "screens/talk_scenes.h"
#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

int Num(const std::string& path, const std::string& section, const char* key, const char* def) {
  return ParseDecimal(ReadProfileString(section.c_str(), key, def, 128, path).c_str());
}
std::string Text(const std::string& path, const std::string& section, const std::string& key) {
  return ReadProfileString(section.c_str(), key.c_str(), "", 256, path);
}
std::string Two(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

// What a walk through the script from "Level00" finds.
struct CampaignFacts {
  std::vector<std::string> levels;
  std::set<int> splitSizes, layerCounts, stoneRatios, colourDigits;
  std::set<std::string> speakers;
  bool staticSpiders = false, dynamicSpiders = false, defaultStones = false;
  bool endPlayPicture = false, endPlayMovie = false, lastGoesToGameEnd = false;
  std::string branchLevel;
  std::set<std::string> branchTargets;
  std::set<std::string> branchEndPlays;
};

CampaignFacts Walk(const std::string& script) {
  CampaignFacts f;
  std::vector<std::string> todo = {"Level00"};
  std::set<std::string> seen;
  while (!todo.empty()) {
    std::string s = todo.back();
    todo.pop_back();
    if (s == "GameEnd" || !seen.insert(s).second) continue;
    f.levels.push_back(s);
    f.splitSizes.insert(Num(script, s, "SplitSize", "100"));
    f.layerCounts.insert(Num(script, s, "BlendPictureNum", "2"));
    std::string ratio = ReadProfileString(s.c_str(), "StoneRation", "", 128, script);
    if (ratio.empty() || ratio == "100") f.defaultStones = true;
    else f.stoneRatios.insert(ParseDecimal(ratio.c_str()));
    f.staticSpiders |= Num(script, s, "StaticSpiderNum", "0") > 0;
    f.dynamicSpiders |= Num(script, s, "DynamicSpiderNum", "0") > 0;
    int heads = Num(script, s, "TalkerHeadNum", "1");
    for (const char* talk : {"BeginTalk", "EndTalk"}) {
      int n = Num(script, s, (std::string(talk) + "Num").c_str(), "1");
      for (int i = 0; i < n; ++i) {
        std::string v = Text(script, s, talk + Two(i));
        std::string speaker = v.substr(0, v.find(':'));
        int head = ParseDecimal(speaker.substr(10).c_str());
        EXPECT_LT(head, heads) << s << " " << v;
        f.speakers.insert(Text(script, s, "TalkerHead" + Two(head)));
        f.colourDigits.insert(v[v.rfind(':') + 1] - '0');
      }
    }
    int choices = Num(script, s, "SelectionTalkNum", "0");
    auto endPlay = [&](const std::string& v) {
      f.endPlayPicture |= v.rfind("pic+", 0) == 0;
      f.endPlayMovie |= v.rfind("avi+", 0) == 0;
    };
    if (choices > 0) {
      f.branchLevel = s;
      for (int i = 0; i < choices; ++i) {
        std::string target = Text(script, s, "Goto" + Two(i));
        f.branchTargets.insert(target);
        f.branchEndPlays.insert(Text(script, s, "EndPlay" + Two(i)));
        endPlay(Text(script, s, "EndPlay" + Two(i)));
        todo.push_back(target);
      }
    } else {
      std::string next = Text(script, s, "Goto");
      if (next == "GameEnd") f.lastGoesToGameEnd = true;
      endPlay(Text(script, s, "EndPlay"));
      todo.push_back(next);
    }
  }
  return f;
}

TEST(DemoCampaign, ScriptUsesEveryFeatureOfTheGame) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  std::string script = demo + "/Script.dat";
  CampaignFacts f = Walk(script);
  EXPECT_GE(f.levels.size(), 8u);
  EXPECT_EQ(f.splitSizes, (std::set<int>{25, 50, 100}));
  EXPECT_EQ(f.layerCounts, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(f.stoneRatios.count(0));
  EXPECT_TRUE(std::any_of(f.stoneRatios.begin(), f.stoneRatios.end(), [](int r) { return r > 0 && r < 100; }));
  EXPECT_TRUE(std::any_of(f.stoneRatios.begin(), f.stoneRatios.end(), [](int r) { return r < 0; }));
  EXPECT_TRUE(f.defaultStones);
  EXPECT_TRUE(f.staticSpiders);
  EXPECT_TRUE(f.dynamicSpiders);
  EXPECT_GE(f.speakers.size(), 3u);
  EXPECT_EQ(f.colourDigits, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Num(script, "GameBegin", "TotalBeginPicture", "0"), 3);
  ASSERT_FALSE(f.branchLevel.empty());
  EXPECT_GE(f.branchTargets.size(), 2u);
  EXPECT_LE(f.branchTargets.size(), 3u);
  EXPECT_EQ(f.branchEndPlays.size(), f.branchTargets.size()) << "each choice has its own end play";
  EXPECT_TRUE(f.endPlayPicture);
  EXPECT_TRUE(f.endPlayMovie);
  EXPECT_TRUE(f.lastGoesToGameEnd);
  ASSERT_EQ(ReadProfileString("debug", "BeginLevel", "", 128, demo + "/System.ini"), "GameBegin");
  EXPECT_EQ(ReadProfileString("setting", "windowed", "", 128, demo + "/System.ini"), "true");
  EXPECT_EQ(ReadProfileString("setting", "CampaignId", "", 128, demo + "/System.ini"), "demo");
}

TEST(DemoCampaign, TimeLimitsAreFairForAPerson) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  std::string script = demo + "/Script.dat";
  for (const std::string& s : Walk(script).levels) {
    int split = Num(script, s, "SplitSize", "100");
    int layers = Num(script, s, "BlendPictureNum", "2");
    int cells = (500 / split) * (500 / split);
    // About one second for every piece that starts wrong, never more than 15 minutes.
    double wrong = cells * (layers - 1) / static_cast<double>(layers);
    int limit = Num(script, s, "LimitedTime", "120");
    EXPECT_GE(limit, wrong) << s;
    EXPECT_GE(limit, 60) << s;
    EXPECT_LE(limit, 900) << s;
  }
}

// The solution picture's pieces and a decoy's must never look alike, or a
// player could not tell which one is right.
TEST(DemoCampaign, EveryDecoyPieceDiffersVisiblyFromTheSolution) {
  const std::string& demo = SharedDemo(true);
  ASSERT_FALSE(demo.empty());
  std::string script = demo + "/Script/ScriptEntry.txt";
  for (const std::string& s : Walk(script).levels) {
    int split = Num(script, s, "SplitSize", "100");
    int layers = Num(script, s, "BlendPictureNum", "2");
    Picture solution;
    ASSERT_TRUE(ReadBmp24(demo + "/Picture/" + Text(script, s, "BlendPicture00") + ".bmp", solution)) << s;
    ASSERT_EQ(solution.width, 500);
    for (int k = 1; k < layers; ++k) {
      Picture decoy;
      ASSERT_TRUE(ReadBmp24(demo + "/Picture/" + Text(script, s, "BlendPicture" + Two(k)) + ".bmp", decoy)) << s;
      double weakest = 1e9;
      for (int cy = 0; cy < 500; cy += split)
        for (int cx = 0; cx < 500; cx += split) {
          double sum = 0;
          for (int y = cy; y < cy + split; ++y)
            for (int x = cx; x < cx + split; ++x)
              for (int c = 0; c < 3; ++c) {
                size_t at = (static_cast<size_t>(y) * 500 + x) * 3 + c;
                sum += std::abs(int(solution.rgb[at]) - int(decoy.rgb[at]));
              }
          weakest = std::min(weakest, sum / (split * split * 3));
        }
      EXPECT_GT(weakest, 6.0) << s << " layer " << k << ": some piece is almost the same as the solution's";
    }
  }
}

TEST(DemoCampaign, InterfacePicturesFitTheScreens) {
  const std::string& demo = SharedDemo(true);
  ASSERT_FALSE(demo.empty());
  struct Need {
    const char* name;
    int minW, minH, maxW, maxH;
  };
  // Highlights must cover their hit rectangles; panels must hold what is drawn on them.
  const Need needs[] = {
      {"SM_BG", 800, 600, 800, 600}, {"GameBG", 800, 600, 800, 600}, {"LevelTravelBG", 800, 600, 800, 600},
      {"OM_Boss", 800, 600, 800, 600}, {"SM_NewGame", 158, 33, 158, 33}, {"SM_Continue", 158, 33, 158, 33},
      {"SM_Quit", 158, 33, 158, 33}, {"OM_Messagebox_Y", 51, 51, 51, 51}, {"OM_Messagebox_N", 51, 51, 51, 51},
      {"OM_Settings_Selected", 26, 26, 26, 26}, {"ClockBorder0", 32, 32, 32, 32}, {"ClockBorder7", 32, 32, 32, 32},
      {"OM_Boss_Item", 46, 46, 55, 47}, {"OM_Settings_Item", 46, 46, 55, 47}, {"RatioSpot0", 5, 5, 10, 9},
      {"Direction0", 20, 20, 31, 31}, {"OM_SaveLoad", 300, 440, 800, 600}, {"OM_Settings", 236, 200, 800, 600},
      {"OM_Messagebox_BG", 210, 120, 800, 600}, {"TalkBar", 480, 120, 652, 204}, {"PassGame", 100, 60, 380, 540},
      {"OptionHint", 200, 60, 662, 105}, {"Cursor", 8, 8, 40, 40},
  };
  for (const Need& n : needs) {
    Picture p;
    ASSERT_TRUE(ReadBmp24(demo + "/Menu/" + n.name + ".bmp", p)) << n.name;
    EXPECT_GE(p.width, n.minW) << n.name;
    EXPECT_GE(p.height, n.minH) << n.name;
    EXPECT_LE(p.width, n.maxW) << n.name;
    EXPECT_LE(p.height, n.maxH) << n.name;
  }
  // The settings panel, centred, must reach every area of the page.
  Picture set;
  ASSERT_TRUE(ReadBmp24(demo + "/Menu/OM_Settings.bmp", set));
  int left = (800 - set.width) / 2, top = (600 - set.height) / 2;
  EXPECT_LE(left, 285);
  EXPECT_GE(left + set.width, 518);
  EXPECT_LE(top, 208);
  EXPECT_GE(top + set.height, 407);
  // The cursor's transparent colour is black: its corner is see-through, its tip is not.
  Picture cursor;
  ASSERT_TRUE(ReadBmp24(demo + "/Menu/Cursor.bmp", cursor));
  EXPECT_EQ(cursor.At(cursor.width - 1, 0), 0u);
  EXPECT_NE(cursor.At(0, 0), 0u);
  // Talker heads stand on the talk bar and must fit above it.
  for (const char* head : {"Mira", "Tomas", "Wisp", "Raven"}) {
    Picture p;
    ASSERT_TRUE(ReadBmp24(demo + "/Head/" + std::string(head) + ".bmp", p)) << head;
    EXPECT_LE(p.height, 396) << head;
    EXPECT_EQ(p.At(0, 0), 0u) << head << ": the background must be the transparent black";
  }
}

TEST(DemoCampaign, SoundsAreSmallPcmFiles) {
  const std::string& demo = SharedDemo(true);
  ASSERT_FALSE(demo.empty());
  int files = 0;
  for (const char* folder : {"Sound", "Music"})
    for (const auto& e : fs::directory_iterator(demo + "/" + folder)) {
      std::vector<uint8_t> b = ReadBytes(e.path().string());
      ASSERT_GE(b.size(), 44u) << e.path();
      auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
      EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
      EXPECT_EQ(u32(4), b.size() - 8) << e.path();
      EXPECT_EQ(b[20] | b[21] << 8, 1) << "PCM";
      EXPECT_EQ(b[22] | b[23] << 8, 1) << "mono";
      EXPECT_EQ(u32(24), 22050u);
      EXPECT_EQ(u32(40), b.size() - 44) << e.path();
      EXPECT_LE(b.size(), 700000u) << e.path();
      ++files;
    }
  EXPECT_EQ(files, 9 + 2 + 3);
}

// The game itself plays the generated folder from the logos to the end movie.
std::string PlayThrough(const std::string& game, int choice) {
  ScratchDir out;
  std::string trace = out / "trace.txt";
  RunResult r = RunGame("--workdir " + Quote(game) + " --headless --autoplay --choice " + std::to_string(choice) +
                        " --max-ms 3600000 --trace " + Quote(trace));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return ReadText(trace);
}

std::string Decode(const std::string& bytes, CodePage page) {
  std::string out;
  return DecodeCodePage(bytes, page, out) ? out : std::string();
}

// Every high byte must start a two-byte character the game's renderer draws.
bool EveryCharacterDrawable(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) continue;
    if (c < 0xA1 || i + 1 >= s.size() || static_cast<unsigned char>(s[i + 1]) < 0x40) return false;
    ++i;
  }
  return true;
}

// The words the game's own layout breaks in a text drawn at (size, spacing,
// wrap): runs of one-byte characters other than spaces that do not stand on one
// line, left to right. A two-byte character stands alone: Chinese breaks anywhere.
std::vector<std::string> BrokenWords(const std::string& text, int size, int spacing, int wrap) {
  struct Placed {
    size_t at;
    int bytes;
    int64_t x;
    int line;
  };
  std::vector<Placed> c;
  LayOutText(text.c_str(), size, wrap, spacing,
             [&](size_t at, int bytes, int64_t x, int line) { c.push_back({at, bytes, x, line}); });
  auto letter = [&](size_t k) { return c[k].bytes == 1 && text[c[k].at] != ' '; };
  std::vector<std::string> out;
  for (size_t i = 0; i < c.size(); ++i) {
    if (!letter(i)) continue;
    size_t j = i;
    bool broken = false;
    for (; j + 1 < c.size() && letter(j + 1); ++j) broken |= c[j + 1].line != c[j].line || c[j + 1].x <= c[j].x;
    if (broken) out.push_back(text.substr(c[i].at, c[j].at + 1 - c[i].at));
    i = j;
  }
  return out;
}

// Every text the game draws from a game folder, laid out where the game draws
// it; one line for each broken word. `texts` counts the texts seen.
std::string WordsTheWrapBreaks(const std::string& local, const std::string& script, size_t& texts) {
  std::string report;
  texts = 0;
  auto check = [&](const std::string& where, const std::string& text, int size, int spacing, int wrap) {
    ++texts;
    for (const std::string& w : BrokenWords(text, size, spacing, wrap))
      report += where + ": \"" + w + "\" in \"" + text + "\"\n";
  };
  std::string section;
  std::string file = ReadText(local);
  for (size_t at = 0, eol; at < file.size(); at = eol + 1) {
    eol = std::min(file.find('\n', at), file.size());
    std::string line = file.substr(at, eol - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t eq = line.find('=');
    if (!line.empty() && line[0] == '[') section = line;
    else if (eq == std::string::npos) continue;
    else if (section == "[Talk]")
      check("Talk:" + line.substr(0, eq), line.substr(eq + 1), TALK_TEXT_SIZE, TALK_TEXT_SPACING, TALK_WRAP);
    else if (section == "[Menu]")
      for (int size : {PLAY_HINT_SIZE, OPTION_CAPTION_SIZE, CONFIRM_TEXT_SIZE, SLOT_TEXT_SIZE})
        check("Menu:" + line.substr(0, eq), line.substr(eq + 1), size, CAPTION_SPACING, CAPTION_WRAP);
  }
  for (const std::string& level : Walk(script).levels)
    check(level + ":LevelName", Text(script, level, "LevelName"), LEVEL_TITLE_SIZE, CAPTION_SPACING, CAPTION_WRAP);
  return report;
}

TEST(DemoCampaign, EnglishTextsKeepTheirWordsWholeWhereTheGameDrawsThem) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  size_t texts = 0;
  EXPECT_EQ(WordsTheWrapBreaks(demo + "/Localization.dat", demo + "/Script.dat", texts), "");
  EXPECT_GE(texts, 50u);
  // Only spaces were added: the line reads as written, its last word on the next line.
  std::string first = Text(demo + "/Localization.dat", "Talk", "L00_B0");
  EXPECT_NE(first, "Who knocks at the gallery at this hour?");
  std::string squeezed;
  for (char ch : first)
    if (ch != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed += ch;
  EXPECT_EQ(squeezed, "Who knocks at the gallery at this hour?");
  EXPECT_EQ(CountTextLines(first.c_str(), TALK_TEXT_SIZE, TALK_WRAP, TALK_TEXT_SPACING), 2);
}

TEST(DemoCampaign, ChineseVariantsAreInTheirCodePagesAndLintClean) {
  struct Variant {
    const char* option;
    const char* ini;
    CodePage page;
    const char* line;   // a talk line as it must read
    const char* title;  // the first level's title
  };
  const Variant variants[] = {
      {"chinese-simplified", "ChineseSimplify", CodePage::Gbk, "我叫米拉, 我来修补破碎的窗画.", "大门"},
      {"chinese-traditional", "ChineseTraditional", CodePage::Big5, "我叫米拉, 我來修補破碎的窗畫.", "大門"},
  };
  for (const Variant& v : variants) {
    ScratchDir dir;
    std::string game = dir / "game";
    RunResult made = RunTool("make-demo " + Quote(game) + " --language " + v.option);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_EQ(ReadProfileString("setting", "language", "", 128, game + "/System.ini"), v.ini);
    EXPECT_EQ(ReadProfileString("setting", "CampaignId", "", 128, game + "/System.ini"),
              v.ini == std::string("ChineseTraditional") ? "demo-zh-tw" : "demo-zh-cn");
    std::string local = ReadText(game + "/Localization.dat");
    EXPECT_TRUE(EveryCharacterDrawable(local)) << v.option;
    EXPECT_EQ(Decode(Text(game + "/Localization.dat", "Talk", "L00_B1"), v.page), v.line) << v.option;
    EXPECT_EQ(Decode(ReadProfileString("Level00", "LevelName", "", 128, game + "/Script.dat"), v.page), v.title);
    // Lines the game shows must never be empty after the conversion.
    EXPECT_EQ(local.find("=\r\n"), std::string::npos) << v.option;
    // Chinese breaks between any two characters; its runs of one-byte ones stay whole.
    size_t texts = 0;
    EXPECT_EQ(WordsTheWrapBreaks(game + "/Localization.dat", game + "/Script.dat", texts), "") << v.option;
    EXPECT_GE(texts, 50u);
    LintRun run = Lint(game);
    EXPECT_EQ(run.exitCode, 0) << run.Dump();
    EXPECT_TRUE(run.lines.empty()) << run.Dump();
    EXPECT_NE(PlayThrough(game, 0).find(" 2 10 GameEnd"), std::string::npos) << v.option;
  }
  RunResult bad = RunTool("make-demo x --language japanese");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.output.find("unknown language"), std::string::npos);
}

TEST(DemoCampaign, LooseFolderIsDeterministic) {
  const std::string& first = SharedDemo(true);
  ASSERT_FALSE(first.empty());
  ScratchDir dir;
  std::string second = dir / "again";
  RunResult r = RunTool("make-demo " + Quote(second) + " --loose");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(ReadProfileString("setting", "packaged", "", 128, second + "/System.ini"), "false");
  EXPECT_TRUE(fs::exists(second + "/Script/ScriptEntry.txt"));
  EXPECT_TRUE(fs::exists(second + "/Localization/Localization.txt"));
  EXPECT_TRUE(fs::is_directory(second + "/Save"));
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(first)) {
    if (!e.is_regular_file()) continue;
    EXPECT_NE(e.path().extension(), ".dat") << e.path();
    std::string rel = fs::relative(e.path(), first).string();
    ASSERT_TRUE(fs::exists(second + "/" + rel)) << rel;
    EXPECT_TRUE(ReadBytes(e.path().string()) == ReadBytes(second + "/" + rel)) << rel << " differs between runs";
    ++files;
  }
  EXPECT_GE(files, 140u);
}

TEST(DemoPlaythrough, BothBranchesReachTheEndMovie) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  // The game writes its log and a probe file in its folder: it plays a copy, so
  // the shared folder stays as other tests copy and read it.
  ScratchDir dir;
  const std::string game = dir / "game";
  ASSERT_NO_FATAL_FAILURE(LinkCopy(demo, game));
  std::string first = PlayThrough(game, 0);
  EXPECT_NE(first.find("movie movie\\begin.avi"), std::string::npos) << first;
  EXPECT_NE(first.find(" Level04A\n"), std::string::npos);
  EXPECT_EQ(first.find(" Level04B\n"), std::string::npos);
  EXPECT_NE(first.find(" 2 10 GameEnd"), std::string::npos) << first;
  EXPECT_NE(first.find("movie movie\\end.avi"), std::string::npos);
  std::string second = PlayThrough(game, 1);
  EXPECT_NE(second.find("movie movie\\ToMoon.avi"), std::string::npos) << second;
  EXPECT_NE(second.find(" Level04B\n"), std::string::npos);
  EXPECT_EQ(second.find(" Level04A\n"), std::string::npos);
  EXPECT_NE(second.find(" 2 10 GameEnd"), std::string::npos) << second;
}

TEST(DemoCampaign, UnwritableTargetIsReported) {
  ScratchDir dir;
  dir.Write("file", std::string("x"));
  RunResult r = RunTool("make-demo " + Quote(dir / "file/game"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("cannot"), std::string::npos) << r.output;
  EXPECT_EQ(RunTool("make-demo").exitCode, 2);
}

}  // namespace
}  // namespace tessera::test
