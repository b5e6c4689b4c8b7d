#pragma once
// make-demo: writes a complete, playable game folder.
#include <string>

#include "texts.h"

namespace tessera::tool {

bool MakeDemo(const std::string& dir, DemoLanguage language, bool loose, std::string& error);
int MakeDemoCommand(const std::vector<std::string>& args);

}  // namespace tessera::tool
