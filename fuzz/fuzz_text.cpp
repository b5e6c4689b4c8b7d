// Text layout on any bytes with any size, spacing, wrap width and position,
// into a small destination with guard cells around it, using a font engine
// that inks every cell fully so every stamp is visible.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "gfx/text.h"

using namespace tessera;

namespace {

class SolidGlyphs : public GlyphRasterizer {
 public:
  bool Rasterize(uint16_t code, int size, uint32_t rows[32]) override {
    if (size < 1 || size > 32) fuzz::Finding("glyph asked for at an unknown size");
    // Blank for the space so that sparse cells are exercised too.
    for (int r = 0; r < 32; ++r) rows[r] = code == 0x20 ? 0 : 0xFFFFFFFFu >> (r % 3);
    return true;
  }
};

constexpr uint16_t kGuard = 0x5A5A;
constexpr size_t kGuardCells = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = InitTextRenderer(std::make_unique<SolidGlyphs>());
  (void)ready;
  FuzzedDataProvider input(data, size);
  const int sizes[] = {16, 20, 24, 28, 32};
  const int glyphSize = input.ConsumeBool() ? input.PickValueInArray(sizes) : input.ConsumeIntegral<int>();
  const auto wide = [&](int small) { return input.ConsumeBool() ? input.ConsumeIntegral<int>() : small; };
  const int x = wide(input.ConsumeIntegralInRange<int>(-40, 100));
  const int y = wide(input.ConsumeIntegralInRange<int>(-40, 100));
  const int spacing = wide(input.ConsumeIntegralInRange<int>(-20, 20));
  const int wrapWidth = wide(input.ConsumeIntegralInRange<int>(-10, 600));
  const int destWidth = input.ConsumeIntegralInRange<int>(-1, 96);
  const int destHeight = input.ConsumeIntegralInRange<int>(-1, 64);
  const std::string text = input.ConsumeRemainingBytesAsString();  // stops at the first NUL as C text does

  const int lines = CountTextLines(text.c_str(), glyphSize, wrapWidth, spacing);
  fuzz::Require(lines >= 1, "fewer than one line");
  fuzz::Require(static_cast<size_t>(lines) <= text.size() + 1, "more lines than characters");
  if (wrapWidth <= 0) fuzz::Require(lines == 1, "text wrapped without a wrap width");

  const size_t cells = destWidth > 0 && destHeight > 0 ? static_cast<size_t>(destWidth) * destHeight : 0;
  std::vector<uint16_t> memory(cells + 2 * kGuardCells, kGuard);
  RenderText(glyphSize, 0x1234, x, y, spacing, text.c_str(), memory.data() + kGuardCells, wrapWidth, destWidth,
             destHeight);
  for (size_t i = 0; i < kGuardCells; ++i)
    fuzz::Require(memory[i] == kGuard && memory[memory.size() - 1 - i] == kGuard, "ink outside the destination");
  return 0;
}
