#pragma once
// log.txt in WorkDir or where start-up puts it (one CRLF line per message), the message box, and the trace
// of a run (--trace): "<ms> <kind> <details>" lines, ms counted from start-up.
#include <cstdint>
#include <string>

namespace tessera {

void WriteLog(const char* text);
void DeleteLog();
// Start-up's own lines (the folders in use, warnings): to the log only, never the
// trace, which stays a record of the game itself.
void WriteLogOnly(const char* text);
// Moves the log to `hostPath`, creating its folder; empty: log.txt in WorkDir.
void SetLogFile(const std::string& hostPath);
int ShowMessage(const char* text);

// Opens the trace file; `startClock` is the clock value that counts as 0 ms.
bool OpenTrace(const std::string& hostPath, uint32_t startClock);
void CloseTrace();
bool TraceEnabled();
// Writes one trace line: the elapsed milliseconds, a blank, the formatted text.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tessera
