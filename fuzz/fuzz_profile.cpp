// The profile reader on any bytes, looked up with any section, key and buffer
// size, and System.ini read through it into the engine's fixed fields.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"

using namespace tessera;

namespace {

void Lookup(const char* section, const char* key, size_t size, const char* path) {
  // Exactly `size` bytes, so a terminator written one past the end is caught.
  std::vector<char> buffer(size);
  const size_t n = GetPrivateProfileString(section, key, "fallback", size ? buffer.data() : nullptr, size, path);
  if (size == 0) {
    fuzz::Require(n == 0, "text copied into no buffer");
    return;
  }
  fuzz::Require(n <= size - 1, "copied more than size - 1 bytes");
  fuzz::Require(buffer[n] == '\0', "text not terminated after the bytes copied");
  fuzz::Require(std::strlen(buffer.data()) <= n, "terminator missing");
  ParseDecimal(buffer.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();
  FuzzedDataProvider input(data, size);
  const size_t bufferSize = input.ConsumeIntegralInRange<size_t>(0, 300);
  const std::string section = input.ConsumeRandomLengthString(40);
  const std::string key = input.ConsumeRandomLengthString(40);
  const std::vector<uint8_t> file = input.ConsumeRemainingBytes<uint8_t>();

  // The cache is keyed by size and modification time, which a rewrite within
  // one clock tick can leave unchanged.
  ClearProfileCache();
  if (!world.Write("System.ini", file.data(), file.size())) return 0;

  Lookup(section.c_str(), key.c_str(), bufferSize, "System.ini");
  Lookup("debug", "Packaged", bufferSize, "System.ini");
  Lookup("", "", bufferSize, "System.ini");
  Lookup(section.c_str(), key.c_str(), bufferSize, "Missing.ini");

  const std::string value = ReadProfileString(section.c_str(), key.c_str(), "", bufferSize, "System.ini");
  fuzz::Require(value.size() <= (bufferSize == 0 ? 0 : bufferSize - 1), "string longer than size - 1");

  EngineConfig = EngineConfigRecord{};
  ReadEngineConfig();
  fuzz::Require(fuzz::Terminated(EngineConfig.MenuPath) && fuzz::Terminated(EngineConfig.PicturePath) &&
                    fuzz::Terminated(EngineConfig.HeadPath) && fuzz::Terminated(EngineConfig.ScriptPath) &&
                    fuzz::Terminated(EngineConfig.LocalPath) && fuzz::Terminated(EngineConfig.MoviePath) &&
                    fuzz::Terminated(EngineConfig.MusicPath) && fuzz::Terminated(EngineConfig.BeginLevel),
                "an engine path lost its terminator");
  EngineConfig = EngineConfigRecord{};
  return 0;
}
