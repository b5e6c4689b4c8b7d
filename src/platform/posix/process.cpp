#include "platform/process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace tessera {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

std::string CurrentExecutable() {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  return n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
}

void RestartProgram(const std::vector<std::string>& arguments) {
  const std::string self = CurrentExecutable();
  if (self.empty()) return;
  std::vector<std::string> words = arguments;
  words.insert(words.begin(), self);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  ::execv(self.c_str(), argv.data());
}

void SetEnvironment(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

bool ThreadsAvailable() { return true; }

void SetUpStandardStreams() {}

int RunShellCommand(const std::string& command, std::string& output) {
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = ::pclose(pipe);
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void SleepMicroseconds(uint64_t microseconds) {
  std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

}  // namespace tessera
