#pragma once
// The ten save slots: read once at start, listed by the save and load pages,
// written one at a time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessera {

constexpr int SAVE_SLOT_COUNT = 10;
constexpr size_t SAVE_RECORD_SIZE = 160;
// The record is written and read in two pieces: up to the level, then the settings.
constexpr size_t SAVE_RECORD_HEAD = 148;

struct SaveRecord {
  uint32_t month = 0;
  uint32_t day = 0;
  uint32_t hour = 0;
  uint32_t minute = 0;
  uint32_t second = 0;
  char level[128] = "";
  int32_t MatchAll = 0;
  int32_t MusicVolume = 0;
  int32_t SoundVolume = 0;
};

struct SaveSlot {
  uint32_t IsEmpty = 1;
  SaveRecord record;
};

extern SaveSlot SaveSlots[SAVE_SLOT_COUNT];
extern int32_t SelectedSlot;

// The 160 little-endian bytes of a record, and back. Decoding reads at most
// `size` bytes, zeroes what they do not reach and always terminates the level.
void EncodeSaveRecord(const SaveRecord& record, uint8_t out[SAVE_RECORD_SIZE]);
SaveRecord DecodeSaveRecord(const uint8_t* bytes, size_t size);

// "Save\<n>.sav", or <n>.sav in the folder start-up chose.
std::string SaveSlotPath(int slot);

// Where the slots live: `folder` (created with its parents on the first save),
// and for slots missing there, read only, `readThrough`. Empty folder: "Save"
// in WorkDir, as ever; empty readThrough: no second place.
void SetSaveFolders(const std::string& folder, const std::string& readThrough);

// The levels the player has won, one name a line in "won.txt" beside the
// slots: the library's "levels won of levels". Recording adds the level when
// it is not there yet; a failure to write is only logged.
constexpr const char* LEVELS_WON_FILE = "won.txt";
void RecordLevelWon(const char* level);
// The names in a save folder's record (a host path); empty when there is none.
std::vector<std::string> ReadLevelsWon(const std::string& hostFolder);

// Fills SaveSlots from the ten files; a slot whose file does not open is empty
// unless the read-through folder has it.
void ReadSaveSlots();
// Records the current level, settings and local time in slot `slot` and writes
// its file through a temporary file renamed over the old one, creating "Save"
// when missing. On failure says "Saving failed", leaves the slot as it was and
// returns 0; 1 on success.
int WriteSaveSlot(int slot);
// Makes the slot's level the current level and its settings the current
// settings (volumes applied at once). 0, changing nothing, for an empty slot or
// a number outside 0..9.
int LoadSaveSlot(int slot);

// The STATE_SAVE and STATE_LOAD handlers of the main loop.
void RunSaveState();
void RunLoadState();

// The file steps a save goes through. Replaceable so that tests can make any
// step fail; the default works on the host's files.
class SaveFileOps {
 public:
  virtual ~SaveFileOps() = default;
  virtual bool MakeFolder(const std::string& hostPath);
  // Opens `hostPath` for writing, created or truncated; -1 on failure.
  virtual int Create(const std::string& hostPath);
  virtual bool Write(int handle, const void* bytes, size_t size);
  virtual bool Sync(int handle);
  virtual bool Close(int handle);
  virtual bool Rename(const std::string& from, const std::string& to);
  virtual void Remove(const std::string& hostPath);
};
// Installs `ops` (null restores the default) for the following saves.
void SetSaveFileOps(SaveFileOps* ops);

}  // namespace tessera
