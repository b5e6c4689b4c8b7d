#include "content/package_install.h"

#include <algorithm>
#include <cstdio>

#include "app/campaigns.h"
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
  return true;
}

}  // namespace tessera::content
