#pragma once
// Installing a campaign package into the player's campaigns folder: checked
// and unpacked into a temporary folder beside its place, linted, then moved
// into place with one rename. A campaign of the same title already there is
// kept (the new one gets a number), unless the player replaces an installed
// copy of the same campaign (the same id in both manifests), keeping its saves.
#include <filesystem>
#include <string>

#include "content/package.h"

namespace tessera::content {

// <user data>/campaigns ($XDG_DATA_HOME/tessera/campaigns, %APPDATA%\Tessera\campaigns);
// empty when the system gives no user folder.
std::filesystem::path PlayerCampaignsFolder();

struct InstallTarget {
  std::filesystem::path folder;  // a free folder named for the title
  std::filesystem::path same;    // an installed copy of the same campaign; empty when none
};
InstallTarget PlanInstall(const Manifest& manifest, const std::filesystem::path& campaigns);

// Installs into target.folder, or with `replace` in place of target.same
// (whose Save folder moves into the new copy). `installed` is where it went.
bool InstallPackage(const std::string& package, const InstallTarget& target, bool replace,
                    std::filesystem::path& installed, std::string& error);

// PlanInstall and InstallPackage into PlayerCampaignsFolder(), as opening a
// package does wherever it is opened (the command line, a drop, the library).
bool InstallForPlayer(const std::string& package, const Manifest& manifest, bool replace,
                      std::filesystem::path& installed, std::string& error);

// Copies a campaign's folder into `campaigns` under a free name made from
// `title` (as the maker names its folders), through a temporary folder beside
// it and one rename, so a failed copy leaves nothing. A folder that is no
// campaign, or that holds `campaigns`, is refused with `error`.
bool InstallCampaignFolder(const std::filesystem::path& from, const std::string& title,
                           const std::filesystem::path& campaigns, std::filesystem::path& installed,
                           std::string& error);

}  // namespace tessera::content
