// Localized texts: any file, any key, both sections. The text always fits the
// 256 bytes the callers hold, terminated.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "game/localization.h"

using namespace tessera;

namespace {

void Lookup(const char* key, int section) {
  // Exactly 256 bytes on the heap: a write past them is caught.
  auto destination = std::make_unique<char[]>(256);
  std::memset(destination.get(), 'Z', 256);
  LookupText(destination.get(), key, section);
  fuzz::Require(std::memchr(destination.get(), '\0', 256) != nullptr, "text not terminated");
  if (section == TEXT_TALK && !std::strchr(key, '+'))
    fuzz::Require(destination[0] == '\0', "a talk reference without '+' found a text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();
  FuzzedDataProvider input(data, size);
  const bool packaged = input.ConsumeBool();
  const std::string key = input.ConsumeRandomLengthString(300);
  const std::vector<uint8_t> file = input.ConsumeRemainingBytes<uint8_t>();

  EngineConfig = EngineConfigRecord{};
  EngineConfig.Packaged = packaged ? 1 : 0;
  ClearProfileCache();
  if (!world.Write(packaged ? "Localization.dat" : "Localization/Localization.txt", file.data(), file.size()))
    return 0;

  Lookup(key.c_str(), TEXT_MENU);
  Lookup(key.c_str(), TEXT_TALK);
  Lookup(("TalkerHead00:1+" + key).c_str(), TEXT_TALK);
  Lookup("Start", TEXT_MENU);
  Lookup("avi+", TEXT_TALK);
  return 0;
}
