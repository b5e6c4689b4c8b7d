// The process under Node.js (the headless game and the tests) and in a page.
// Node.js gives the real process: its number, the launcher's file, its
// environment (copied into the program's at start, see cmake/web/node-pre.js)
// and other programs run through a shell. A page has none of these: it is one
// program, /tessera, that runs nothing else.
#include "platform/process.h"

#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tessera {

namespace {

// The Node.js side of the calls below; pages answer "none".
// clang-format off
EM_JS(int, web_process_id, (), {
  return (typeof process == "object" && process.pid) ? process.pid : 0;
});

// Under Node.js the program's file is its launcher (a copy of the launcher is
// a copy of the program, as a copied binary is on Linux), named by the
// launcher's environment (cmake/web/node-pre.js takes it); run without one, the
// script.
EM_JS(int, web_program_length, (), {
  const name = !ENVIRONMENT_IS_NODE ? "/tessera"
             : Module.webLauncher ? Module.webLauncher : require("path").resolve(process.argv[1]);
  Module.webProgram = name;
  return lengthBytesUTF8(name);
});

EM_JS(void, web_take_program, (char* out, int room), {
  stringToUTF8(Module.webProgram, out, room);
});

EM_JS(void, web_set_environment, (const char* name, const char* value), {
  if (ENVIRONMENT_IS_NODE) process.env[UTF8ToString(name)] = UTF8ToString(value);
});

// Runs the command with /bin/sh, standard output and error together; keeps the
// output for web_take_output and returns the exit code (-1: not run).
EM_JS(int, web_run_shell, (const char* command), {
  Module.webShellOutput = new Uint8Array(0);
  if (!ENVIRONMENT_IS_NODE) return -1;
  const child = require("child_process");
  const result = child.spawnSync("/bin/sh", ["-c", UTF8ToString(command) + " 2>&1"],
                                 {stdio: ["ignore", "pipe", "inherit"], maxBuffer: 1 << 30});
  if (Module.webFilesChanged) Module.webFilesChanged();  // the command may have changed files
  if (result.error) return -1;
  Module.webShellOutput = result.stdout;
  if (result.signal) return 128 + (require("os").constants.signals[result.signal] || 0);
  return result.status;
});

// Runs the program again with these arguments, its output and input the same,
// and ends this process with its exit code; returns where that cannot be done.
EM_JS(void, web_restart, (const char* const* words, int count), {
  if (!ENVIRONMENT_IS_NODE) return;
  const argv = Module.webLauncher ? [] : [process.argv[1]];
  for (let i = 0; i < count; ++i) argv.push(UTF8ToString(HEAPU32[(words >> 2) + i]));
  const result = require("child_process").spawnSync(Module.webLauncher || process.argv[0], argv, {stdio: "inherit"});
  if (result.error) return;
  process.exit(result.status === null ? 1 : result.status);
});

EM_JS(int, web_output_size, (), { return Module.webShellOutput.length; });

EM_JS(void, web_take_output, (char* out), { HEAPU8.set(Module.webShellOutput, out); });
// clang-format on

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

unsigned long CurrentProcessId() {
  const int pid = web_process_id();
  return static_cast<unsigned long>(pid > 0 ? pid : ::getpid());
}

std::string CurrentExecutable() {
  std::string name(static_cast<size_t>(web_program_length()) + 1, '\0');
  web_take_program(name.data(), static_cast<int>(name.size()));
  name.resize(name.size() - 1);
  return name;
}

// A page is one program that cannot start again; Node.js starts it afresh.
void RestartProgram(const std::vector<std::string>& arguments) {
  std::vector<const char*> words;
  for (const std::string& argument : arguments) words.push_back(argument.c_str());
  std::fflush(nullptr);
  web_restart(words.data(), static_cast<int>(words.size()));
}

void SetEnvironment(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
  web_set_environment(name.c_str(), value.c_str());
}

bool ThreadsAvailable() { return false; }

void SetUpStandardStreams() {}

// With Asyncify (the page's program) emscripten_sleep hands the browser the
// time; elsewhere (Node.js) the plain sleep is right.
void SleepMicroseconds(uint64_t microseconds) {
  if (emscripten_has_asyncify()) {
    emscripten_sleep(static_cast<unsigned>((microseconds + 999) / 1000));
    return;
  }
  ::usleep(static_cast<useconds_t>(microseconds));
}

int RunShellCommand(const std::string& command, std::string& output) {
  const int status = web_run_shell(command.c_str());
  const size_t size = static_cast<size_t>(web_output_size());
  const size_t at = output.size();
  output.resize(at + size);
  if (size > 0) web_take_output(output.data() + at);
  return status;
}

}  // namespace tessera
