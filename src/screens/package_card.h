#pragma once
// The package card: before a campaign package is installed, the player sees
// what it is, read from the package without unpacking it (its first level's
// picture, title, author, language, number of levels, size), and chooses
// "Install and play" or "Cancel". When the same campaign is installed already
// the choice is to replace it (its saves kept) or to keep both.
#include <cstdint>
#include <string>
#include <vector>

#include "content/package.h"
#include "platform/platform.h"

namespace tessera {

enum class CardButton { Install, Replace, Cancel };

struct PackageCardState {
  bool installed = false;  // the same campaign is there already
  int hovered = -1;        // button under the pointer
  int pressed = -1;        // button under the left button's press
  int mouseX = -1, mouseY = -1;
};

enum class CardStep { None, Chosen, Quit };

// The buttons the card shows, left to right.
std::vector<CardButton> CardButtons(const PackageCardState& state);
// The button at a frame position, as an index into CardButtons, or -1.
int CardButtonAt(const PackageCardState& state, int x, int y);
// One window message; on Chosen `chosen` holds the button.
CardStep HandleCardMessage(PackageCardState& state, const WindowMessage& message, CardButton& chosen);
void DrawPackageCard(const PackageCardState& state, const content::PackageInfo& info, uint16_t* frame);

// The character set the card draws a package's texts in: its campaign's.
Charset PackageCardCharset(const content::PackageInfo& info);
// Runs the card until a choice; closing the window or Escape is Cancel. Needs
// the display and input set up; the text renderer draws the card in the
// package's character set and the game's again when it returns.
CardButton ShowPackageCard(const content::PackageInfo& info, bool installed);

}  // namespace tessera
