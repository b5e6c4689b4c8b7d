#include "content/demo.h"

#include <cmath>
#include <cstdio>
#include <future>
#include <map>
#include <vector>

#include "content/archive.h"
#include "content/campaign.h"
#include "content/captions.h"
#include "content/interface.h"
#include "content/movies.h"
#include "content/package.h"
#include "content/pictures.h"
#include "content/sounds.h"
#include "content/texts.h"
#include "platform/process.h"

namespace tessera::content {

namespace {

const int PIECE_SIDES[] = {100, 50, 25};

// Pictures of one folder: packed into "<Folder>.dat" or written loose.
struct PictureFolder {
  std::string folder;
  std::vector<ArchiveMember> members;
  void Add(const std::string& name, const Canvas& c) { members.push_back({name, c.EncodeBmp()}); }
};

bool WriteFolder(const std::string& dir, const PictureFolder& f, bool loose, std::string& error) {
  if (loose) {
    for (const ArchiveMember& m : f.members)
      if (!WriteHostFile(dir + "/" + f.folder + "/" + m.name, m.data)) {
        error = "cannot write " + dir + "/" + f.folder + "/" + m.name;
        return false;
      }
    return true;
  }
  Bytes archive;
  if (!PackArchive(f.members, archive, error)) return false;
  if (!WriteHostFile(dir + "/" + f.folder + ".dat", archive)) {
    error = "cannot write " + dir + "/" + f.folder + ".dat";
    return false;
  }
  return true;
}

void AddLevelPictures(PictureFolder& pictures) {
  // The layers are the slow part: paint them on all cores, keep the order fixed.
  // Where no thread can be started (WebAssembly without threads) each is
  // painted when it is taken.
  const std::launch policy = ThreadsAvailable() ? std::launch::async | std::launch::deferred : std::launch::deferred;
  std::vector<std::pair<std::string, std::future<Canvas>>> jobs;
  for (const LevelPlan& level : DemoCampaign().levels)
    for (size_t i = 0; i < level.layers.size(); ++i) {
      LayerRecipe recipe = level.layers[i];
      jobs.emplace_back(LayerName(level, static_cast<int>(i)) + ".bmp",
                        std::async(policy, [recipe] { return PaintLayer(recipe); }));
      if (jobs.size() % 4 == 0)
        for (auto& j : jobs) j.second.wait();
    }
  for (auto& [name, job] : jobs) pictures.Add(name, job.get());
}

void AddBoardSprites(PictureFolder& pictures) {
  for (int side : PIECE_SIDES)
    for (ArchiveMember& m : BoardSpriteFiles(side)) pictures.members.push_back(std::move(m));
}

Canvas Downscale(const Canvas& src, int w, int h, float zoom, float cx, float cy) {
  Canvas out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float sx = cx + (x - w / 2.0f) / zoom, sy = cy + (y - h / 2.0f) / zoom;
      out.Set(x, y, src.Get(static_cast<int>(sx), static_cast<int>(sy)));
    }
  return out;
}

std::vector<int16_t> FadedTheme(const std::string& loop, int frames, int fps) {
  std::vector<int16_t> s = MakeMusicLoop(loop);
  size_t n = static_cast<size_t>(frames) * (SOUND_RATE / fps);
  s.resize(n, 0);
  size_t fade = SOUND_RATE / 2;
  for (size_t i = 0; i < fade && i < n; ++i) {
    s[n - 1 - i] = static_cast<int16_t>(s[n - 1 - i] * (float(i) / fade));
    s[i] = static_cast<int16_t>(s[i] * (float(i) / fade));
  }
  return s;
}

bool WriteMovies(const std::string& dir, DemoLanguage language, std::string& error) {
  CaptionFont font(EngineLanguage(language));
  const int fps = 15, frames = 60;
  // Pictures below are laid out for 320 x 240 and scaled to the movie's size.
  const int width = 480, height = 360;
  const float k = width / 320.0f;
  // Opening: the emblem turns in from the dark under the title.
  Canvas emblem = PaintLayer({PictureKind::Mandala, 40, 0.0f, 2, false}, 480, 480);
  MovieSpec begin;
  begin.width = width;
  begin.height = height;
  begin.fps = fps;
  begin.frames = frames;
  std::string title = Localized("Title", language);
  begin.paint = [&](int i, Canvas& c) {
    float t = float(i) / frames;
    Canvas view = Downscale(emblem, c.width, c.height, (0.5f + 0.6f * t) * k, 240, 240);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) c.Set(x, y, Scale(view.Get(x, y), std::min(1.0f, t * 2)));
    if (i > frames / 3) {
      for (int y = c.height / 2 - 30; y < c.height / 2 + 30; ++y)
        for (int x = 0; x < c.width; ++x) c.Blend(x, y, Colour{12, 12, 24}, 0.6f);
      DrawCaptionCentred(c, title, 32, c.width / 2, c.height / 2 - 16, Colour{250, 230, 170}, true);
    }
  };
  begin.sound = FadedTheme("Gallery.wav", frames, fps);
  if (!EncodeAvi(begin, dir + "/movie/begin.avi", error)) return false;

  // Ending: sunrise over the lake, panning.
  Canvas dawn = PaintLayer({PictureKind::Landscape, 29, 0.08f, 4.0f, false}, 640, 480);
  MovieSpec end;
  end.width = width;
  end.height = height;
  end.fps = fps;
  end.frames = frames;
  std::string fin = Localized("Finale", language);
  end.paint = [&](int i, Canvas& c) {
    float t = float(i) / frames;
    c.Paste(Downscale(dawn, c.width, c.height, k, 160 + 320 * t, 240), 0, 0);
    if (i > frames / 2) DrawCaptionCentred(c, fin, 24, c.width / 2, c.height - 50, Colour{255, 250, 235}, true);
  };
  end.sound = FadedTheme("Lake.wav", frames, fps);
  if (!EncodeAvi(end, dir + "/movie/end.avi", error)) return false;

  // The way up to the moon tower: a slow zoom into the moon window.
  Canvas moon = PaintLayer({PictureKind::Mandala, 13, 0.6f, 4, false}, 480, 480);
  MovieSpec climb;
  climb.width = width;
  climb.height = height;
  climb.fps = fps;
  climb.frames = frames;
  climb.paint = [&](int i, Canvas& c) {
    c.Paste(Downscale(moon, c.width, c.height, (0.55f + 1.2f * i / frames) * k, 240, 240), 0, 0);
  };
  climb.sound = FadedTheme("Raven.wav", frames, fps);
  return EncodeAvi(climb, dir + "/movie/ToMoon.avi", error);
}

}  // namespace

int PieceSizeDigit(int side) {
  for (int digit = 0; digit < 3; ++digit)
    if (PIECE_SIDES[digit] == side) return digit;
  return -1;
}

std::vector<ArchiveMember> BoardSpriteFiles(int side) {
  std::vector<ArchiveMember> out;
  int digit = PieceSizeDigit(side);
  if (digit < 0) return out;
  std::string d = std::to_string(digit);
  auto add = [&](const std::string& name, const Canvas& c) { out.push_back({name, c.EncodeBmp()}); };
  add("stone" + d + ".bmp", PaintStone(side));
  for (int f = 0; f < 4; ++f) add("StoneExplode" + d + std::to_string(f) + ".bmp", PaintExplosion(side, f));
  for (int kind = 0; kind < 2; ++kind)
    for (int f = 0; f < 4; ++f)
      add("Spider" + d + std::to_string(kind) + std::to_string(f) + ".bmp", PaintSpider(side, kind, f));
  add("cobweb" + d + ".bmp", PaintCobweb(side));
  return out;
}

namespace {

// The demo and an empty game share everything but the levels: an empty game's
// script holds only the introduction section, with no pictures to show.
bool WriteGame(const std::string& dir, DemoLanguage language, bool loose, bool withLevels, const std::string& id,
               std::string& error) {
  if (!MakeHostDirs(dir) || !MakeHostDirs(dir + "/Save")) {
    error = "cannot create " + dir;
    return false;
  }
  // A text the code page cannot hold would be written as an empty line.
  for (const auto* table : {&MenuTexts(), &TalkTexts(), &PictureTexts()})
    for (const TextEntry& e : *table)
      if (Localized(e.key, language).empty()) {
        error = std::string("text '") + e.key + "' cannot be written in " + IniLanguageName(language);
        return false;
      }
  const Campaign& campaign = DemoCampaign();
  auto write = [&](const std::string& rel, const std::string& text) {
    if (WriteHostFile(dir + "/" + rel, text)) return true;
    error = "cannot write " + dir + "/" + rel;
    return false;
  };
  if (!write("System.ini", MakeSystemIni(language, loose, id)) || !write("Game.ini", MakeGameIni())) return false;
  std::string script = withLevels ? MakeLevelScript(campaign, language) : "[GameBegin]\r\nTotalBeginPicture=0\r\n";
  std::string local = MakeLocalization(language);
  if (!write(loose ? "Script/ScriptEntry.txt" : "Script.dat", script)) return false;
  if (!write(loose ? "Localization/Localization.txt" : "Localization.dat", local)) return false;

  // One picture folder at a time, written before the next is painted: a game
  // is made (and a fresh import runs) in a few pictures' worth of memory.
  {
    PictureFolder menu{"Menu", {}};
    for (const NamedPicture& p : MakeInterfacePictures(language)) menu.Add(p.name, p.canvas);
    if (!WriteFolder(dir, menu, loose, error)) return false;
  }
  {
    PictureFolder pictures{"Picture", {}};
    if (withLevels) AddLevelPictures(pictures);
    AddBoardSprites(pictures);
    for (const NamedPicture& p : MakeScenePictures(language)) pictures.Add(p.name, p.canvas);
    if (!WriteFolder(dir, pictures, loose, error)) return false;
  }
  PictureFolder heads{"Head", {}};
  const std::pair<const char*, Face> faces[] = {
      {"Mira", Face::Painter}, {"Tomas", Face::Keeper}, {"Wisp", Face::Wisp}, {"Raven", Face::Raven}};
  for (const auto& [name, face] : faces) heads.Add(std::string(name) + ".bmp", PaintPortrait(face));
  if (!WriteFolder(dir, heads, loose, error)) return false;
  for (const NamedPicture& p : MakeStartLogos(language))
    if (!WriteHostFile(dir + "/" + p.name, p.canvas.EncodeBmp())) {
      error = "cannot write " + dir + "/" + p.name;
      return false;
    }

  for (const NamedSound& s : MakeEffects())
    if (!WriteHostFile(dir + "/" + s.path, s.wav)) {
      error = "cannot write " + dir + "/" + s.path;
      return false;
    }
  std::map<std::string, bool> loops;
  for (const LevelPlan& l : campaign.levels) loops[l.music] = true;
  for (const auto& [name, unused] : loops)
    if (!WriteHostFile(dir + "/Music/" + name, EncodeWav(MakeMusicLoop(name)))) {
      error = "cannot write " + dir + "/Music/" + name;
      return false;
    }
  return WriteMovies(dir, language, error);
}

}  // namespace

bool MakeDemo(const std::string& dir, DemoLanguage language, bool loose, std::string& error) {
  if (!WriteGame(dir, language, loose, true, DemoCampaignId(language), error)) return false;
  // The library and a package of it name the demo by its manifest.
  Manifest manifest;
  manifest.format = PACKAGE_FORMAT;
  manifest.title = language == DemoLanguage::English              ? "Tessera demo"
                   : language == DemoLanguage::ChineseTraditional ? "Tessera \xE7\xA4\xBA\xE7\xAF\x84"  // 示範
                                                                  : "Tessera \xE6\xBC\x94\xE7\xA4\xBA";  // 演示
  manifest.language = IniLanguageName(language);
  manifest.levels = CampaignLevelCount(dir);
  manifest.id = DemoCampaignId(language);
  manifest.tool = "tessera-tool make-demo";
  if (!WriteHostFile(dir + "/" + PACKAGE_MANIFEST, FormatManifest(manifest))) {
    error = "cannot write " + dir + "/" + PACKAGE_MANIFEST;
    return false;
  }
  return true;
}

bool MakeEmptyGame(const std::string& dir, DemoLanguage language, bool loose, std::string& error,
                   const std::string& id) {
  return WriteGame(dir, language, loose, false, id.empty() ? NewCampaignId(dir) : id, error);
}

}  // namespace tessera::content
