#pragma once
// make-icons: the game's icon, a small mosaic of picture pieces with one piece
// still showing a decoy, painted into the desktop's usual PNG sizes and written
// as the SVG it is drawn from.
#include <string>
#include <vector>

#include "content/common.h"

namespace tessera::tool {

using content::Canvas;
using content::Colour;

// The sides of the PNG icons written next to the scalable one.
inline constexpr int ICON_SIDES[] = {48, 128, 256};

// The icon as an SVG document (a 256 x 256 view box).
std::string IconSvg();
// The same icon painted at `side` x `side` pixels.
Canvas PaintIcon(int side);

// Writes DIR/<side>x<side>/apps/NAME.png for every side and
// DIR/scalable/apps/NAME.svg (the layout of an icon theme folder).
bool MakeIcons(const std::string& dir, const std::string& name, std::string& error);

int MakeIconsCommand(const std::vector<std::string>& args);

}  // namespace tessera::tool
