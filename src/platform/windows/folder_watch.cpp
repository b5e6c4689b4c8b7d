#include "platform/folder_watch.h"

namespace tessera {

// Windows reports folder changes on a separate channel that may lag behind the
// write that caused them (Wine forwards them from its server), and a lookup
// must see a file as it is now: so no folder is watched here and every lookup
// looks at its file, which costs one attribute query.
struct FolderWatch::State {};

FolderWatch::FolderWatch() = default;
FolderWatch::~FolderWatch() = default;

bool FolderWatch::Watch(const std::string&) { return false; }
bool FolderWatch::Changed() { return false; }

}  // namespace tessera
