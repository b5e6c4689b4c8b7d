#pragma once
// Interface pictures (the settings table of the menu folder) and the
// full-screen scenes: start logos, introduction, travel, closing pictures.
#include <string>
#include <vector>

#include "content/common.h"
#include "content/texts.h"

namespace tessera::content {

struct NamedPicture {
  std::string name;  // file name, ".bmp" included
  Canvas canvas;
};

// Every picture of the menu folder, in the game's loading order.
std::vector<NamedPicture> MakeInterfacePictures(DemoLanguage language);

// "begin01.bmp" to "begin03.bmp".
std::vector<NamedPicture> MakeStartLogos(DemoLanguage language);

// Full-screen pictures of the picture folder: introduction and closing pictures.
std::vector<NamedPicture> MakeScenePictures(DemoLanguage language);

}  // namespace tessera::content
