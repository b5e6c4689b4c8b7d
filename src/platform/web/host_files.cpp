// The page's side of platform/host_files.h. The page (packaging/web/page.js)
// sets Module.tesseraChooseFiles, which opens its file chooser. Under Node.js
// it is not set: the game browses the real disk there.
#include "platform/host_files.h"

#include <emscripten.h>

namespace tessera {

namespace {

// clang-format off
EM_JS(bool, web_choose_files, (int package), {
  return typeof Module.tesseraChooseFiles === "function" && !!Module.tesseraChooseFiles(package ? "package" : "pictures");
});
// clang-format on

}  // namespace

bool ChooseFilesWithHost(HostFileKind kind) { return web_choose_files(kind == HostFileKind::Package ? 1 : 0); }

}  // namespace tessera
