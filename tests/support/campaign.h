#pragma once
// A small loose game folder made by the tests: every interface picture in its
// own solid colour (so frame dumps tell them apart), solid-colour layers, heads,
// piece-size pictures, a level script, texts and tiny sounds.
#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tessera::test {

struct CampaignColour {
  uint8_t r, g, b;
};

// The colour a picture of the campaign is filled with (by file name).
CampaignColour PictureColour(const std::string& fileName);
// Colours of the layer pictures "L<k>.bmp".
CampaignColour LayerColour(int layer);

struct CampaignOptions {
  std::string script;        // ScriptEntry.txt content; a default two-level script when empty
  std::string localization;  // Localization.txt content; a default when empty
  std::string systemExtra;   // extra lines for System.ini's [debug] section
  bool sounds = true;        // write the WAV files the game plays
  int introPictures = 2;     // Picture\Intro<k>.bmp
  bool logos = false;        // begin01.bmp to begin03.bmp in the game folder
};

// Writes the campaign into `dir`; returns the folder.
std::string BuildCampaign(const ScratchDir& dir, const CampaignOptions& options = {});

// A level section with the given keys set (the others at their defaults).
std::string LevelSection(const std::string& name, const std::string& body);

// A 16-bit mono PCM WAV of `ms` milliseconds at 8 kHz.
std::vector<uint8_t> TinyWav(int ms);

}  // namespace tessera::test
