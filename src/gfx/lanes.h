#pragma once
// Eight 16-bit pixels in one 16-byte register, for the drawing loops that
// handle a row eight pixels at a time (GCC and Clang vector extensions: SSE2 on
// x86-64, NEON on ARM).
#include <cstdint>
#include <cstring>

namespace tessera {

using Lanes = uint16_t __attribute__((vector_size(16)));
constexpr int LANES = 8;

inline Lanes LoadLanes(const uint16_t* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void StoreLanes(uint16_t* p, Lanes v) { std::memcpy(p, &v, sizeof v); }

}  // namespace tessera
