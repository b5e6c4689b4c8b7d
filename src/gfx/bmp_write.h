#pragma once
// Writes 24-bit bottom-up BMP files (frame dumps, tools).
#include <cstdint>
#include <string>
#include <vector>

namespace tessera {

// `rgb` holds width * height * 3 bytes, red-green-blue, top row first.
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint8_t* rgb);
bool WriteBmp24(const std::string& hostPath, int width, int height, const uint8_t* rgb);

}  // namespace tessera
