// Change reports in the web build. Every change this program makes to its files,
// in the page (where they live in memory, or are brought in from the browser's
// storage or an upload) and under Node.js (which maps the same calls onto the
// disk), goes through Emscripten's FS object. Its calls that change a file or a
// folder are wrapped once to count into `g_changes`: while the count stands,
// the files are as they were, and a lookup of an unchanged file needs no stat.
//
// Under Node.js other programs can change the disk too, and Node.js gives a
// program that never returns to its event loop no notice of that. There the
// watch also reports a change once kOutsideMs have passed since it last did, so
// another program's change is seen within that time; and a shell command run
// through this program counts as a change when it ends.
#include "platform/folder_watch.h"

#include <emscripten.h>

#include <cstdint>

namespace tessera {

namespace {

uint32_t g_changes = 0;  // counted by the wrapped FS calls

constexpr double kOutsideMs = 50;

// clang-format off
// 0: no FS object to watch; 1: watching; 2: watching under Node.js.
EM_JS(int, web_watch_file_calls, (uint32_t* counter), {
  if (typeof FS === "undefined" || typeof FS.write !== "function") return 0;
  if (!Module.webFilesChanged) {
    Module.webFilesChanged = () => { HEAPU32[counter >> 2] = (HEAPU32[counter >> 2] + 1) >>> 0; };
    const changing = ["write", "rename", "unlink", "rmdir", "mkdir", "mknod", "symlink", "truncate", "ftruncate",
                      "utime", "allocate", "msync", "mount", "unmount"];
    for (const name of changing) {
      const call = FS[name];
      if (typeof call !== "function") continue;
      FS[name] = function() {
        try {
          return call.apply(this, arguments);
        } finally {
          Module.webFilesChanged();
        }
      };
    }
    // Opening changes a file only when it creates or empties it.
    const open = FS.open;
    FS.open = function(path, flags) {
      const bits = typeof flags === "string" ? FS.modeStringToFlags(flags) : flags;
      try {
        return open.apply(this, arguments);
      } finally {
        if (bits & (64 | 512)) Module.webFilesChanged();  // O_CREAT, O_TRUNC
      }
    };
  }
  return ENVIRONMENT_IS_NODE ? 2 : 1;
});
// clang-format on

}  // namespace

struct FolderWatch::State {
  int mode = -1;  // what web_watch_file_calls said; -1 before the first watch
  uint32_t seen = 0;
  double lastOutsideLook = 0;
};

FolderWatch::FolderWatch() : state_(std::make_unique<State>()) {}
FolderWatch::~FolderWatch() = default;

// Every folder is watched at once: the count covers them all.
bool FolderWatch::Watch(const std::string& hostPath) {
  State& s = *state_;
  if (hostPath.empty() || hostPath[0] != '/') return false;
  if (s.mode < 0) {
    s.mode = web_watch_file_calls(&g_changes);
    s.seen = g_changes;
    s.lastOutsideLook = emscripten_get_now();
  }
  return s.mode > 0;
}

bool FolderWatch::Changed() {
  State& s = *state_;
  if (s.mode <= 0) return false;
  bool any = g_changes != s.seen;
  s.seen = g_changes;
  if (s.mode == 2) {
    const double now = emscripten_get_now();
    if (now - s.lastOutsideLook >= kOutsideMs) {
      s.lastOutsideLook = now;
      any = true;
    }
  }
  return any;
}

}  // namespace tessera
