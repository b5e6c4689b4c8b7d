#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "app/campaigns.h"
#include "game/save_slots.h"
#include "game/settings.h"
#include "game_data_fixtures.h"

namespace tessera::datatest {
namespace {

// A record with every field distinct, as the file would hold it.
SaveRecord SampleRecord(const char* level, uint32_t minute) {
  SaveRecord r;
  r.month = 12;
  r.day = 3;
  r.hour = 9;
  r.minute = minute;
  r.second = 7;
  std::snprintf(r.level, sizeof r.level, "%s", level);
  r.MatchAll = 0;
  r.MusicVolume = 40;
  r.SoundVolume = 70;
  return r;
}

std::vector<uint8_t> Encoded(const SaveRecord& record) {
  std::vector<uint8_t> bytes(SAVE_RECORD_SIZE);
  EncodeSaveRecord(record, bytes.data());
  return bytes;
}

void ExpectSameRecord(const SaveRecord& a, const SaveRecord& b) {
  EXPECT_EQ(a.month, b.month);
  EXPECT_EQ(a.day, b.day);
  EXPECT_EQ(a.hour, b.hour);
  EXPECT_EQ(a.minute, b.minute);
  EXPECT_EQ(a.second, b.second);
  EXPECT_STREQ(a.level, b.level);
  EXPECT_EQ(a.MatchAll, b.MatchAll);
  EXPECT_EQ(a.MusicVolume, b.MusicVolume);
  EXPECT_EQ(a.SoundVolume, b.SoundVolume);
}

HeadlessOptions SavingTime() {
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  options.startTime = LocalTime{2026, 12, 3, 9, 5, 7};
  return options;
}

class SaveSlotsTest : public GameDataTest {
 protected:
  SaveSlotsTest() : GameDataTest(SavingTime()) {
    for (SaveSlot& slot : SaveSlots) slot = SaveSlot{};
    SelectedSlot = -1;
    GameSettings = GameSettingsRecord{};
    SetCurrentLevelName("");
  }
  ~SaveSlotsTest() override { SetSaveFileOps(nullptr); }

  std::vector<uint8_t> OnDisk(int slot) { return test::ReadBytes(Path("Save/" + std::to_string(slot) + ".sav")); }
};

TEST(SaveRecordLayout, FieldsSitAtTheirLittleEndianOffsets) {
  SaveRecord r = SampleRecord("Level04", 0x0A0B0C0D);
  r.SoundVolume = -1;
  const std::vector<uint8_t> b = Encoded(r);
  ASSERT_EQ(b.size(), 160u);
  EXPECT_EQ(b[0], 12);
  EXPECT_EQ(b[4], 3);
  EXPECT_EQ(b[8], 9);
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 12, b.begin() + 16)), (std::vector<uint8_t>{0x0D, 0x0C, 0x0B, 0x0A}));
  EXPECT_EQ(b[16], 7);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[20])), "Level04");
  for (size_t i = 20 + 7; i < 148; ++i) EXPECT_EQ(b[i], 0) << i;  // no stale bytes after the name
  EXPECT_EQ(b[148], 0);
  EXPECT_EQ(b[152], 40);
  EXPECT_EQ((std::vector<uint8_t>(b.begin() + 156, b.end())), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  ExpectSameRecord(DecodeSaveRecord(b.data(), b.size()), r);
}

TEST(SaveRecordLayout, HostileBytesDecodeSafely) {
  // A level field with no terminator in its 128 bytes ends at 127.
  std::vector<uint8_t> b = Encoded(SampleRecord("", 1));
  std::memset(&b[20], 'A', 128);
  SaveRecord r = DecodeSaveRecord(b.data(), b.size());
  EXPECT_EQ(std::string(r.level), std::string(127, 'A'));
  EXPECT_EQ(r.MusicVolume, 40);

  // A short file: what it does not reach is zero.
  const std::vector<uint8_t> full = Encoded(SampleRecord("Level02", 30));
  r = DecodeSaveRecord(full.data(), 24);
  EXPECT_EQ(r.month, 12u);
  EXPECT_EQ(r.second, 7u);
  EXPECT_STREQ(r.level, "Leve");
  EXPECT_EQ(r.MusicVolume, 0);
  r = DecodeSaveRecord(full.data(), 150);  // ends inside MatchAll
  EXPECT_STREQ(r.level, "Level02");
  EXPECT_EQ(r.MatchAll, 0);
  EXPECT_EQ(r.MusicVolume, 0);
  r = DecodeSaveRecord(nullptr, 160);
  EXPECT_EQ(r.month, 0u);
  EXPECT_STREQ(r.level, "");
}

TEST_F(SaveSlotsTest, StartUpReadsEachFileOrMarksTheSlotEmpty) {
  Write("Save/0.sav", Encoded(SampleRecord("Level01", 1)));
  std::vector<uint8_t> shortFile = Encoded(SampleRecord("Level03", 3));
  shortFile.resize(100);
  Write("Save/3.sav", shortFile);
  std::vector<uint8_t> unterminated = Encoded(SampleRecord("", 5));
  std::memset(&unterminated[20], 'Z', 128);
  Write("Save/5.sav", unterminated);
  std::vector<uint8_t> longFile = Encoded(SampleRecord("Level09", 9));
  longFile.resize(4096, 0xEE);
  Write("Save/9.sav", longFile);
  Write("Save/7.sav", std::string());  // an empty file is a slot of zeros
  SaveSlots[2].IsEmpty = 0;  // left over from an earlier read

  ReadSaveSlots();
  EXPECT_EQ(SaveSlots[0].IsEmpty, 0u);
  ExpectSameRecord(SaveSlots[0].record, SampleRecord("Level01", 1));
  EXPECT_EQ(SaveSlots[2].IsEmpty, 1u);
  EXPECT_EQ(SaveSlots[3].IsEmpty, 0u);
  EXPECT_EQ(SaveSlots[3].record.minute, 3u);
  EXPECT_STREQ(SaveSlots[3].record.level, "Level03");
  EXPECT_EQ(SaveSlots[3].record.MusicVolume, 0);
  EXPECT_EQ(std::strlen(SaveSlots[5].record.level), 127u);
  ExpectSameRecord(SaveSlots[9].record, SampleRecord("Level09", 9));
  EXPECT_EQ(SaveSlots[7].IsEmpty, 0u);
  EXPECT_EQ(SaveSlots[7].record.month, 0u);
  for (int n : {1, 4, 6, 8}) EXPECT_EQ(SaveSlots[n].IsEmpty, 1u) << n;
}

TEST_F(SaveSlotsTest, SavingCreatesTheFolderAndWritesTheRecord) {
  SetCurrentLevelName("Level06");
  GameSettings = {0, 35, 80};
  ASSERT_FALSE(std::filesystem::exists(Path("Save")));
  EXPECT_EQ(WriteSaveSlot(4), 1);

  const std::vector<uint8_t> disk = OnDisk(4);
  ASSERT_EQ(disk.size(), SAVE_RECORD_SIZE);
  const SaveRecord r = DecodeSaveRecord(disk.data(), disk.size());
  EXPECT_EQ(r.month, 12u);
  EXPECT_EQ(r.day, 3u);
  EXPECT_EQ(r.hour, 9u);
  EXPECT_EQ(r.minute, 5u);
  EXPECT_EQ(r.second, 7u);
  EXPECT_STREQ(r.level, "Level06");
  EXPECT_EQ(r.MatchAll, 0);
  EXPECT_EQ(r.MusicVolume, 35);
  EXPECT_EQ(r.SoundVolume, 80);
  EXPECT_EQ(SaveSlots[4].IsEmpty, 0u);
  ExpectSameRecord(SaveSlots[4].record, r);
  EXPECT_FALSE(std::filesystem::exists(Path("Save/4.sav.tmp")));

  // The next start sees the same slot.
  SaveSlots[4] = SaveSlot{};
  ReadSaveSlots();
  ExpectSameRecord(SaveSlots[4].record, r);

  // A second save replaces file and label at once.
  SetCurrentLevelName("Level07");
  ASSERT_EQ(WriteSaveSlot(4), 1);
  EXPECT_STREQ(SaveSlots[4].record.level, "Level07");
  const std::vector<uint8_t> again = OnDisk(4);
  EXPECT_STREQ(DecodeSaveRecord(again.data(), again.size()).level, "Level07");
}

TEST_F(SaveSlotsTest, FailedSaveSaysSoAndKeepsTheOldSlot) {
  Write("Save", std::string("a file where the folder should be"));
  SaveSlots[1].IsEmpty = 1;
  SetCurrentLevelName("Level05");
  EXPECT_EQ(WriteSaveSlot(1), 0);
  EXPECT_EQ(SaveSlots[1].IsEmpty, 1u);
  ASSERT_FALSE(platform_->Messages().empty());
  EXPECT_EQ(platform_->Messages().back(), "Saving failed");
}

TEST_F(SaveSlotsTest, SlotNumbersOutsideTheTableDoNothing) {
  SetCurrentLevelName("Level05");
  EXPECT_EQ(WriteSaveSlot(-1), 0);
  EXPECT_EQ(WriteSaveSlot(10), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("Save")));
  EXPECT_EQ(LoadSaveSlot(-1), 0);
  EXPECT_EQ(LoadSaveSlot(10), 0);
  EXPECT_STREQ(CurrentLevelName, "Level05");
}

// Fails one step of the save (counting every file operation from the first),
// optionally writing only part of the bytes first, or stops dead as a crash
// would: nothing after that step happens, not even the clean-up.
class FailingOps : public SaveFileOps {
 public:
  enum class Mode { Fail, TornWrite, Crash };
  FailingOps(int failAt, Mode mode) : failAt_(failAt), mode_(mode) {}

  bool MakeFolder(const std::string& p) override { return Step() && SaveFileOps::MakeFolder(p); }
  int Create(const std::string& p) override { return Step() ? SaveFileOps::Create(p) : -1; }
  bool Write(int h, const void* b, size_t n) override {
    if (Step()) return SaveFileOps::Write(h, b, n);
    if (mode_ == Mode::TornWrite && !dead_) SaveFileOps::Write(h, b, n / 2);
    return false;
  }
  bool Sync(int h) override { return Step() && SaveFileOps::Sync(h); }
  bool Close(int h) override {
    // The handle is always given back, or the test would leak it.
    const bool ok = Step();
    SaveFileOps::Close(h);
    return ok;
  }
  bool Rename(const std::string& a, const std::string& b) override { return Step() && SaveFileOps::Rename(a, b); }
  void Remove(const std::string& p) override {
    if (!dead_) SaveFileOps::Remove(p);
  }
  int steps() const { return step_; }

 private:
  bool Step() {
    if (dead_) return false;
    if (step_++ != failAt_) return true;
    if (mode_ == Mode::Crash) dead_ = true;
    return false;
  }
  int failAt_;
  Mode mode_;
  int step_ = 0;
  bool dead_ = false;
};

TEST_F(SaveSlotsTest, WhicheverStepFailsTheSlotIsTheOldRecordOrTheNewOne) {
  FailingOps counter(-1, FailingOps::Mode::Fail);
  SetSaveFileOps(&counter);
  SetCurrentLevelName("Level01");
  ASSERT_EQ(WriteSaveSlot(6), 1);
  const int steps = counter.steps();
  ASSERT_GE(steps, 6);  // folder, create, two writes, sync, close, rename
  const std::vector<uint8_t> oldBytes = OnDisk(6);
  const SaveRecord oldRecord = SaveSlots[6].record;

  for (FailingOps::Mode mode : {FailingOps::Mode::Fail, FailingOps::Mode::TornWrite, FailingOps::Mode::Crash}) {
    for (int failAt = 0; failAt < steps; ++failAt) {
      SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + " step " + std::to_string(failAt));
      FailingOps ops(failAt, mode);
      SetSaveFileOps(&ops);
      SetCurrentLevelName("Level02");
      EXPECT_EQ(WriteSaveSlot(6), 0);
      EXPECT_EQ(OnDisk(6), oldBytes);
      ExpectSameRecord(SaveSlots[6].record, oldRecord);
      if (mode != FailingOps::Mode::Crash) {
        EXPECT_FALSE(std::filesystem::exists(Path("Save/6.sav.tmp")));
      }
      // Whatever the last attempt left behind, the next start reads the old record.
      ReadSaveSlots();
      ExpectSameRecord(SaveSlots[6].record, oldRecord);
    }
  }

  // After all that, a save that goes through replaces the record.
  SetSaveFileOps(nullptr);
  SetCurrentLevelName("Level03");
  ASSERT_EQ(WriteSaveSlot(6), 1);
  const std::vector<uint8_t> disk = OnDisk(6);
  EXPECT_STREQ(DecodeSaveRecord(disk.data(), disk.size()).level, "Level03");
}

TEST_F(SaveSlotsTest, LoadingTakesTheSlotsLevelAndSettingsWithinRange) {
  SaveSlots[8].IsEmpty = 0;
  SaveSlots[8].record = SampleRecord("Level07", 1);
  SetCurrentLevelName("Level01");
  EXPECT_EQ(LoadSaveSlot(8), 1);
  EXPECT_STREQ(CurrentLevelName, "Level07");
  EXPECT_EQ(GameSettings.MatchAll, 0);
  EXPECT_EQ(GameSettings.MusicVolume, 40);
  EXPECT_EQ(GameSettings.SoundVolume, 70);

  // Settings from a hostile file stay inside what the settings page can draw.
  SaveSlots[0].IsEmpty = 0;
  SaveSlots[0].record = SampleRecord("Level02", 1);
  SaveSlots[0].record.MatchAll = 7;
  SaveSlots[0].record.MusicVolume = 5000;
  SaveSlots[0].record.SoundVolume = -20;
  ASSERT_EQ(LoadSaveSlot(0), 1);
  EXPECT_EQ(GameSettings.MatchAll, 1);
  EXPECT_EQ(GameSettings.MusicVolume, 100);
  EXPECT_EQ(GameSettings.SoundVolume, 0);

  // An empty slot changes nothing.
  EXPECT_EQ(LoadSaveSlot(3), 0);
  EXPECT_STREQ(CurrentLevelName, "Level02");
  EXPECT_EQ(GameSettings.MusicVolume, 100);
}

TEST_F(SaveSlotsTest, SaveAndLoadStatesWhereTheyLead) {
  SetCurrentLevelName("Level08");
  SelectedSlot = 5;
  GameState = STATE_SAVE;
  RunSaveState();
  EXPECT_EQ(GameState, STATE_PLAYING);
  EXPECT_EQ(SaveSlots[5].IsEmpty, 0u);
  EXPECT_TRUE(std::filesystem::exists(Path("Save/5.sav")));

  SetCurrentLevelName("Level01");
  GameState = STATE_LOAD;
  RunLoadState();
  EXPECT_EQ(GameState, STATE_LEVEL_START);
  EXPECT_STREQ(CurrentLevelName, "Level08");

  SelectedSlot = 6;  // empty
  GameState = STATE_LOAD;
  RunLoadState();
  EXPECT_EQ(GameState, STATE_START_MENU);
  SelectedSlot = -1;
  GameState = STATE_SAVE;
  RunSaveState();
  EXPECT_EQ(GameState, STATE_PLAYING);
  EXPECT_FALSE(std::filesystem::exists(Path("Save/6.sav")));
}

TEST_F(SaveSlotsTest, LongestLevelNameSurvivesTheRoundTrip) {
  const std::string name(127, 'L');
  SetCurrentLevelName(name.c_str());
  ASSERT_EQ(WriteSaveSlot(0), 1);
  ReadSaveSlots();
  EXPECT_EQ(std::string(SaveSlots[0].record.level), name);
  SetCurrentLevelName("");
  ASSERT_EQ(LoadSaveSlot(0), 1);
  EXPECT_EQ(std::string(CurrentLevelName), name);
}

}  // namespace
}  // namespace tessera::datatest

namespace tessera::datatest {
namespace {

// Saves of a game folder nobody may write: in the player's folder, with the
// folder's own old saves still shown until a slot is saved over.
class SaveFoldersTest : public SaveSlotsTest {
 protected:
  ~SaveFoldersTest() override { SetSaveFolders("", ""); }
  std::string Level(const std::string& file) {
    return DecodeSaveRecord(test::ReadBytes(file).data(), SAVE_RECORD_SIZE).level;
  }
  test::ScratchDir user_;
};

TEST_F(SaveFoldersTest, ReadOnlyGameFolderSavesInTheUsersFolderAndReadsOldSlotsThrough) {
  Write("System.ini", "[setting]\r\nCampaignId=trip-1\r\n");
  Write("Save/0.sav", Encoded(SampleRecord("Level01", 1)));
  Write("Save/3.sav", Encoded(SampleRecord("Level03", 3)));
  user_.Write("data/saves/trip-1/3.sav", Encoded(SampleRecord("Level08", 8)));
  const std::string game = dir_.path();
  test::ReadOnlyMount mount(game);  // root writes through permissions, not through this
  if (!mount.mounted()) GTEST_SKIP() << "no read-only mount possible here";
  ASSERT_FALSE(CanCreateFileIn(game));
  const WritePlaces places = ChooseWritePlaces(game, false, CampaignId(game), {user_ / "data", "", "", ""}, "");
  SetSaveFolders(places.saves.string(), places.readThrough.string());

  ReadSaveSlots();
  EXPECT_STREQ(SaveSlots[0].record.level, "Level01");
  EXPECT_STREQ(SaveSlots[3].record.level, "Level08");  // the player's folder wins
  EXPECT_EQ(SaveSlots[5].IsEmpty, 1u);
  SetCurrentLevelName("Level02");
  ASSERT_EQ(WriteSaveSlot(0), 1);
  EXPECT_EQ(Level(user_ / "data/saves/trip-1/0.sav"), "Level02");
  EXPECT_EQ(Level(game + "/Save/0.sav"), "Level01");
  ReadSaveSlots();
  EXPECT_STREQ(SaveSlots[0].record.level, "Level02");
}

TEST_F(SaveFoldersTest, SaveDirIsMadeOnTheFirstSaveAndUsedAloneAndAFailureSaysSo) {
  Write("Save/1.sav", Encoded(SampleRecord("Level01", 1)));
  SetSaveFolders(user_ / "mine/saves", "");
  ReadSaveSlots();
  EXPECT_EQ(SaveSlots[1].IsEmpty, 1u);  // the game folder's slots are not read
  EXPECT_FALSE(std::filesystem::exists(user_ / "mine"));
  SetCurrentLevelName("Level04");
  ASSERT_EQ(WriteSaveSlot(1), 1);
  EXPECT_EQ(Level(user_ / "mine/saves/1.sav"), "Level04");

  user_.Write("blocked", "a file where the folder should be");
  SetSaveFolders(user_ / "blocked/saves", "");
  EXPECT_EQ(WriteSaveSlot(2), 0);
  ASSERT_FALSE(platform_->Messages().empty());
  EXPECT_EQ(platform_->Messages().back(), "Saving failed");
  EXPECT_EQ(SaveSlots[2].IsEmpty, 1u);
}

}  // namespace
}  // namespace tessera::datatest
