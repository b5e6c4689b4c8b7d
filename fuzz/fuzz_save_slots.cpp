// Save slots: ten files of any length and content read at start-up, the record
// decoder on its own, the slot labels, and loading a slot into the game.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "game/game_state.h"
#include "game/save_slots.h"
#include "game/settings.h"
#include "screens/slot_list.h"

using namespace tessera;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();

  {
    // The decoder alone, over an exact-size copy of the whole input.
    std::vector<uint8_t> exact(data, data + size);
    const SaveRecord record = DecodeSaveRecord(exact.empty() ? nullptr : exact.data(), exact.size());
    fuzz::Require(fuzz::Terminated(record.level), "decoded level not terminated");
    char label[64];
    FormatSlotLabel(record, label);
    fuzz::Require(fuzz::Terminated(label), "slot label not terminated");
  }

  FuzzedDataProvider input(data, size);
  bool present[SAVE_SLOT_COUNT] = {};
  for (int n = 0; n < SAVE_SLOT_COUNT; ++n) {
    present[n] = input.ConsumeBool();
    const std::string path = "Save/" + std::to_string(n) + ".sav";
    if (!present[n]) {
      world.Remove(path);
      continue;
    }
    const auto bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 200));
    if (!world.Write(path, bytes.data(), bytes.size())) return 0;
  }
  const int chosen = input.ConsumeIntegralInRange<int>(-2, SAVE_SLOT_COUNT + 1);

  ReadSaveSlots();
  for (int n = 0; n < SAVE_SLOT_COUNT; ++n) {
    fuzz::Require(SaveSlots[n].IsEmpty == (present[n] ? 0u : 1u), "slot emptiness differs from its file");
    fuzz::Require(fuzz::Terminated(SaveSlots[n].record.level), "slot level not terminated");
  }

  const int loaded = LoadSaveSlot(chosen);
  const bool loadable = chosen >= 0 && chosen < SAVE_SLOT_COUNT && present[chosen];
  fuzz::Require(loaded == (loadable ? 1 : 0), "loading result differs from the slot");
  if (loaded) {
    fuzz::Require(GameSettings.MatchAll == 0 || GameSettings.MatchAll == 1, "match rule outside 0..1");
    fuzz::Require(GameSettings.MusicVolume >= 0 && GameSettings.MusicVolume <= 100, "music volume outside 0..100");
    fuzz::Require(GameSettings.SoundVolume >= 0 && GameSettings.SoundVolume <= 100, "sound volume outside 0..100");
    fuzz::Require(fuzz::Terminated(CurrentLevelName), "current level not terminated");
    fuzz::Require(std::strncmp(CurrentLevelName, SaveSlots[chosen].record.level, 127) == 0,
                  "loaded level differs from the slot");
  }
  return 0;
}
