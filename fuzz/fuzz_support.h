#pragma once
// What every fuzz target shares: one headless platform and one scratch folder
// per process (the readers use the working folder and the platform's message
// box), file writing, and a hard stop that libFuzzer reports as a finding.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/engine_config.h"
#include "app/profile.h"
#include "platform/headless/headless_platform.h"

namespace tessera::fuzz {

// Message boxes are only counted: keeping their texts would grow without end
// over millions of executions.
class FuzzPlatform : public HeadlessPlatform {
 public:
  FuzzPlatform() : HeadlessPlatform(Options()) {}
  int ShowMessage(const char*) override {
    ++messages;
    return 1;
  }
  uint64_t messages = 0;

 private:
  static HeadlessOptions Options() {
    HeadlessOptions options;
    options.realFonts = false;
    options.quietMessages = true;
    return options;
  }
};

// A folder under the temporary folder, WorkDir for the life of the process and
// the working folder while an input runs (the readers open paths relative to
// it); removed at exit unless the process dies first. Between inputs the
// process stands where it started, as libFuzzer reads its corpus and writes
// its findings relative to that.
class FuzzWorld {
 public:
  static FuzzWorld& Get() {
    static FuzzWorld world;
    return world;
  }

  class Inside {
   public:
    explicit Inside(const FuzzWorld& world) : world_(world) {
      if (chdir(world_.dir_.c_str()) != 0) std::abort();
    }
    ~Inside() {
      if (fchdir(world_.start_) != 0) std::abort();
    }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

   private:
    const FuzzWorld& world_;
  };
  // Makes the folder the working folder until the result goes out of scope.
  [[nodiscard]] Inside Enter() const { return Inside(*this); }

  FuzzPlatform& platform() { return *platform_; }
  const std::string& dir() const { return dir_; }

  // Writes `size` bytes to `relative` below the folder, creating its folder.
  bool Write(const std::string& relative, const uint8_t* data, size_t size) const {
    const std::filesystem::path path = std::filesystem::path(dir_) / relative;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
  }
  bool Write(const std::string& relative, const std::string& text) const {
    return Write(relative, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  void Remove(const std::string& relative) const {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(dir_) / relative, ignored);
  }

 private:
  FuzzWorld() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessera-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    dir_ = pattern;
    start_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (start_ < 0 || chdir(dir_.c_str()) != 0) std::abort();
    ReadWorkDir();
    if (fchdir(start_) != 0) std::abort();
    platform_ = std::make_unique<FuzzPlatform>();
    std::string ignored;
    platform_->InitDisplay(ignored);
    SetPlatform(platform_.get());
  }
  ~FuzzWorld() {
    SetPlatform(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    close(start_);
  }

  std::string dir_;
  int start_ = -1;
  std::unique_ptr<FuzzPlatform> platform_;
};

// A broken promise of a reader: libFuzzer records the input that led here.
[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what);
  std::abort();
}
inline void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

// Whether a fixed-size text field holds its terminator.
template <size_t N>
bool Terminated(const char (&field)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (field[i] == '\0') return true;
  return false;
}

}  // namespace tessera::fuzz
