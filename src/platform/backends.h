#pragma once
// Factories of the shared services the two back ends assemble.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/glyphs.h"
#include "platform/movie.h"
#include "platform/platform.h"

namespace tessera {

// OpenAL Soft on the default device; null with `error` set when there is none.
std::unique_ptr<AudioDevice> CreateOpenAlAudio(std::string& error);
// Accepts every sound and plays nothing (headless runs).
std::unique_ptr<AudioDevice> CreateSilentAudio();
// FreeType with the system's default face for the character set.
std::unique_ptr<GlyphRasterizer> CreateFreeTypeRasterizer(Charset charset);
// FFmpeg; null with `error` set to the failing step's message.
std::unique_ptr<MovieDecoder> OpenFfmpegMovie(const std::string& hostPath, std::string& error);

// A PNG of 24-bit RGB rows (`stride` bytes apart, top row first), encoded by
// FFmpeg. False with `error` set when the picture is empty or too large (over
// 16384 pixels a side) or the encoder fails.
bool EncodePng(const uint8_t* rgb, int width, int height, int stride, std::vector<uint8_t>& png,
               std::string& error);
// EncodePng written to `path` (a host path) by atomic replace.
bool WritePngFile(const std::string& path, const uint8_t* rgb, int width, int height, int stride,
                  std::string& error);

}  // namespace tessera
