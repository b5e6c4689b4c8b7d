#include "support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/engine_config.h"
#include "app/profile.h"
#include "gfx/pixel_format.h"

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
  std::string pattern = (fs::temp_directory_path() / "tessera-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) std::abort();
  path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void ScratchDir::Write(const std::string& relative, const std::string& bytes) const {
  fs::path full = fs::path(path_) / relative;
  fs::create_directories(full.parent_path());
  std::ofstream out(full, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
  previous_ = fs::current_path().string();
  fs::current_path(path);
  ReadWorkDir();
  ClearProfileCache();
}

ScopedWorkDir::~ScopedWorkDir() {
  fs::current_path(previous_);
  ReadWorkDir();
  ClearProfileCache();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::string text = ReadText(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

RunResult RunCommand(const std::string& command) {
  RunResult result;
  auto start = std::chrono::steady_clock::now();
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = ::pclose(pipe);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

RunResult RunGame(const std::string& args) { return RunCommand(std::string(TESSERA_BINARY) + " " + args); }

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
