#pragma once
// The process itself: its arguments, its console, and running other programs.
// One implementation per system (platform/posix, platform/windows).
#include <cstdint>
#include <string>
#include <vector>

namespace tessera {

// The command line's arguments, argv[0] first, as the byte strings the rest of
// the program uses (on Windows in UTF-8, whatever the system's code page).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// This process's number, unique among the running processes.
unsigned long CurrentProcessId();

// The running program's own file; empty when the system cannot tell.
std::string CurrentExecutable();

// Replaces the running program with a fresh start of itself given these
// arguments (after argv[0]); returns only when that cannot be done.
void RestartProgram(const std::vector<std::string>& arguments);

// Sets a variable of this process's environment, seen by the programs it
// starts and by libraries reading it later.
void SetEnvironment(const std::string& name, const std::string& value);

// Standard output and error as on every system: a program without a console
// of its own (a Windows GUI program) started from a console writes there,
// unless they already go somewhere else, and lines end in "\n" alone (no
// carriage return added), so what is written is the same everywhere. Nothing
// to do on POSIX systems.
void SetUpStandardStreams();

// Whether this program can run work on threads of its own. The browser build
// has none: there a std::thread or std::async(launch::async) must not be
// started (the runtime's stand-in neither fails nor runs the work, and a wait
// on it spins), and work runs where it is asked for.
bool ThreadsAvailable();

// Sleeps the calling thread. In a page the browser runs meanwhile (the game's
// loop blocks in its frame pump, which sleeps here): the program's stack is
// put aside and taken up again when the time is over.
void SleepMicroseconds(uint64_t microseconds);

// Runs a command written as a POSIX shell reads a simple one: words, 'single'
// and "double" quotes, NAME=value settings before the program, an optional
// "cd FOLDER &&" first. Its standard output and error are collected in
// `output`; the exit code is returned (128 + the signal for a killed program,
// -1 when it cannot be run).
int RunShellCommand(const std::string& command, std::string& output);

}  // namespace tessera
