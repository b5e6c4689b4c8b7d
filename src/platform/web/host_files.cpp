// The page's side of platform/host_files.h. The page (packaging/web/page.js)
// sets Module.tesseraChooseFiles, which opens its file chooser, and
// Module.tesseraReleaseFiles, which frees the copies it made of the files
// chosen or dropped. Under Node.js neither is set: the game browses the real
// disk there, and a dropped file is the player's own.
#include "platform/host_files.h"

#include <emscripten.h>

namespace tessera {

namespace {

// clang-format off
EM_JS(bool, web_choose_files, (int package), {
  return typeof Module.tesseraChooseFiles === "function" && !!Module.tesseraChooseFiles(package ? "package" : "pictures");
});
EM_JS(void, web_release_files, (), {
  if (typeof Module.tesseraReleaseFiles === "function") Module.tesseraReleaseFiles();
});
// clang-format on

}  // namespace

bool ChooseFilesWithHost(HostFileKind kind) { return web_choose_files(kind == HostFileKind::Package ? 1 : 0); }

void ReleaseHostFiles() { web_release_files(); }

}  // namespace tessera
