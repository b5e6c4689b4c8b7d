// Loose bitmaps: the same bytes decoded from memory and loaded from a file must
// agree, and a picture that loads has the sides its header gives.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "gfx/bmp.h"

using namespace tessera;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzWorld& world = fuzz::FuzzWorld::Get();
  const auto inside = world.Enter();

  // An exact-size copy, so reading one byte too far is caught.
  std::vector<uint8_t> exact(data, data + size);
  ImagePtr fromMemory;
  const BmpStatus status = DecodeBmp(exact.empty() ? nullptr : exact.data(), exact.size(), fromMemory);
  fuzz::Require((status == BmpStatus::Ok) == (fromMemory != nullptr), "DecodeBmp: image present without Ok");

  if (!world.Write("Loose.bmp", data, size)) return 0;
  ImagePtr fromFile;
  const int loaded = LoadBmpImage("Loose.bmp", fromFile, 1);
  fuzz::Require(loaded == (fromFile != nullptr ? 1 : 0), "LoadBmpImage: result and slot disagree");
  fuzz::Require((loaded == 1) == (status == BmpStatus::Ok), "file and memory decoding disagree");

  if (fromMemory) {
    const Image& a = *fromMemory;
    fuzz::Require(a.width > 0 && a.height > 0, "picture without pixels");
    fuzz::Require(a.pixels.size() == size_t{a.width} * a.height, "pixel count differs from the sides");
    const int32_t width = static_cast<int32_t>(uint32_t{data[18]} | uint32_t{data[19]} << 8 |
                                               uint32_t{data[20]} << 16 | uint32_t{data[21]} << 24);
    fuzz::Require(width == a.width, "width differs from the header");
    const Image& b = *fromFile;
    fuzz::Require(b.width == a.width && b.height == a.height && b.pixels == a.pixels,
                  "file and memory pictures differ");
  }
  return 0;
}
