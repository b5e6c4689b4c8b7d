#include "content/package_install.h"

#include <algorithm>
#include <cstdio>

#include "app/campaigns.h"
#include "content/lint.h"
#include "content/maker.h"
#include "platform/file_system.h"
#include "platform/user_folders.h"

namespace tessera::content {

namespace fs = std::filesystem;

namespace {

// The id in an installed campaign's manifest; empty when it has none.
std::string InstalledId(const fs::path& folder) {
  std::vector<uint8_t> bytes;
  std::FILE* file = HostOpen(HostPathString(folder / PACKAGE_MANIFEST), "rb");
  if (!file) return {};
  uint64_t size = 0;
  if (HostFileSize(file, size) && size <= PACKAGE_MAX_MANIFEST_BYTES) {
    bytes.resize(static_cast<size_t>(size));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) bytes.clear();
  }
  std::fclose(file);
  Manifest manifest;
  std::string ignored;
  return ParseManifest(std::string(bytes.begin(), bytes.end()), manifest, ignored) ? manifest.id : std::string();
}

}  // namespace

fs::path PlayerCampaignsFolder() {
  const fs::path data = GetUserFolders().data;
  return data.empty() ? fs::path() : data / "campaigns";
}

InstallTarget PlanInstall(const Manifest& manifest, const fs::path& campaigns) {
  InstallTarget target;
  std::error_code ec;
  std::vector<fs::path> installed;
  for (auto it = fs::directory_iterator(campaigns, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (it->is_directory(ec) && HostPathString(it->path().filename())[0] != '.') installed.push_back(it->path());
  std::sort(installed.begin(), installed.end());
  for (const fs::path& folder : installed)
    if (InstalledId(folder) == manifest.id) {
      target.same = folder;
      break;
    }
  // Titles in other scripts reduce to underscores; the id then names the folder.
  std::string name = CleanCampaignId(manifest.title);
  if (name.find_first_not_of('_') == std::string::npos) name = manifest.id;
  // A folder differing only in letter case is the same folder on some systems.
  auto taken = [&](const std::string& candidate) {
    std::string found;
    return HostFindIgnoringCase(HostPathString(campaigns), candidate, found) || fs::exists(campaigns / candidate, ec);
  };
  std::string candidate = name;
  for (int n = 2; taken(candidate); ++n) candidate = name + "-" + std::to_string(n);
  target.folder = campaigns / candidate;
  return target;
}

bool InstallPackage(const std::string& package, const InstallTarget& target, bool replace, fs::path& installed,
                    std::string& error) {
  const fs::path place = replace && !target.same.empty() ? target.same : target.folder;
  std::error_code ec;
  fs::create_directories(place.parent_path(), ec);
  if (ec) {
    error = HostPathString(place.parent_path()) + ": cannot be created: " + ec.message();
    return false;
  }
  const std::string temporary = TemporaryFolderBeside(HostPathString(place));
  PackageInfo info;
  if (!UnpackAndLintInto(package, temporary, info, error)) return false;
  const fs::path fresh = HostFsPath(temporary);
  if (place == target.same) {
    // The saves move over, then the old copy steps aside for the new one.
    std::string save;
    if (HostFindIgnoringCase(HostPathString(place), "Save", save)) {
      fs::rename(place / save, fresh / "Save", ec);
      if (ec) {
        RemoveFolder(temporary);
        error = HostPathString(place / save) + ": the saves cannot be moved: " + ec.message();
        return false;
      }
    }
    const std::string old = TemporaryFolderBeside(HostPathString(place));
    fs::rename(place, HostFsPath(old), ec);
    if (!ec) fs::rename(fresh, place, ec);
    if (ec) {
      fs::rename(HostFsPath(old), place, ec);
      fs::rename(fresh / "Save", place / (save.empty() ? "Save" : save), ec);
      RemoveFolder(temporary);
      error = HostPathString(place) + ": cannot be replaced";
      return false;
    }
    RemoveFolder(old);
  } else {
    if (fs::exists(place, ec)) {
      RemoveFolder(temporary);
      error = HostPathString(place) + ": already exists";
      return false;
    }
    fs::rename(fresh, place, ec);
    if (ec) {
      RemoveFolder(temporary);
      error = HostPathString(place) + ": cannot be put in place: " + ec.message();
      return false;
    }
  }
  installed = place;
  HostFilesWritten();
  return true;
}

bool InstallForPlayer(const std::string& package, const Manifest& manifest, bool replace, fs::path& installed,
                      std::string& error) {
  const fs::path campaigns = PlayerCampaignsFolder();
  if (campaigns.empty()) {
    error = "no user data folder to install " + package + " into";
    return false;
  }
  return InstallPackage(package, PlanInstall(manifest, campaigns), replace, installed, error);
}

bool InstallCampaignFolder(const fs::path& from, const std::string& title, const fs::path& campaigns,
                           fs::path& installed, std::string& error) {
  if (!IsGameFolder(from)) {
    error = HostPathString(from) + " holds no campaign";
    return false;
  }
  // What the game could not play is not copied in.
  const std::vector<Finding> findings = LintGameFolder(HostPathString(from));
  if (HasErrors(findings)) {
    const fs::path name = from.has_filename() ? from.filename() : from.parent_path().filename();
    error = HostPathString(name) + ": not a playable campaign:" + LintReport(findings);
    return false;
  }
  if (campaigns.empty()) {
    error = "no user data folder to copy " + HostPathString(from) + " into";
    return false;
  }
  std::error_code ec;
  // A copy into itself would never end.
  const fs::path source = fs::weakly_canonical(from, ec), target = fs::weakly_canonical(campaigns, ec);
  const auto [inSource, inTarget] = std::mismatch(source.begin(), source.end(), target.begin(), target.end());
  if (inSource == source.end()) {
    error = HostPathString(from) + " holds the campaigns folder itself";
    return false;
  }
  fs::create_directories(campaigns, ec);
  if (ec) {
    error = HostPathString(campaigns) + ": cannot be created: " + ec.message();
    return false;
  }
  const fs::path place = FreeCampaignFolder(campaigns, title);
  const std::string temporary = TemporaryFolderBeside(HostPathString(place));
  fs::copy(from, HostFsPath(temporary), fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (!ec) fs::rename(HostFsPath(temporary), place, ec);
  if (ec) {
    RemoveFolder(temporary);
    error = HostPathString(from) + ": cannot be copied: " + ec.message();
    return false;
  }
  installed = place;
  HostFilesWritten();
  return true;
}

}  // namespace tessera::content
