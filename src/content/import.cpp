#include "content/import.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "app/files.h"
#include "app/version.h"
#include "app/profile.h"
#include "content/archive.h"
#include "content/campaign.h"
#include "content/demo.h"
#include "content/lint.h"
#include "content/package.h"
#include "content/pictures.h"
#include "content/sounds.h"
#include "content/text_layout.h"
#include "content/texts.h"
#include "gfx/bmp.h"
#include "platform/codecs.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace tessera::content {

namespace fs = std::filesystem;

namespace {

constexpr int BOARD_SIDE = 500;
// Larger files and pictures are refused before anything is allocated for them:
// no camera picture comes near, and the decoder would need gigabytes.
constexpr size_t MAX_PICTURE_FILE = 256u << 20;
constexpr int64_t MAX_PICTURE_PIXELS = 100'000'000;
constexpr int MAX_TITLE_BYTES = 12;  // what the play screen's title plate holds

bool ParseNumber(const std::string& text, int& out) {
  if (text.empty() || text.size() > 9) return false;
  int sign = 1;
  size_t at = 0;
  if (text[0] == '-') {
    sign = -1;
    at = 1;
  }
  if (at == text.size()) return false;
  int v = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    v = v * 10 + (text[at] - '0');
  }
  out = sign * v;
  return true;
}

}  // namespace

bool ParseImportArgs(const std::vector<std::string>& args, ImportOptions& out, std::string& error) {
  out = ImportOptions{};
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a.compare(0, 2, "--") != 0) {
      positional.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) {
      error = a + " needs a value";
      return false;
    }
    const std::string& v = args[++i];
    auto number = [&](int lo, int hi, int& target, const char* what) {
      int n = 0;
      if (!ParseNumber(v, n) || n < lo || n > hi) {
        error = a + " '" + v + "': " + what;
        return false;
      }
      target = n;
      return true;
    };
    if (a == "--title") {
      out.title = v;
    } else if (a == "--pieces") {
      if (!number(25, 100, out.pieces, "piece side must be 25, 50 or 100")) return false;
      if (PieceSizeDigit(out.pieces) < 0) {
        error = a + " '" + v + "': piece side must be 25, 50 or 100";
        return false;
      }
    } else if (a == "--layers") {
      if (!number(2, 5, out.layers, "the picture and 1 to 4 decoys: 2 to 5 layers")) return false;
    } else if (a == "--time") {
      if (!number(30, 3600, out.time, "seconds from 30 to 3600")) return false;
    } else if (a == "--stones") {
      if (!number(0, 100, out.stones, "percent from 0 to 100")) return false;
    } else if (a == "--spiders") {
      if (!number(0, 5, out.spiders, "the game takes 0 to 5 spiders")) return false;
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  if (positional.size() < 2) {
    error = positional.empty() ? "no game folder given" : "no picture given";
    return false;
  }
  out.dir = positional[0];
  out.images.assign(positional.begin() + 1, positional.end());
  if (out.title.empty()) {
    error = "--title: empty title";
    return false;
  }
  for (unsigned char c : out.title)
    if (c < 0x20 || c == 0x7F || c == '[' || c == ']') {
      error = "--title: control characters and brackets cannot stand in the level script";
      return false;
    }
  // The title plate takes the title, a space and the picture's number.
  size_t room = MAX_TITLE_BYTES - 1 - std::to_string(out.images.size()).size();
  if (out.title.size() > room) {
    error = "--title '" + out.title + "': at most " + std::to_string(room) + " bytes for " +
            std::to_string(out.images.size()) + " pictures (the title plate holds " +
            std::to_string(MAX_TITLE_BYTES) + " with the number)";
    return false;
  }
  int cells = (BOARD_SIDE / out.pieces) * (BOARD_SIDE / out.pieces);
  if (out.time != 0 && out.time < cells / 2) {
    error = "--time " + std::to_string(out.time) + ": too short for " + std::to_string(cells) +
            " pieces (at least " + std::to_string(cells / 2) + " seconds)";
    return false;
  }
  return true;
}

int ImportTimeLimit(const ImportOptions& o) {
  if (o.time > 0) return o.time;
  int cells = (BOARD_SIDE / o.pieces) * (BOARD_SIDE / o.pieces);
  int wrong = (cells * (o.layers - 1) + o.layers - 1) / o.layers;
  return std::max(180, (wrong + 9) / 10 * 10);
}

// ---------------------------------------------------------------------------
// Decoding

namespace {


// A square picture as shown, from the picture as stored and its EXIF
// orientation (1 to 8; anything else leaves it as it is).
Canvas Orient(const Canvas& in, int orientation) {
  if (orientation < 2 || orientation > 8 || in.width != in.height) return in;
  const int n = in.width, last = n - 1;
  Canvas out(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = last - x; break;
        case 3: sx = last - x; sy = last - y; break;
        case 4: sy = last - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = last - x; break;
        case 7: sx = last - y; sy = last - x; break;
        case 8: sx = last - y; sy = x; break;
      }
      std::memcpy(&out.rgb[(static_cast<size_t>(y) * n + x) * 3], &in.rgb[(static_cast<size_t>(sy) * n + sx) * 3], 3);
    }
  return out;
}

}  // namespace

bool LoadSquarePicture(const std::string& path, int side, Canvas& out, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file(HostFsPath(path), ec)) {
    error = "not a readable file";
    return false;
  }
  auto size = fs::file_size(HostFsPath(path), ec);
  if (ec || size > MAX_PICTURE_FILE) {
    error = ec ? "cannot read its size" : "larger than 256 MiB";
    return false;
  }
  Bytes bytes;
  if (!ReadHostFile(path, bytes)) {
    error = "cannot be read";
    return false;
  }
  SquarePicture square;
  if (!DecodeSquarePicture(std::move(bytes), side, MAX_PICTURE_PIXELS, square, error)) return false;
  out = Canvas(side, side);
  out.rgb = std::move(square.rgb);
  // Cameras store pictures as the sensor saw them and say how to turn them.
  // The centred square turns with the picture, so turning it is enough.
  if (square.orientation != 0) out = Orient(out, square.orientation);
  return true;
}

// ---------------------------------------------------------------------------
// Level script text

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// Calls `line(begin, end)` for each line of the text (without its line break);
// stops when it returns false.
template <typename F>
void ForEachLine(const std::string& text, F line) {
  size_t at = 0;
  while (at < text.size()) {
    size_t eol = text.find('\n', at);
    size_t end = eol == std::string::npos ? text.size() : eol;
    if (!line(at, end)) return;
    at = end + 1;
  }
}

// The section a line opens, or nothing.
bool SectionOf(const std::string& line, std::string& name) {
  std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = t.substr(1, close - 1);
  return true;
}

}  // namespace

std::vector<std::string> ScriptSections(const std::string& text) {
  std::vector<std::string> out;
  ForEachLine(text, [&](size_t a, size_t b) {
    std::string name;
    if (SectionOf(text.substr(a, b - a), name)) out.push_back(name);
    return true;
  });
  return out;
}

bool ReplaceProfileValue(std::string& text, const std::string& section, const std::string& key,
                         const std::string& value) {
  bool inside = false, seenSection = false, done = false;
  ForEachLine(text, [&](size_t a, size_t b) {
    std::string line = text.substr(a, b - a);
    std::string name;
    if (SectionOf(line, name)) {
      // Only the first section of a name counts, as in the game's reader.
      if (inside) return false;
      inside = !seenSection && Lower(name) == Lower(section);
      seenSection = seenSection || inside;
      return true;
    }
    size_t eq = line.find('=');
    if (!inside || eq == std::string::npos || Lower(Trim(line.substr(0, eq))) != Lower(key)) return true;
    size_t valueEnd = b;
    if (valueEnd > a && text[valueEnd - 1] == '\r') --valueEnd;
    text.replace(a + eq + 1, valueEnd - (a + eq + 1), value);
    done = true;
    return false;
  });
  return done;
}

// ---------------------------------------------------------------------------
// The game folder

namespace {

struct GameFolder {
  std::string dir;
  bool packaged = true;
  DemoLanguage language = DemoLanguage::ChineseSimplified;
  bool asciiOnly = false;  // a language whose code page this tool cannot write
  std::string picturePath = "Picture", scriptPath = "Script", musicPath = "Localization";
  std::string beginLevel;
  std::string scriptFile;  // composed, relative to the folder
  std::string Host(const std::string& composed) const { return HostPath(dir + "/" + composed); }
};

void ReadGameFolder(GameFolder& g) {
  std::string ini = g.Host("System.ini");
  auto read = [&](const char* section, const char* key, const char* def) {
    return ReadProfileString(section, key, def, 128, ini);
  };
  g.packaged = read("setting", "packaged", "true") != "false";
  std::string language = read("setting", "language", "ChineseSimplify");
  g.language = language == "English"              ? DemoLanguage::English
               : language == "ChineseTraditional" ? DemoLanguage::ChineseTraditional
                                                  : DemoLanguage::ChineseSimplified;
  g.asciiOnly = language == "English" || language == "Japanese";
  g.picturePath = read("path", "PicturePath", "Picture");
  g.scriptPath = read("path", "ScriptPath", "Script");
  g.musicPath = read("path", "MusicPath", "Localization");
  g.beginLevel = read("debug", "BeginLevel", "");
  g.scriptFile = g.packaged ? "Script.dat" : g.scriptPath + "\\ScriptEntry.txt";
}

std::string Two(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// Where the pictures of the picture folder are kept: members of one archive, or
// loose files. New pictures are written as they are made, so that no more than
// one is held at a time: a packaged game's archive is rewritten into a file
// beside it (its members copied one at a time, the new ones after them) that
// takes its place in Commit; a loose game's pictures are written in place.
// Whatever was written goes again unless Commit was reached.
class PictureStore {
 public:
  explicit PictureStore(const GameFolder& g) : g_(g) {}
  ~PictureStore() {
    if (!committed_) Discard();
  }
  PictureStore(const PictureStore&) = delete;
  PictureStore& operator=(const PictureStore&) = delete;

  bool Open(std::string& error) {
    if (!g_.packaged) return true;
    archive_ = ArchiveForPath((g_.picturePath + "\\x.bmp").c_str());
    // Only a picture archive may be repacked; the script and texts are text files.
    if (archive_ != "Menu.dat" && archive_ != "Picture.dat" && archive_ != "Head.dat") {
      error = "the game takes its level pictures from " + archive_ + " (PicturePath=" + g_.picturePath +
              "), which is not a picture archive";
      return false;
    }
    std::string why;
    switch (OpenArchiveFile(g_.Host(archive_), old_, why)) {
      case ArchiveOpen::Missing:
        return true;  // a new archive
      case ArchiveOpen::Broken:
        error = archive_ + ": " + why;
        return false;
      case ArchiveOpen::Ok:
        break;
    }
    for (const ArchiveEntry& e : old_.entries) names_.insert(e.name);
    return true;
  }

  bool Has(const std::string& name) const {
    if (!g_.packaged) {
      std::error_code ec;
      return fs::exists(HostFsPath(g_.Host(g_.picturePath + "\\" + name)), ec);
    }
    return names_.count(name) > 0;
  }

  bool Add(const std::string& name, const Bytes& data, std::string& error) {
    if (!g_.packaged) {
      std::string path = g_.Host(g_.picturePath + "\\" + name);
      if (!WriteHostFile(path, data)) {
        error = "cannot write " + path;
        return false;
      }
      written_.push_back(path);
      ++added_;
      return true;
    }
    if (!writer_ && !Start(error)) return false;
    if (!writer_->Add(name, data, error)) {
      error = archive_ + ": " + error;
      return false;
    }
    names_.insert(name);
    ++added_;
    return true;
  }

  size_t Count() const { return old_.entries.size() + added_; }
  const std::string& Archive() const { return archive_; }

  bool Commit(std::string& error) {
    if (g_.packaged) {
      if (!writer_ && !Start(error)) return false;
      if (!writer_->Finish(error)) {
        error = archive_ + ": " + error;
        return false;
      }
      writer_.reset();
      old_.file.reset();  // a file still open cannot be replaced everywhere
      if (!HostReplace(temporary_, g_.Host(archive_))) {
        error = "cannot write " + g_.Host(archive_);
        return false;
      }
    }
    committed_ = true;
    return true;
  }

 private:
  // The new archive beside the old one, with the old members in their order.
  bool Start(std::string& error) {
    temporary_ = g_.Host(archive_) + ".part" + std::to_string(CurrentProcessId());
    writer_ = std::make_unique<ArchiveFileWriter>();
    if (!writer_->Create(temporary_, error)) return false;
    for (const ArchiveEntry& e : old_.entries)
      if (!writer_->Copy(e.name, old_.file.get(), e.offset, e.size, error)) {
        error = archive_ + ": " + error;
        return false;
      }
    return true;
  }

  void Discard() {
    if (writer_ || !temporary_.empty()) {
      writer_.reset();
      HostRemove(temporary_);
    }
    for (auto it = written_.rbegin(); it != written_.rend(); ++it) HostRemove(*it);
  }

  const GameFolder& g_;
  std::string archive_;
  ArchiveFile old_;  // the archive as it was, when there is one
  std::set<std::string> names_;  // of the archive, old and new
  size_t added_ = 0;
  std::unique_ptr<ArchiveFileWriter> writer_;
  std::string temporary_;
  std::vector<std::string> written_;  // loose pictures
  bool committed_ = false;
};

// What a folder held before a game was made in it, so that a game made there
// and not kept goes again without anything that was there before.
class MadeGame {
 public:
  MadeGame() = default;
  ~MadeGame() { Remove(); }
  MadeGame(const MadeGame&) = delete;
  MadeGame& operator=(const MadeGame&) = delete;

  bool Make(const std::string& dir, bool loose, const std::string& id, std::string& error) {
    Remove();
    dir_ = dir;
    std::error_code ec;
    const fs::path root = HostFsPath(dir);
    existed_ = fs::exists(root, ec);
    before_.clear();
    if (existed_)
      for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
           it.increment(ec))
        before_.insert(it->path());
    return MakeEmptyGame(dir, DemoLanguage::English, loose, error, id);
  }
  void Keep() { dir_.clear(); }

  void Remove() {
    if (dir_.empty()) return;
    std::error_code ec;
    const fs::path root = HostFsPath(dir_);
    dir_.clear();
    if (!existed_) {
      fs::remove_all(root, ec);
      return;
    }
    std::vector<fs::path> made;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
      if (!before_.count(it->path())) made.push_back(it->path());
    // Deepest first: a folder's files before the folder.
    for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove_all(*it, ec);
  }

 private:
  std::string dir_;  // empty: nothing to remove
  bool existed_ = false;
  std::set<fs::path> before_;
};

// The levels a new game can reach, and the keys through which they end it.
struct Chain {
  std::set<std::string> sections;  // lower case
  std::vector<std::pair<std::string, std::string>> ends;  // section, key
  std::string music;  // of the first level that ends the game
};

Chain ReadChain(const GameFolder& g, const std::string& scriptText) {
  Chain c;
  for (const std::string& s : ScriptSections(scriptText)) c.sections.insert(Lower(s));
  std::string path = g.Host(g.scriptFile);
  auto read = [&](const std::string& s, const std::string& key, const char* def) {
    return ReadProfileString(s.c_str(), key.c_str(), def, 128, path);
  };
  std::vector<std::string> todo;
  std::set<std::string> seen;
  auto visit = [&](const std::string& name) {
    if (Lower(name) == "gameend" || !c.sections.count(Lower(name)) || !seen.insert(Lower(name)).second) return;
    todo.push_back(name);
  };
  if (!g.beginLevel.empty() && g.beginLevel != "GameBegin") visit(g.beginLevel);
  visit("Level00");
  // Depth first with the first exit last, so the ends are found in play order.
  std::reverse(todo.begin(), todo.end());
  while (!todo.empty()) {
    std::string level = todo.back();
    todo.pop_back();
    int choices = std::clamp(ParseDecimal(read(level, "SelectionTalkNum", "0").c_str()), 0, 5);
    std::vector<std::string> keys;
    if (choices == 0) keys.push_back("Goto");
    for (int i = 0; i < choices; ++i) keys.push_back("Goto" + Two(i));
    std::vector<std::string> next;
    for (const std::string& key : keys) {
      std::string target = read(level, key, "Level00");
      if (Lower(target) == "gameend") {
        c.ends.push_back({level, key});
        if (c.music.empty()) c.music = read(level, "BGMusicName", "");
      } else {
        next.push_back(target);
      }
    }
    for (auto it = next.rbegin(); it != next.rend(); ++it) visit(*it);
  }
  return c;
}

// One import into one folder, a picture at a time: the game is looked at (and
// made, in a folder that holds none) when the first picture has been read, each
// picture's layers are written as it is made, and the script, the manifest and
// the pictures are put in place by Finish. An import that does not reach it
// leaves the folder as it was.
class Import {
 public:
  Import(const ImportOptions& o, ImportReport& report, std::FILE* progress)
      : o_(o), report_(report), progress_(progress) {}

  // `candidates`: the pictures left to read, this one included.
  bool Begin(size_t candidates, std::string& error) {
    g_.dir = o_.dir;
    std::error_code ec;
    fresh_ = !fs::exists(HostFsPath(HostPath(o_.dir + "/System.ini")), ec);
    ClearProfileCache();
    if (fresh_) {
      g_.language = DemoLanguage::English;  // the game made below
      g_.asciiOnly = true;
    } else {
      ReadGameFolder(g_);
    }
    if (!EncodeForLanguage(o_.title, g_.language, title_) || (g_.asciiOnly && title_ != o_.title)) {
      error = "--title '" + o_.title + "' cannot be written in this game's language";
      return false;
    }
    if (!TitleFits(1, error)) return false;
    if (!fresh_) return Prepare(candidates, error);
    if (progress_) std::fprintf(progress_, "%s holds no game: making one\n", o_.dir.c_str());
    if (!MakeFresh(false, error) || !Prepare(candidates, error)) return false;
    // More pictures than one archive holds: a game of loose pictures instead.
    if (Needed(candidates) <= static_cast<size_t>(ARCHIVE_MAX_MEMBERS)) return true;
    store_.reset();
    return MakeFresh(true, error) && Prepare(candidates, error);
  }

  bool Add(size_t index, const Canvas& solution, std::string& error) {
    ++readable_;
    // A packaged game whose archive cannot take them all: only counted, for
    // the refusal at the end.
    if (full_ || (g_.packaged && Needed(readable_) > static_cast<size_t>(ARCHIVE_MAX_MEMBERS))) {
      full_ = true;
      return true;
    }
    const std::string& level = names_[report_.levels.size()];
    if (!store_->Add(level + "_0.bmp", solution.EncodeBmp(), error)) return false;
    for (int k = 1; k < o_.layers; ++k)
      if (!store_->Add(level + "_" + std::to_string(k) + ".bmp", MakePictureDecoy(solution, k, o_.pieces).EncodeBmp(),
                       error))
        return false;
    report_.levels.push_back(level);
    if (progress_)
      std::fprintf(progress_, "[%zu/%zu] %s: %s, %d layers of %d-pixel pieces\n", index + 1, o_.images.size(),
                   o_.images[index].c_str(), level.c_str(), o_.layers, o_.pieces);
    return true;
  }

  bool Finish(std::string& error) {
    if (full_) {
      error = store_->Archive() + " would hold " + std::to_string(Needed(readable_)) + " pictures; it takes " +
              std::to_string(ARCHIVE_MAX_MEMBERS) + ": import fewer pictures or layers";
      return false;
    }
    if (!TitleFits(report_.levels.size(), error)) return false;
    std::error_code ec;
    std::string music = chain_.music;
    if (music.empty() || !fs::exists(HostFsPath(g_.Host(g_.musicPath + "\\" + music)), ec)) music = "Gallery.wav";
    std::string musicFile = g_.Host(g_.musicPath + "\\" + music);
    if (!fs::exists(HostFsPath(musicFile), ec) && !WriteHostFile(musicFile, EncodeWav(MakeMusicLoop(music)))) {
      error = "cannot write " + musicFile;
      return false;
    }

    const std::vector<std::string>& levels = report_.levels;
    std::string eol = script_.find("\r\n") != std::string::npos || script_.empty() ? "\r\n" : "\n";
    std::string sections;
    for (size_t i = 0; i < levels.size(); ++i) {
      const std::string& level = levels[i];
      auto line = [&](const std::string& key, const std::string& value) { sections += key + "=" + value + eol; };
      sections += eol + "[" + level + "]" + eol;
      std::string levelName = title_ + " " + std::to_string(i + 1);
      // Words kept whole where the game draws the title, in a language with spaces.
      if (g_.language == DemoLanguage::English && IsSingleByteText(levelName))
        levelName = KeepWordsWhole(levelName, LevelTitlePlace());
      line("LevelName", levelName);
      line("BGMusicName", music);
      line("BlendPictureNum", std::to_string(o_.layers));
      for (int k = 0; k < o_.layers; ++k) line("BlendPicture" + Two(k), level + "_" + std::to_string(k));
      line("SplitSize", std::to_string(o_.pieces));
      line("LimitedTime", std::to_string(ImportTimeLimit(o_)));
      line("StoneRation", std::to_string(o_.stones));
      line("StaticSpiderNum", "0");
      line("DynamicSpiderNum", std::to_string(o_.spiders));
      line("TalkerHeadNum", "0");
      line("BeginTalkNum", "0");
      line("EndTalkNum", "0");
      line("Goto", i + 1 < levels.size() ? levels[i + 1] : "GameEnd");
      line("SelectionTalkNum", "0");
      line("EndPlay", "");
    }
    std::string script = script_;
    for (const auto& [section, key] : chain_.ends) {
      if (!ReplaceProfileValue(script, section, key, levels.front())) {
        error = g_.scriptFile + ": cannot find " + section + ":" + key + " to chain the new levels";
        return false;
      }
      report_.chained.push_back(section + ":" + key);
    }
    if (!script.empty() && script.back() != '\n') script += eol;
    script += sections;

    // Pictures first: should the script fail to be written, the game still plays
    // as before, with a few pictures nothing names.
    if (!store_->Commit(error)) return false;
    if (!WriteHostFile(g_.Host(g_.scriptFile), script)) {
      error = "cannot write " + g_.Host(g_.scriptFile);
      return false;
    }
    if (fresh_) {
      Manifest manifest;
      manifest.format = PACKAGE_FORMAT;
      manifest.title = o_.campaignTitle.empty() ? o_.title : o_.campaignTitle;
      manifest.language = "English";
      manifest.levels = static_cast<int>(levels.size());
      manifest.id = ReadProfileString("setting", "CampaignId", "", 128, g_.Host("System.ini"));
      manifest.tool = std::string("tessera ") + VersionText();
      std::string why;
      const std::string text = FormatManifest(manifest);
      if (!ParseManifest(text, manifest, why) || !WriteHostFile(g_.Host(PACKAGE_MANIFEST), text)) {
        error = "cannot write " + g_.Host(PACKAGE_MANIFEST) + (why.empty() ? "" : ": " + why);
        return false;
      }
    } else if (Manifest manifest; ReadFolderManifest(o_.dir, manifest)) {
      // Levels added to a described campaign: its manifest counts them too.
      manifest.levels += static_cast<int>(levels.size());
      const std::string text = FormatManifest(manifest);
      if (!WriteHostFile(g_.Host(PACKAGE_MANIFEST), text)) {
        error = "cannot write " + g_.Host(PACKAGE_MANIFEST);
        return false;
      }
    }
    made_.Keep();
    ClearProfileCache();
    return true;
  }

 private:
  bool TitleFits(size_t levels, std::string& error) const {
    if (title_.size() + 1 + std::to_string(levels).size() <= static_cast<size_t>(MAX_TITLE_BYTES)) return true;
    error = "--title '" + o_.title + "' is too long in this game's code page";
    return false;
  }

  bool MakeFresh(bool loose, std::string& error) {
    if (!made_.Make(o_.dir, loose, o_.campaignId, error)) return false;
    ClearProfileCache();
    ReadGameFolder(g_);
    return true;
  }

  // The archive's members with `levels` more levels.
  size_t Needed(size_t levels) const { return base_ + levels * static_cast<size_t>(o_.layers); }

  // Reads the game's script and pictures, names the levels `candidates`
  // pictures would make and adds the board sprites the game lacks.
  bool Prepare(size_t candidates, std::string& error) {
    Bytes scriptBytes;
    if (!ReadHostFile(g_.Host(g_.scriptFile), scriptBytes)) {
      error = "the game's level script " + g_.scriptFile + " cannot be read";
      return false;
    }
    script_.assign(scriptBytes.begin(), scriptBytes.end());
    chain_ = ReadChain(g_, script_);
    bool hasFirst = chain_.sections.count("level00") > 0;
    if (hasFirst && chain_.ends.empty()) {
      error = "no level of " + g_.scriptFile + " ends the game, so there is nothing to follow";
      return false;
    }
    store_ = std::make_unique<PictureStore>(g_);
    if (!store_->Open(error)) return false;

    // New level names: after the highest "LevelNN" already there, never a name
    // the script or the picture folder holds.
    int next = 0;
    if (hasFirst)
      for (const std::string& s : chain_.sections)
        if (s.size() > 5 && s.compare(0, 5, "level") == 0 &&
            s.find_first_not_of("0123456789", 5) == std::string::npos && s.size() <= 9)
          next = std::max(next, std::stoi(s.substr(5)) + 1);
    auto taken = [&](const std::string& name) {
      if (chain_.sections.count(Lower(name))) return true;
      for (int k = 0; k < o_.layers; ++k)
        if (store_->Has(name + "_" + std::to_string(k) + ".bmp")) return true;
      return false;
    };
    names_.clear();
    for (size_t i = 0; i < candidates; ++i) {
      std::string name;
      do name = "Level" + Two(next++);
      while (taken(name));
      names_.push_back(name);
    }

    // The sprites of the board's piece size that the game lacks (a game that
    // never used that size has none of them).
    std::vector<ArchiveMember> sprites;
    for (ArchiveMember& m : BoardSpriteFiles(o_.pieces))
      if (!store_->Has(m.name)) sprites.push_back(std::move(m));
    base_ = store_->Count() + sprites.size();
    // A fresh game that is to be remade loose writes nothing more here.
    if (fresh_ && g_.packaged && Needed(candidates) > static_cast<size_t>(ARCHIVE_MAX_MEMBERS)) return true;
    for (const ArchiveMember& m : sprites)
      if (!store_->Add(m.name, m.data, error)) return false;
    return true;
  }

  const ImportOptions& o_;
  ImportReport& report_;
  std::FILE* progress_;
  GameFolder g_;
  bool fresh_ = false;
  MadeGame made_;  // a game made here, removed again unless Finish keeps it
  std::string title_;  // in the game's code page
  std::string script_;
  Chain chain_;
  std::unique_ptr<PictureStore> store_;
  std::vector<std::string> names_;  // for every picture that may be read
  size_t base_ = 0;  // the archive's members before the levels
  size_t readable_ = 0;
  bool full_ = false;
};

}  // namespace

bool ImportPictures(const ImportOptions& o, ImportReport& report, std::string& error, std::FILE* progress,
                    const ImportStep& step) {
  report = ImportReport{};
  // One picture at a time: read, made into its layers, written, dropped. The
  // game is touched only once a picture could be read, and nothing is put in
  // place before the last one, so a folder of unreadable files, a failure or a
  // cancel leaves the game as it was.
  std::unique_ptr<Import> import;
  const size_t total = o.images.size();
  for (size_t i = 0; i < total; ++i) {
    if (step && !step(i, total, o.images[i])) {
      error = IMPORT_CANCELLED;
      return false;
    }
    Canvas c;
    std::string why;
    if (!LoadSquarePicture(o.images[i], BOARD_SIDE, c, why)) {
      report.skipped.push_back(o.images[i] + ": " + why);
      if (progress) std::fprintf(progress, "[%zu/%zu] %s: skipped, %s\n", i + 1, total, o.images[i].c_str(), why.c_str());
      continue;
    }
    if (!import) {
      import = std::make_unique<Import>(o, report, progress);
      if (!import->Begin(total - report.skipped.size(), error)) return false;
    }
    if (!import->Add(i, c, error)) return false;
  }
  if (!import) {
    error = "none of the " + std::to_string(o.images.size()) + " pictures could be read";
    return false;
  }
  if (step && !step(total, total, {})) {
    error = IMPORT_CANCELLED;
    return false;
  }
  return import->Finish(error);
}

}  // namespace tessera::content
