// Damaged and hostile files for every reader of outside data, as tables: each
// row is a file (or a call with extreme arguments) and the clear outcome it
// must give - a default, a refusal with its message, an empty slot - never a
// crash, a read outside the file or a write outside the caller's buffer.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "app/files.h"
#include "app/profile.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/localization.h"
#include "game/save_slots.h"
#include "game/settings.h"
#include "gfx/bmp.h"
#include "gfx/gfx_fixtures.h"
#include "gfx/text.h"
#include "media/movie.h"
#include "platform/backends.h"
#include "platform/headless/input_script.h"
#include "platform/movie.h"
#include "screens/slot_list.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

using namespace std::string_literals;
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Deterministic bytes that hold no line end and no section bracket, so a
// reader sees one long line of noise.
Bytes Noise(size_t size, uint32_t seed) {
  Bytes b(size);
  for (uint8_t& byte : b) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(seed >> 24);
    if (byte == '\n' || byte == '[' || byte == '\r') byte = 'x';
  }
  return b;
}

// What a row puts where the reader looks: bytes, a folder, or nothing.
struct Placed {
  enum class Kind { Bytes, Folder, Nothing } kind = Kind::Bytes;
  Bytes bytes;
  static Placed Of(Bytes b) { return {Kind::Bytes, std::move(b)}; }
  static Placed Of(const std::string& text) { return {Kind::Bytes, Text(text)}; }
  static Placed Folder() { return {Kind::Folder, {}}; }
  static Placed Nothing() { return {Kind::Nothing, {}}; }
};

void Place(const ScratchDir& dir, const std::string& relative, const Placed& what) {
  switch (what.kind) {
    case Placed::Kind::Bytes:
      dir.Write(relative, what.bytes);
      break;
    case Placed::Kind::Folder:
      dir.Write(relative + "/inside", std::string("x"));
      break;
    case Placed::Kind::Nothing:
      break;
  }
}

// Each row runs in a fresh working folder with the default configuration (loose
// files) and a quiet headless platform whose message boxes can be read back.
class Hostile : public ::testing::Test {
 protected:
  Hostile() : work_(dir_.path()) {
    saved_ = EngineConfig;
    EngineConfig = EngineConfigRecord{};
    EngineConfig.Packaged = 0;
    ClearProfileCache();
  }
  ~Hostile() override {
    EngineConfig = saved_;
    ClearProfileCache();
  }

  ScopedPlatform platform_;
  ScratchDir dir_;
  ScopedWorkDir work_;
  EngineConfigRecord saved_;
};

// ---------------------------------------------------------------------------
// Packaged pictures: the archive index.

struct ArchiveRow {
  const char* what;
  const char* path;
  std::function<Placed()> archive;
  bool says;  // whether the player is told "<path> is not bmp!"
};

std::vector<ArchiveRow> ArchiveRows() {
  const Bytes member = MakePatternBmp(2, 2);
  auto withOffset = [member](uint32_t offset) {
    Bytes b = MakeArchive({{"A.bmp", member}, {"B.bmp", member}});
    PutU32(b, EntryOffsetField(1), offset);
    return b;
  };
  return {
      {"no archive at all: the picture is skipped without a word", "Picture\\A.bmp", [] { return Placed::Nothing(); },
       false},
      {"a folder where the archive belongs is no archive", "Picture\\A.bmp", [] { return Placed::Folder(); }, false},
      {"an offset into the index itself", "Picture\\B.bmp", [=] { return Placed::Of(withOffset(4)); }, true},
      {"an offset into the count field", "Picture\\B.bmp", [=] { return Placed::Of(withOffset(1)); }, true},
      {"an offset into the middle of another member", "Picture\\B.bmp",
       [=] { return Placed::Of(withOffset(static_cast<uint32_t>(kIndexEnd + 20))); }, true},
      {"the largest offset there is", "Picture\\B.bmp", [=] { return Placed::Of(withOffset(0xFFFFFFFFu)); }, true},
      {"a path ending in a backslash names no member even beside unused entries", "Picture\\",
       [=] { return Placed::Of(MakeArchive({{"A.bmp", member}}, 3)); }, true},
      {"an index whose every name runs unterminated into its offset", "Picture\\A.bmp",
       [=] {
         Bytes b = MakeArchive({{"A.bmp", member}}, 300);
         for (int i = 0; i < 300; ++i) std::memset(&b[4 + static_cast<size_t>(i) * 136], 'A', 128);
         return Placed::Of(b);
       },
       true},
      {"an archive exactly one byte short of its index", "Picture\\A.bmp",
       [=] {
         Bytes b = MakeArchive({{"A.bmp", member}});
         b.resize(kIndexEnd - 1);
         return Placed::Of(b);
       },
       true},
  };
}

TEST_F(Hostile, ArchiveIndexFaultsLeaveTheSlotAsItWasWithTheRightMessage) {
  EngineConfig.Packaged = 1;
  for (const ArchiveRow& row : ArchiveRows()) {
    SCOPED_TRACE(row.what);
    ScratchDir dir;
    ScopedWorkDir work(dir.path());
    ScopedPlatform platform;
    Place(dir, "Picture.dat", row.archive());

    ImagePtr slot = CreateImage(1, 1, 7);
    const Image* before = slot.get();
    EXPECT_EQ(LoadBmpImage(row.path, slot, 0), 0);
    EXPECT_EQ(slot.get(), before);
    const std::vector<std::string> expected =
        row.says ? std::vector<std::string>{std::string(row.path) + " is not bmp!"} : std::vector<std::string>{};
    EXPECT_EQ(platform->Messages(), expected);
  }
}

TEST_F(Hostile, AHostileMemberDoesNotSpoilTheSearchForItsNeighbour) {
  EngineConfig.Packaged = 1;
  Bytes b = MakeArchive({{"Bad.bmp", Text("BM short")}, {"Good.bmp", MakePatternBmp(3, 2)}});
  dir_.Write("Head.dat", b);
  ImagePtr bad, good;
  EXPECT_EQ(LoadBmpImage("Head\\Bad.bmp", bad, 0), 0);
  ASSERT_EQ(LoadBmpImage("Head\\Good.bmp", good, 0), 1);
  EXPECT_EQ(good->width, 3);
  EXPECT_EQ(good->height, 2);
  EXPECT_EQ(platform_->Messages(), std::vector<std::string>{"Head\\Bad.bmp is not bmp!"});
}

// ---------------------------------------------------------------------------
// The profile reader.

struct ProfileRow {
  const char* what;
  Placed file;
  const char* section;
  const char* key;
  size_t size;
  std::string expected;  // may hold NUL bytes
};

std::vector<ProfileRow> ProfileRows() {
  std::string hugeValue = "[s]\nk=" + std::string(1 << 20, 'v');  // no final line end
  return {
      {"an empty file gives the default", Placed::Of(""), "s", "k", 32, "default"},
      {"a byte-order mark alone gives the default", Placed::Of("\xEF\xBB\xBF"), "s", "k", 32, "default"},
      {"64 KiB of noise in one line gives the default", Placed::Of(Noise(65536, 1)), "s", "k", 32, "default"},
      {"a folder in place of the file gives the default", Placed::Folder(), "s", "k", 32, "default"},
      {"keys before any section belong to none", Placed::Of("k=early\n[s]\nother=1\n"), "s", "k", 32, "default"},
      {"a NUL byte in a value passes through", Placed::Of("[s]\nk=ab\0cd\n"s), "s", "k", 32,
       "ab\0cd"s},
      {"a 1 MiB value without a line end is cut to size - 1", Placed::Of(hugeValue), "s", "k", 128,
       std::string(127, 'v')},
      {"a one-byte buffer holds only the terminator", Placed::Of("[s]\nk=value\n"), "s", "k", 1, ""},
      {"a section name of 4 KiB is matched whole", Placed::Of("[" + std::string(4096, 'S') + "]\nk=deep\n"),
       "SSSS", "k", 32, "default"},
      {"an empty value is a value, not a missing key", Placed::Of("[s]\nk=\n"), "s", "k", 32, ""},
  };
}

TEST_F(Hostile, ProfileFilesGiveTheirValueOrTheDefaultAndNeverOverrunTheBuffer) {
  for (const ProfileRow& row : ProfileRows()) {
    SCOPED_TRACE(row.what);
    ScratchDir dir;
    Place(dir, "p.ini", row.file);
    ClearProfileCache();
    // Exactly `size` bytes on the heap, so a terminator one past the end is caught.
    auto buffer = std::make_unique<char[]>(row.size);
    std::memset(buffer.get(), '#', row.size);
    const size_t n =
        GetPrivateProfileString(row.section, row.key, "default", buffer.get(), row.size, (dir / "p.ini").c_str());
    EXPECT_EQ(std::string(buffer.get(), n), row.expected);
    EXPECT_EQ(buffer[n], '\0');
  }
}

TEST_F(Hostile, ProfileCallsWithoutABufferCopyNothing) {
  dir_.Write("p.ini", std::string("[s]\nk=v\n"));
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", nullptr, 16, "p.ini"), 0u);
  char one = 'x';
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", &one, 0, "p.ini"), 0u);
  EXPECT_EQ(one, 'x');
  EXPECT_EQ(ReadProfileString("s", "k", "d", 0, "p.ini"), "");
  // Null section, key, default and path read as empty texts and a missing file.
  char buffer[8];
  EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, nullptr, buffer, sizeof buffer, nullptr), 0u);
  EXPECT_STREQ(buffer, "");
}

// ---------------------------------------------------------------------------
// The level script.

struct ScriptRow {
  const char* what;
  Placed script;
  bool playable;
  const char* reason;  // part of the refusal
};

std::vector<ScriptRow> ScriptRows() {
  const std::string layers = "BlendPictureNum=2\nBlendPicture00=a\nBlendPicture01=b\n";
  return {
      {"an empty script has no level", Placed::Of(""), false, "no such level"},
      {"noise has no level", Placed::Of(Noise(8192, 2)), false, "no such level"},
      {"a folder in place of the script has no level", Placed::Folder(), false, "no such level"},
      {"a section header without keys is no level", Placed::Of("[Level00]\n"), false, "no such level"},
      {"keys before the header belong to no level", Placed::Of(layers + "[Level00]\n"), false, "no such level"},
      {"a piece size of 0 is refused, not divided by", Placed::Of("[Level00]\n" + layers + "SplitSize=0\n"), false,
       "piece size of 0"},
      {"a piece size beyond 32 bits saturates and is refused",
       Placed::Of("[Level00]\n" + layers + "SplitSize=99999999999999999999\n"), false, "piece size of 2147483647"},
      {"a picture count below -2^31 saturates and is refused",
       Placed::Of("[Level00]\nBlendPictureNum=-99999999999999999999\n"), false, "no pictures"},
      {"six pictures are refused", Placed::Of("[Level00]\nBlendPictureNum=6\n"), false, "6 pictures"},
      {"a NUL byte ends a value, not the file",
       Placed::Of("[Level00]\nLevelName=Ab\0cd\n"s + layers + "SplitSize=50\n"), true, ""},
  };
}

TEST_F(Hostile, LevelScriptsAreReadOrRefusedWithAReason) {
  for (const ScriptRow& row : ScriptRows()) {
    SCOPED_TRACE(row.what);
    ScratchDir dir;
    ScopedWorkDir work(dir.path());
    ClearProfileCache();
    Place(dir, "Script/ScriptEntry.txt", row.script);
    auto level = std::make_unique<LevelDefinitionRecord>();
    ReadLevelDefinition("Level00", *level);
    std::string reason;
    EXPECT_EQ(LevelDefinitionPlayable(*level, reason), row.playable) << reason;
    EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
    // Whatever the script held, the record stays inside its tables.
    EXPECT_GE(level->TalkerHeadNum, 0);
    EXPECT_LE(level->TalkerHeadNum, MAX_TALKER_HEADS);
    EXPECT_LE(level->BeginTalkNum, MAX_TALK_LINES);
    EXPECT_LT(std::strlen(level->LevelName), sizeof level->LevelName);
  }
}

TEST_F(Hostile, TalkReferencesOfExtremeLengthFindNoTextAndStayInTheirFields) {
  dir_.Write("Localization/Localization.txt", std::string("[Talk]\nHello=Hi\n"));
  const std::string longKey(300, 'k');
  dir_.Write("Script/ScriptEntry.txt", "[Level00]\nBeginTalkNum=3\n"
                                       "BeginTalk00=TalkerHead00:1+" + longKey + "\n"
                                       "BeginTalk01=" + std::string(600, ':') + "+Hello\n"
                                       "BeginTalk02=TalkerHead00:1+\n");
  auto level = std::make_unique<LevelDefinitionRecord>();
  ReadLevelDefinition("Level00", *level);
  EXPECT_EQ(level->BeginTalkNum, 3);
  EXPECT_STREQ(level->BeginTalk[0].text, "");
  // The value is cut to its 255-byte field before the lookup, which loses the key.
  EXPECT_STREQ(level->BeginTalk[1].text, "");
  EXPECT_EQ(level->BeginTalk[1].speaker, 0);
  EXPECT_STREQ(level->BeginTalk[2].text, "");
}

// ---------------------------------------------------------------------------
// Localized texts.

struct LocalizationRow {
  const char* what;
  Placed file;
  const char* key;
  int section;
  std::string expected;
};

std::vector<LocalizationRow> LocalizationRows() {
  return {
      {"an empty file has no texts", Placed::Of(""), "Start", TEXT_MENU, ""},
      {"noise has no texts", Placed::Of(Noise(4096, 3)), "Start", TEXT_MENU, ""},
      {"a folder in place of the file has no texts", Placed::Folder(), "Start", TEXT_MENU, ""},
      {"no file at all has no texts", Placed::Nothing(), "Start", TEXT_MENU, ""},
      {"a NUL byte ends the text", Placed::Of("[Menu]\nStart=Go\0ne\n"s), "Start", TEXT_MENU, "Go"},
      {"a text of 64 KiB is cut to 255 bytes", Placed::Of("[Menu]\nStart=" + std::string(65536, 't') + "\n"),
       "Start", TEXT_MENU, std::string(255, 't')},
      {"a talk reference ending in '+' names no text", Placed::Of("[Talk]\nHello=Hi\n"), "TalkerHead00:1+",
       TEXT_TALK, ""},
      {"a talk reference is not looked up among menu texts", Placed::Of("[Menu]\nHello=Hi\n"), "TalkerHead00:1+Hello",
       TEXT_TALK, ""},
      {"an unknown section number reads the menu texts", Placed::Of("[Menu]\nStart=Go\n"), "Start", 7, "Go"},
  };
}

TEST_F(Hostile, LocalizationFilesGiveATerminatedTextOfAtMost255Bytes) {
  for (const LocalizationRow& row : LocalizationRows()) {
    SCOPED_TRACE(row.what);
    ScratchDir dir;
    ScopedWorkDir work(dir.path());
    ClearProfileCache();
    Place(dir, "Localization/Localization.txt", row.file);
    auto destination = std::make_unique<char[]>(256);
    std::memset(destination.get(), '#', 256);
    LookupText(destination.get(), row.key, row.section);
    ASSERT_NE(std::memchr(destination.get(), '\0', 256), nullptr);
    EXPECT_EQ(std::string(destination.get()), row.expected);
  }
}

TEST_F(Hostile, LocalizationLookupsWithoutKeyOrDestinationDoNothing) {
  dir_.Write("Localization/Localization.txt", std::string("[Menu]\nStart=Go\n"));
  LookupText(nullptr, "Start", TEXT_MENU);
  char destination[256] = "old";
  LookupText(destination, nullptr, TEXT_MENU);
  EXPECT_STREQ(destination, "");
}

// ---------------------------------------------------------------------------
// Save slots.

Bytes RecordBytes(const char* level, int32_t music) {
  SaveRecord record;
  record.month = 4;
  record.day = 5;
  record.hour = 6;
  record.minute = 7;
  record.second = 8;
  std::snprintf(record.level, sizeof record.level, "%s", level);
  record.MusicVolume = music;
  Bytes b(SAVE_RECORD_SIZE);
  EncodeSaveRecord(record, b.data());
  return b;
}

Bytes Cut(Bytes b, size_t size) {
  b.resize(size);
  return b;
}

struct SaveRow {
  const char* what;
  Placed file;
  bool empty;
  uint32_t second;
  const char* level;
  int32_t music;
};

std::vector<SaveRow> SaveRows() {
  const Bytes whole = RecordBytes("Level04", 0x01020304);
  return {
      {"a folder in place of the file is an empty slot", Placed::Folder(), true, 0, "", 0},
      {"a file cut inside the time keeps the bytes it has", Placed::Of(Cut(whole, 17)), false, 8, "", 0},
      {"a file cut before the level has no level", Placed::Of(Cut(whole, 20)), false, 8, "", 0},
      {"a file one byte short of its first piece", Placed::Of(Cut(whole, SAVE_RECORD_HEAD - 1)), false, 8, "Level04",
       0},
      {"a file of the first piece only has no settings", Placed::Of(Cut(whole, SAVE_RECORD_HEAD)), false, 8,
       "Level04", 0},
      {"a file cut inside the last setting", Placed::Of(Cut(whole, SAVE_RECORD_SIZE - 1)), false, 8, "Level04",
       0x01020304},
  };
}

TEST_F(Hostile, SaveFilesOfEveryLengthGiveATerminatedRecord) {
  for (const SaveRow& row : SaveRows()) {
    SCOPED_TRACE(row.what);
    ScratchDir dir;
    ScopedWorkDir work(dir.path());
    Place(dir, "Save/2.sav", row.file);
    ReadSaveSlots();
    const SaveSlot& slot = SaveSlots[2];
    EXPECT_EQ(slot.IsEmpty, row.empty ? 1u : 0u);
    EXPECT_EQ(slot.record.second, row.second);
    EXPECT_STREQ(slot.record.level, row.level);
    EXPECT_EQ(slot.record.MusicVolume, row.music);
  }
}

TEST_F(Hostile, ARecordOfAllOnesStillGivesALabelAndLoadsWithinRange) {
  dir_.Write("Save/1.sav", Bytes(SAVE_RECORD_SIZE, 0xFF));
  ReadSaveSlots();
  ASSERT_EQ(SaveSlots[1].IsEmpty, 0u);
  EXPECT_EQ(std::strlen(SaveSlots[1].record.level), 127u);
  char label[64];
  std::memset(label, '#', sizeof label);
  FormatSlotLabel(SaveSlots[1].record, label);
  ASSERT_NE(std::memchr(label, '\0', sizeof label), nullptr);
  EXPECT_NE(std::string(label).find("4294967295"), std::string::npos) << label;

  ASSERT_EQ(LoadSaveSlot(1), 1);
  EXPECT_EQ(GameSettings.MatchAll, 1);
  EXPECT_EQ(GameSettings.MusicVolume, 0);  // -1 on disk
  EXPECT_EQ(GameSettings.SoundVolume, 0);
  EXPECT_EQ(std::strlen(CurrentLevelName), 127u);
}

// ---------------------------------------------------------------------------
// Input scripts.

struct InputRow {
  const char* what;
  std::string text;
  bool parses;
  size_t events;       // when it parses
  const char* line;    // when it does not: the line named
};

std::vector<InputRow> InputRows() {
  std::string manyLines;
  for (int i = 0; i < 100000; ++i) manyLines += "1 keydown 65\n";
  return {
      {"Windows line ends parse", "0 move 1 2\r\n5 quit\r\n", true, 2, ""},
      {"the last 32-bit time parses", "4294967295 quit\n", true, 1, ""},
      {"one past the last 32-bit time fails", "4294967296 quit\n", false, 0, "line 1"},
      {"a time beyond 64 bits fails", "99999999999999999999999 quit\n", false, 0, "line 1"},
      {"a hexadecimal time fails", "0x10 quit\n", false, 0, "line 1"},
      {"a time with an exponent fails", "1e3 quit\n", false, 0, "line 1"},
      {"a NUL byte inside a word fails", "0 qu\0it\n"s, false, 0, "line 1"},
      {"a dump name with a backslash fails", "0 dump a\\b\n", false, 0, "line 1"},
      {"a key code with leading zeros is its number", "0 keydown 000000000000000000027\n", true, 1, ""},
      {"a line of 1 MiB blanks before its event parses", std::string(1 << 20, ' ') + "7 quit\n", true, 1, ""},
      {"a comment hides what follows it", "0 quit # 1 jump\n", true, 1, ""},
      {"100000 lines parse", manyLines, true, 100000, ""},
      {"a bad line after 100000 good ones is named", manyLines + "1 fly\n", false, 0, "line 100001"},
  };
}

TEST(HostileInputScripts, EachParsesWholeOrNamesItsFirstBadLine) {
  for (const InputRow& row : InputRows()) {
    SCOPED_TRACE(row.what);
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_EQ(ParseInputScript(row.text, events, error), row.parses) << error;
    if (row.parses) {
      EXPECT_EQ(events.size(), row.events);
    } else {
      EXPECT_EQ(error.rfind(std::string(row.line) + ":", 0), 0u) << error;
    }
  }
}

// ---------------------------------------------------------------------------
// Text layout with extreme arguments.

class HostileText : public ::testing::Test {
 protected:
  HostileText() { InitTextRenderer(std::make_unique<FakeRasterizer>(nullptr, FakeRasterizer::Mode::Solid)); }
  ~HostileText() override { ReleaseTextRenderer(); }
};

TEST_F(HostileText, LineCountsStayBetweenOneAndTheCharacterCount) {
  const struct {
    const char* what;
    const char* text;
    int size, wrap, spacing;
    int lines;
  } rows[] = {
      {"a wrap width of one puts every character on its own line", "abcd", 16, 1, 0, 4},
      {"the largest spacing wraps after every character", "abcd", 16, 800, INT_MAX, 4},
      {"the smallest spacing never wraps", "abcd", 16, 800, INT_MIN, 1},
      {"the largest wrap width never wraps", "abcd", 32, INT_MAX, 0, 1},
      {"the largest size and spacing wrap without overflowing", "abcd", INT_MAX, INT_MAX, INT_MAX, 4},
      {"the smallest size never wraps", "abcd", INT_MIN, 100, 0, 1},
      {"the smallest wrap width keeps one line", "abcd", 16, INT_MIN, 0, 1},
      {"a lead byte at the end is one character", "ab\xA1", 16, 1, 0, 3},
      {"two-byte characters count once", "\xB0\xA1\xB0\xA1", 16, 1, 0, 2},
      {"no text is one line", nullptr, 16, 1, 0, 1},
      {"empty text is one line", "", 16, 1, 0, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(CountTextLines(row.text, row.size, row.wrap, row.spacing), row.lines);
  }
}

TEST_F(HostileText, InkLandsOnlyInsideTheDestinationWhereverTheTextIsPlaced) {
  const struct {
    const char* what;
    int x, y, spacing, wrap;
    size_t ink;  // pixels of the solid 16-pixel glyphs inside the screen
  } rows[] = {
      {"the far right column shows one column of the first glyph", 799, 0, 0, 0, 16},
      {"the bottom rows show the top of the overlapping glyphs", 0, 590, 0, 0, 32 * 10},
      {"the largest x draws nothing", INT_MAX, 0, 0, 0, 0},
      {"the smallest x draws nothing", INT_MIN, 0, 0, 0, 0},
      {"the largest y draws nothing", 0, INT_MAX, 0, 0, 0},
      {"the smallest y draws nothing", 0, INT_MIN, 0, 0, 0},
      {"the smallest spacing leaves only the first glyph on the screen", 0, 0, INT_MIN, 0, 16 * 16},
      {"the largest spacing without wrapping leaves only the first glyph", 0, 0, INT_MAX, 0, 16 * 16},
      {"wrapped lines are cut at the bottom edge", 0, 560, 0, 1, 16 * 16 + 16 * 16 + 16 * 4},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    GuardedScreen screen;
    RenderText(16, 0xFFFF, row.x, row.y, row.spacing, "abc", screen.pixels(), row.wrap, SCREEN_WIDTH,
               SCREEN_HEIGHT);
    EXPECT_TRUE(screen.GuardsIntact());
    EXPECT_EQ(screen.Count(0xFFFF), row.ink);
  }
}

TEST_F(HostileText, ATinyDestinationTakesOnlyItsOwnPixels) {
  // One pixel with guards on either side.
  uint16_t cells[3] = {0xA5A5, 0, 0xA5A5};
  RenderText(32, 0xFFFF, 0, 0, 0, "\xB0\xA1 long text that would run far beyond", cells + 1, 40, 1, 1);
  EXPECT_EQ(cells[0], 0xA5A5);
  EXPECT_EQ(cells[1], 0xFFFF);
  EXPECT_EQ(cells[2], 0xA5A5);
}

// ---------------------------------------------------------------------------
// Movies.

// An uncompressed AVI: one video stream of `frames` 4x2 frames in 24-bit rows,
// ten a second, with its index.
Bytes TinyAvi(int frames) {
  constexpr int kWidth = 4, kHeight = 2, kFrameBytes = kWidth * kHeight * 3;
  auto chunk = [](Bytes& out, const char* id, const Bytes& body) {
    out.insert(out.end(), id, id + 4);
    PutU32(out, out.size(), static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
  };
  auto list = [&](Bytes& out, const char* type, const Bytes& body) {
    Bytes inner(type, type + 4);
    inner.insert(inner.end(), body.begin(), body.end());
    chunk(out, "LIST", inner);
  };
  Bytes avih(56, 0);
  PutU32(avih, 0, 100000);
  PutU32(avih, 12, 0x10);  // has an index
  PutU32(avih, 16, static_cast<uint32_t>(frames));
  PutU32(avih, 24, 1);
  PutU32(avih, 28, kFrameBytes);
  PutU32(avih, 32, kWidth);
  PutU32(avih, 36, kHeight);
  Bytes strh(56, 0);
  std::memcpy(&strh[0], "vids", 4);
  std::memcpy(&strh[4], "DIB ", 4);
  PutU32(strh, 20, 1);
  PutU32(strh, 24, 10);
  PutU32(strh, 32, static_cast<uint32_t>(frames));
  PutU32(strh, 36, kFrameBytes);
  PutU32(strh, 40, 0xFFFFFFFFu);
  PutU16(strh, 52, kWidth);
  PutU16(strh, 54, kHeight);
  Bytes strf(40, 0);
  PutU32(strf, 0, 40);
  PutU32(strf, 4, kWidth);
  PutU32(strf, 8, kHeight);
  PutU16(strf, 12, 1);
  PutU16(strf, 14, 24);
  PutU32(strf, 20, kFrameBytes);

  Bytes strl, hdrl, movi, idx1;
  chunk(strl, "strh", strh);
  chunk(strl, "strf", strf);
  chunk(hdrl, "avih", avih);
  list(hdrl, "strl", strl);
  for (int f = 0; f < frames; ++f) {
    PutU32(idx1, idx1.size(), 0x62643030u);  // "00db"
    PutU32(idx1, idx1.size(), 0x10);
    PutU32(idx1, idx1.size(), static_cast<uint32_t>(4 + movi.size()));
    PutU32(idx1, idx1.size(), kFrameBytes);
    chunk(movi, "00db", Bytes(kFrameBytes, static_cast<uint8_t>(0x40 * f)));
  }
  Bytes body(Text("AVI "));
  list(body, "hdrl", hdrl);
  list(body, "movi", movi);
  chunk(body, "idx1", idx1);
  Bytes file;
  chunk(file, "RIFF", body);
  return file;
}

// Opens the file and decodes what it gives: -1 when it does not open, else the
// number of frames (all of the promised size).
int FramesIn(const std::string& hostPath, std::string& error) {
  auto movie = OpenFfmpegMovie(hostPath, error);
  if (!movie) return -1;
  if (!movie->HasVideo()) return 0;
  if (!movie->StartVideo(ChannelMasks{0xF800, 0x07E0, 0x001F}, SCREEN_WIDTH, SCREEN_HEIGHT, error)) return 0;
  std::vector<uint16_t> pixels;
  int frames = 0;
  uint32_t pts = 0, duration = 0;
  while (frames < 100 && movie->NextVideoFrame(pixels, pts, duration)) {
    EXPECT_EQ(pixels.size(), static_cast<size_t>(movie->Width()) * movie->Height());
    ++frames;
  }
  if (movie->HasAudio()) {
    std::vector<uint8_t> pcm;
    movie->DecodeAudioUntil(1000, pcm);
  }
  return frames;
}

TEST(HostileMovies, GarbageFailsToOpenWithAMessageAndCutMoviesGiveTheirWholeFrames) {
  const Bytes whole = TinyAvi(3);
  const size_t frameEnd = whole.size() - 3 * 16 - 8;  // the end of the last frame, before the index
  const struct {
    const char* what;
    Placed file;
    int lowest, highest;  // frames decoded; -1: does not open
  } rows[] = {
      {"the whole movie plays its three frames", Placed::Of(whole), 3, 3},
      {"no file does not open", Placed::Nothing(), -1, -1},
      {"an empty file does not open", Placed::Of(""), -1, -1},
      {"a folder does not open", Placed::Folder(), -1, -1},
      {"a RIFF header alone does not open", Placed::Of(Cut(whole, 12)), -1, -1},
      {"text does not open", Placed::Of("This is not a movie at all, only words.\n"), -1, -1},
      {"a movie without its index plays its frames", Placed::Of(Cut(whole, frameEnd)), 3, 3},
      {"a movie cut inside its last frame plays at most the others", Placed::Of(Cut(whole, frameEnd - 5)), 0, 2},
      {"a movie cut inside its headers plays nothing", Placed::Of(Cut(whole, 100)), -1, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchDir dir;
    Place(dir, "m.avi", row.file);
    std::string error;
    const int frames = FramesIn(dir / "m.avi", error);
    EXPECT_GE(frames, row.lowest);
    EXPECT_LE(frames, row.highest);
    if (frames < 0) {
      EXPECT_EQ(error, "MMStream OpenFile failed");
    }
  }
}

TEST_F(Hostile, AGarbageMovieIsLoggedAndTheGameGoesOn) {
  dir_.Write("bad.avi", Noise(4096, 4));
  PlayMovie("bad.avi", true);
  EXPECT_NE(ReadText(dir_ / "log.txt").find("MMStream OpenFile failed"), std::string::npos);
  EXPECT_TRUE(platform_->Messages().empty());
}

}  // namespace
}  // namespace tessera::test
