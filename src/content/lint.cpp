#include "content/lint.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "app/files.h"
#include "app/profile.h"
#include "content/archive.h"
#include "content/common.h"
#include "content/text_layout.h"
#include "gfx/bmp.h"
#include "media/wav.h"
#include "platform/codecs.h"

namespace tessera::content {

std::string FormatFinding(const Finding& f) {
  return f.file + ":" + f.section + ":" + f.key + ": " + (f.severity == Severity::Error ? "error: " : "warning: ") +
         f.message;
}

bool HasErrors(const std::vector<Finding>& findings) {
  return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.severity == Severity::Error; });
}

namespace {

// Values from the files are quoted in findings; control bytes are shown escaped
// so a hostile file cannot garble the report.
std::string Shown(const std::string& value) { return EscapedForPrinting(value, false, 80, 80); }

std::string Two(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

// Interface pictures of the menu folder. Full-screen ones need exactly 800x600;
// the others are drawn without clipping at a fixed (furthest) position, so they
// must end inside the screen from there.
struct InterfacePicture {
  const char* name;
  int width;  // exact size when not 0
  int height;
  int x;  // furthest top-left corner it is drawn at
  int y;
};
constexpr InterfacePicture INTERFACE_PICTURES[] = {
    {"SM_BG.bmp", 800, 600, 0, 0}, {"SM_NewGame.bmp", 0, 0, 502, 419}, {"SM_Continue.bmp", 0, 0, 502, 449},
    {"SM_Quit.bmp", 0, 0, 502, 479}, {"GameBG.bmp", 800, 600, 0, 0}, {"TalkBar.bmp", 0, 0, 148, 396},
    {"Direction0.bmp", 0, 0, 38, 398}, {"Direction1.bmp", 0, 0, 38, 460}, {"Direction2.bmp", 0, 0, 7, 429},
    {"Direction3.bmp", 0, 0, 69, 429}, {"RatioSpot0.bmp", 0, 0, 784, 580}, {"RatioSpot1.bmp", 0, 0, 784, 580},
    {"ClockBorder0.bmp", 0, 0, 624, 12}, {"ClockBorder1.bmp", 0, 0, 112, 12}, {"ClockBorder2.bmp", 0, 0, 112, 524},
    {"ClockBorder3.bmp", 0, 0, 112, 556}, {"ClockBorder4.bmp", 0, 0, 624, 556}, {"ClockBorder5.bmp", 0, 0, 656, 556},
    {"ClockBorder6.bmp", 0, 0, 656, 524}, {"ClockBorder7.bmp", 0, 0, 656, 12}, {"PassGame.bmp", 0, 0, 210, 60},
    {"ResetGame.bmp", 0, 0, 210, 60}, {"LevelTravelBG.bmp", 800, 600, 0, 0}, {"OM_Boss_Item.bmp", 0, 0, 4, 502},
    {"OM_Boss.bmp", 800, 600, 0, 0}, {"OM_Restart_Item.bmp", 0, 0, 59, 502}, {"OM_Save_Item.bmp", 0, 0, 4, 549},
    {"OM_SaveLoad.bmp", 0, 0, 0, 0}, {"OM_Settings_Item.bmp", 0, 0, 59, 549}, {"OM_Settings.bmp", 0, 0, 0, 0},
    {"OM_Settings_Selected.bmp", 0, 0, 411, 252}, {"OM_Settings_Bar.bmp", 0, 0, 471, 323},
    {"OM_Messagebox_BG.bmp", 0, 0, 0, 0}, {"OM_Messagebox_Y.bmp", 0, 0, 428, 286},
    {"OM_Messagebox_N.bmp", 0, 0, 324, 286}, {"OptionHint.bmp", 0, 0, 138, 495}, {"Cursor.bmp", 0, 0, 0, 0},
};

const char* MENU_KEYS[] = {"GameOption", "SaveGame", "RestartLevel", "BossComing", "Setting", "RestartGame",
                           "ExitGame", "Save", "Load", "Confirm", "Empty"};
const char* SOUND_FILES[] = {"Sound\\ChangePiece.wav", "Sound\\StoneExplode.wav", "Sound\\LastTime.wav",
                             "Sound\\TimeOut.wav", "Sound\\TouchSpider.wav", "Sound\\GameButtonMove.wav",
                             "Sound\\GameButtonPress.wav", "Sound\\StartButtonMove.wav",
                             "Sound\\StartButtonPress.wav", "Music\\Success.wav", "Music\\Failed.wav"};

struct BmpInfo {
  int width = 0;
  int height = 0;
};

// Checks a BMP the way the game's loader reads it, against the bytes that exist.
bool CheckBmp(const Bytes& b, BmpInfo& info, std::string& why) {
  if (b.size() < 2 || b[0] != 'B' || b[1] != 'M') {
    why = "not a BMP file";
    return false;
  }
  if (b.size() < 14 + 40) {
    why = "BMP headers truncated (" + std::to_string(b.size()) + " bytes)";
    return false;
  }
  uint32_t headerSize = Get32(&b[14]);
  int32_t width = static_cast<int32_t>(Get32(&b[18]));
  int32_t height = static_cast<int32_t>(Get32(&b[22]));
  uint16_t bpp = Get16(&b[28]);
  uint32_t compression = Get32(&b[30]);
  if (headerSize < 40 || headerSize > b.size()) {
    why = "information header size " + std::to_string(headerSize) + " is invalid";
    return false;
  }
  if (compression != 0) {
    why = "compressed BMP (the game reads only uncompressed ones)";
    return false;
  }
  if (bpp != 24) {
    why = std::to_string(bpp) + "-bit BMP (the game needs 24-bit)";
    return false;
  }
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
    why = "size " + std::to_string(width) + "x" + std::to_string(height) + " is not a bottom-up picture the game reads";
    return false;
  }
  uint64_t stride = (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
  uint64_t need = 14 + static_cast<uint64_t>(headerSize) + stride * static_cast<uint64_t>(height);
  if (need > b.size()) {
    why = "pixel data truncated: needs " + std::to_string(need) + " bytes, has " + std::to_string(b.size());
    return false;
  }
  // Last, the game's own loader must take it as well.
  ImagePtr decoded;
  if (DecodeBmp(b.data(), b.size(), decoded) != BmpStatus::Ok) {
    why = "the game's picture loader refuses it";
    return false;
  }
  info.width = width;
  info.height = height;
  return true;
}

bool CheckWav(const Bytes& b, std::string& why) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    why = "not a RIFF WAVE file";
    return false;
  }
  size_t end = std::min<uint64_t>(b.size(), 8ull + Get32(&b[4]));
  bool haveFmt = false, haveData = false;
  for (size_t at = 12; at + 8 <= end;) {
    uint32_t size = Get32(&b[at + 4]);
    const uint8_t* id = &b[at];
    if (std::memcmp(id, "fmt ", 4) == 0) {
      if (size < 16 || at + 8 + 16 > b.size()) {
        why = "\"fmt \" chunk shorter than 16 bytes";
        return false;
      }
      uint16_t tag = Get16(&b[at + 8]), channels = Get16(&b[at + 10]), bits = Get16(&b[at + 22]);
      uint32_t rate = Get32(&b[at + 12]);
      if (tag != 1 || channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 4000 || rate > 96000) {
        why = "unsupported sound format (needs PCM, 1 or 2 channels, 8 or 16 bits)";
        return false;
      }
      haveFmt = true;
    } else if (std::memcmp(id, "data", 4) == 0) {
      if (at + 8 + static_cast<uint64_t>(size) > b.size()) {
        why = "\"data\" chunk declares " + std::to_string(size) + " bytes but the file ends before";
        return false;
      }
      haveData = true;
    }
    at += 8 + static_cast<size_t>(size) + (size & 1);
  }
  if (!haveFmt || !haveData) {
    why = haveFmt ? "no \"data\" chunk" : "no \"fmt \" chunk";
    return false;
  }
  return true;
}

// Reads the whole file through the game's own WAV reader, as a play request does.
bool GameReadsWav(const std::string& hostPath, uint64_t fileSize, std::string& why) {
  RiffFilePtr file;
  WaveFormatPtr format;
  WaveChunk riff, data;
  int rc = WavOpen(hostPath.c_str(), file, format, riff);
  if (rc == 0) rc = WavSeekData(file.get(), riff, data);
  if (rc == 0) {
    uint32_t want = data.size, got = 0;
    if (want > fileSize) {
      WavClose(file, format);
      why = "\"data\" chunk larger than the file";
      return false;
    }
    std::vector<uint8_t> samples(want);
    rc = WavRead(file.get(), want, samples.data(), data, got);
    if (rc == 0 && got != want) rc = -1;
  }
  WavClose(file, format);
  if (rc != 0) {
    why = "the game's sound reader refuses it (code " + std::to_string(rc) + ")";
    return false;
  }
  return true;
}


class Linter {
 public:
  explicit Linter(std::string dir) : dir_(std::move(dir)) {}

  std::vector<Finding> Run();

 private:
  void Add(Severity s, const std::string& file, const std::string& section, const std::string& key,
           const std::string& message) {
    findings_.push_back({s, file, section, key, message});
  }
  std::string Host(const std::string& composed) const { return HostPath(dir_ + "/" + composed); }
  std::string Read(const std::string& file, const char* section, const std::string& key, const char* def,
                   size_t size = 128) const {
    return ReadProfileString(section, key.c_str(), def, size, Host(file));
  }
  bool HasKey(const std::string& file, const std::string& section, const std::string& key) const {
    // The sentinel cannot be a real value: it holds a byte no text file line holds.
    static const char* missing = "\x01missing\x01";
    return Read(file, section.c_str(), key, missing, 256) != missing;
  }
  void ReadSystemIni();
  void ReadGameIni();
  void ParseSections(const std::string& file);
  bool LoadPicture(const std::string& composed, Bytes& out, std::string& why);
  // `width` x `height` exactly when given, else at most `maxWidth` x `maxHeight`.
  void CheckPicture(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& composed, int width, int height, int maxWidth = 800, int maxHeight = 600);
  void CheckWavFile(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& composed);
  void CheckMovieFile(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& composed);
  void CheckTalk(const std::string& section, const std::string& key, const std::string& value, int heads,
                 bool needSpeaker);
  void CheckText(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& text);
  void CheckWrap(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& text, const TextPlace& place);
  void CheckLevel(const std::string& section);
  void CheckFlow();

  std::string dir_;
  std::vector<Finding> findings_;
  bool packaged_ = true;
  std::string language_;
  std::string menuPath_ = "Menu", picturePath_ = "Picture", headPath_ = "Head", scriptPath_ = "Script",
              localPath_ = "Localization", moviePath_ = "Localization", musicPath_ = "Localization";
  std::string beginLevel_;
  std::string script_, local_;
  std::vector<std::string> sections_;  // in file order, as written
  // The archives are read a member at a time: a full one is hundreds of MB.
  std::map<std::string, ArchiveFile> archives_;
  std::set<std::string> badArchives_;
  std::set<std::string> wrapChecked_;  // "file:section:key", each text once
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void Linter::ReadSystemIni() {
  const std::string file = "System.ini";
  if (!FileExists(Host(file))) {
    Add(Severity::Warning, file, "", "", "missing: the game starts full screen, packaged, in simplified Chinese");
  }
  std::string windowed = Read(file, "setting", "windowed", "false");
  if (windowed != "true" && windowed != "false")
    Add(Severity::Warning, file, "setting", "windowed", "'" + Shown(windowed) + "' is neither \"true\" nor \"false\": full screen");
  std::string packaged = Read(file, "setting", "packaged", "true");
  if (packaged != "true" && packaged != "false")
    Add(Severity::Warning, file, "setting", "packaged", "'" + Shown(packaged) + "' is neither \"true\" nor \"false\": packaged");
  packaged_ = packaged != "false";
  language_ = Read(file, "setting", "language", "ChineseSimplify");
  if (language_ != "ChineseSimplify" && language_ != "ChineseTraditional" && language_ != "English" &&
      language_ != "Japanese")
    Add(Severity::Warning, file, "setting", "language", "unknown language '" + Shown(language_) + "': simplified Chinese");
  menuPath_ = Read(file, "path", "MenuPath", "Menu");
  picturePath_ = Read(file, "path", "PicturePath", "Picture");
  headPath_ = Read(file, "path", "HeadPath", "Head");
  scriptPath_ = Read(file, "path", "ScriptPath", "Script");
  localPath_ = Read(file, "path", "LocalPath", "Localization");
  moviePath_ = Read(file, "path", "MoviePath", "Localization");
  musicPath_ = Read(file, "path", "MusicPath", "Localization");
  beginLevel_ = Read(file, "debug", "BeginLevel", "");
  script_ = packaged_ ? "Script.dat" : scriptPath_ + "\\ScriptEntry.txt";
  local_ = packaged_ ? "Localization.dat" : localPath_ + "\\Localization.txt";
}

void Linter::ReadGameIni() {
  const std::string file = "Game.ini";
  if (!FileExists(Host(file))) Add(Severity::Error, file, "", "", "missing: every talk colour is undefined");
  for (int n = 1; n <= 5; ++n) {
    std::string key = "color" + std::to_string(n);
    std::string v = Read(file, "color", key, "");
    bool digits = v.size() == 9 && std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
      Add(Severity::Error, file, "color", key, "'" + Shown(v) + "' is not nine decimal digits (red, green, blue)");
      continue;
    }
    const char* channels[] = {"red", "green", "blue"};
    for (int ch = 0; ch < 3; ++ch)
      if (std::stoi(v.substr(ch * 3, 3)) > 255)
        Add(Severity::Warning, file, "color", key,
            std::string(channels[ch]) + " " + v.substr(ch * 3, 3) + " above 255 wraps around");
  }
}

void Linter::ParseSections(const std::string& file) {
  Bytes b;
  sections_.clear();
  if (!ReadHostFile(Host(file), b)) return;
  std::string text(b.begin(), b.end());
  size_t at = 0;
  while (at < text.size()) {
    size_t eol = text.find('\n', at);
    std::string line = text.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
    at = eol == std::string::npos ? text.size() : eol + 1;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] != '[') continue;
    size_t close = line.find(']', first);
    if (close == std::string::npos) continue;
    sections_.push_back(line.substr(first + 1, close - first - 1));
  }
}

bool Linter::LoadPicture(const std::string& composed, Bytes& out, std::string& why) {
  if (!packaged_) {
    if (!ReadHostFile(Host(composed), out)) {
      why = "loose file not found";
      return false;
    }
    return true;
  }
  // The archive is chosen by the folder names in the path, tested in this order.
  std::string archive = composed.find("Menu\\") != std::string::npos      ? "Menu.dat"
                        : composed.find("Picture\\") != std::string::npos ? "Picture.dat"
                        : composed.find("Head\\") != std::string::npos    ? "Head.dat"
                        : composed.find("Script\\") != std::string::npos  ? "Script.dat"
                                                                          : "Localization.dat";
  if (!archives_.count(archive) && !badArchives_.count(archive)) {
    ArchiveFile file;
    std::string error;
    switch (OpenArchiveFile(Host(archive), file, error)) {
      case ArchiveOpen::Missing:
        Add(Severity::Error, archive, "", "", "archive missing");
        badArchives_.insert(archive);
        break;
      case ArchiveOpen::Broken:
        Add(Severity::Error, archive, "", "", "broken archive: " + error);
        badArchives_.insert(archive);
        break;
      case ArchiveOpen::Ok:
        archives_[archive] = std::move(file);
        break;
    }
  }
  if (badArchives_.count(archive)) {
    why = "its archive " + archive + " is unusable";
    return false;
  }
  size_t cut = composed.find_last_of('\\');
  std::string member = cut == std::string::npos ? composed : composed.substr(cut + 1);
  const ArchiveFile& file = archives_[archive];
  for (const ArchiveEntry& e : file.entries)
    if (e.name == member) {
      if (ReadMember(file, e, out)) return true;
      why = "member " + member + " of " + archive + " cannot be read";
      return false;
    }
  why = "member " + member + " not in " + archive;
  return false;
}

void Linter::CheckPicture(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& composed, int width, int height, int maxWidth, int maxHeight) {
  Bytes b;
  std::string why;
  if (!LoadPicture(composed, b, why)) {
    Add(Severity::Error, file, section, key, composed + ": " + why);
    return;
  }
  BmpInfo info;
  if (!CheckBmp(b, info, why)) {
    Add(Severity::Error, file, section, key, composed + ": " + why);
    return;
  }
  if (width > 0 && (info.width != width || info.height != height)) {
    Add(Severity::Error, file, section, key,
        composed + ": is " + std::to_string(info.width) + "x" + std::to_string(info.height) + ", needs " +
            std::to_string(width) + "x" + std::to_string(height));
  } else if (width == 0 && (info.width > maxWidth || info.height > maxHeight)) {
    Add(Severity::Error, file, section, key,
        composed + ": " + std::to_string(info.width) + "x" + std::to_string(info.height) +
            " does not fit the screen where it is drawn (at most " + std::to_string(maxWidth) + "x" +
            std::to_string(maxHeight) + ")");
  }
}

void Linter::CheckWavFile(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& composed) {
  Bytes b;
  std::string why;
  if (!ReadHostFile(Host(composed), b)) {
    Add(Severity::Error, file, section, key, composed + ": sound file not found");
  } else if (!CheckWav(b, why) || !GameReadsWav(Host(composed), b.size(), why)) {
    Add(Severity::Error, file, section, key, composed + ": " + why);
  }
}

void Linter::CheckMovieFile(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& composed) {
  std::string host = Host(composed);
  if (!FileExists(host)) {
    Add(Severity::Error, file, section, key, composed + ": movie file not found");
    return;
  }
  std::string why;
  bool audio = false;
  if (!ProbeMovie(host, why, audio)) Add(Severity::Error, file, section, key, composed + ": " + why);
  else if (!audio) Add(Severity::Warning, file, section, key, composed + ": movie has no sound track");
}

void Linter::CheckText(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& text) {
  // The renderer takes a byte of 0xA1 or more followed by one of 0x40 or more
  // as one character; other high bytes are drawn as broken single characters.
  bool chinese = language_ != "English";
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) continue;
    if (!chinese) {
      Add(Severity::Warning, file, section, key, "non-ASCII byte in an English text");
      return;
    }
    if (c >= 0xA1 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x40) {
      ++i;
      continue;
    }
    Add(Severity::Warning, file, section, key, "byte " + std::to_string(c) + " starts no character the game draws");
    return;
  }
}

// The game wraps at any byte; in English, a word cut there reads as two.
void Linter::CheckWrap(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& text, const TextPlace& place) {
  if (language_ != "English" || !IsSingleByteText(text) || !wrapChecked_.insert(file + ":" + section + ":" + key).second)
    return;
  std::vector<std::string> split = SplitWords(text, place);
  if (split.empty()) return;
  std::string words;
  for (const std::string& w : split) words += (words.empty() ? "\"" : ", \"") + Shown(w) + "\"";
  Add(Severity::Warning, file, section, key,
      "the wrap splits " + words + " where the game draws it (" + place.what + ", size " + std::to_string(place.size) +
          ", wrapping at " + std::to_string(place.wrapWidth) + " pixels): spaces before a word start it on the next line");
}

void Linter::CheckTalk(const std::string& section, const std::string& key, const std::string& value, int heads,
                       bool needSpeaker) {
  size_t colon = value.find(':');
  size_t plus = value.rfind('+');
  if (colon == std::string::npos || plus == std::string::npos) {
    Add(Severity::Error, script_, section, key, "'" + Shown(value) + "' is not speaker:colour+key");
    return;
  }
  if (needSpeaker) {
    std::string speaker = value.substr(0, colon);
    bool found = false;
    for (int i = 0; i < std::min(heads, 60) && !found; ++i) found = speaker == "TalkerHead" + Two(i);
    if (!found)
      Add(Severity::Warning, script_, section, key, "speaker '" + Shown(speaker) + "' names no talker head: head 0 speaks");
  }
  size_t lastColon = value.rfind(':');
  char digit = lastColon + 1 < value.size() ? value[lastColon + 1] : '\0';
  if (digit < '1' || digit > '5')
    Add(Severity::Warning, script_, section, key, "colour digit is not 1 to 5: colour 1 is used");
  std::string talkKey = value.substr(plus + 1);
  if (talkKey.empty() || !HasKey(local_, "Talk", talkKey)) {
    Add(Severity::Error, script_, section, key, "talk key '" + Shown(talkKey) + "' missing in " + local_ + " [Talk]");
    return;
  }
  std::string text = Read(local_, "Talk", talkKey, "", 256);
  if (text.empty()) Add(Severity::Warning, local_, "Talk", talkKey, "empty text: the talk bar shows nothing");
  CheckText(local_, "Talk", talkKey, text);
  CheckWrap(local_, "Talk", talkKey, text, TalkTextPlace());
  // Five rows of 36 bytes fit the talk bar.
  if (text.size() > 180)
    Add(Severity::Warning, local_, "Talk", talkKey, "text longer than the talk bar holds (180 bytes)");
}

void Linter::CheckLevel(const std::string& s) {
  const std::string& f = script_;
  auto num = [&](const char* key, const char* def) { return ParseDecimal(Read(f, s.c_str(), key, def).c_str()); };
  std::string title = Read(f, s.c_str(), "LevelName", "");
  if (title.empty()) Add(Severity::Warning, f, s, "LevelName", "level has no title");
  else if (title.size() > 12) Add(Severity::Warning, f, s, "LevelName", "title wider than the 120-pixel title plate");
  CheckText(f, s, "LevelName", title);
  CheckWrap(f, s, "LevelName", title, LevelTitlePlace());
  std::string music = Read(f, s.c_str(), "BGMusicName", "");
  if (music.empty()) Add(Severity::Warning, f, s, "BGMusicName", "level has no music");
  else CheckWavFile(f, s, "BGMusicName", musicPath_ + "\\" + music);

  int layers = num("BlendPictureNum", "2");
  if (layers < 1 || layers > 5) {
    Add(Severity::Error, f, s, "BlendPictureNum", std::to_string(layers) + " layers: the game takes 1 to 5");
    layers = std::clamp(layers, 0, 5);
  }
  for (int i = 0; i < layers; ++i) {
    std::string key = "BlendPicture" + Two(i);
    std::string v = Read(f, s.c_str(), key, "");
    if (v.empty()) Add(Severity::Error, f, s, key, "layer picture not named");
    else CheckPicture(f, s, key, picturePath_ + "\\" + v + ".bmp", 500, 500);
  }
  int split = num("SplitSize", "100");
  if (split != 25 && split != 50 && split != 100) {
    Add(Severity::Error, f, s, "SplitSize", std::to_string(split) + " does not tile the board (25, 50 or 100)");
  } else {
    std::string d = split == 100 ? "0" : split == 25 ? "2" : "1";
    CheckPicture(f, s, "SplitSize", picturePath_ + "\\stone" + d + ".bmp", split, split);
    CheckPicture(f, s, "SplitSize", picturePath_ + "\\cobweb" + d + ".bmp", split, split);
    for (int k = 0; k < 2; ++k)
      for (int fr = 0; fr < 4; ++fr)
        CheckPicture(f, s, "SplitSize", picturePath_ + "\\Spider" + d + std::to_string(k) + std::to_string(fr) + ".bmp",
                     split, split);
    for (int fr = 0; fr < 4; ++fr)
      CheckPicture(f, s, "SplitSize", picturePath_ + "\\StoneExplode" + d + std::to_string(fr) + ".bmp", split, split);
  }
  int cells = split == 25 ? 400 : split == 50 ? 100 : 25;
  int time = num("LimitedTime", "120");
  if (time <= 0) Add(Severity::Error, f, s, "LimitedTime", "time limit " + std::to_string(time) + " fails the level at once");
  else if (time < cells / 2) Add(Severity::Warning, f, s, "LimitedTime", "time limit looks too short for the board");
  int ratio = num("StoneRation", "100");
  if (ratio < 0 && layers == 1)
    Add(Severity::Error, f, s, "StoneRation", "negative ratio on a one-layer board leaves no cell free of stones");
  int spiders = 0;
  for (const char* key : {"StaticSpiderNum", "DynamicSpiderNum"}) {
    int n = num(key, "0");
    if (n < 0 || n > 5) Add(Severity::Error, f, s, key, std::to_string(n) + " spiders: the game takes 0 to 5");
    spiders += std::clamp(n, 0, 5);
  }
  if (spiders > (ratio < 0 ? cells - 1 : cells))
    Add(Severity::Error, f, s, "StaticSpiderNum", "more spiders than cells they may start on");

  int heads = num("TalkerHeadNum", "1");
  if (heads < 0 || heads > 60) {
    Add(Severity::Error, f, s, "TalkerHeadNum", std::to_string(heads) + " talker heads: the game takes 0 to 60");
    heads = std::clamp(heads, 0, 60);
  }
  for (int i = 0; i < heads; ++i) {
    std::string key = "TalkerHead" + Two(i);
    std::string v = Read(f, s.c_str(), key, "");
    if (v.empty()) Add(Severity::Error, f, s, key, "talker head picture not named");
    else CheckPicture(f, s, key, headPath_ + "\\" + v + ".bmp", 0, 0, 800, 396);
  }
  for (const char* prefix : {"BeginTalk", "EndTalk"}) {
    std::string countKey = std::string(prefix) + "Num";
    int n = num(countKey.c_str(), "1");
    if (n < 0 || n > 30) {
      Add(Severity::Error, f, s, countKey, std::to_string(n) + " lines: the game takes 0 to 30");
      n = std::clamp(n, 0, 30);
    }
    for (int i = 0; i < n; ++i) {
      std::string key = prefix + Two(i);
      CheckTalk(s, key, Read(f, s.c_str(), key, "", 256), heads, true);
    }
  }
  int choices = num("SelectionTalkNum", "0");
  if (choices < 0 || choices > 5) {
    Add(Severity::Error, f, s, "SelectionTalkNum", std::to_string(choices) + " choices: the game takes 0 to 5");
    choices = std::clamp(choices, 0, 5);
  }
  auto checkEndPlay = [&](const std::string& key) {
    std::string v = Read(f, s.c_str(), key, "");
    if (v.empty()) return;
    size_t plus = v.find('+');
    std::string kind = plus == std::string::npos ? v : v.substr(0, plus);
    std::string name = plus == std::string::npos ? "" : v.substr(v.rfind('+') + 1);
    if (kind == "avi" && !name.empty()) CheckMovieFile(f, s, key, moviePath_ + "\\" + name + ".avi");
    else if (kind == "pic" && !name.empty()) CheckPicture(f, s, key, picturePath_ + "\\" + name + ".bmp", 0, 0);
    else Add(Severity::Warning, f, s, key, "'" + Shown(v) + "' is neither avi+NAME nor pic+NAME: nothing is shown");
  };
  for (int i = 0; i < choices; ++i) {
    std::string key = "SelectionTalk" + Two(i);
    CheckTalk(s, key, Read(f, s.c_str(), key, "", 256), heads, false);
    checkEndPlay("EndPlay" + Two(i));
  }
  if (choices == 0) checkEndPlay("EndPlay");
}

void Linter::CheckFlow() {
  std::map<std::string, std::string> canonical;  // lower case -> as written
  for (const std::string& name : sections_) canonical[Lower(name)] = name;
  auto exists = [&](const std::string& name) { return canonical.count(Lower(name)) > 0; };

  const std::string& f = script_;
  if (beginLevel_.empty())
    Add(Severity::Warning, "System.ini", "debug", "BeginLevel", "empty: a new game starts at no level");
  else if (beginLevel_ != "GameBegin" && !exists(beginLevel_))
    Add(Severity::Warning, "System.ini", "debug", "BeginLevel", "names no section of " + script_ + ": '" + Shown(beginLevel_) + "'");

  if (exists("GameBegin")) {
    int n = ParseDecimal(Read(f, "GameBegin", "TotalBeginPicture", "0").c_str());
    if (n > 5) Add(Severity::Warning, f, "GameBegin", "TotalBeginPicture", "only the first 5 pictures are shown");
    for (int i = 0; i < std::clamp(n, 0, 5); ++i) {
      std::string key = "BeginPicture" + Two(i);
      std::string v = Read(f, "GameBegin", key, "");
      if (v.empty()) Add(Severity::Error, f, "GameBegin", key, "introduction picture not named");
      else CheckPicture(f, "GameBegin", key, picturePath_ + "\\" + v + ".bmp", 0, 0);
    }
  }

  // Every level the game can reach, and where each one leads.
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> edges;  // key -> (via key, target)
  std::vector<std::string> order;
  std::set<std::string> seen;
  std::vector<std::string> todo;
  auto visit = [&](const std::string& name) {
    if (Lower(name) == "gameend" || seen.count(Lower(name))) return;
    seen.insert(Lower(name));
    todo.push_back(name);
  };
  bool fromIntro = beginLevel_ == "GameBegin" || beginLevel_.empty();
  if (beginLevel_ != "GameBegin" && !beginLevel_.empty() && exists(beginLevel_)) visit(canonical[Lower(beginLevel_)]);
  if (fromIntro || exists("Level00")) visit("Level00");
  while (!todo.empty()) {
    std::string level = todo.back();
    todo.pop_back();
    if (!exists(level)) continue;
    order.push_back(level);
    auto& out = edges[Lower(level)];
    int choices = std::clamp(ParseDecimal(Read(f, level.c_str(), "SelectionTalkNum", "0").c_str()), 0, 5);
    if (choices == 0) out.push_back({"Goto", Read(f, level.c_str(), "Goto", "Level00")});
    for (int i = 0; i < choices; ++i)
      out.push_back({"Goto" + Two(i), Read(f, level.c_str(), ("Goto" + Two(i)).c_str(), "Level00")});
    for (const auto& [via, target] : out) {
      if (Lower(target) != "gameend" && !exists(target))
        Add(Severity::Warning, f, level, via, "goes to missing section '" + Shown(target) + "'");
      visit(target);
    }
  }
  if ((fromIntro || exists("Level00")) && !exists("Level00"))
    Add(Severity::Warning, f, "Level00", "", "goes to missing section 'Level00', the first level");
  for (const std::string& name : sections_)
    if (Lower(name) != "gamebegin" && !seen.count(Lower(name)))
      Add(Severity::Warning, f, name, "", "section is never reached");

  // Levels from which "GameEnd" cannot be reached loop for ever.
  std::set<std::string> ends;
  bool grew = true;
  while (grew) {
    grew = false;
    for (const auto& [level, out] : edges) {
      if (ends.count(level)) continue;
      for (const auto& [via, target] : out)
        if (Lower(target) == "gameend" || ends.count(Lower(target))) {
          ends.insert(level);
          grew = true;
          break;
        }
    }
  }
  for (const std::string& level : order)
    if (!ends.count(Lower(level)))
      Add(Severity::Warning, f, level, "", "caught in a cycle that never reaches \"GameEnd\"");
  std::sort(order.begin(), order.end());
  for (const std::string& level : order) CheckLevel(level);
}

std::vector<Finding> Linter::Run() {
  ClearProfileCache();
  ReadSystemIni();
  ReadGameIni();
  if (!FileExists(Host(script_))) {
    Add(Severity::Error, script_, "", "", "level script missing");
  }
  if (!FileExists(Host(local_))) {
    Add(Severity::Error, local_, "", "", "localization file missing: every caption and talk line is empty");
  } else {
    for (const char* key : MENU_KEYS) {
      if (!HasKey(local_, "Menu", key)) Add(Severity::Error, local_, "Menu", key, "menu text missing");
      else {
        std::string text = Read(local_, "Menu", key, "", 256);
        CheckText(local_, "Menu", key, text);
        TextPlace place;
        if (MenuTextPlace(key, place)) CheckWrap(local_, "Menu", key, text, place);
      }
    }
  }
  ParseSections(script_);
  if (FileExists(Host(script_))) CheckFlow();
  for (const InterfacePicture& p : INTERFACE_PICTURES)
    CheckPicture("System.ini", "path", "MenuPath", menuPath_ + "\\" + p.name, p.width, p.height, 800 - p.x, 600 - p.y);
  for (int i = 1; i <= 3; ++i) {
    std::string name = "begin0" + std::to_string(i) + ".bmp";
    Bytes b;
    BmpInfo info;
    std::string why;
    if (!ReadHostFile(Host(name), b)) Add(Severity::Warning, name, "", "", "start logo missing: the logos stop here");
    else if (!CheckBmp(b, info, why)) Add(Severity::Error, name, "", "", why);
    else if (info.width > 800 || info.height > 600) Add(Severity::Error, name, "", "", "larger than the screen");
  }
  for (const char* sound : SOUND_FILES) CheckWavFile(sound, "", "", sound);
  CheckMovieFile("movie\\begin.avi", "", "", "movie\\begin.avi");
  CheckMovieFile("movie\\end.avi", "", "", "movie\\end.avi");
  return findings_;
}

}  // namespace

std::vector<Finding> LintGameFolder(const std::string& dir) { return Linter(dir).Run(); }

std::string LintReport(const std::vector<Finding>& findings) {
  std::string report;
  int shown = 0;
  for (const Finding& f : findings) {
    if (f.severity != Severity::Error) continue;
    if (++shown > 20) {
      report += "\n  ...";
      break;
    }
    report += "\n  " + FormatFinding(f);
  }
  return report;
}

}  // namespace tessera::content
