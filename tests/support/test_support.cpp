#include "support/test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "app/engine_config.h"
#include "app/profile.h"
#include "gfx/pixel_format.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace tessera::test {

namespace fs = std::filesystem;

HeadlessOptions ScopedPlatform::QuietOptions() {
  HeadlessOptions options;
  options.quietMessages = true;
  options.realFonts = false;
  return options;
}

ScopedPlatform::ScopedPlatform(HeadlessOptions options)
    : platform_(std::make_unique<HeadlessPlatform>(std::move(options))) {
  SetPlatform(platform_.get());
  std::string error;
  platform_->InitDisplay(error);
  ChannelMasks masks;
  platform_->ReadSurfaceMasks(masks);
  SetPixelFormat(masks);
}

ScopedPlatform::~ScopedPlatform() { SetPlatform(nullptr); }

ScratchDir::ScratchDir() {
  // A name no other folder has: made here, by this process, for the first time.
  static uint64_t counter = 0;
  const fs::path temp = fs::temp_directory_path();
  const uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                        (uint64_t{CurrentProcessId()} << 32);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const uint64_t n = (seed + ++counter) * 0x9E3779B97F4A7C15ull;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = "tessera-test-";
    for (int i = 0; i < 6; ++i) name += letters[(n >> (6 * i + 16)) % 62];
    std::error_code ec;
    const fs::path folder = temp / name;
    if (fs::create_directory(folder, ec) && !ec) {
      path_ = HostPathString(folder);
      // One separator throughout, as the tests add names with '/'.
      if constexpr (fs::path::preferred_separator != '/') std::replace(path_.begin(), path_.end(), '\\', '/');
      return;
    }
  }
  std::abort();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(HostFsPath(path_), ec);
}

void ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
  fs::path full = HostFsPath(path_) / HostFsPath(relative);
  fs::create_directories(full.parent_path());
  std::ofstream out(full, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  ASSERT_TRUE(out) << "cannot write " << path_ << "/" << relative;
}

void ScratchDir::Write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
  Write(relative, std::string(bytes.begin(), bytes.end()));
}

ReadOnlyMount::ReadOnlyMount(const std::string& folder) : folder_(folder) {
  const std::string q = "'" + folder + "'";
  mounted_ = RunCommand("mount --bind " + q + " " + q + " && mount -o remount,bind,ro " + q).exitCode == 0;
  if (!mounted_) RunCommand("umount " + q + " 2>/dev/null");
}

ReadOnlyMount::~ReadOnlyMount() {
  if (mounted_) RunCommand("umount '" + folder_ + "'");
}

ScopedWorkDir::ScopedWorkDir(const std::string& path) {
  previous_ = HostCurrentFolder();
  fs::current_path(HostFsPath(path));
  ReadWorkDir();
  ClearProfileCache();
}

ScopedWorkDir::~ScopedWorkDir() {
  fs::current_path(HostFsPath(previous_));
  ReadWorkDir();
  ClearProfileCache();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(HostFsPath(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::string text = ReadText(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

void RemoveOrFail(const std::string& path) {
  std::error_code ec;
  const bool removed = fs::remove(HostFsPath(path), ec);
  ASSERT_FALSE(ec) << "cannot remove " << path << ": " << ec.message();
  ASSERT_TRUE(removed) << "cannot remove " << path << ": it is not there";
}

RunResult RunCommand(const std::string& command) {
  RunResult result;
  auto start = std::chrono::steady_clock::now();
  result.exitCode = RunShellCommand(command, result.output);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

// The game's path as given when the tests were started: it stays right when a
// test changes the current folder.
const std::string& GameBinary() {
  static const std::string binary = HostPathString(fs::absolute(HostFsPath(TESSERA_BINARY)));
  return binary;
}
[[maybe_unused]] const std::string& g_gameBinaryAtStart = GameBinary();

RunResult RunGame(const std::string& args) { return RunCommand(GameBinary() + " " + args); }

bool ReadBmp24(const std::string& path, Picture& picture) {
  std::vector<uint8_t> b = ReadBytes(path);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
  uint32_t offset = u32(10);
  int32_t width = static_cast<int32_t>(u32(18));
  int32_t height = static_cast<int32_t>(u32(22));
  uint16_t bits = static_cast<uint16_t>(b[28] | b[29] << 8);
  if (bits != 24 || width <= 0 || height <= 0) return false;
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset + stride * height > b.size()) return false;
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = &b[offset + stride * (height - 1 - y)];
    for (int x = 0; x < width; ++x) {
      uint8_t* out = &picture.rgb[(static_cast<size_t>(y) * width + x) * 3];
      out[0] = row[3 * x + 2];
      out[1] = row[3 * x + 1];
      out[2] = row[3 * x];
    }
  }
  return true;
}

}  // namespace tessera::test
