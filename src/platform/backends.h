#pragma once
// Factories of the shared services the two back ends assemble.
#include <memory>
#include <string>

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

}  // namespace tessera
