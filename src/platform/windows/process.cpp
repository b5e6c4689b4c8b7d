#include "platform/process.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include "platform/windows/wide_text.h"

namespace tessera {

using windows::Utf8;
using windows::Wide;

namespace {

struct Word {
  std::string text;
  bool quoted = false;  // any part of it was in quotes
};

// Splits a simple POSIX shell command into words. A backslash outside quotes
// escapes only a quote, a blank or another backslash before a quote: the
// folders of this system are written with backslashes.
std::vector<Word> SplitWords(const std::string& command) {
  std::vector<Word> words;
  Word current;
  bool inWord = false;
  for (size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(std::move(current));
      current = Word{};
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      current.quoted = true;
      const size_t end = command.find('\'', i + 1);
      current.text += command.substr(i + 1, (end == std::string::npos ? command.size() : end) - i - 1);
      i = end == std::string::npos ? command.size() : end;
    } else if (c == '"') {
      current.quoted = true;
      for (++i; i < command.size() && command[i] != '"'; ++i) {
        if (command[i] == '\\' && i + 1 < command.size() &&
            (command[i + 1] == '"' || command[i + 1] == '\\' || command[i + 1] == '$' || command[i + 1] == '`'))
          ++i;
        current.text += command[i];
      }
    } else if (c == '\\' && i + 1 < command.size() &&
               (command[i + 1] == '\'' || command[i + 1] == '"' || command[i + 1] == ' ')) {
      current.text += command[++i];
    } else {
      current.text += c;
    }
  }
  if (inWord) words.push_back(std::move(current));
  return words;
}

// NAME=value before the program.
bool IsSetting(const Word& word) {
  const size_t eq = word.text.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  for (size_t i = 0; i < eq; ++i) {
    const char c = word.text[i];
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

// One argument as the C runtime's command-line parser reads it back.
void AppendArgument(std::wstring& line, const std::wstring& argument) {
  if (!line.empty()) line += L' ';
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

std::string CurrentExecutable() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return std::string();
    if (n < name.size()) return Utf8(name.substr(0, n));
    if (name.size() >= 32768) return std::string();
    name.resize(name.size() * 2);
  }
}

// The C runtime keeps its own copy of the environment; _wputenv_s changes
// both it and the system's.
void RestartProgram(const std::vector<std::string>& arguments) {
  const std::string self = CurrentExecutable();
  if (self.empty()) return;
  // Windows has no exec: the new program is started and this one ends.
  std::wstring line;
  AppendArgument(line, Wide(self));
  for (const std::string& argument : arguments) AppendArgument(line, Wide(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(Wide(self).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
    return;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  std::fflush(nullptr);
  ::ExitProcess(0);
}

void SetEnvironment(const std::string& name, const std::string& value) {
  ::_wputenv_s(Wide(name).c_str(), Wide(value).c_str());
}

bool ThreadsAvailable() { return true; }

void SetUpStandardStreams() {
  auto missing = [](DWORD which) {
    const HANDLE h = ::GetStdHandle(which);
    return h == nullptr || h == INVALID_HANDLE_VALUE || ::GetFileType(h) == FILE_TYPE_UNKNOWN;
  };
  const bool noOutput = missing(STD_OUTPUT_HANDLE);
  const bool noError = missing(STD_ERROR_HANDLE);
  // Otherwise: a console of its own, a file or a pipe.
  if ((noOutput || noError) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (noOutput && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (noError && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

int RunShellCommand(const std::string& command, std::string& output) {
  std::vector<Word> words = SplitWords(command);
  std::wstring folder;
  if (words.size() >= 3 && !words[0].quoted && words[0].text == "cd" && !words[2].quoted && words[2].text == "&&") {
    folder = Wide(words[1].text);
    words.erase(words.begin(), words.begin() + 3);
  }
  std::vector<std::pair<std::wstring, std::wstring>> settings;
  while (!words.empty() && IsSetting(words.front())) {
    const std::string& text = words.front().text;
    const size_t eq = text.find('=');
    settings.emplace_back(Wide(text.substr(0, eq)), Wide(text.substr(eq + 1)));
    words.erase(words.begin());
  }
  // What the shell would send elsewhere is collected anyway.
  while (!words.empty() && !words.back().quoted && words.back().text == "2>&1") words.pop_back();
  if (words.empty()) return -1;
  std::wstring line;
  for (const Word& word : words) AppendArgument(line, Wide(word.text));

  // The child inherits the settings from this process for the time it starts.
  std::vector<std::pair<std::wstring, std::wstring>> previous;
  for (const auto& [name, value] : settings) {
    std::wstring old(32767, L'\0');
    const DWORD n = ::GetEnvironmentVariableW(name.c_str(), old.data(), 32767);
    old.resize(n > 0 && n < 32767 ? n : 0);
    previous.emplace_back(name, n > 0 && n < 32767 ? old : std::wstring(1, L'\0'));
    ::SetEnvironmentVariableW(name.c_str(), value.c_str());
  }

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  int code = -1;
  if (::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION child = {};
    const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          folder.empty() ? nullptr : folder.c_str(), &startup, &child);
    ::CloseHandle(writeEnd);
    if (started) {
      char buffer[4096];
      DWORD got = 0;
      while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
      ::WaitForSingleObject(child.hProcess, INFINITE);
      DWORD exitCode = 0;
      if (::GetExitCodeProcess(child.hProcess, &exitCode)) code = static_cast<int>(exitCode);
      ::CloseHandle(child.hThread);
      ::CloseHandle(child.hProcess);
    }
    ::CloseHandle(readEnd);
  }

  for (const auto& [name, value] : previous)
    ::SetEnvironmentVariableW(name.c_str(), value.size() == 1 && value[0] == L'\0' ? nullptr : value.c_str());
  return code;
}

void SleepMicroseconds(uint64_t microseconds) {
  std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

}  // namespace tessera
