// The web build's side of platform/posix/file_calls.h.
#include "platform/posix/file_calls.h"

#include <emscripten.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/process.h"

namespace tessera {

// Emscripten's pread keeps only the low 32 bits of the position, as a signed
// number: from 2 GiB on it would read at the wrong place. Its lseek takes 53
// bits, so a read that far goes through it and the offset is put back.
ssize_t ReadAtPosition(int fd, void* out, size_t size, uint64_t position) {
  if (position <= static_cast<uint64_t>(INT32_MAX) - size) {
    for (;;) {
      const ssize_t got = ::pread(fd, out, size, static_cast<off_t>(position));
      if (got < 0 && errno == EINTR) continue;
      return got;
    }
  }
  if (position > static_cast<uint64_t>(INT64_MAX)) return 0;
  const off_t was = ::lseek(fd, 0, SEEK_CUR);
  if (was < 0 || ::lseek(fd, static_cast<off_t>(position), SEEK_SET) < 0) return -1;
  ssize_t got;
  do {
    got = ::read(fd, out, size);
  } while (got < 0 && errno == EINTR);
  if (::lseek(fd, was, SEEK_SET) < 0) return -1;
  return got;
}

namespace {

// clang-format off
// One stat of the path, as Node.js reads it from the disk (the modification
// time to the nanosecond) or as the page's file system keeps it (to the
// millisecond): size, number, seconds and nanoseconds of the modification time
// and the kind (1 a folder, 2 a plain file, 0 another) in `out`; false when
// there is nothing at the path. Emscripten's own stat() gives whole seconds
// only, which would hide a file rewritten within the second (the same size)
// from everything that looks for changes by the time, and under Node.js a
// second stat for the time doubled the cost of every check that a file is
// unchanged.
EM_JS(bool, web_stat, (const char* path, double* out), {
  const name = UTF8ToString(path);
  const kind = (mode) => ((mode & 61440) === 16384 ? 1 : (mode & 61440) === 32768 ? 2 : 0);
  if (ENVIRONMENT_IS_NODE) {
    const fs = Module.nodeFs || (Module.nodeFs = require("fs"));
    let st;
    try {
      st = fs.statSync(name, {bigint: true, throwIfNoEntry: false});
    } catch (e) {
      return false;
    }
    if (!st) return false;
    const billion = BigInt(1000000000);
    HEAPF64[out >> 3] = Number(st.size);
    HEAPF64[(out >> 3) + 1] = Number(st.ino);
    HEAPF64[(out >> 3) + 2] = Number(st.mtimeNs / billion);
    HEAPF64[(out >> 3) + 3] = Number(st.mtimeNs % billion);
    HEAPF64[(out >> 3) + 4] = kind(Number(st.mode));
    return true;
  }
  let st;
  try {
    st = FS.stat(name);
  } catch (e) {
    return false;
  }
  const ms = st.mtime.getTime();
  HEAPF64[out >> 3] = st.size;
  HEAPF64[(out >> 3) + 1] = st.ino;
  HEAPF64[(out >> 3) + 2] = Math.floor(ms / 1000);
  HEAPF64[(out >> 3) + 3] = (ms % 1000) * 1000000;
  HEAPF64[(out >> 3) + 4] = kind(st.mode);
  return true;
});
// Node.js has no flock() and Emscripten's does nothing: the lock is a folder
// beside the file, made by one process at a time (mkdir either makes it or
// finds it), holding the number of the process that made it, so a lock left by
// a process that died is taken over. A page is one program: nothing to wait for.
EM_JS(bool, web_take_lock, (int handle, const char* path), {
  if (!ENVIRONMENT_IS_NODE) return true;
  const fs = require("fs");
  const held = UTF8ToString(path) + ".held";
  const pause = new Int32Array(new SharedArrayBuffer(4));
  for (;;) {
    try {
      fs.mkdirSync(held);
      fs.writeFileSync(held + "/pid", String(process.pid));
      (Module.webLocks = Module.webLocks || {})[handle] = held;
      return true;
    } catch (e) {
      if (e.code !== "EEXIST") return false;
    }
    let alive = true;
    try {
      const owner = Number(fs.readFileSync(held + "/pid", "utf8"));
      try {
        process.kill(owner, 0);
      } catch (e) {
        alive = e.code === "EPERM";
      }
    } catch (e) {
      // No number yet: just made, or its maker died before writing it.
      try {
        alive = Date.now() - fs.statSync(held).mtimeMs < 10000;
      } catch (e2) {
        alive = false;
      }
    }
    if (!alive) fs.rmSync(held, {recursive: true, force: true});
    else Atomics.wait(pause, 0, 0, 50);
  }
});

EM_JS(void, web_release_lock, (int handle), {
  const held = Module.webLocks && Module.webLocks[handle];
  if (!held) return;
  delete Module.webLocks[handle];
  require("fs").rmSync(held, {recursive: true, force: true});
});
// clang-format on

}  // namespace

bool TakeFileLock(int handle, const std::string& path) { return web_take_lock(handle, path.c_str()); }

void ReleaseFileLock(int handle) { web_release_lock(handle); }

bool StatPath(const char* path, PathStat& out) {
  double values[5];
  if (!web_stat(path, values)) return false;
  out.size = static_cast<uint64_t>(values[0]);
  out.id = static_cast<uint64_t>(values[1]);
  out.mtimeNs = static_cast<int64_t>(values[2]) * 1000000000 + static_cast<int64_t>(values[3]);
  out.folder = values[4] == 1;
  out.regular = values[4] == 2;
  return true;
}

// The page keeps the player's folders in IndexedDB: it copies them there when
// told that a file was replaced or removed. Under Node.js the files are real and
// there is no one to tell.
void FilesChanged() {
  EM_ASM({
    if (typeof Module.onFilesChanged == "function") Module.onFilesChanged();
  });
}

// clang-format off
// True while the page is still fetching the file (Module.tesseraArriving
// holds the lower-case paths of the files its later packages bring). A
// relative path is taken from the working folder, the campaign's.
// Module.tesseraOnDemand maps the lower-case path of a file the page fetches
// only when asked for (the whole Chinese font) to the function that fetches
// it, which puts it among those arriving.
EM_JS(bool, web_arriving, (const char* path), {
  const onDemand = Module.tesseraOnDemand;
  const arriving = Module.tesseraArriving;
  if ((!arriving || arriving.size === 0) && !onDemand) return false;
  let name = UTF8ToString(path);
  if (name[0] !== "/") name = FS.cwd() + "/" + name;
  const parts = name.split("/").filter((part) => part !== "" && part !== ".");
  const key = "/" + parts.join("/").toLowerCase();
  if (onDemand && onDemand[key]) {
    const fetchIt = onDemand[key];
    delete onDemand[key];
    fetchIt();
  }
  return !!Module.tesseraArriving && Module.tesseraArriving.has(key);
});
// clang-format on

// The page starts the game once the start menu's files are there and brings
// the rest (the levels' pictures, music, later movies) behind it; a file asked
// for before it arrived is waited for, the browser running meanwhile.
bool FileArriving(const std::string& path) { return web_arriving(path.c_str()); }

void AwaitArrival(const std::string& path) {
  if (!web_arriving(path.c_str())) return;
  std::fprintf(stderr, "waiting for %s to arrive\n", path.c_str());
  while (web_arriving(path.c_str())) SleepMicroseconds(20000);
}

}  // namespace tessera
