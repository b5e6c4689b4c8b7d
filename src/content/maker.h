#pragma once
// Making a campaign from pictures inside the game: the folder a title names in
// the player's campaigns folder, the pictures a dropped folder holds, and the
// make itself, which is the tool's import (one code path, so the same pictures
// and options give the same campaign) run into a temporary folder beside its
// place and renamed into place at the end, so a cancelled or failed make
// leaves nothing behind.
#include <filesystem>
#include <string>
#include <vector>

#include "content/import.h"

namespace tessera::content {

// True for a file name the import reads as a picture (.png, .jpg, .jpeg, .bmp, any case).
bool IsPictureName(const std::string& name);
// The pictures directly in a folder, sorted by name; a picture file is itself.
std::vector<std::string> PicturesAt(const std::string& path);

// A free folder in `campaigns` named from the title: its letters and digits
// (other characters become '_'), "puzzle" when none is left, then "-2", "-3"...
// where the name is taken (letter case ignored).
std::filesystem::path FreeCampaignFolder(const std::filesystem::path& campaigns, const std::string& title);

// The title the levels are called by ("Title 1", "Title 2"...): the
// printable ASCII of `title`, cut to what the title plate holds with the
// number of `pictures`; "Picture" when nothing is left.
std::string LevelTitleFor(const std::string& title, size_t pictures);

// Makes a new campaign titled `title` (UTF-8) from options.images with the
// options' board settings (options.dir, title, campaignId and campaignTitle
// are set here) in a new folder of `campaigns`; `made` is where it went.
// False with `error` (IMPORT_CANCELLED when `step` cancelled), and then
// nothing is left in `campaigns`.
bool MakeCampaign(const std::filesystem::path& campaigns, const std::string& title, ImportOptions options,
                  std::filesystem::path& made, ImportReport& report, std::string& error, const ImportStep& step = {});

// Adds levels made from options.images to the end of the player's campaign in
// `folder`, as the tool's import appends them, with the level title taken from
// the campaign's manifest. The campaign is copied beside itself, the levels are
// made in the copy, and the copy takes the campaign's place at the end: a
// cancelled or failed append leaves the campaign as it was.
bool AppendToCampaign(const std::filesystem::path& folder, ImportOptions options, ImportReport& report,
                      std::string& error, const ImportStep& step = {});

// Gives the player's campaign in `folder` a new title (UTF-8, not empty): its
// manifest is rewritten in one replace; the folder keeps its name, so the
// saves stay with it.
bool RetitleCampaign(const std::filesystem::path& folder, const std::string& title, std::string& error);

}  // namespace tessera::content
