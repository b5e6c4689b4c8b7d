#include "content/maker.h"

#include <algorithm>
#include <system_error>

#include "app/campaigns.h"
#include "content/campaign.h"
#include "content/package.h"
#include "platform/file_system.h"

namespace tessera::content {

namespace fs = std::filesystem;

namespace {

constexpr size_t MAX_LEVEL_TITLE_BYTES = 12;  // the play screen's title plate, as import has it

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool IsPictureName(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = Lower(name.substr(dot + 1));
  return ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "bmp";
}

std::vector<std::string> PicturesAt(const std::string& path) {
  std::error_code ec;
  const fs::path host = HostFsPath(path);
  if (!fs::is_directory(host, ec)) return {path};
  std::vector<std::string> pictures;
  for (auto it = fs::directory_iterator(host, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = HostPathString(it->path().filename());
    if (!name.empty() && name[0] != '.' && IsPictureName(name) && it->is_regular_file(ec))
      pictures.push_back(HostPathString(it->path()));
  }
  std::sort(pictures.begin(), pictures.end());
  return pictures;
}

fs::path FreeCampaignFolder(const fs::path& campaigns, const std::string& title) {
  // The id's characters, each run of what it cannot hold (a space, a Chinese
  // word) one '_', none at either end: "旅行 Trip" is "Trip".
  std::string name;
  for (char c : CleanCampaignId(title))
    if (c != '_' || (!name.empty() && name.back() != '_')) name += c;
  while (!name.empty() && name.back() == '_') name.pop_back();
  if (name.empty()) name = "puzzle";
  name = name.substr(0, 48);
  std::error_code ec;
  auto taken = [&](const std::string& candidate) {
    std::string found;
    return HostFindIgnoringCase(HostPathString(campaigns), candidate, found) || fs::exists(campaigns / candidate, ec);
  };
  std::string candidate = name;
  for (int n = 2; taken(candidate); ++n) candidate = name + "-" + std::to_string(n);
  return campaigns / candidate;
}

std::string LevelTitleFor(const std::string& title, size_t pictures) {
  std::string plain;
  for (unsigned char c : title)
    if (c >= 0x20 && c < 0x7F && c != '[' && c != ']') plain += static_cast<char>(c);
  const size_t first = plain.find_first_not_of(' ');
  plain = first == std::string::npos ? std::string() : plain.substr(first);
  const size_t room = MAX_LEVEL_TITLE_BYTES - 1 - std::to_string(pictures).size();
  if (plain.size() > room) plain.resize(room);
  while (!plain.empty() && plain.back() == ' ') plain.pop_back();
  return plain.empty() ? "Picture" : plain;
}

namespace {

// Empty when a campaign can be made in `campaigns` (made when missing), else
// why not, naming the folder: checked before any picture is cut.
std::string CampaignsFolderProblem(const fs::path& campaigns) {
  const std::string named = "the campaigns folder " + HostPathString(campaigns);
  std::error_code ec;
  // A file where the folder or one above it should be.
  for (fs::path at = campaigns; !at.empty(); at = at.parent_path()) {
    const fs::file_status status = fs::status(at, ec);
    if (fs::exists(status)) {
      if (fs::is_directory(status)) break;
      if (at == campaigns) return named + " is a file, not a folder";
      return named + " cannot be made: " + HostPathString(at) + " is a file, not a folder";
    }
    if (at == at.parent_path()) break;
  }
  fs::create_directories(campaigns, ec);
  if (ec || !fs::is_directory(campaigns, ec))
    return named + " cannot be made: " + (ec ? ec.message() : std::string("it is not a folder"));
  std::string why;
  if (!CanCreateFileIn(campaigns, why)) return named + " cannot be written: " + why;
  return {};
}

}  // namespace

bool MakeCampaign(const fs::path& campaigns, const std::string& title, ImportOptions options, fs::path& made,
                  ImportReport& report, std::string& error, const ImportStep& step) {
  error = CampaignsFolderProblem(campaigns);
  if (!error.empty()) return false;
  std::error_code ec;
  const fs::path place = FreeCampaignFolder(campaigns, title);
  const std::string temporary = TemporaryFolderBeside(HostPathString(place));
  options.dir = temporary;
  options.title = LevelTitleFor(title, options.images.size());
  options.campaignTitle = title;
  // The id is the final folder's name, not the temporary one's.
  options.campaignId = NewCampaignId(HostPathString(place));
  if (!ImportPictures(options, report, error, nullptr, step)) {
    RemoveFolder(temporary);
    return false;
  }
  fs::rename(HostFsPath(temporary), place, ec);
  if (ec) {
    RemoveFolder(temporary);
    error = HostPathString(place) + ": cannot be put in place: " + ec.message();
    return false;
  }
  made = place;
  HostFilesWritten();
  return true;
}

bool AppendToCampaign(const fs::path& folder, ImportOptions options, ImportReport& report, std::string& error,
                      const ImportStep& step) {
  const std::string dir = HostPathString(folder);
  Manifest manifest;
  if (!ReadFolderManifest(dir, manifest)) {
    error = dir + ": not a campaign made from pictures";
    return false;
  }
  if (std::string why; !CanCreateFileIn(folder.parent_path(), why)) {
    error = "the campaigns folder " + HostPathString(folder.parent_path()) + " cannot be written: " + why;
    return false;
  }
  const std::string temporary = TemporaryFolderBeside(dir);
  std::error_code ec;
  fs::copy(folder, HostFsPath(temporary), fs::copy_options::recursive, ec);
  if (ec) {
    RemoveFolder(temporary);
    error = dir + ": cannot be copied to add levels: " + ec.message();
    return false;
  }
  options.dir = temporary;
  options.title = LevelTitleFor(manifest.title, CampaignLevelCount(dir) + options.images.size());
  if (!ImportPictures(options, report, error, nullptr, step)) {
    RemoveFolder(temporary);
    return false;
  }
  // The old campaign steps aside, the new one takes its place, the old one goes.
  const std::string old = TemporaryFolderBeside(dir);
  fs::rename(folder, HostFsPath(old), ec);
  if (!ec) {
    fs::rename(HostFsPath(temporary), folder, ec);
    if (ec) {
      std::error_code back;
      fs::rename(HostFsPath(old), folder, back);
    }
  }
  if (ec) {
    RemoveFolder(temporary);
    error = dir + ": the new levels cannot be put in place: " + ec.message();
    return false;
  }
  RemoveFolder(old);
  HostFilesWritten();
  return true;
}

bool RetitleCampaign(const fs::path& folder, const std::string& title, std::string& error) {
  const std::string dir = HostPathString(folder);
  Manifest manifest;
  if (!ReadFolderManifest(dir, manifest)) {
    error = dir + ": not a campaign made from pictures";
    return false;
  }
  manifest.title = title;
  const std::string text = FormatManifest(manifest);
  Manifest check;
  if (title.find_first_not_of(' ') == std::string::npos || !ParseManifest(text, check, error)) {
    error = "not a title: " + (error.empty() ? std::string("it is empty") : error);
    return false;
  }
  if (!HostWriteFileAtomically(dir + "/" + PACKAGE_MANIFEST, text.data(), text.size())) {
    error = dir + ": the new title cannot be written";
    return false;
  }
  return true;
}

}  // namespace tessera::content
