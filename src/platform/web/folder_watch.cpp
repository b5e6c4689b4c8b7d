// No change reports here: Emscripten's file systems send none, so Watch says so
// and callers look at the files themselves.
#include "platform/folder_watch.h"

namespace tessera {

struct FolderWatch::State {};

FolderWatch::FolderWatch() : state_(std::make_unique<State>()) {}
FolderWatch::~FolderWatch() = default;

bool FolderWatch::Watch(const std::string&) { return false; }

bool FolderWatch::Changed() { return false; }

}  // namespace tessera
