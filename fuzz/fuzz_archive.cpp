// Picture archives: the index is searched for a name the input itself carries
// (so members can be reached) and for names it does not, and the packaged
// loader reads the member in place, alone and inside a batch.
#include <cstring>
#include <string>
#include <vector>

#include "app/files.h"
#include "fuzz_support.h"
#include "gfx/bmp.h"

using namespace tessera;

namespace {

uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();
  if (!world.Write("Picture.dat", data, size)) return 0;

  // The name of the first entry, as far as the input has one.
  std::string firstName = "Level.bmp";
  if (size >= 4 + ARCHIVE_NAME_SIZE) {
    const char* name = reinterpret_cast<const char*>(data + 4);
    firstName.assign(name, strnlen(name, ARCHIVE_NAME_SIZE - 1));
  }
  const std::string path = "Picture\\" + firstName;

  FilePtr file = OpenFile("Picture.dat", "rb");
  if (!file) return 0;
  const uint32_t offset = FindArchiveMember(path.c_str(), file.get());
  if (offset != 0) {
    // A member is only ever found inside a whole index whose count holds it.
    fuzz::Require(size >= static_cast<size_t>(ARCHIVE_INDEX_END), "member found in a short index");
    const int32_t count = static_cast<int32_t>(U32(data));
    fuzz::Require(count >= 1 && count <= ARCHIVE_MAX_MEMBERS, "member found beyond the count");
  }
  // A name nothing can hold: 128 bytes never fit an entry with its terminator.
  fuzz::Require(FindArchiveMember(("Picture\\" + std::string(ARCHIVE_NAME_SIZE, 'x')).c_str(), file.get()) == 0,
                "an unterminated name was matched");
  file.reset();

  const int32_t packaged = EngineConfig.Packaged;
  EngineConfig.Packaged = 1;
  ImagePtr image;
  const int loaded = LoadBmpImage(path.c_str(), image, 0);
  EngineConfig.Packaged = packaged;
  fuzz::Require(loaded == (image != nullptr ? 1 : 0), "LoadBmpImage: result and slot disagree");
  if (loaded) {
    fuzz::Require(offset != 0, "a missing member loaded");
    fuzz::Require(image->pixels.size() == size_t{image->width} * image->height, "pixel count differs");
    // The member's pixels lie inside the file, so the picture cannot outgrow it.
    fuzz::Require(size_t{image->width} * image->height * 3 <= size, "picture larger than its file");
  }

  // Through a batch, which reads the index once for every picture: the same
  // outcome, twice over.
  EngineConfig.Packaged = 1;
  {
    ArchiveBatch batch;
    for (int round = 0; round < 2; ++round) {
      ImagePtr again;
      const int loadedAgain = LoadBmpImage(path.c_str(), again, 0);
      fuzz::Require(loadedAgain == loaded, "a batch loaded what a single load did not, or the other way");
      if (loadedAgain)
        fuzz::Require(again->width == image->width && again->height == image->height && again->pixels == image->pixels,
                      "a batch loaded another picture");
    }
  }
  EngineConfig.Packaged = packaged;
  return 0;
}
