// Writes small starting inputs for every fuzz target into <dir>/<target>/,
// all named "gen-*": valid files of each kind (so the fuzzer starts inside the
// formats) and the argument framing the targets read from their inputs.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/save_slots.h"
#include "platform/zip_archive.h"
#include "support/hostile_packages.h"
#include "gfx/bmp.h"
#include "gfx/bmp_write.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

void PutU16(Bytes& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(Bytes& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Append(Bytes& b, const std::string& text) { b.insert(b.end(), text.begin(), text.end()); }
Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string g_root;
int g_written = 0;

bool Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path dir = fs::path(g_root) / target;
  std::error_code ignored;
  fs::create_directories(dir, ignored);
  const fs::path path = dir / ("gen-" + name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ++g_written;
  return std::fclose(file) == 0 && ok;
}

// A gradient picture through the game's own BMP writer.
Bytes Bmp24(int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 37);
  return tessera::EncodeBmp24(width, height, rgb.data());
}

// 32 bits per pixel, top-down, optionally with the three standard masks.
Bytes Bmp32(int width, int height, bool masks) {
  const uint32_t header = masks ? 52 : 40;
  Bytes b(14 + header, 0);
  b[0] = 'B';
  b[1] = 'M';
  const uint32_t pixels = static_cast<uint32_t>(width * height * 4);
  PutU32(b, 2, 14 + header + pixels);
  PutU32(b, 10, 14 + header);
  PutU32(b, 14, header);
  PutU32(b, 18, static_cast<uint32_t>(width));
  PutU32(b, 22, static_cast<uint32_t>(-height));
  PutU16(b, 26, 1);
  PutU16(b, 28, 32);
  PutU32(b, 30, masks ? 3 : 0);
  if (masks) {
    PutU32(b, 54, 0x00FF0000);
    PutU32(b, 58, 0x0000FF00);
    PutU32(b, 62, 0x000000FF);
  }
  for (uint32_t i = 0; i < pixels; ++i) b.push_back(static_cast<uint8_t>(i * 11));
  return b;
}

struct Member {
  std::string name;
  Bytes data;
};

Bytes Archive(const std::vector<Member>& members) {
  Bytes b(tessera::ARCHIVE_INDEX_END, 0);
  PutU32(b, 0, static_cast<uint32_t>(members.size()));
  for (size_t i = 0; i < members.size(); ++i) {
    const size_t entry = 4 + i * tessera::ARCHIVE_ENTRY_SIZE;
    std::memcpy(&b[entry], members[i].name.data(), members[i].name.size());
    PutU32(b, entry + tessera::ARCHIVE_NAME_SIZE, static_cast<uint32_t>(b.size()));
    b.insert(b.end(), members[i].data.begin(), members[i].data.end());
  }
  return b;
}

// RIFF WAVE with the given format tag and extra bytes, `dataFirst` putting the
// samples before the format chunk, and an unrelated chunk in between.
Bytes Wav(uint16_t tag, uint16_t channels, uint16_t bits, const Bytes& extra, bool dataFirst, size_t samples) {
  Bytes fmt;
  PutU16(fmt, 0, tag);
  PutU16(fmt, 2, channels);
  PutU32(fmt, 4, 8000);
  const uint16_t block = static_cast<uint16_t>(channels * bits / 8);
  PutU32(fmt, 8, 8000u * block);
  PutU16(fmt, 12, block);
  PutU16(fmt, 14, bits);
  if (tag != 1 || !extra.empty()) {
    PutU16(fmt, 16, static_cast<uint16_t>(extra.size()));
    fmt.insert(fmt.end(), extra.begin(), extra.end());
  }
  Bytes data(samples * block);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13);

  auto chunk = [](Bytes& out, const char* id, const Bytes& body) {
    Append(out, std::string(id, 4));
    PutU32(out, out.size(), static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
  };
  Bytes body;
  Append(body, "WAVE");
  if (dataFirst) chunk(body, "data", data);
  chunk(body, "fmt ", fmt);
  chunk(body, "LIST", Text("INFOx"));
  if (!dataFirst) chunk(body, "data", data);
  Bytes file;
  chunk(file, "RIFF", body);
  return file;
}

// Inputs of the targets that split them with FuzzedDataProvider: strings and
// byte runs come from the front, numbers and flags from the back (last byte
// first), so a seed is the front part plus the reversed back part.
struct Framed {
  Bytes front;
  Bytes back;  // in the order the target consumes it
  Framed& Str(const std::string& text) {
    for (char c : text) {
      if (c == '\\') front.push_back('\\');
      front.push_back(static_cast<uint8_t>(c));
    }
    Append(front, "\\|");  // a backslash before another byte ends the string
    return *this;
  }
  Framed& Raw(const Bytes& bytes) {
    front.insert(front.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Framed& Byte(uint8_t value) {
    back.push_back(value);
    return *this;
  }
  Bytes Done() const {
    Bytes out = front;
    out.insert(out.end(), back.rbegin(), back.rend());
    return out;
  }
};

const char kSystemIni[] =
    "[setting]\r\nwindowed = true\r\npackaged=false\r\nlanguage=English\r\n"
    "[path]\r\nMenuPath=Menu\r\nPicturePath=\"Picture\"\r\nScriptPath = Script \r\n"
    "; a comment\r\n[debug]\r\nBeginLevel=Level01\r\nSkipLevel=false\r\n";

const char kScript[] =
    "[GameBegin]\nLevelName=Opening\n"
    "[Level00]\nLevelName=Morning\nBGMusicName=m1.wav\nBlendPictureNum=3\n"
    "BlendPicture00=L0\nBlendPicture01=L1\nBlendPicture02=L2\nSplitSize=50\nLimitedTime=90\n"
    "StoneRation=80\nStaticSpiderNum=1\nDynamicSpiderNum=2\nTalkerHeadNum=2\n"
    "TalkerHead00=Girl\nTalkerHead01=Cat\nBeginTalkNum=2\n"
    "BeginTalk00=TalkerHead00:1+Hello\nBeginTalk01=TalkerHead01:3+Bye\n"
    "EndTalkNum=1\nEndTalk00=TalkerHead01:2+Hello\nGoto=Level01\n"
    "SelectionTalkNum=2\nSelectionTalk00=TalkerHead00:4+Hello\nGoto00=Level02\n"
    "SelectionTalk01=TalkerHead00:5+Bye\nGoto01=Level03\n"
    "EndPlay=avi+End1.avi\nEndPlay00=pic+Ending\nEndPlay01=avi+Last.avi\n";

const char kLocalization[] =
    "[Menu]\nStart=Start the game\nLoad=\xD4\xD8\xC8\xEB\n[Talk]\nHello=Hello there\nBye=Good bye\n";

}  // namespace

// A real package in small: its entries' names, order and methods as they
// are, each file cut to its first bytes (the manifest and thumbnail whole), so
// the fuzzer starts from a package's true shape at a size it can run often.
bool PackageInMiniature(const std::string& path, const std::string& name) {
  std::string error;
  std::unique_ptr<tessera::ZipReader> zip = tessera::OpenZipFile(path, error);
  if (!zip) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  std::vector<tessera::ZipWriteEntry> entries;
  for (size_t i = 0; i < zip->Entries().size(); ++i) {
    tessera::ZipWriteEntry entry;
    entry.name = zip->Entries()[i].name;
    entry.deflate = zip->Entries()[i].method != tessera::ZIP_STORED;
    if (!zip->ReadEntry(i, uint64_t{64} << 20, entry.data, error)) return false;
    if (i >= 2 && entry.data.size() > 256) entry.data.resize(256);
    entries.push_back(std::move(entry));
  }
  const fs::path dir = fs::path(g_root) / "fuzz_package";
  std::error_code ignored;
  fs::create_directories(dir, ignored);
  ++g_written;
  return tessera::WriteZipFile((dir / ("demo-" + name)).string(), entries, error);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS_DIR [PACKAGE.tessera...]\n");
    return 2;
  }
  g_root = argv[1];
  bool ok = true;

  for (const tessera::test::HostilePackage& hostile : tessera::test::HostilePackages())
    if (hostile.bytes.size() <= 65536) ok &= Seed("fuzz_package", hostile.name + ".tessera", hostile.bytes);
  for (int i = 2; i < argc; ++i) ok &= PackageInMiniature(argv[i], fs::path(argv[i]).filename().string());

  ok &= Seed("fuzz_bmp", "24-2x2.bmp", Bmp24(2, 2));
  ok &= Seed("fuzz_bmp", "24-5x3.bmp", Bmp24(5, 3));
  ok &= Seed("fuzz_bmp", "32-top-down.bmp", Bmp32(3, 2, false));
  ok &= Seed("fuzz_bmp", "32-masks.bmp", Bmp32(2, 2, true));

  ok &= Seed("fuzz_archive", "one.dat", Archive({{"Level.bmp", Bmp24(3, 2)}}));
  ok &= Seed("fuzz_archive", "two.dat", Archive({{"A.bmp", Bmp32(2, 2, true)}, {"B.bmp", Bmp24(2, 1)}}));

  ok &= Seed("fuzz_wav", "pcm16.wav", Wav(1, 1, 16, {}, false, 40));
  ok &= Seed("fuzz_wav", "pcm8-stereo-data-first.wav", Wav(1, 2, 8, {}, true, 33));
  ok &= Seed("fuzz_wav", "adpcm-extra.wav", Wav(2, 1, 4, {0xF4, 0x01, 0x07, 0x00}, false, 20));

  // Buffer size (two bytes from the back), section, key, then the file.
  ok &= Seed("fuzz_profile", "system.ini",
             Framed().Str("path").Str("MenuPath").Raw(Text(kSystemIni)).Byte(0).Byte(128).Done());
  ok &= Seed("fuzz_profile", "short-buffer.ini",
             Framed().Str("SETTING").Str("Language").Raw(Text(kSystemIni)).Byte(0).Byte(4).Done());

  // Flag (last byte; even keeps "Level00"), then the script.
  ok &= Seed("fuzz_level_script", "script.txt", Framed().Raw(Text(kScript)).Byte(0).Done());
  ok &= Seed("fuzz_level_script", "other-section.txt",
             Framed().Str("GameBegin").Raw(Text(kScript)).Byte(1).Done());

  // Packaged flag, key, file.
  ok &= Seed("fuzz_localization", "loose.txt", Framed().Str("TalkerHead00:1+Hello").Raw(Text(kLocalization)).Byte(0).Done());
  ok &= Seed("fuzz_localization", "packaged.txt", Framed().Str("Start").Raw(Text(kLocalization)).Byte(1).Done());

  {
    tessera::SaveRecord record;
    record.month = 12;
    record.day = 31;
    record.hour = 23;
    record.minute = 59;
    record.second = 58;
    std::snprintf(record.level, sizeof record.level, "%s", "Level07");
    record.MatchAll = 0;
    record.MusicVolume = 40;
    record.SoundVolume = 100;
    uint8_t bytes[tessera::SAVE_RECORD_SIZE];
    tessera::EncodeSaveRecord(record, bytes);
    const Bytes whole(bytes, bytes + sizeof bytes);
    Framed slots;
    for (int n = 0; n < tessera::SAVE_SLOT_COUNT; ++n) {
      // Slots 0, 3 and 7 hold a record (7 a short one); the others have no file.
      const bool present = n == 0 || n == 3 || n == 7;
      slots.Byte(present ? 1 : 0);
      if (!present) continue;
      const size_t length = n == 7 ? tessera::SAVE_RECORD_HEAD : whole.size();
      slots.Byte(static_cast<uint8_t>(length)).Raw(Bytes(whole.begin(), whole.begin() + length));
    }
    slots.Byte(2 + 3);  // load slot 3
    ok &= Seed("fuzz_save_slots", "three-slots", slots.Done());
    ok &= Seed("fuzz_save_slots", "one-record", whole);
  }

  // Text: flags and numbers from the back, the text from the front.
  const std::string english = "The spiders are coming, finish the picture before the time is up!";
  const std::string chinese = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7 mixed \xB0\xA1\xB0";
  for (int variant = 0; variant < 3; ++variant) {
    Framed text;
    text.Byte(1).Byte(static_cast<uint8_t>(variant));  // one of the five sizes
    for (int field = 0; field < 4; ++field) text.Byte(static_cast<uint8_t>(40 + variant * 30)).Byte(0);
    text.Byte(90).Byte(60).Raw(Text(variant == 1 ? chinese : english));
    ok &= Seed("fuzz_text", "text-" + std::to_string(variant), text.Done());
  }

  ok &= Seed("fuzz_input_script", "all-events.txt",
             Text("# a whole run\n0 move 400 300\n10 ldown\n20 lup\n30 ldouble\n40 rdown\n50 rup\n"
                  "60 mdown\n70 mup\n80 keydown 27\n90 keyup 27\n100 dump start\n4294967295 quit\n"));
  ok &= Seed("fuzz_input_script", "bad-line.txt", Text("0 move 400 300\n\n  12   keydown 256 # comment\n"));

  if (!ok) {
    std::fprintf(stderr, "fuzz_make_seeds: could not write every seed below %s\n", g_root.c_str());
    return 1;
  }
  std::printf("%d seeds written below %s\n", g_written, g_root.c_str());
  return 0;
}
