#pragma once
// Pictures and movies read and written through the codec library for the
// content code (importing photos, checking and making a campaign's movies).
// The game's own playback goes through MovieDecoder instead.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessera {

// The centred square of a PNG, JPEG or BMP file's picture (told by its bytes,
// not its name), scaled to `side` x `side` RGB (three bytes a pixel, top row
// first), and the EXIF orientation stored with it (1 to 8; 0 when none).
struct SquarePicture {
  std::vector<uint8_t> rgb;
  int orientation = 0;
};
// `bytes` is taken (and freed as soon as it is decoded). Pictures of more than
// `maxPixels` are refused before they are decoded in full. False with `error`
// saying why the picture cannot be used.
bool DecodeSquarePicture(std::vector<uint8_t>&& bytes, int side, int64_t maxPixels, SquarePicture& out,
                         std::string& error);

// Opens a movie file and decodes its first video frame; false with `why`.
// `hasAudio` tells whether it has a sound stream.
bool ProbeMovie(const std::string& hostPath, std::string& why, bool& hasAudio);

// A short AVI movie (MPEG-4 video, 16-bit mono PCM sound), bit-exact: the same
// plan gives the same bytes.
struct AviPlan {
  int width = 320;  // even
  int height = 240;  // even
  int fps = 15;
  int frames = 60;
  int soundRate = 22050;
  // Fills frame `index` (0-based): width x height RGB, top row first.
  std::function<void(int index, std::vector<uint8_t>& rgb)> paint;
  const std::vector<int16_t>* sound = nullptr;  // played from the first frame; silence after its end
};
// Writes the movie to `hostPath` (its folder must exist); false with `error`.
bool WriteAvi(const AviPlan& plan, const std::string& hostPath, std::string& error);

}  // namespace tessera
