// Campaign packages: a stranger's file read whole (the card's view of it),
// then unpacked into a scratch folder. Whatever the bytes, a package is
// either refused or its files land below the folder, within the caps, as
// plain files; a refused unpack leaves nothing.
#include <filesystem>
#include <string>

#include "content/package.h"
#include "fuzz_support.h"

using namespace tessera;
namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();

  content::PackageInfo read;
  std::string error;
  const bool readable = content::ReadPackageBytes(std::vector<uint8_t>(data, data + size), "p.tessera", read, error);
  fuzz::Require(readable == error.empty(), "ReadPackageBytes: result and message disagree");
  if (readable) {
    fuzz::Require(read.manifest.format == content::PACKAGE_FORMAT, "a manifest of another format was taken");
    fuzz::Require(read.files >= 1, "a package without campaign files was taken");
    fuzz::Require(read.claimedBytes <= content::PACKAGE_MAX_TOTAL_BYTES, "claims beyond the total cap were taken");
    fuzz::Require(read.thumbnail.size() <= content::PACKAGE_MAX_THUMBNAIL_BYTES, "thumbnail beyond its cap");
    content::Manifest again;
    std::string why;
    fuzz::Require(content::ParseManifest(content::FormatManifest(read.manifest), again, why),
                  "a manifest taken does not read back");
  }

  if (!world.Write("p.tessera", data, size)) return 0;
  const std::string out = world.dir() + "/out";
  content::PackageInfo info;
  error.clear();
  const bool unpacked = content::UnpackPackage(world.dir() + "/p.tessera", out, info, error);
  std::error_code ec;
  if (!unpacked) {
    fuzz::Require(!fs::exists(out, ec), "a refused package left files behind");
  } else {
    fuzz::Require(readable, "unpacked a package that reading refused");
    uint64_t total = 0;
    for (auto it = fs::recursive_directory_iterator(out, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      fuzz::Require(!it->is_symlink(ec), "a symbolic link was unpacked");
      fuzz::Require(it->is_directory(ec) || it->is_regular_file(ec), "something other than a file or folder");
      if (it->is_regular_file(ec)) total += it->file_size(ec);
    }
    fuzz::Require(total <= content::PACKAGE_MAX_TOTAL_BYTES, "unpacked beyond the total cap");
    fs::remove_all(out, ec);
  }
  // Nothing but the input and the scratch folder's own files lies beside it.
  for (const auto& entry : fs::directory_iterator(world.dir(), ec))
    fuzz::Require(entry.path().filename() != "out", "the unpack folder was not removed");
  world.Remove("p.tessera");
  return 0;
}
