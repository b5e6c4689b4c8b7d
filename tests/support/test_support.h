#pragma once
// Shared fixtures of the tests: a headless platform installed for one test, a
// scratch folder, small file builders and a runner for the game binary.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"

namespace tessera::test {

// Installs a headless platform (565 unless asked otherwise) for the life of the
// object, with its display set up and the pixel format read.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(HeadlessOptions options = QuietOptions());
  ~ScopedPlatform();
  HeadlessPlatform& operator*() { return *platform_; }
  HeadlessPlatform* operator->() { return platform_.get(); }
  static HeadlessOptions QuietOptions();

 private:
  std::unique_ptr<HeadlessPlatform> platform_;
};

// A fresh folder under the system's temporary folder, removed with its content.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Writes a file below the folder, creating its folders.
  void Write(const std::string& relative, const std::string& bytes) const;
  void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const;

 private:
  std::string path_;
};

// A read-only bind mount of a folder over itself, for the life of the object;
// mounted() is false where the system does not allow one. Paths must reach the
// folder from outside (absolute): a process already inside it stays below the mount.
class ReadOnlyMount {
 public:
  explicit ReadOnlyMount(const std::string& folder);
  ~ReadOnlyMount();
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// Changes the process's folder (and WorkDir) for the life of the object.
class ScopedWorkDir {
 public:
  explicit ScopedWorkDir(const std::string& path);
  ~ScopedWorkDir();

 private:
  std::string previous_;
};

std::string ReadText(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Removes a file the test expects to be there; a file that is missing or cannot
// be removed (on Windows, one that a process holds open) fails the test with the
// path and the system's reason, rather than leaving the test to check a file
// that is still there.
void RemoveOrFail(const std::string& path);

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
  double seconds = 0;
};
// The game binary's absolute path.
const std::string& GameBinary();
// Runs the game binary with `args` (a shell-quoted argument string).
RunResult RunGame(const std::string& args);
RunResult RunCommand(const std::string& command);

// A decoded 24-bit BMP (frame dumps).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first
  uint32_t At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
};
bool ReadBmp24(const std::string& path, Picture& picture);

}  // namespace tessera::test
