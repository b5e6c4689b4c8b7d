#pragma once
// Shared builders of the game-data tests: profile-format texts, small pictures
// and a fixture that runs each test in a scratch working folder with loose files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/engine_config.h"
#include "app/profile.h"
#include "gfx/bmp_write.h"
#include "support/test_support.h"

namespace tessera::datatest {

// Builds a sectioned key-value text line by line.
class IniText {
 public:
  IniText& Section(const std::string& name) {
    text_ += "[" + name + "]\r\n";
    return *this;
  }
  IniText& Key(const std::string& key, const std::string& value) {
    text_ += key + "=" + value + "\r\n";
    return *this;
  }
  IniText& Key(const std::string& key, int value) { return Key(key, std::to_string(value)); }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// A 24-bit BMP of one colour.
inline std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return EncodeBmp24(width, height, rgb.data());
}

// Each test runs in its own working folder with the default configuration,
// loose files and a headless platform.
class GameDataTest : public ::testing::Test {
 protected:
  explicit GameDataTest(HeadlessOptions options = test::ScopedPlatform::QuietOptions())
      : platform_(std::move(options)), work_(dir_.path()) {
    saved_ = EngineConfig;
    EngineConfig = EngineConfigRecord{};
    EngineConfig.Packaged = 0;
  }
  ~GameDataTest() override {
    EngineConfig = saved_;
    ClearProfileCache();
  }

  void Write(const std::string& relative, const std::string& bytes) { dir_.Write(relative, bytes); }
  void Write(const std::string& relative, const std::vector<uint8_t>& bytes) { dir_.Write(relative, bytes); }
  std::string Path(const std::string& relative) const { return dir_ / relative; }

  test::ScopedPlatform platform_;
  test::ScratchDir dir_;
  test::ScopedWorkDir work_;
  EngineConfigRecord saved_;
};

}  // namespace tessera::datatest
