#include "gfx/bmp_write.h"

#include <cstdio>

#include "platform/file_system.h"

namespace tessera {

namespace {
void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> EncodeBmp24(int width, int height, const uint8_t* rgb) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  const size_t dataSize = stride * static_cast<size_t>(height);
  std::vector<uint8_t> out(54 + dataSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, 54);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 34, static_cast<uint32_t>(dataSize));
  Put32(out, 38, 2835);
  Put32(out, 42, 2835);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out.data() + 54 + stride * static_cast<size_t>(height - 1 - y);
    const uint8_t* src = rgb + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = src[3 * x + 2];
      row[3 * x + 1] = src[3 * x + 1];
      row[3 * x + 2] = src[3 * x];
    }
  }
  return out;
}

bool WriteBmp24(const std::string& hostPath, int width, int height, const uint8_t* rgb) {
  std::vector<uint8_t> bytes = EncodeBmp24(width, height, rgb);
  std::FILE* f = HostOpen(hostPath, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace tessera
