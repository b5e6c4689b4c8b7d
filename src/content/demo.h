#pragma once
// make-demo: writes a complete, playable game folder.
#include <string>
#include <vector>

#include "content/archive.h"
#include "content/texts.h"

namespace tessera::content {

bool MakeDemo(const std::string& dir, DemoLanguage language, bool loose, std::string& error);
// Everything of the demo but its levels: interface, board sprites, scenes,
// sounds, music, movies and configuration, with a script of no levels and a
// campaign id of its own.
// `id` empty: a new one from the folder's name.
bool MakeEmptyGame(const std::string& dir, DemoLanguage language, bool loose, std::string& error,
                   const std::string& id = {});

// The one-digit number of a piece side in the board sprites' names (100, 50 and
// 25 give 0, 1 and 2), or -1 for any other side.
int PieceSizeDigit(int side);
// The stone, explosion, spider and cobweb pictures of one piece side.
std::vector<ArchiveMember> BoardSpriteFiles(int side);


}  // namespace tessera::content
