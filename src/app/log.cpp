#include "app/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/engine_config.h"
#include "app/files.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace tessera {

namespace {
std::FILE* g_trace = nullptr;
uint32_t g_traceStart = 0;
std::string g_logFile;

std::string LogPath() {
  if (!g_logFile.empty()) return g_logFile;
  char path[1024];
  ComposePath(path, sizeof path, WorkDir, "log.txt");
  return path;
}
}  // namespace

void SetLogFile(const std::string& hostPath) {
  g_logFile = hostPath;
  if (hostPath.empty()) return;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), ec);
}

void WriteLog(const char* text) {
  WriteLogOnly(text);
  if (g_trace) Trace("log %s", text ? text : "");
}

void WriteLogOnly(const char* text) {
  if (!text) text = "";
  const std::string path = LogPath();
  FilePtr f = OpenFile(path, "ab");
  if (!f) f = OpenFile(path, "wb");
  if (f) {
    std::fwrite(text, 1, std::strlen(text), f.get());
    std::fwrite("\r\n", 1, 2, f.get());
  }
}

void DeleteLog() { RemoveFile(LogPath()); }

int ShowMessage(const char* text) { return Sys().ShowMessage(text ? text : ""); }

bool OpenTrace(const std::string& hostPath, uint32_t startClock) {
  CloseTrace();
  g_trace = HostOpen(hostPath, "wb");
  g_traceStart = startClock;
  return g_trace != nullptr;
}

void CloseTrace() {
  if (g_trace) std::fclose(g_trace);
  g_trace = nullptr;
}

bool TraceEnabled() { return g_trace != nullptr; }

void Trace(const char* format, ...) {
  if (!g_trace) return;
  uint32_t elapsed = Sys().Milliseconds() - g_traceStart;
  std::fprintf(g_trace, "%u ", elapsed);
  va_list args;
  va_start(args, format);
  std::vfprintf(g_trace, format, args);
  va_end(args);
  std::fputc('\n', g_trace);
  std::fflush(g_trace);  // the process may end at once when the window closes
}

}  // namespace tessera
