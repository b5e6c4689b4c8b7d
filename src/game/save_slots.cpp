#include "game/save_slots.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/files.h"
#include "app/log.h"
#include "game/game_state.h"
#include "game/settings.h"
#include "media/sound.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace tessera {

SaveSlot SaveSlots[SAVE_SLOT_COUNT];
int32_t SelectedSlot = -1;

namespace {

constexpr size_t kLevelOffset = 20;
constexpr size_t kLevelSize = 128;

void PutU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

SaveFileOps g_defaultOps;
SaveFileOps* g_ops = &g_defaultOps;
std::string g_saveFolder = "Save";
std::string g_readThrough;

std::string SlotFile(const std::string& folder, int slot) {
  char name[16];
  std::snprintf(name, sizeof name, "\\%d.sav", slot);
  return folder + name;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < SAVE_SLOT_COUNT; }

// Writes the record beside its file and renames it into place, so the slot on
// disk is the old record or the new one whatever step fails.
bool WriteRecordFile(const std::string& composed, const uint8_t bytes[SAVE_RECORD_SIZE]) {
  SaveFileOps& ops = *g_ops;
  const std::string folder = HostPath(g_saveFolder);
  if (g_saveFolder != "Save") {
    // A folder under the user's own: its parents are made here, the last step
    // through the file steps like the game folder's Save.
    std::error_code ec;
    std::filesystem::create_directories(HostFsPath(folder).parent_path(), ec);
  }
  if (!ops.MakeFolder(folder)) return false;
  const std::string host = HostPath(composed);
  const std::string temp = host + ".tmp";
  const int handle = ops.Create(temp);
  if (handle < 0) return false;
  bool ok = ops.Write(handle, bytes, SAVE_RECORD_HEAD) &&
            ops.Write(handle, bytes + SAVE_RECORD_HEAD, SAVE_RECORD_SIZE - SAVE_RECORD_HEAD) && ops.Sync(handle);
  ok = ops.Close(handle) && ok;
  ok = ok && ops.Rename(temp, host);
  if (!ok) ops.Remove(temp);
  return ok;
}

}  // namespace

bool SaveFileOps::MakeFolder(const std::string& hostPath) { return HostMakeFolder(hostPath); }
int SaveFileOps::Create(const std::string& hostPath) { return HostCreate(hostPath); }
bool SaveFileOps::Write(int handle, const void* bytes, size_t size) { return HostWrite(handle, bytes, size); }
bool SaveFileOps::Sync(int handle) { return HostSync(handle); }
bool SaveFileOps::Close(int handle) { return HostClose(handle); }
bool SaveFileOps::Rename(const std::string& from, const std::string& to) { return HostReplace(from, to); }
void SaveFileOps::Remove(const std::string& hostPath) { HostRemove(hostPath); }

void SetSaveFileOps(SaveFileOps* ops) { g_ops = ops ? ops : &g_defaultOps; }

void EncodeSaveRecord(const SaveRecord& record, uint8_t out[SAVE_RECORD_SIZE]) {
  std::memset(out, 0, SAVE_RECORD_SIZE);
  PutU32(out + 0, record.month);
  PutU32(out + 4, record.day);
  PutU32(out + 8, record.hour);
  PutU32(out + 12, record.minute);
  PutU32(out + 16, record.second);
  // The bytes after the terminator stay zero rather than carrying old names.
  const size_t length = strnlen(record.level, kLevelSize - 1);
  std::memcpy(out + kLevelOffset, record.level, length);
  PutU32(out + 148, static_cast<uint32_t>(record.MatchAll));
  PutU32(out + 152, static_cast<uint32_t>(record.MusicVolume));
  PutU32(out + 156, static_cast<uint32_t>(record.SoundVolume));
}

SaveRecord DecodeSaveRecord(const uint8_t* bytes, size_t size) {
  uint8_t full[SAVE_RECORD_SIZE] = {};
  if (bytes) std::memcpy(full, bytes, std::min(size, SAVE_RECORD_SIZE));
  SaveRecord record;
  record.month = GetU32(full + 0);
  record.day = GetU32(full + 4);
  record.hour = GetU32(full + 8);
  record.minute = GetU32(full + 12);
  record.second = GetU32(full + 16);
  std::memcpy(record.level, full + kLevelOffset, kLevelSize);
  record.level[kLevelSize - 1] = '\0';
  record.MatchAll = static_cast<int32_t>(GetU32(full + 148));
  record.MusicVolume = static_cast<int32_t>(GetU32(full + 152));
  record.SoundVolume = static_cast<int32_t>(GetU32(full + 156));
  return record;
}

std::string SaveSlotPath(int slot) { return SlotFile(g_saveFolder, slot); }

void SetSaveFolders(const std::string& folder, const std::string& readThrough) {
  g_saveFolder = folder.empty() ? "Save" : folder;
  g_readThrough = readThrough;
}

std::vector<std::string> ReadLevelsWon(const std::string& hostFolder) {
  std::vector<std::string> levels;
  std::vector<uint8_t> bytes;
  std::error_code ec;
  const std::string path = hostFolder + "/" + LEVELS_WON_FILE;
  // A record of more than a few thousand levels is no record of ours.
  const uintmax_t size = std::filesystem::file_size(HostFsPath(path), ec);
  if (ec || size > (1u << 20)) return levels;
  std::FILE* file = HostOpen(path, "rb");
  if (!file) return levels;
  bytes.resize(static_cast<size_t>(size));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  std::string line;
  for (uint8_t b : bytes) {
    if (b == '\n') {
      if (!line.empty()) levels.push_back(line);
      line.clear();
    } else if (b != '\r') {
      line += static_cast<char>(b);
    }
  }
  if (!line.empty()) levels.push_back(line);
  return levels;
}

void RecordLevelWon(const char* level) {
  const std::string folder = HostPath(g_saveFolder);
  std::vector<std::string> won = ReadLevelsWon(folder);
  if (std::find(won.begin(), won.end(), level) != won.end()) return;
  std::error_code ec;
  std::filesystem::create_directories(HostFsPath(folder), ec);
  std::FILE* file = HostOpen(folder + "/" + LEVELS_WON_FILE, "ab");
  if (!file || std::fprintf(file, "%s\n", level) < 0) {
    const std::string line = "cannot record the level won in " + folder;
    WriteLogOnly(line.c_str());
  }
  if (file) std::fclose(file);
}

void ReadSaveSlots() {
  for (int n = 0; n < SAVE_SLOT_COUNT; ++n) {
    SaveSlot& slot = SaveSlots[n];
    slot = SaveSlot{};
    // Opened for writing too, as a slot that could not be saved over is no slot.
    FilePtr file = OpenFile(SaveSlotPath(n), "r+b");
    // An old save in a game folder that cannot be written: shown, and saving
    // over it writes the slot in the new folder.
    if (!file && !g_readThrough.empty()) file = OpenFile(SlotFile(g_readThrough, n), "rb");
    if (!file) continue;
    uint8_t bytes[SAVE_RECORD_SIZE] = {};
    size_t got = std::fread(bytes, 1, SAVE_RECORD_HEAD, file.get());
    if (got == SAVE_RECORD_HEAD) got += std::fread(bytes + got, 1, SAVE_RECORD_SIZE - got, file.get());
    slot.IsEmpty = 0;
    slot.record = DecodeSaveRecord(bytes, got);
  }
}

int WriteSaveSlot(int slot) {
  if (!ValidSlot(slot)) return 0;
  const LocalTime now = Sys().Now();
  SaveRecord record;
  record.month = static_cast<uint32_t>(now.month);
  record.day = static_cast<uint32_t>(now.day);
  record.hour = static_cast<uint32_t>(now.hour);
  record.minute = static_cast<uint32_t>(now.minute);
  record.second = static_cast<uint32_t>(now.second);
  std::snprintf(record.level, sizeof record.level, "%s", CurrentLevelName);
  record.MatchAll = GameSettings.MatchAll;
  record.MusicVolume = GameSettings.MusicVolume;
  record.SoundVolume = GameSettings.SoundVolume;

  uint8_t bytes[SAVE_RECORD_SIZE];
  EncodeSaveRecord(record, bytes);
  if (!WriteRecordFile(SaveSlotPath(slot), bytes)) {
    WriteLog("Saving failed");
    ShowMessage("Saving failed");
    return 0;
  }
  SaveSlots[slot].IsEmpty = 0;
  SaveSlots[slot].record = record;
  return 1;
}

int LoadSaveSlot(int slot) {
  if (!ValidSlot(slot) || SaveSlots[slot].IsEmpty) return 0;
  const SaveRecord& record = SaveSlots[slot].record;
  SetCurrentLevelName(record.level);
  // A file is outside data: keep the settings inside the ranges the settings
  // page draws and the mixer expects.
  GameSettings.MatchAll = record.MatchAll != 0 ? 1 : 0;
  GameSettings.MusicVolume = std::clamp(record.MusicVolume, 0, 100);
  GameSettings.SoundVolume = std::clamp(record.SoundVolume, 0, 100);
  SetMusicVolume(GameSettings.MusicVolume);
  SetSoundVolume(GameSettings.SoundVolume);
  return 1;
}

void RunSaveState() {
  WriteSaveSlot(SelectedSlot);
  GameState = STATE_PLAYING;
}

void RunLoadState() {
  // Loading is offered from the start menu only; a slot that cannot be loaded
  // goes back there instead of starting whatever level was current.
  GameState = LoadSaveSlot(SelectedSlot) ? STATE_LEVEL_START : STATE_START_MENU;
}

}  // namespace tessera
